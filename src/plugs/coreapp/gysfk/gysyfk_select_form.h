// Tgysyfkselectform: the payment selector of the prepayment write-off ("选择源单"):
// audited payments to one supplier that still have a free amount.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::gysfk {

class Tgysyfkselectform : public TWriteOffSelectForm {
 public:
  Tgysyfkselectform(host::FormModel* owner, std::int64_t gys_id, std::int64_t ck_id, std::string billno);
};

//! What the payment selector is: the receipt selector's query on payments.
const SelectSourceSpec& gysyfkSelectSpec();

}  // namespace plugs::coreapp::gysfk
