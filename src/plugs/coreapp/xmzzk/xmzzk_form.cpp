// TxmzzkForm, creation: the header controls, the product, staff and consumable grids,
// the order's actions with their enabled rules, the dataset wiring, and the unit's
// registration of plug 1100 with its rights.
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

#include "host/forms/money_format.h"
#include "host/plug/standard_rules.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/order_config.h"
#include "plugs/coreapp/xmzzk/order_controls.h"
#include "plugs/coreapp/xmzzk/order_print_log.h"
#include "plugs/coreapp/xmzzk/order_print_templates.h"
#include "plugs/coreapp/xmzzk/order_sql.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/size_hints.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

namespace {

// Bill settings that ship with the program for the project order: the order's queries
// and display-only header fields (order_config.h) and the line grid.
const std::string& defaultConfig() {
  static const std::string document = orderConfigDocument(R"json(
    {"fieldname": "xm_code", "label": "项目编号", "type": "button"},
    {"fieldname": "xm_name", "label": "项目名称", "editing": "false"},
    {"fieldname": "xm_itemno", "label": "规格", "editing": "false"},
    {"fieldname": "xm_baseunit", "label": "单位", "editing": "false"},
    {"fieldname": "x", "label": "长"},
    {"fieldname": "y", "label": "宽"},
    {"fieldname": "sl", "label": "数量", "footer": "true"},
    {"fieldname": "n", "label": "套数"},
    {"fieldname": "dj", "label": "单价", "type": "money"},
    {"fieldname": "zk", "label": "折扣"},
    {"fieldname": "je", "label": "金额", "type": "money", "footer": "true"},
    {"fieldname": "gcxmmc", "label": "工程名称"},
    {"fieldname": "beizhu", "label": "备注"})json");
  return document;
}

}  // namespace

bool TxmzzkForm::pricing = false;
bool TxmzzkForm::reversePricing = false;

TxmzzkForm::TxmzzkForm(host::FormModel* owner, host::TPlugItem* item)
    : TSampleBillEditRibbonForm(owner, item, "TxmzzkForm", "项目订单") {
  counterpartyField = "kh_id";
  statusCaptions = {"未处理", "处理中", "已完工", "已结算"};
}

void TxmzzkForm::FormCreate() {
  detailGridName = "cxgDetail";
  tableName = "vt_x_xmzzk";
  TSampleBillEditRibbonForm::FormCreate();
  if (billConfig.masterSql.empty()) {
    // No configuration document from the host: use the one the program ships.
    billConfig = host::BillConfig::parse(defaultConfig());
    MasterIgnorefields = billConfig.ignoreFields;
    genDetailColumns();
  }
  hintSizeColumns(control(detailGridName).columns);  // whichever document built them
  billOption = 2;
  registerDataSet("cdscpmx", cdscpmx);
  registerDataSet("cdszzry", cdszzry);
  registerDataSet("cdshc", cdshc);
  dscpmx.setDataSet(&cdscpmx);
  dszzry.setDataSet(&cdszzry);
  dshc.setDataSet(&cdshc);
  using DS = dataset::ClientDataSet;
  cdsDetail.afterPost = [this](DS& ds) { cdsDetailAfterPost(ds); };
  cdsDetail.beforeScroll = [this](DS& ds) { cdsDetailBeforeScroll(ds); };
  cdsDetail.afterScroll = [this](DS& ds) { cdsDetailAfterScroll(ds); };
  cdsDetail.beforeDelete = [this](DS& ds) { cdsDetailBeforeDelete(ds); };
  cdszzry.beforePost = [this](DS& ds) { cdszzryBeforePost(ds); };
  cdszzry.afterPost = [this](DS& ds) { cdszzryAfterPost(ds); };
  cdshc.beforePost = [this](DS& ds) { cdshcBeforePost(ds); };
  cdscpmx.afterInsert = [this](DS& ds) { cdscpmxAfterInsert(ds); };
  dscpmx.onDataChange = [this](dataset::DataSource& s, const dataset::Field* f) {
    dscpmxDataChange(s, f);
  };
  SQLStore = {OrderSql::printMergedLines(), OrderSql::printMemberCards()};
  onPrintDone = [this] { writeOrderPrintLog(plugCode(), PlugItem->caption, billno); };
  createOrderControls();
  createOrderActions();
  setActionRules();
}

void TxmzzkForm::createOrderControls() {
  createHeaderControls();
  createGrids();
}

