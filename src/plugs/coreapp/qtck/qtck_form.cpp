// Tqtckform: the other issue bill: a pick fills only the goods (the line starts at
// `dj` = 0, `je` = 0) and nothing is derived from the figures the user types; the
// saved total is the sum of the typed amounts.
#include "plugs/coreapp/qtck/qtck_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::qtck {

const StockBillSpec& qtckSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1123",
               .caption = "其它出库单",
               .className = "Tqtckform",
               .guid = "{C76F0C3A-DC8E-49A0-960F-E85A917829F6}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_qtck",
               .header = {kStoreBox, kMakerBox, kOutboundBox, kSummaryBox, kRemarkBox},
               .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin, kOutboundJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn,
                           kPriceColumn, kAmountColumn},
               .insertTotal = "update dbo.vt_c_qtck set hjje = (select sum(je) from dbo.vt_c_qtck_mx where "
                              "billno = @billno) where billno = @billno",
               .headerRequired = {kStoreRequired}},
      .counterparty = kCustomer,
      .lineDefaults = {{"sl", core::Value(1.0)}, {"dj", core::Value(core::Currency())}, {"je", core::Value(core::Currency())}},
      .priceSource = "",
      .priceTargets = {},
      .rule = LineRule::None};
  return spec;
}

Tqtckform::Tqtckform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, qtckSpec()) {}

void registerQtckForm() { registerSimpleBill<Tqtckform>(qtckSpec().bill); }

host::UnitInitialization& qtckFormUnit() {
  static host::UnitInitialization unit(&registerQtckForm);
  return unit;
}

}  // namespace plugs::coreapp::qtck
