// Txmwtkform: the outsourced processing order ("外协加工单", plug 1102): work handed
// to a subcontractor for one project order. A goods-bill-shaped editor over service
// items priced by area (`je` = `dj` × `sl` × `n` × `x` × `y` × `zk`); its lines can be
// imported from the linked order, and its audit and un-audit recompute that order's
// outsourcing cost `wxcb` from every audited outsourced order naming it.
#pragma once

#include <string>

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace plugs::coreapp::xmwtk {

class Txmwtkform : public StockBillUnit<Txmwtkform> {
 public:
  Txmwtkform(host::FormModel* owner, host::TPlugItem* item);

  bool& isAutoFill = isFilling;  //!< true while lines are filled from a pick or an import

  //! The pattern's creation; a double click on the requirements memo picks them.
  void FormCreate() override;
  //! Empties the supplier and the order number; the first delivery method is the default.
  void BeforeAppend() override;
  //! Shows the supplier and the order number of the loaded bill.
  void fillMasterData() override;
  //! The customer name and the payable amount stay read-only whatever the switch says.
  void ComponentReadOnly(bool readOnly) override;
  //! The pattern's check ("请选择外协单位." without a supplier), then the order number
  //! typed or picked into its box goes to `orderbillno`.
  bool CheckBillError(std::string& message) override;
  //! Logs the line's item, then the pattern's refusal of a line without one.
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! The `wxcb` statement of the linked order ("" without an order number).
  void generateSqlAuditing_0(std::string& sql) override;
  //! The same statement as un-audit: the sum counts audited orders only.
  void generateSqlAuditing_1(std::string& sql) override;

  //! "导入订单明细": the linked order's ticked lines become lines of this bill.
  void actimportmxExecute(host::Action& sender);
  //! "新建": runs the host plug named by the action's hint ("新供应商").
  void actnewgysExecute(host::Action& sender);
  //! The order number's button: the order selector; the chosen order's number.
  void edtorderbillnoPropertiesButtonClick();
  //! Double click on the requirements memo: "制作要求查询" replaces its text.
  void memzzyqDblClick();
  //! Appends one line per object of an import result (a JSON array text).
  void importLines(const std::string& selection);

 protected:
  //! The supplier box, then the order number box.
  void addLeadingControls() override;
};

//! What the outsourced processing order is (tables, header, lines, total).
const StockBillSpec& xmwtkSpec();
//! The `wxcb` statement for order `orderBillno` ("" for none), :orgid filled.
std::string outsourcingCostSql(const std::string& orderBillno);
//! Registers plug 1102.
void registerXmwtkForm();
//! The unit's use-counted start-up.
host::UnitInitialization& xmwtkFormUnit();

}  // namespace plugs::coreapp::xmwtk
