// Tkhdzkform: the customer statement ("客户对账单", plug 1117): a customer's completed
// project orders and audited sales bills, each with its amount, received and owed
// figures, picked in the customer source selector's statement variant. Auditing only
// changes its state; un-auditing clears the reconciliation marks of its bills.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/customer_source_bill_form.h"

namespace plugs::coreapp::khsk {

class Tkhdzkform : public TCustomerSourceBillForm {
 public:
  Tkhdzkform(host::FormModel* owner, host::TPlugItem* item);

  //! The inherited creation and the review action.
  void FormCreate() override;
  //! New line: `hjje` := 0 (lines are filled from the selector).
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! Enabled on an audited statement (status 1) that is not being edited.
  bool reviewAllowed() const;
  //! The review: needs the "_07" right; after a confirmed review the statement reloads.
  void actdzkauditExecute(host::Action& sender);
  //! No SQL: auditing a statement only changes its state.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Clears the marks of the statement's lines and bills.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! The customer selector's statement variant for the customer, the login's store.
  std::string selectSources() override;
  //! A chosen bill's number, date, store and figures; not yet reconciled.
  LineValues sourceLineValues(const core::JsonRow& bill) const override;
};

//! What the customer statement is (tables, header, line grid and query).
const SimpleBillSpec& khdzkSpec();
//! Registers plug 1117.
void registerKhdzkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& khdzkFormUnit();

}  // namespace plugs::coreapp::khsk
