// Tsptjform: the cost adjustment bill ("成本调整单", plug 1125): per goods item an
// amount by which the stock value of a store changes, the quantity untouched.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::sptj {

class Tsptjform : public StockBillUnit<Tsptjform> {
 public:
  Tsptjform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the cost adjustment bill is (tables, header, amount lines, total).
const StockBillSpec& sptjSpec();
//! Registers plug 1125.
void registerSptjForm();
//! The unit's use-counted start-up.
host::UnitInitialization& sptjFormUnit();

}  // namespace plugs::coreapp::sptj
