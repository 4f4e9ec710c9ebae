// Tgysfkform: the payment ("付款单", plug 1113), the supplier-side twin of the
// receipt: money paid to one supplier, written off against the supplier's outsourced
// processing orders and purchase bills through the supplier ledger vt_sys_hx_gys. Its
// un-audit is never refused and recomputes nothing.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/write_off_bill_form.h"

namespace plugs::coreapp::gysfk {

class Tgysfkform : public TWriteOffBillForm {
 public:
  Tgysfkform(host::FormModel* owner, host::TPlugItem* item);

  //! Ledger rows and `hxje` of the payment.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Removes the payment's ledger rows and sets `hxje` to 0.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! Tgysfkhxselectform for the supplier in the box, the login's store, this bill.
  std::string selectSources() override;
};

//! What the payment is (tables, header, lines, totals, messages).
const WriteOffBillSpec& gysfkSpec();
//! Registers plug 1113.
void registerGysfkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& gysfkFormUnit();

}  // namespace plugs::coreapp::gysfk
