// Tkhskselectform: the receipt selector's description. Its query reads the customer
// and the invoice's number only: receipts of every store are offered.
#include "plugs/coreapp/khkp/khsk_select_form.h"

#include "plugs/coreapp/khkp/khkpk_sql.h"

namespace plugs::coreapp::khkp {

const SelectSourceSpec& khskSelectSpec() {
  static const SelectSourceSpec spec{.className = "Tkhskselectform",
                                     .caption = "选择源单(收款单)",
                                     .counterparty = "kh_id",
                                     .listQuery = kKhskSelectListQuery,
                                     .types = {"全部", "收款单", ""},
                                     .columns = {{"biztype", "业务类型"},
                                                 {"bizbillno", "源单单号"},
                                                 {"bizbilldate", "单据日期"},
                                                 {"ck_name", "开单门店"},
                                                 {"hjje", "收款金额", true},
                                                 {"kpjeok", "已开票金额", true},
                                                 {"kpjeno", "未开票金额", true}}};
  return spec;
}

Tkhskselectform::Tkhskselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id, std::string billno)
    : TWriteOffSelectForm(owner, khskSelectSpec(), kh_id, ck_id, std::move(billno)) {}

}  // namespace plugs::coreapp::khkp
