// Tgysfkhxselectform: the supplier selector's description.
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"

#include "plugs/coreapp/gysfk/gysfk_sql.h"

namespace plugs::coreapp::gysfk {

const SelectSourceSpec& gysfkhxSelectSpec() {
  static const SelectSourceSpec spec{.className = "Tgysfkhxselectform",
                                     .caption = "选择源单",
                                     .counterparty = "gys_id",
                                     .listQuery = kGysfkhxListQuery,
                                     .types = {"全部", "项目订单", "销货单"}};
  return spec;
}

Tgysfkhxselectform::Tgysfkhxselectform(host::FormModel* owner, std::int64_t gys_id, std::int64_t ck_id,
                                       std::string billno)
    : TWriteOffSelectForm(owner, gysfkhxSelectSpec(), gys_id, ck_id, std::move(billno)) {}

}  // namespace plugs::coreapp::gysfk
