// Tsptjform: the cost adjustment bill. No counterparty; a line is goods and an amount
// (0 on a new line, a pick sets none, negative and zero amounts are kept), and the
// saved total is the sum of the amounts.
#include "plugs/coreapp/sptj/sptj_form.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"

namespace plugs::coreapp::sptj {

namespace {

const HeaderField kOwnStoreBox{"cbck", host::ControlKind::LookupCombo, "开单门店：", "ck_name", "ck_id", "ck"};
const LineColumn kAdjustmentColumn{"je", "调整金额", 90, "money", true, true};

}  // namespace

const StockBillSpec& sptjSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1125",
               .caption = "成本调整单",
               .className = "Tsptjform",
               .guid = "{23CFA596-908E-4705-B56F-D73C670302F9}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_c_sptj",
               .header = {kSummaryBox, kOwnStoreBox, kMakerBox, kRemarkBox},
               .masterJoins = {kStoreJoin, kMakerJoin},
               .lineJoins = {kGoodsJoin},
               .lineDisplayFields = kGoodsLineDisplayFields,
               .columns = {kGoodsCodeColumn, kGoodsNameColumn, kItemNoColumn, kUnitColumn, kAdjustmentColumn},
               .insertTotal = "update dbo.vt_c_sptj set hjje = (select sum(je) from dbo.vt_c_sptj_mx where "
                              "billno = @billno) where billno = @billno",
               .headerRequired = {{"ck_id", "请选择开单门店."}}},
      .counterparty = kNoCounterparty,
      .lineDefaults = {{"je", core::Value(core::Currency())}},
      .priceSource = "",
      .priceTargets = {},
      .rule = LineRule::None};
  return spec;
}

Tsptjform::Tsptjform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, sptjSpec()) {}

void registerSptjForm() { registerSimpleBill<Tsptjform>(sptjSpec().bill); }

host::UnitInitialization& sptjFormUnit() {
  static host::UnitInitialization unit(&registerSptjForm);
  return unit;
}

}  // namespace plugs::coreapp::sptj
