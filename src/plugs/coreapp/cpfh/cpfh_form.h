// Tcpfhform: the shipment bill ("成品发货单", plug 1105): finished work handed to one
// customer. Its lines are never typed: they are picked from the customer's completed
// order lines that still have quantity to ship, each keeping the order line's id, and
// its audit adds the shipped quantity to that line's `fhsl_ok` (un-audit takes it off).
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::cpfh {

class Tcpfhform : public StockBillUnit<Tcpfhform> {
 public:
  Tcpfhform(host::FormModel* owner, host::TPlugItem* item);

  bool& isAutoFill = isFilling;  //!< true while picked order lines are appended

  //! The pattern's creation; the line panel gets its caption, and its grid neither adds
  //! nor deletes lines (an append outside a pick is a silent abort).
  void FormCreate() override;
  //! Without a customer: "请选择往来单位"; else the pending-shipment selector, and each
  //! chosen order line not yet on the bill becomes a line shipping all that is open.
  void actDetail_AddExecute(host::Action& sender) override;
  //! Appends the chosen order lines (a JSON array text), each order line once.
  void addPickedLines(const std::string& selection);
  //! The statement that takes the bill's quantities off its order lines.
  void generateSqlAuditing_0(std::string& sql) override;
  //! The statement that adds the bill's quantities to its order lines.
  void generateSqlAuditing_1(std::string& sql) override;
};

//! What the shipment bill is (tables, header, lines, line query).
const StockBillSpec& cpfhSpec();
//! The statement moving the shipped quantities of bill `billno` onto its order lines:
//! `sign` '+' on audit, '-' on un-audit; :orgid filled.
std::string shippedQuantitySql(char sign, const std::string& billno);
//! Registers plug 1105.
void registerCpfhForm();
//! The unit's use-counted start-up.
host::UnitInitialization& cpfhFormUnit();

}  // namespace plugs::coreapp::cpfh
