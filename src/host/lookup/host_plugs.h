// The host's own plugs: lookup windows found by caption ("服务项目查询", "商品信息查询",
// "员工信息查询", "客户会员查询", "客户会员快速查询", "供应商信息查询", "客户联系人查询",
// "制作要求查询") and the entry windows "新客户" and "新供应商".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

//! Registers the host's plugs in plugsPool() (once; later calls do nothing).
void registerHostPlugs();
//! Captions of the host's lookup plugs, in registration order.
std::vector<std::string> hostLookupCaptions();
//! True when the item with this caption is one of the host's own plugs.
bool isHostPlug(std::string_view caption);

}  // namespace host
