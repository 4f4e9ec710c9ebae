// Tspsyform: the loss and gain bill ("损益单", plug 1126): surpluses (positive
// quantities) and shortages (negative) of a store, entered by hand or made from an
// audited stocktake, which its delete releases.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::spsy {

class Tspsyform : public StockBillUnit<Tspsyform> {
 public:
  Tspsyform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the loss and gain bill is (tables, header, lines, total, stocktake release).
const StockBillSpec& spsySpec();
//! Registers plug 1126.
void registerSpsyForm();
//! The unit's use-counted start-up.
host::UnitInitialization& spsyFormUnit();

}  // namespace plugs::coreapp::spsy
