// Shipped settings of the order-processing window. Production adjusts sizes, quantities,
// prices and amounts; item names, specifications and units come from the item master
// and are not editable here. Twelve columns, so the grid fits them to its width.
#include "plugs/coreapp/xmzzk/xmzzk_work_config.h"

namespace plugs::coreapp::xmzzk {

const std::string& workFormDefaultConfig() {
  static const std::string document = R"json({
 "data": {
  "master": {
   "table": "vt_x_xmzzk",
   "sql": "select * from vt_v_xmzzk where orgid=:orgid and billno=:billno",
   "ignorefields": ["id", "kh_code", "kh_name", "ck_name", "kdr_name", "ywy_code", "ywy_name",
                    "flow_name", "shfs_name", "statusinfo", "payinfo", "createtime"]
  },
  "detail": {
   "sql": "select t1.*, xm.code xm_code, xm.name xm_name, xm.itemno xm_itemno, xm.baseunit xm_baseunit, xm.jjfs, xm.minje from vt_x_xmzzk_mx t1 left join vt_b_xmbmk xm on t1.xm_id = xm.id where t1.orgid=:orgid and t1.billno=:billno order by t1.id",
   "columns": [
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
    {"fieldname": "je", "label": "金额", "width": "90", "type": "money", "decimal": "2",
     "format": "0.00", "footer": "true"},
    {"fieldname": "beizhu", "label": "备注", "width": "140"}
   ]
  }
 }
})json";
  return document;
}

}  // namespace plugs::coreapp::xmzzk
