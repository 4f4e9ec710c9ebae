// Tkhdzkform: the customer statement ("客户对账单", plug 1117): a customer's completed
// project orders and audited sales bills, each with its amount, received and owed
// figures, picked in the customer source selector's statement variant. Auditing only
// changes its state; un-auditing clears the reconciliation marks of its bills.
#pragma once

#include <string>

#include "core/json.h"
#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/counterparty_box.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

namespace plugs::coreapp::khsk {

class Tkhdzkform : public TSimpleBillForm {
 public:
  Tkhdzkform(host::FormModel* owner, host::TPlugItem* item);

  CounterpartyBox counterpartyBox;  //!< "往来单位：" (text = code, tag = id)

  //! The inherited creation; the line panel is "客户对账明细表".
  void FormCreate() override;
  //! Empties the counterparty box.
  void BeforeAppend() override;
  //! The customer into its box; a reviewed statement shows "已复核" in maroon.
  void fillMasterData() override;
  //! Counterparty box follows the switch.
  void ComponentReadOnly(bool readOnly) override;
  //! New line: `hjje` := 0 (lines are filled from the selector).
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! While editing: the bills chosen in the statement selector become lines.
  void actDetail_AddExecute(host::Action& sender) override;
  //! One line per chosen bill not yet on the statement (JSON array text).
  void addStatementLines(const std::string& selection);
  //! The customer from its box into the header; none: "请选择往来单位.".
  bool CheckBillError(std::string& message) override;
  //! Not editing and with lines: the focused line's bill opens in its own editor.
  void cxgDetailDBTableView1DblClick();
  //! Opens the "新客户" plug.
  void actnewkhExecute(host::Action& sender);
  //! Enabled on an audited statement (status 1) that is not being edited.
  bool reviewAllowed() const;
  //! The review: needs the "_07" right; after a confirmed review the statement reloads.
  void actdzkauditExecute(host::Action& sender);
  //! No SQL: auditing a statement only changes its state.
  void generateSqlAuditing_1(std::string& sql) override;
  //! Clears the marks of the statement's lines and bills.
  void generateSqlAuditing_0(std::string& sql) override;

 protected:
  //! The counterparty box and its pick.
  void addLeadingControls() override;

 private:
  void appendStatementLine(const core::JsonRow& bill);
};

//! What the customer statement is (tables, header, line grid and query).
const SimpleBillSpec& khdzkSpec();
//! Registers plug 1117.
void registerKhdzkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& khdzkFormUnit();

}  // namespace plugs::coreapp::khsk
