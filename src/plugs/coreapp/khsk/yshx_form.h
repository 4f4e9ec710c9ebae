// Tyshxform: the advance receipt write-off ("预收核销单", plug 1115): free amounts of a
// customer's audited receipts settle its project orders and sales bills. Its audit
// writes the customer ledger vt_sys_hx_kh and recomputes every paid order.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/advance_write_off_form.h"

namespace plugs::coreapp::khsk {

class Tyshxform : public TAdvanceWriteOffForm {
 public:
  Tyshxform(host::FormModel* owner, host::TPlugItem* item);

  //! Ledger rows "预收冲减应收", the operator, then sp_sys_calcxmzzkhj per paid order.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Removes its ledger rows and recomputes every paid order.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! Tkhskhxselectform (not the statement variant) for the customer in the box.
  std::string selectSources() override;
  //! Tkhyskselectform for the customer in the box.
  std::string selectMoneySources() override;

 private:
  //! One recomputation line per project order on the write-off lines.
  std::string orderRecomputations();
};

//! What the advance receipt write-off is (tables, header, both line kinds).
const WriteOffBillSpec& yshxSpec();
//! Registers plug 1115.
void registerYshxForm();
//! The unit's use-counted start-up.
host::UnitInitialization& yshxFormUnit();

}  // namespace plugs::coreapp::khsk
