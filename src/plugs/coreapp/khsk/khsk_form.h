// Tkhskform: the receipt ("收款单", plug 1112): money received from one customer into
// settlement accounts, written off against the customer's project orders and sales
// bills. Its audit writes the customer ledger vt_sys_hx_kh and recomputes every paid
// order; its un-audit takes those rows out unless an advance write-off uses the receipt.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/write_off_bill_form.h"

namespace plugs::coreapp::khsk {

class Tkhskform : public TWriteOffBillForm {
 public:
  Tkhskform(host::FormModel* owner, host::TPlugItem* item);

  //! Ledger rows, `hxje`, the operator, then sp_sys_calcxmzzkhj per paid order.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Refuses while an advance write-off names the receipt; else removes its ledger rows.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! Tkhskhxselectform for the customer in the box, the login's store, this bill.
  std::string selectSources() override;
};

//! What the receipt is (tables, header, lines, totals, messages).
const WriteOffBillSpec& khskSpec();
//! Registers plug 1112.
void registerKhskForm();
//! The unit's use-counted start-up.
host::UnitInitialization& khskFormUnit();

}  // namespace plugs::coreapp::khsk
