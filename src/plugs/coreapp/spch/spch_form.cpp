// Tspchform: the sales bill. A pick writes the sale price to `old_dj` and then `dj`;
// `old_dj` is never recomputed. A bill whose lines sum to nothing saves a total of 0,
// not null, so the customer's open amounts read it as a number.
#include "plugs/coreapp/spch/spch_form.h"

#include "host/forms/money_format.h"
#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::spch {

const StockBillSpec& spchSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1121",
               .caption = "销货单",
               .className = "Tspchform",
               .guid = "{F48541A4-586A-4034-89F2-F005DA4356E2}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_spch",
               .header = {kStoreBox, kMakerBox, kOutboundBox, kSummaryBox, kAccountBox, kOtherFeesBox, kTotalBox,
                          {"edtbcsk", host::ControlKind::CurrencyEdit, "本次付款：", "bcsk", "", "", host::moneyFormat(host::MoneyKind::WholeAmount)},
                          kRemarkBox},
               .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin, kOutboundJoin, kAccountJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn,
                           kDiscountColumn, {"old_dj", "原单价", 80, "money", false}, kPriceColumn, kAmountColumn,
                           kLineRemarkColumn},
               .insertTotal = "update dbo.vt_c_spch set hjje = isnull((select sum(je) from dbo.vt_c_spch_mx "
                              "where billno = @billno),0) where billno = @billno",
               .updateTotal = "update dbo.vt_c_spch set hjje = isnull((select sum(je) from dbo.vt_c_spch_mx "
                              "where billno = @billno),0)  where billno = @billno",
               .headerRequired = {kStoreRequired}},
      .counterparty = kCustomer,
      .lineDefaults = {{"sl", core::Value(1.0)}, {"zk", core::Value(1.0)}},
      .priceSource = "pricesale",
      .priceTargets = {"old_dj", "dj"},
      .rule = LineRule::PriceQuantityDiscount};
  return spec;
}

Tspchform::Tspchform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, spchSpec()) {}

void registerSpchForm() { registerSimpleBill<Tspchform>(spchSpec().bill); }

host::UnitInitialization& spchFormUnit() {
  static host::UnitInitialization unit(&registerSpchForm);
  return unit;
}

}  // namespace plugs::coreapp::spch
