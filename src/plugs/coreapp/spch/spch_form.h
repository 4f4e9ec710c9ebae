// Tspchform: the sales bill ("销货单", plug 1121): goods sold to a customer from a
// store, priced at the goods' sale price, which each line also keeps as `old_dj`.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::spch {

class Tspchform : public StockBillUnit<Tspchform> {
 public:
  Tspchform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the sales bill is (tables, header, lines, total).
const StockBillSpec& spchSpec();
//! Registers plug 1121.
void registerSpchForm();
//! The unit's use-counted start-up.
host::UnitInitialization& spchFormUnit();

}  // namespace plugs::coreapp::spch
