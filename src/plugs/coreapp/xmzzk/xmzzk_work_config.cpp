// Shipped settings of the order-processing window. Production adjusts sizes, quantities,
// prices and amounts; item names, sizes and units come from the item master
// and are not editable here. Twelve columns, so the grid fits them to its width.
#include "plugs/coreapp/xmzzk/xmzzk_work_config.h"

#include "host/forms/money_format.h"
#include "plugs/coreapp/xmzzk/order_config.h"

namespace plugs::coreapp::xmzzk {

const std::string& workFormDefaultConfig() {
  static const std::string document = orderConfigDocument(R"json(
    {"fieldname": "xm_code", "label": "项目编号", "width": "90", "type": "button",
     "event": "select", "target": "服务项目查询"},
    {"fieldname": "xm_name", "label": "项目名称", "width": "140", "editing": "false"},
    {"fieldname": "xm_itemno", "label": "规格", "width": "80", "editing": "false"},
    {"fieldname": "xm_baseunit", "label": "单位", "width": "50", "editing": "false"},
    {"fieldname": "x", "label": "长", "width": "60"},
    {"fieldname": "y", "label": "宽", "width": "60"},
    {"fieldname": "sl", "label": "数量", "width": "60", "footer": "true", "kind": "sum"},
    {"fieldname": "n", "label": "套数", "width": "50"},
    {"fieldname": "dj", "label": "单价", "width": "80", "type": "money", "decimal": "4"},
    {"fieldname": "zk", "label": "折扣", "width": "50"},
    {"fieldname": "je", "label": "金额", "width": "90", "type": "money", "decimal": "4",
     "footer": "true"},
    {"fieldname": "beizhu", "label": "备注", "width": "140"})json");
  return document;
}

}  // namespace plugs::coreapp::xmzzk
