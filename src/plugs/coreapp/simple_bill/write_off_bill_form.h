// TWriteOffBillForm: the receipt and payment editor. To the simple bill it adds the
// counterparty box, account lines that need an account and an amount, the write-off
// lines (dataset cdshxmx, one per paid bill, picked in the bill's source selector), the
// check that the write-offs stay within the amount plus the discount, the save batch
// that writes both line tables, the print of both, and the cash drawer after an audit.
// A bill class adds its audit / un-audit SQL and opens its own source selector.
#pragma once

#include <string>
#include <vector>

#include "plugs/coreapp/simple_bill/counterparty_box.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"
#include "plugs/coreapp/simple_bill/write_off_bill_spec.h"

namespace plugs::coreapp {

class TWriteOffBillForm : public TSimpleBillForm {
 public:
  TWriteOffBillForm(host::FormModel* owner, host::TPlugItem* item, const WriteOffBillSpec& writeOff);

  const WriteOffBillSpec& writeOff;              //!< what this bill is
  CounterpartyBox counterpartyBox;               //!< "往来单位：" (text = code, tag = id)
  dataset::ClientDataSet cdshxmx{"cdshxmx"};     //!< write-off lines ("按单核销明细")
  dataset::DataSource dshxmx;                    //!< watches cdshxmx
  std::string hxmxSql;                           //!< the write-off line query, kept at creation
  bool addingWriteOffs = false;                  //!< true while chosen bills become lines

  //! Keeps the line query, the inherited creation, the write-off grid and its actions.
  void FormCreate() override;
  //! Empties the counterparty box and the write-off lines.
  void BeforeAppend() override;
  //! Shows the header's counterparty in its box.
  void fillMasterData() override;
  //! The inherited open, then the write-off lines of the bill.
  void opendataEx(const std::string& number) override;
  //! Counterparty box follows the switch; totals stay read-only.
  void ComponentReadOnly(bool readOnly) override;
  //! New account line: `je` := 0.
  void cdsDetailAfterInsert(dataset::ClientDataSet& ds) override;
  //! An account line needs an account and an amount.
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! A chosen account name gives the line its `zh_id`.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  //! A write-off above the open amount is refused (error box).
  void cdshxmxBeforePost(dataset::ClientDataSet& ds);
  //! Counterparty and discount into the header, then write-offs <= amount + discount.
  bool CheckBillError(std::string& message) override;
  //! Deletes header, account lines and write-off lines.
  int delete_() override;
  //! The inherited audit; when it audited, the cash drawer opens.
  int AuditingData_1() override;
  //! Prints header, account lines and write-off lines.
  void actPrintExecute(host::Action& sender) override;
  //! While editing: picks the counterparty into its box (the header is not written).
  void edtwldwPropertiesButtonClick();
  //! While editing: the bills chosen in the source selector become write-off lines.
  virtual void acthxmx_AddExecute(host::Action& sender);
  //! One write-off line per chosen bill not yet on the bill (JSON array text).
  void addWriteOffLines(const std::string& selection);

 protected:
  //! The counterparty box ("往来单位：", its button picks) and the name beside it.
  void addLeadingControls() override;
  //! Adds the write-off line statements to the simple bill's.
  host::BillSaveTexts saveTexts(bool isNew) const override;
  //! One line of `target` per chosen row not yet on it (by `bizid` and `biztype`).
  void addChosenLines(dataset::ClientDataSet& target, const std::string& selection);
  //! Opens the bill's source selector for the counterparty in the box; the chosen
  //! bills as a JSON array text, "" when cancelled.
  virtual std::string selectSources() = 0;
  //! The paid-bill numbers of the write-off lines of one kind, in line order.
  std::vector<std::string> paidBillnos(const char* biztype);

 private:
  void addWriteOffGrid();
  void chooseAccountNames();
};

}  // namespace plugs::coreapp
