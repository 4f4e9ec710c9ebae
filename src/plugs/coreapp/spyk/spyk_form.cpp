// Tspykform: the transfer bill. No counterparty, no price or amount: a pick fills only
// the goods, nothing is derived, and the saved total `hjsl` is the sum of the lines'
// quantities. Both stores are required (audit moves stock out of one into the other);
// they may be the same.
#include "plugs/coreapp/spyk/spyk_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::spyk {

namespace {

const HeaderField kOutStoreBox{"cbock", host::ControlKind::LookupCombo, "调出仓库：", "ock_name", "ock_id", "ck"};
const HeaderField kInStoreBox{"cbick", host::ControlKind::LookupCombo, "调入仓库：", "ick_name", "ick_id", "ck"};
const DisplayJoin kOutStoreJoin{"ock.name ock_name", "left join vt_b_ckbmk ock on t1.ock_id = ock.id"};
const DisplayJoin kInStoreJoin{"ick.name ick_name", "left join vt_b_ckbmk ick on t1.ick_id = ick.id"};

}  // namespace

const StockBillSpec& spykSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1124",
               .caption = "调拨单",
               .className = "Tspykform",
               .guid = "{366AB9F3-0E2E-4818-B057-4B94F6633472}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_spyk",
               .header = {kSummaryBox, kOutStoreBox, kMakerBox, kInStoreBox, kRemarkBox},
               .masterJoins = {kOutStoreJoin, kInStoreJoin, kMakerJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kQuantityColumn},
               .insertTotal = "update dbo.vt_c_spyk set hjsl = (select sum(sl) from dbo.vt_c_spyk_mx where "
                              "billno = @billno) where billno = @billno",
               .headerRequired = {{"ock_id", "请选择调出仓库."}, {"ick_id", "请选择调入仓库."}}},
      .counterparty = kNoCounterparty,
      .lineDefaults = {{"sl", core::Value(1.0)}},
      .priceSource = "",
      .priceTargets = {},
      .rule = LineRule::None};
  return spec;
}

Tspykform::Tspykform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, spykSpec()) {}

void registerSpykForm() { registerSimpleBill<Tspykform>(spykSpec().bill); }

host::UnitInitialization& spykFormUnit() {
  static host::UnitInitialization unit(&registerSpykForm);
  return unit;
}

}  // namespace plugs::coreapp::spyk
