// Tqtckform: the other issue bill ("其它出库单", plug 1123): goods leaving a store to a
// customer for reasons other than a sale. Its figures are typed, never derived.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::qtck {

class Tqtckform : public StockBillUnit<Tqtckform> {
 public:
  Tqtckform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the other issue bill is (tables, header, lines, total).
const StockBillSpec& qtckSpec();
//! Registers plug 1123.
void registerQtckForm();
//! The unit's use-counted start-up.
host::UnitInitialization& qtckFormUnit();

}  // namespace plugs::coreapp::qtck
