// Tkhskhxselectform: the customer source selector ("选择源单(业务单)"): open project
// orders and audited sales bills of one customer, with the lines of the focused bill;
// in its statement variant the completed bills not yet reconciled.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace plugs::coreapp::khsk {

class Tkhskhxselectform : public TWriteOffSelectForm {
 public:
  Tkhskhxselectform(host::FormModel* owner, std::int64_t kh_id, std::int64_t ck_id, std::string billno,
                    bool statement = false);
};

//! What the customer selector is (caption, parameter, queries).
const SelectSourceSpec& khskhxSelectSpec();

}  // namespace plugs::coreapp::khsk
