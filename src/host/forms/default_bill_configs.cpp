// The configuration documents that ship with the program, one per bill type that has
// one: the open queries of header and lines, the header fields that are display-only,
// and the line grid's columns. The host falls back to these when the user has not
// saved bill settings of his own.
#include <map>
#include <string>

#include "host/forms/bill_config.h"

namespace host {

namespace {

// Demonstration bill (plug "9901", tables vt_c_qtrk / vt_c_qtrk_mx): shows every key.
const char* const kDemoBill = R"json({
  "data": {
    "master": {
      "table": "vt_c_qtrk",
      "sql": "select t1.*, t2.code gys_code, t2.name gys_name, t3.name ck_name, t4.name kdr_name from vt_c_qtrk t1 left join vt_b_gysbmk t2 on t1.gys_id = t2.id left join vt_b_ckbmk t3 on t1.ck_id = t3.id left join vt_b_ygbmk t4 on t1.kdr_id = t4.id where t1.orgid = :orgid and t1.billno = :billno",
      "ignorefields": ["gys_code", "gys_name", "ck_name", "kdr_name"]
    },
    "detail": {
      "sql": "select t1.*, t2.code sp_code, t2.name sp_name, t2.itemno, t2.baseunit from vt_c_qtrk_mx t1 left join vt_b_spbmk t2 on t1.sp_id = t2.id where t1.orgid = :orgid and t1.billno = :billno order by t1.id",
      "columns": [
        {"fieldname": "sp_code", "label": "商品编号", "width": "100", "editing": "true"},
        {"fieldname": "sp_name", "label": "商品名称", "width": "160", "editing": "false"},
        {"fieldname": "itemno", "label": "规格", "width": "80", "editing": "false"},
        {"fieldname": "baseunit", "label": "单位", "width": "50", "editing": "false"},
        {"fieldname": "sl", "label": "数量", "width": "70", "footer": "true", "kind": "sum"},
        {"fieldname": "dj", "label": "单价", "width": "80", "type": "money", "decimal": "4"},
        {"fieldname": "je", "label": "金额", "width": "90", "type": "money", "footer": "true"},
        {"fieldname": "beizhu", "label": "备注", "width": "120"}
      ]
    }
  }
})json";

std::map<std::string, std::string, std::less<>>& documents() {
  static std::map<std::string, std::string, std::less<>> shipped = {{"9901", kDemoBill}};
  return shipped;
}

}  // namespace

std::string defaultBillConfig(std::string_view code) {
  auto it = documents().find(code);
  return it == documents().end() ? std::string() : it->second;
}

void registerDefaultBillConfig(std::string code, std::string document) {
  documents()[std::move(code)] = std::move(document);
}

}  // namespace host
