// Tkhyskselectform: the receipt selector's description.
#include "plugs/coreapp/khsk/khysk_select_form.h"

#include "plugs/coreapp/khsk/yshx_sql.h"

namespace plugs::coreapp::khsk {

const SelectSourceSpec& khyskSelectSpec() {
  static const SelectSourceSpec spec{.className = "Tkhyskselectform",
                                     .caption = "选择源单(收款单)",
                                     .counterparty = "kh_id",
                                     .listQuery = kKhyskListQuery,
                                     .types = {"全部", "收款单", ""}};
  return spec;
}

Tkhyskselectform::Tkhyskselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id, std::string billno)
    : TWriteOffSelectForm(owner, khyskSelectSpec(), kh_id, ck_id, std::move(billno)) {}

}  // namespace plugs::coreapp::khsk
