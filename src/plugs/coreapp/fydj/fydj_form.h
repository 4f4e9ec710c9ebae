// Tfydjform: the expense bill ("费用单据", plug 1110): money paid out through one
// settlement account outside the order flow (rent, materials paid in cash), split over
// expense categories. Everything it does is the ledger bill's shape (ledger_bill_spec.h).
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

namespace plugs::coreapp::fydj {

class Tfydjform : public TSimpleBillForm {
 public:
  Tfydjform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the expense bill is (tables, header, lines, checks, total).
const SimpleBillSpec& fydjSpec();
//! Registers plug 1110.
void registerFydjForm();
//! The unit's use-counted start-up.
host::UnitInitialization& fydjFormUnit();

}  // namespace plugs::coreapp::fydj
