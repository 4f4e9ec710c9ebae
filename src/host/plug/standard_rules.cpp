// The package's rights in their usual shape and the registration of one item.
#include "host/plug/standard_rules.h"

#include <algorithm>

#include "host/plug/t_plugs_pool.h"

namespace host {

std::vector<RightSpec> standardNineRights() {
  return {{"_01", "添加"},      {"_02", "修改"}, {"_03", "删除"},
          {"_04", "审核"},      {"_05", "草稿"}, {"_06", "打印"},
          {"_061", "模板设置"}, {"_10", "附件"}, {"_20", "单据设置"}};
}

std::vector<RightSpec> standardRightsWith(const std::vector<RightSpec>& extra) {
  std::vector<RightSpec> rights = standardNineRights();
  // _07 and _08 sit after _061 and before _10, in their own order.
  auto at = std::find_if(rights.begin(), rights.end(),
                         [](const RightSpec& r) { return r.first == "_10"; });
  rights.insert(at, extra.begin(), extra.end());
  return rights;
}

void addStandardRules(TPlugItem& item, const std::vector<RightSpec>& rights) {
  item.addRule(TauthRule(item.code, "", item.caption, 1, 1, ""));
  for (const auto& [suffix, caption] : rights)
    item.addRule(TauthRule(item.code + suffix, item.code, caption, 1, 1, ""));
}

TPlugItem& registerPackageItem(std::string guid, std::string caption, std::string code,
                               TFormClass formClass, PlugCreator creator,
                               const std::vector<RightSpec>& rights) {
  auto item = std::make_unique<TPlugItemSingleBasic>();
  item->GUID = std::move(guid);
  item->caption = std::move(caption);
  item->code = std::move(code);
  item->formClass = std::move(formClass);
  item->creator = std::move(creator);
  if (!rights.empty()) addStandardRules(*item, rights);
  return plugsPool().registerPlug(std::move(item));
}

}  // namespace host
