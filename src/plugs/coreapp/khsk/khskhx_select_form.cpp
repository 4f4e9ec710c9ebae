// Tkhskhxselectform: the customer selector's description.
#include "plugs/coreapp/khsk/khskhx_select_form.h"

#include "plugs/coreapp/khsk/khsk_sql.h"

namespace plugs::coreapp::khsk {

const SelectSourceSpec& khskhxSelectSpec() {
  static const SelectSourceSpec spec{.className = "Tkhskhxselectform",
                                     .caption = "选择源单(业务单)",
                                     .counterparty = "kh_id",
                                     .listQuery = kKhskhxListQuery,
                                     .statementQuery = kKhskhxStatementQuery,
                                     .linesQuery = kKhskhxLinesQuery,
                                     .types = {"全部", "项目订单", "销货单"}};
  return spec;
}

Tkhskhxselectform::Tkhskhxselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id,
                                     std::string billno, bool statement)
    : TWriteOffSelectForm(owner, khskhxSelectSpec(), kh_id, ck_id, std::move(billno), statement) {}

}  // namespace plugs::coreapp::khsk
