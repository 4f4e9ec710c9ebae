// Tzjzzform: the fund transfer bill ("资金转账单", plug 1114): each line takes an amount
// out of one settlement account and puts it into another; a successful audit opens the
// cash drawer.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

namespace plugs::coreapp::zjzz {

class Tzjzzform : public TSimpleBillForm {
 public:
  Tzjzzform(host::FormModel* owner, host::TPlugItem* item);

  //! The inherited creation, then the "账户余额" action that opens the balances page.
  void FormCreate() override;
  //! Both accounts chosen (the inherited checks), then two different accounts and an
  //! amount that is not zero; an empty amount becomes 0 before it is refused.
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
};

//! What the fund transfer bill is (tables, header, lines, checks, total).
const SimpleBillSpec& zjzzSpec();
//! Registers plug 1114.
void registerZjzzForm();
//! The unit's use-counted start-up.
host::UnitInitialization& zjzzFormUnit();

}  // namespace plugs::coreapp::zjzz
