// Captions of the columns of the host's lookups (service items, goods, employees,
// customers, suppliers, contacts, requirements). A purchase price stays off the
// counter's screen; so do the pricing internals (area flag, divisor, shares).
#include "apps/coreapp-desktop/lookup_columns.h"

#include <map>

namespace desktop {

std::string lookupCaption(const std::string& column) {
  static const std::map<std::string, std::string> captions = {
      {"code", "编号"},       {"name", "名称"},        {"fullname", "全称"},
      {"itemno", "规格"},     {"baseunit", "单位"},    {"price_sale", "零售价"},
      {"pricesale", "零售价"}, {"tel", "电话"},         {"lxr", "联系人"},
      {"addr", "地址"},       {"khlx", "客户类型"},    {"xyjlx", "价格类型"},
      {"contact", "联系人"},  {"phone", "电话"},       {"qq", "QQ"},
      {"remark", "备注"},     {"shuihao", "税号"},     {"isdef", "默认"},
  };
  auto it = captions.find(column);
  return it == captions.end() ? std::string() : it->second;
}

}  // namespace desktop
