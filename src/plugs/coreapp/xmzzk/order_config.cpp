// The parts of the shipped order configuration both windows share. The text is laid
// out as the documents always were, so a document shown to the user reads the same.
#include "plugs/coreapp/xmzzk/order_config.h"

namespace plugs::coreapp::xmzzk {

std::string orderConfigDocument(std::string_view columns) {
  std::string document = R"json({
 "data": {
  "master": {
   "table": "vt_x_xmzzk",
   "sql": "select * from vt_v_xmzzk where orgid=:orgid and billno=:billno",
   "ignorefields": ["id", "kh_code", "kh_name", "ck_name", "kdr_name", "ywy_code", "ywy_name",
                    "flow_name", "shfs_name", "statusinfo", "payinfo", "createtime"]
  },
  "detail": {
   "sql": "select t1.*, xm.code xm_code, xm.name xm_name, xm.itemno xm_itemno, xm.baseunit xm_baseunit, xm.jjfs, xm.minje from vt_x_xmzzk_mx t1 left join vt_b_xmbmk xm on t1.xm_id = xm.id where t1.orgid=:orgid and t1.billno=:billno order by t1.id",
   "columns": [)json";
  document += columns;
  document += "\n   ]\n  }\n }\n}";
  return document;
}

}  // namespace plugs::coreapp::xmzzk
