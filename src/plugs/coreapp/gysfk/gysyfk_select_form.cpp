// Tgysyfkselectform: the payment selector's description.
#include "plugs/coreapp/gysfk/gysyfk_select_form.h"

#include "plugs/coreapp/khsk/yshx_sql.h"

namespace plugs::coreapp::gysfk {

const SelectSourceSpec& gysyfkSelectSpec() {
  static const std::string query = khsk::toSupplierSide(khsk::kKhyskListQuery);
  static const SelectSourceSpec spec{.className = "Tgysyfkselectform",
                                     .caption = "选择源单",
                                     .counterparty = "gys_id",
                                     .listQuery = query.c_str(),
                                     .types = {"全部", "付款单", ""}};
  return spec;
}

Tgysyfkselectform::Tgysyfkselectform(host::FormModel* owner, std::int64_t gys_id, std::int64_t ck_id,
                                     std::string billno)
    : TWriteOffSelectForm(owner, gysyfkSelectSpec(), gys_id, ck_id, std::move(billno)) {}

}  // namespace plugs::coreapp::gysfk
