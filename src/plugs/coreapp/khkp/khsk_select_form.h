// Tkhskselectform: the receipt selector of the customer invoice ("选择源单(收款单)"):
// the customer's audited receipts with their total, the part other invoices have
// invoiced and the rest; no lines panel, no statement variant.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::khkp {

class Tkhskselectform : public TWriteOffSelectForm {
 public:
  Tkhskselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id, std::string billno);
};

//! What the receipt selector is (caption, parameter, query, columns).
const SelectSourceSpec& khskSelectSpec();

}  // namespace plugs::coreapp::khkp
