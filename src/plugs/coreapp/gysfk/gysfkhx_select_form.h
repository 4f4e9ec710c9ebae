// Tgysfkhxselectform: the supplier source selector ("选择源单"): open outsourced
// processing orders and purchase bills of one supplier. No statement variant and no
// bill-lines panel.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::gysfk {

class Tgysfkhxselectform : public TWriteOffSelectForm {
 public:
  Tgysfkhxselectform(host::FormModel* owner, std::int64_t gys_id, std::int64_t ck_id, std::string billno);
};

//! What the supplier selector is (caption, parameter, list query).
const SelectSourceSpec& gysfkhxSelectSpec();

}  // namespace plugs::coreapp::gysfk
