// Tspjhform: the purchase bill ("购货单", plug 1120): goods bought from a supplier into a
// store, priced at the goods' purchase price, with a discount factor per line.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::spjh {

class Tspjhform : public StockBillUnit<Tspjhform> {
 public:
  Tspjhform(host::FormModel* owner, host::TPlugItem* item);
};

//! What the purchase bill is (tables, header, lines, total).
const StockBillSpec& spjhSpec();
//! Registers plug 1120.
void registerSpjhForm();
//! The unit's use-counted start-up.
host::UnitInitialization& spjhFormUnit();

}  // namespace plugs::coreapp::spjh
