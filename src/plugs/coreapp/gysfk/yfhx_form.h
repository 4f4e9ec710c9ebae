// Tyfhxform: the prepayment write-off ("预付核销单", plug 1116): free amounts of a
// supplier's audited payments settle its processing orders and purchase bills. Its
// audit writes the supplier ledger vt_sys_hx_gys.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/advance_write_off_form.h"

namespace plugs::coreapp::gysfk {

class Tyfhxform : public TAdvanceWriteOffForm {
 public:
  Tyfhxform(host::FormModel* owner, host::TPlugItem* item);

  //! Ledger rows "预付冲减应付" for processing orders and purchase bills.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Removes its ledger rows.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! Tgysfkhxselectform for the supplier in the box.
  std::string selectSources() override;
  //! Tgysyfkselectform for the supplier in the box.
  std::string selectMoneySources() override;
};

//! What the prepayment write-off is (tables, header, both line kinds).
const WriteOffBillSpec& yfhxSpec();
//! Registers plug 1116.
void registerYfhxForm();
//! The unit's use-counted start-up.
host::UnitInitialization& yfhxFormUnit();

}  // namespace plugs::coreapp::gysfk
