// Tkhyskselectform: the receipt selector of the advance write-off ("选择源单(收款单)"):
// audited receipts of one customer that still have a free amount, without a lines panel.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::khsk {

class Tkhyskselectform : public TWriteOffSelectForm {
 public:
  Tkhyskselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id, std::string billno);
};

//! What the receipt selector is (caption, parameter, list query).
const SelectSourceSpec& khyskSelectSpec();

}  // namespace plugs::coreapp::khsk
