// Tspykform: the transfer bill ("调拨单", plug 1124): goods moved from the store they
// leave to the store they enter. Lines carry quantities only; the bill's total is a
// quantity.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::spyk {

class Tspykform : public StockBillUnit<Tspykform> {
 public:
  Tspykform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the transfer bill is (tables, the two stores, lines, quantity total).
const StockBillSpec& spykSpec();
//! Registers plug 1124.
void registerSpykForm();
//! The unit's use-counted start-up.
host::UnitInitialization& spykFormUnit();

}  // namespace plugs::coreapp::spyk