void TxmzzkForm::createHeaderControls() {
  Control wldw("edtwldw", ControlKind::ButtonEdit, "往来单位：");
  // The customer is chosen only while the order is being edited.
  wldw.onButtonClick = [this] {
    if (editMode) setkhinfo(lookupPlug("客户会员查询", "", ""));
  };
  // Down, or Enter after a typed customer code: the quick lookup under the box.
  wldw.onKeyDown = [this](const std::string& key) {
    if (key == "Down" || key == "Enter") edtwldwKeyDown();
  };
  addControl(std::move(wldw));
  firstEditControl = "edtwldw";  // a new order starts with its customer
  addControl(Control("edtwldwmc", ControlKind::Edit));
  addControl(headerField("edtlxr", ControlKind::Edit, "联系人：", "lxr")).onClick = [this] {
    if (!editMode) return;
    if (customerId() == 0) {
      host::MessageMyDlg("请选择选择往来单位", "提示", host::mtInformation, host::mbOK);
      return;
    }
    openlxrform(customerId(), cdsMaster);
  };
  addControl(headerField("edttel", ControlKind::Edit, "联系电话：", "tel"));
  addControl(headerField("edtqq", ControlKind::Edit, "QQ：", "qq"));
  addControl(headerField("edtaddr", ControlKind::Edit, "送货地址：", "addr"));
  addControl(headerField("edtjhrq", ControlKind::DateEdit, "交货日期：", "jhrq"));
  addControl(headerField("edtjhsj", ControlKind::TimeEdit, "", "jhrq"));
  addControl(headerField("chkddtx", ControlKind::CheckBox, "订单提醒", "ddtx"));
  Control& leadHours = addControl(headerField("edttxsj", ControlKind::SpinEdit, "提前", "txsj"));
  leadHours.format = "0";
  leadHours.minValue = 0;  // hours before delivery: a whole number up to 999
  leadHours.maxValue = 999;
  addControl(Control("lbltxsj", ControlKind::Label, "小时"));
  addControl(headerField("cbbjjcd", ControlKind::ComboBox, "紧急程度：", "jjcd")).items = {
      "普通", "一级", "二级", "三级"};
  addControl(headerField("edtgcxmmc", ControlKind::ButtonEdit, "工程名称：", "gcxmmc"))
      .onButtonClick = [this] { pickProjectName(); };
  Control& fileDir =
      addControl(headerField("edtfiledir", ControlKind::ButtonEdit, "文件路径：", "filedir"));
  fileDir.onButtonClick = [this] { pickFileDir(); };
  fileDir.buttonWhenReadOnly = true;  // the bill's files can be looked at any time
  addControl(headerField("edtremark", ControlKind::Edit, "备注：", "remark"));
  addControl(headerField("edtzy", ControlKind::ButtonEdit, "摘要：", "zy"));
  addControl(headerField("edtzdzk", ControlKind::Edit, "整单折扣：", "zdzk"));
  addMoneyBoxes();
  addControl(headerField("memzzyq", ControlKind::Memo, "制作要求（双击可打开选择器）：", "zzyq"))
      .onDblClick = [this] { pickRequirements(); };
  addLookupCombos();
  addControl(headerField("cbbkhlx", ControlKind::ComboBox, "客户类型：", "khlx")).items = {
      "现结", "签单", "预存"};
  addControl(Control("lblispay", ControlKind::Label));
}

void TxmzzkForm::addMoneyBoxes() {
  const struct {
    const char* name;
    const char* caption;
    const char* field;
    bool visible;
  } boxes[] = {{"edthjje", "合计金额：", "hjje", true},
               {"edtyfk", "预收款：", "yfk", false},
               {"edtjmje", "减免：", "jmje", false},
               {"edthjsk", "已结：", "hjsk", true}};
  for (const auto& b : boxes) {
    Control& c = addControl(headerField(b.name, ControlKind::CurrencyEdit, b.caption, b.field));
    c.format = host::moneyFormat(host::MoneyKind::WholeAmount);
    c.visible = b.visible;
  }
  Control& wj = addControl(Control("edtwjje", ControlKind::CurrencyEdit, "未结："));
  wj.format = host::moneyFormat(host::MoneyKind::WholeAmount);
}

void TxmzzkForm::addLookupCombos() {
  const struct {
    const char* name;
    const char* caption;
    const char* field;
    const char* list;
    const char* idField;
    bool enabled;
  } combos[] = {{"cbbshfs", "送货方式：", "shfs_name", "shfs", "shfs_id", true},
                {"cbbck", "下单门店：", "ck_name", "ck", "ck_id", false},
                {"cbbkdr", "开单人：", "kdr_name", "yg", "kdr_id", false},
                {"cbbywy", "业务员：", "ywy_name", "yg", "ywy_id", true},
                {"cbbflow", "接待部门：", "flow_name", "flow", "flow_id", true}};
  for (const auto& c : combos) {
    Control& combo = addControl(headerField(c.name, ControlKind::LookupCombo, c.caption, c.field));
    combo.hint = c.idField;
    combo.enabled = c.enabled;
    BindLookupComboboxProperties(combo, c.list);
  }
}

void TxmzzkForm::createGrids() {
  Control products("cxgcpmx", ControlKind::Grid, "产品信息");
  products.dataSet = "cdscpmx";
  products.columns = {
      gridColumn("cpcode", "编号"), gridColumn("cpname", "名称"),     gridColumn("itemno", "规格"),
      gridColumn("dw", "单位"),     gridColumn("sl", "数量"),         gridColumn("dj", "单价"),
      gridColumn("je", "金额"),     gridColumn("gcxmmc", "工程名称"), gridColumn("beizhu", "备注")};
  addControl(std::move(products));
  // The button of the product code column: goods lookup with the cell text.
  addControl(boundControl("cxgcpmxcpcode", ControlKind::ButtonEdit, "编号", "cdscpmx", "cpcode"))
      .onButtonClick = [this] { addProductsFromLookup(); };
  Control staff = staffGrid();
  staff.columns[2].format = host::moneyFormat(host::MoneyKind::Points);
  staff.columns[3].format = host::moneyFormat(host::MoneyKind::SignedAmount);
  addControl(std::move(staff));
  addControl(consumablesGrid());
}

