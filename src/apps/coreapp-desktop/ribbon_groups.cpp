// Ribbon groups: a plug code's subsystem decides its tab. Codes the table does not know
// (a later package) go to a last tab of their own rather than disappear.
#include "apps/coreapp-desktop/ribbon_groups.h"

#include "host/lookup/host_plugs.h"
#include "plugs/coreapp/report/report_catalog.h"

namespace desktop {

namespace {

struct GroupSpec {
  const char* caption;
  std::vector<std::string> codes;
};

// The owner's reports, in the catalogue's order.
std::vector<std::string> reportCodes() {
  std::vector<std::string> codes;
  for (const plugs::coreapp::ReportSpec& spec : plugs::coreapp::reportSpecs())
    codes.push_back(spec.code);
  return codes;
}

const std::vector<GroupSpec>& groupSpecs() {
  static const std::vector<GroupSpec> specs = {
      {"项目订单", {"1100", "1100_07", "1101", "1103"}},
      {"生产", {"1102", "1105"}},
      {"商品", {"1120", "1121", "1122", "1123", "1124", "1125", "1126", "1127"}},
      {"往来", {"1112", "1113", "1115", "1116", "1117", "1118", "1119"}},
      {"资金", {"1110", "1111", "1114"}},
      {"报表", reportCodes()},
      {"基础资料",
       {"1201", "1202", "1203", "1204", "1205", "1206", "1207", "1208", "1209", "1210", "1211",
        "1212", "1213", "1214", "1215"}},
      {"系统", {"1190"}},
  };
  return specs;
}

constexpr const char* kOtherCaption = "其它";

}  // namespace

std::vector<RibbonGroup> ribbonGroups(const std::vector<host::TPlugItem*>& items,
                                      const host::Rights& rights) {
  std::vector<RibbonGroup> groups;
  for (const GroupSpec& spec : groupSpecs()) groups.push_back({spec.caption, {}});
  groups.push_back({kOtherCaption, {}});
  for (host::TPlugItem* item : items) {
    if (item->code.empty() || !item->creator || host::isHostPlug(item->caption)) continue;
    if (!rights.has(item->code)) continue;
    RibbonGroup* target = &groups.back();
    for (std::size_t g = 0; g < groupSpecs().size(); ++g)
      for (const std::string& code : groupSpecs()[g].codes)
        if (code == item->code) target = &groups[g];
    target->items.push_back(item);
  }
  std::erase_if(groups, [](const RibbonGroup& g) { return g.items.empty(); });
  return groups;
}

}  // namespace desktop
