// Tqtrkform: the other receipt bill: `je` = `dj` × `sl` (a typed `je` gives `dj`), a pick
// copies `pricein`; the saved total is the sum of the lines. The total is not shown.
#include "plugs/coreapp/qtck/qtrk_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::qtck {

const StockBillSpec& qtrkSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1122",
               .caption = "其它入库单",
               .className = "Tqtrkform",
               .guid = "{A973E02E-2A38-4C4C-B628-CBDFE831E4CE}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_qtrk",
               .header = {kStoreBox, kMakerBox, kInboundBox, kSummaryBox, kRemarkBox},
               .masterJoins = {kSupplierJoin, kStoreJoin, kMakerJoin, kInboundJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn,
                           kPriceColumn, kAmountColumn},
               .insertTotal = "update dbo.vt_c_qtrk set hjje = (select sum(je) from dbo.vt_c_qtrk_mx where "
                              "billno = @billno) where billno = @billno",
               .headerRequired = {kStoreRequired}},
      .counterparty = kSupplier,
      .lineDefaults = {{"sl", core::Value(1.0)}},
      .priceSource = "pricein",
      .priceTargets = {"dj"},
      .rule = LineRule::PriceQuantity};
  return spec;
}

Tqtrkform::Tqtrkform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, qtrkSpec()) {}

void registerQtrkForm() { registerSimpleBill<Tqtrkform>(qtrkSpec().bill); }

host::UnitInitialization& qtrkFormUnit() {
  static host::UnitInitialization unit(&registerQtrkForm);
  return unit;
}

}  // namespace plugs::coreapp::qtck
