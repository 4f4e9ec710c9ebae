// Tspjhform: the purchase bill. Everything but its description is the goods bill's:
// `je` = `dj` × `sl` × `zk`, a typed `je` gives `dj`, a pick copies `pricein`, and the
// saved total is the sum of the lines (other fees are not part of it).
#include "plugs/coreapp/spjh/spjh_form.h"

#include "host/forms/money_format.h"
#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::spjh {

const StockBillSpec& spjhSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1120",
               .caption = "购货单",
               .className = "Tspjhform",
               .guid = "{BD0B52CE-9F69-424F-B126-23514EF3715A}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_spjh",
               .header = {kStoreBox, kMakerBox, kInboundBox, kSummaryBox, kAccountBox, kOtherFeesBox, kTotalBox,
                          {"edtbcfk", host::ControlKind::CurrencyEdit, "本次付款：", "bcfk", "", "", host::moneyFormat(host::MoneyKind::WholeAmount)},
                          kRemarkBox},
               .masterJoins = {kSupplierJoin, kStoreJoin, kMakerJoin, kInboundJoin, kAccountJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn,
                           kDiscountColumn, kPriceColumn, kAmountColumn},
               .insertTotal = "update dbo.vt_c_spjh set hjje = (select sum(je) from dbo.vt_c_spjh_mx where "
                              "billno = @billno) where billno = @billno",
               .headerRequired = {kStoreRequired}},
      .counterparty = kSupplier,
      .lineDefaults = {{"sl", core::Value(1.0)}, {"zk", core::Value(1.0)}},
      .priceSource = "pricein",
      .priceTargets = {"dj"},
      .rule = LineRule::PriceQuantityDiscount};
  return spec;
}

Tspjhform::Tspjhform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, spjhSpec()) {}

void registerSpjhForm() { registerSimpleBill<Tspjhform>(spjhSpec().bill); }

host::UnitInitialization& spjhFormUnit() {
  static host::UnitInitialization unit(&registerSpjhForm);
  return unit;
}

}  // namespace plugs::coreapp::spjh
