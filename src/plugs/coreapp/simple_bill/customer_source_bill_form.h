// TCustomerSourceBillForm: a customer bill whose lines each name one of the customer's
// own bills (a statement's orders and sales bills, an invoice's receipts). To the simple
// bill it adds the counterparty box, lines drawn from a source selector (each source
// once), the source's own editor on a double click, the "新客户" plug, and the
// "已复核" status of a reviewed bill. A bill class opens its selector and says which
// fields a chosen source gives its line.
#pragma once

#include <string>

#include "core/json.h"
#include "plugs/coreapp/simple_bill/counterparty_box.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"
#include "plugs/coreapp/simple_bill/source_lines.h"

namespace plugs::coreapp {

//! Where a bill's lines come from.
struct SourceLines {
  const char* panel;       //!< caption of the line grid ("客户对账明细表")
  const char* idField;     //!< the selector column holding the source's id ("hxbillid")
  const char* unreadable;  //!< refusal of a selection that cannot be read
};

class TCustomerSourceBillForm : public TSimpleBillForm {
 public:
  TCustomerSourceBillForm(host::FormModel* owner, host::TPlugItem* item, const SimpleBillSpec& spec,
                          const SourceLines& sources);

  const SourceLines& sources;
  CounterpartyBox counterpartyBox;  //!< "往来单位：" (text = code, tag = id)
  bool addingSources = false;       //!< true while chosen sources become lines

  //! The inherited creation; the line panel caption, its double click, "新客户"; the
  //! grid offers no new line and the lines take none but the selector's.
  void FormCreate() override;
  //! Empties the counterparty box.
  void BeforeAppend() override;
  //! The customer into its box; a reviewed bill (status 2) shows "已复核" in maroon.
  void fillMasterData() override;
  //! Counterparty box follows the switch.
  void ComponentReadOnly(bool readOnly) override;
  //! While editing, with a customer: the sources chosen in the selector become lines;
  //! without one: "请选择往来单位".
  void actDetail_AddExecute(host::Action& sender) override;
  //! One line per chosen source not yet on the bill (by `bizid` and `biztype`; JSON
  //! array text); a line its post refuses is taken back.
  void addSourceLines(const std::string& selection);
  //! The customer from its box into the header; none: "请选择往来单位.".
  bool CheckBillError(std::string& message) override;
  //! Not editing and with lines: the focused line's bill opens in the editor whose
  //! caption is the line's `biztype`.
  void cxgDetailDBTableView1DblClick();
  //! Opens the "新客户" plug.
  void actnewkhExecute(host::Action& sender);

 protected:
  //! The counterparty box and its pick.
  void addLeadingControls() override;
  //! Opens the bill's source selector for the customer in the box; the chosen rows as a
  //! JSON array text, "" when cancelled.
  virtual std::string selectSources() = 0;
  //! The line fields a chosen source gives, besides orgid, uid, billno, bizid, biztype.
  virtual LineValues sourceLineValues(const core::JsonRow& source) const = 0;
};

}  // namespace plugs::coreapp
