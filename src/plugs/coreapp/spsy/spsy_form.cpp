// Tspsyform: the loss and gain bill. No counterparty, no discount: `je` = `dj` × `sl`
// and a typed `je` gives `dj`, a pick copies `pricein`. Deleting a bill made from a
// stocktake first marks that stocktake unprocessed and raises its version, so it can
// be processed anew or un-audited.
#include "plugs/coreapp/spsy/spsy_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::spsy {

const StockBillSpec& spsySpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1126",
               .caption = "损益单",
               .className = "Tspsyform",
               .guid = "{BFB84990-FE7F-4BF3-B7D3-540E0BF704D3}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_spsy",
               .header = {kSummaryBox, kStoreBox, kMakerBox, kRemarkBox},
               .masterJoins = {kStoreJoin, kMakerJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn,
                           kPriceColumn, kAmountColumn, kLineRemarkColumn},
               .insertTotal = "update dbo.vt_c_spsy set hjje = (select sum(je) from dbo.vt_c_spsy_mx where "
                              "billno = @billno) where billno = @billno",
               .deleteFirst = "update vt_c_sppd set version=version+1, isDone = 0 where billno in(select pdbillno "
                              "from vt_c_spsy where billno = @billno and isnull(pdbillno, '') <> '')",
               .headerRequired = {kStoreRequired}},
      .counterparty = kNoCounterparty,
      .lineDefaults = {{"sl", core::Value(1.0)}},
      .priceSource = "pricein",
      .priceTargets = {"dj"},
      .rule = LineRule::PriceQuantity};
  return spec;
}

Tspsyform::Tspsyform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, spsySpec()) {}

void registerSpsyForm() { registerSimpleBill<Tspsyform>(spsySpec().bill); }

host::UnitInitialization& spsyFormUnit() {
  static host::UnitInitialization unit(&registerSpsyForm);
  return unit;
}

}  // namespace plugs::coreapp::spsy
