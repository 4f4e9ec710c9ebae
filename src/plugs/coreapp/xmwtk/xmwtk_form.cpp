// Txmwtkform: the description of the outsourced processing order and the hooks it adds
// to the goods-bill pattern: the order number beside the supplier, the default delivery
// method, the read-only customer and payable boxes.
#include "plugs/coreapp/xmwtk/xmwtk_form.h"

#include "host/forms/money_format.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/goods_columns.h"
#include "plugs/coreapp/xmzzk/size_hints.h"

namespace plugs::coreapp::xmwtk {

namespace {

// The customer is the linked project order's; it is shown, never stored here.
const DisplayJoin kOrderCustomerJoin{
    "kh.name kh_name",
    "left join vt_x_xmzzk xmzzk on t1.orgid = xmzzk.orgid and t1.orderbillno = xmzzk.billno "
    "left join vt_b_khbmk kh on xmzzk.kh_id = kh.id"};

const Counterparty kOutsourcer{"gys_id", "gys_code", "gys_name", "供应商信息查询", "请选择外协单位."};

}  // namespace

const StockBillSpec& xmwtkSpec() {
  static const StockBillSpec spec{
      .bill = {.code = "1102",
               .caption = "外协加工单",
               .className = "Txmwtkform",
               .guid = "{60BB895D-C33D-4348-A1AE-84CAF7322852}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_x_xmwtk",
               .header = {{"edtkh_name", host::ControlKind::Edit, "客户名称：", "kh_name"},
                          kSummaryBox,
                          kDeliveryBox,
                          {"edtaddr", host::ControlKind::Edit, "送货地址：", "addr"},
                          kStoreBox,
                          kMakerBox,
                          {"cbywy", host::ControlKind::LookupCombo, "业务员：", "ywy_name", "ywy_id", "yg"},
                          kAccountBox,
                          kOtherFeesBox,
                          {"edthjje", host::ControlKind::CurrencyEdit, "应付金额：", "hjje"},
                          {"edtbcfk", host::ControlKind::CurrencyEdit, "本次付款：", "bcfk", "", "", host::moneyFormat(host::MoneyKind::WholeAmount)},
                          {"memzzyq", host::ControlKind::Memo, "制作要求（双击可打开选择器）：", "zzyq"}},
               .masterJoins = {kSupplierJoin, kOrderCustomerJoin, kDeliveryJoin, kStoreJoin, kMakerJoin,
                               kSalespersonJoin, kAccountJoin},
               .lineJoins = {kServiceItemJoin},
               .lineDisplayFields = {"id", "xm_code", "xm_name", "xm_itemno", "xm_baseunit"},
               .columns = {{"xm_code", "项目编号", 100},
                           {"xm_name", "项目名称", 160, "", false},
                           {"xm_itemno", "规格", 90, "", false},
                           {"xm_baseunit", "单位", 50, "", false},
                           {"gcxmmc", "文件名", 120},
                           kQuantityColumn,
                           {"n", "份数", 60},
                           {"x", "长", 60},
                           {"y", "宽", 60},
                           kDiscountColumn,
                           kPriceColumn,
                           kAmountColumn,
                           kLineRemarkColumn},
               .insertTotal = "update dbo.vt_x_xmwtk set hjje = (select sum(je) from dbo.vt_x_xmwtk_mx where "
                              "billno = @billno) where billno = @billno"},
      .counterparty = kOutsourcer,
      .lineDefaults = {{"sl", core::Value(1.0)},
                       {"n", core::Value(1.0)},
                       {"x", core::Value(1.0)},
                       {"y", core::Value(1.0)},
                       {"zk", core::Value(1.0)}},
      .priceSource = "price_in",
      .priceTargets = {"dj"},
      .rule = LineRule::PriceAreaDiscount,
      .pick = kServiceItemPick};
  return spec;
}

Txmwtkform::Txmwtkform(host::FormModel* owner, host::TPlugItem* item) : StockBillUnit(owner, item, xmwtkSpec()) {
  addAction("actimportmx", "导入订单明细").onExecute = [this](host::Action& a) { actimportmxExecute(a); };
  action("actimportmx").onUpdate = [this](host::Action& a) { a.enabled = editMode; };
  host::Action& newSupplier = addAction("actnewgys", "新建");
  newSupplier.hint = "新供应商";
  newSupplier.onExecute = [this](host::Action& a) { actnewgysExecute(a); };
}

void Txmwtkform::FormCreate() {
  StockBillUnit::FormCreate();
  control("memzzyq").onDblClick = [this] { memzzyqDblClick(); };
  xmzzk::hintSizeColumns(control(detailGridName).columns);
}

void Txmwtkform::addLeadingControls() {
  StockBillUnit::addLeadingControls();
  host::Control& order = addControl(host::Control("edtorderbillno", host::ControlKind::ButtonEdit, "订单编号："));
  order.onButtonClick = [this] { edtorderbillnoPropertiesButtonClick(); };
}

void Txmwtkform::BeforeAppend() {
  StockBillUnit::BeforeAppend();
  control("edtorderbillno").text.clear();
  const host::Control& delivery = control("cbshfs");
  if (delivery.items.empty()) return;
  cdsMaster.fieldByName("shfs_name").setValue(core::Value(delivery.items.front()));
  cdsMaster.fieldByName("shfs_id").setValue(core::Value(delivery.itemIds.front()));
}

void Txmwtkform::fillMasterData() {
  StockBillUnit::fillMasterData();
  control("edtorderbillno").text = cdsMaster.fieldByName("orderbillno").asString();
}

void Txmwtkform::ComponentReadOnly(bool readOnly) {
  StockBillUnit::ComponentReadOnly(readOnly);
  control("edtkh_name").readOnly = true;
  control("edthjje").readOnly = true;
}

bool Txmwtkform::CheckBillError(std::string& message) {
  if (StockBillUnit::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName("orderbillno").setValue(core::Value(control("edtorderbillno").text));
  cdsMaster.post();
  return false;
}

void Txmwtkform::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  host::LogMsg("xm_id=" + ds.fieldByName("xm_id").asString());
  StockBillUnit::cdsDetailBeforePost(ds);
}

void registerXmwtkForm() { registerSimpleBill<Txmwtkform>(xmwtkSpec().bill); }

host::UnitInitialization& xmwtkFormUnit() {
  static host::UnitInitialization unit(&registerXmwtkForm);
  return unit;
}

}  // namespace plugs::coreapp::xmwtk
