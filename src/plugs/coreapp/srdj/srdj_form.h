// Tsrdjform: the income bill ("收入单据", plug 1111): money taken in through one
// settlement account outside the order flow (a scrap sale, a refund), split over income
// categories. Everything it does is the ledger bill's shape (ledger_bill_spec.h).
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

namespace plugs::coreapp::srdj {

class Tsrdjform : public TSimpleBillForm {
 public:
  Tsrdjform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the income bill is (tables, header, lines, checks, total).
const SimpleBillSpec& srdjSpec();
//! Registers plug 1111.
void registerSrdjForm();
//! The unit's use-counted start-up.
host::UnitInitialization& srdjFormUnit();

}  // namespace plugs::coreapp::srdj
