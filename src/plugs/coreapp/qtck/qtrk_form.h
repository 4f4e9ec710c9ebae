// Tqtrkform: the other receipt bill ("其它入库单", plug 1122): goods coming into a store
// from a supplier for reasons other than a purchase; no discount, account or fees.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::qtck {

class Tqtrkform : public StockBillUnit<Tqtrkform> {
 public:
  Tqtrkform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the other receipt bill is (tables, header, lines, total).
const StockBillSpec& qtrkSpec();
//! Registers plug 1122.
void registerQtrkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& qtrkFormUnit();

}  // namespace plugs::coreapp::qtck