void TxmzzkForm::createOrderActions() {
  using Exec = void (TxmzzkForm::*)(host::Action&);
  const struct {
    const char* name;
    const char* caption;
    Exec exec;
  } table[] = {
      {"actNewCust", "新客户", &TxmzzkForm::actNewCustExecute},
      {"acthc_add", "添加耗材", &TxmzzkForm::acthc_addExecute},
      {"acthc_del", "删除", &TxmzzkForm::acthc_delExecute},
      {"actzzry_add", "添加制作人", &TxmzzkForm::actzzry_addExecute},
      {"actzzry_addme", "制作人为当前操作员", &TxmzzkForm::actzzry_addmeExecute},
      {"actzzry_agv", "平均分配", &TxmzzkForm::actzzry_agvExecute},
      {"actzzry_same", "其它明细与本行制作人一致", &TxmzzkForm::actzzry_sameExecute},
      {"actzzry_del", "删除", &TxmzzkForm::actzzry_delExecute},
      {"actcpmx_edit", "修改", &TxmzzkForm::actcpmx_editExecute},
      {"actcpmx_del", "删除", &TxmzzkForm::actcpmx_delExecute},
      {"acthistory", "历史订单价格查询", &TxmzzkForm::acthistoryExecute},
      {"actjiesuan", "结算", &TxmzzkForm::actjiesuanExecute},
      {"actzfflag", "作废", &TxmzzkForm::actzfflagExecute},
  };
  for (const auto& entry : table) {
    host::Action& a = addAction(entry.name, entry.caption);
    Exec exec = entry.exec;
    a.onExecute = [this, exec](host::Action& sender) { (this->*exec)(sender); };
  }
  // One button per share, 10% ... 90%, under the editor's own caption (its closing
  // bracket is the full-width one).
  addShareActions(*this, "自定义(选中员工）", [this](double perc) { setSelectedShare(perc); });
}

void TxmzzkForm::setActionRules() {
  auto when = [this](const std::string& name, std::function<bool()> rule) {
    action(name).onUpdate = [rule = std::move(rule)](host::Action& a) { a.enabled = rule(); };
  };
  auto lineEdit = [this] { return editMode && hasLine(); };
  when("actNewCust", [this] { return editMode; });
  when("acthc_add", lineEdit);
  when("acthc_del", [this] { return editMode && cdshc.active() && !cdshc.isEmpty(); });
  when("actzzry_add", [this] { return editMode; });
  when("actzzry_addme", lineEdit);
  when("actzzry_agv", lineEdit);
  when("actzzry_same", lineEdit);
  for (int perc = 10; perc <= 90; perc += 10)
    when("actzzry_" + std::to_string(perc),
         [this] { return editMode && cdszzry.active() && !cdszzry.isEmpty(); });
  when("actzzry_del", [this] { return editMode && cdszzry.active() && !cdszzry.isEmpty(); });
  when("actcpmx_edit", [this] { return editMode && cdscpmx.active() && !cdscpmx.isEmpty(); });
  when("actcpmx_del", [this] { return editMode && cdscpmx.active() && !cdscpmx.isEmpty(); });
  when("acthistory", [this] { return hasLine(); });
  when("actjiesuan", [this] { return !editMode && hasBill() && !flag("zfflag"); });
  when("actzfflag", [this] {
    return !editMode && hasBill() && masterInt("ispay") == 0 && !flag("dzflag") && !flag("zfflag");
  });
}

// ---- registration ----------------------------------------------------------------------

void registerXmzzkForm() {
  registerOrderPrintTemplates();
  host::TFormClass formClass{"TxmzzkForm",
                             [](host::Owner owner) -> std::unique_ptr<host::TBaseForm> {
                               return std::make_unique<TxmzzkForm>(owner, nullptr);
                             }};
  host::registerPackageItem("{D39C9544-629B-405D-930F-FDD40B0EF1D6}", "项目订单", "1100",
                            std::move(formClass), host::billEditorCreator(),
                            {{"_01", "添加"},
                             {"_02", "修改"},
                             {"_03", "删除"},
                             {"_04", "完工"},
                             {"_05", "草稿"},
                             {"_06", "打印"},
                             {"_061", "模板设置"},
                             {"_07", "结算"},
                             {"_08", "作废"},
                             {"_10", "附件"},
                             {"_20", "单据设置"}});
}

host::UnitInitialization& xmzzkFormUnit() {
  static host::UnitInitialization unit(&registerXmzzkForm);
  return unit;
}

}  // namespace plugs::coreapp::xmzzk
