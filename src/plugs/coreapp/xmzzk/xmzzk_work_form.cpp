// Txmzzkworkform, creation: the read-only header editors, the line, staff and
// consumable grids with the tab container, the actions, the dataset wiring, and the
// unit's registration of plug 1101 with its creator (a modal window).
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

#include <initializer_list>

#include "core/json.h"
#include "host/forms/bill_config.h"
#include "host/forms/my_cx_grid.h"
#include "host/plug/standard_rules.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "plugs/coreapp/xmzzk/order_controls.h"
#include "plugs/coreapp/xmzzk/order_print_templates.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_config.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

namespace {

// Footer aggregates of a grid's columns, in column order ("" = none).
void setFooters(Control& grid, std::initializer_list<const char*> footers) {
  std::size_t i = 0;
  for (const char* footer : footers) grid.columns.at(i++).footer = footer;
}

}  // namespace

bool Txmzzkworkform::pricing = false;
bool Txmzzkworkform::reversePricing = false;

Txmzzkworkform::Txmzzkworkform(host::FormModel* owner, host::TPlugItem* item)
    : TBaseRibbonForm(owner, item, "Txmzzkworkform", "处理项目订单") {}

Txmzzkworkform::~Txmzzkworkform() = default;

std::string Txmzzkworkform::configDocument() const {
  std::string doc = host::getplugInfo(plugCode());
  // Without settings of the user's own the window works with the shipped ones.
  return doc.empty() ? workFormDefaultConfig() : doc;
}

void Txmzzkworkform::FormCreate() {
  TBaseRibbonForm::FormCreate();
  CustBillRule = std::make_unique<host::TCustBillRule>(plugCode());
  MasterIgnorefields = host::BillConfig::parse(configDocument()).ignoreFields;
  registerDataSet("cdsMaster", cdsMaster);
  registerDataSet("cdsDetail", cdsDetail);
  registerDataSet("cdszzry", cdszzry);
  registerDataSet("cdshc", cdshc);
  registerDataSet("cdscpmx", cdscpmx);
  dsMaster.setDataSet(&cdsMaster);
  dsDetail.setDataSet(&cdsDetail);
  using DS = dataset::ClientDataSet;
  dsDetail.onDataChange = [this](dataset::DataSource& s, const dataset::Field* f) {
    dsDetailDataChange(s, f);
  };
  cdsDetail.afterInsert = [this](DS& ds) { cdsDetailAfterInsert(ds); };
  cdsDetail.beforePost = [this](DS& ds) { cdsDetailBeforePost(ds); };
  cdsDetail.afterPost = [this](DS& ds) { cdsDetailAfterPost(ds); };
  cdsDetail.beforeScroll = [this](DS& ds) { cdsDetailBeforeScroll(ds); };
  cdsDetail.afterScroll = [this](DS& ds) { cdsDetailAfterScroll(ds); };
  cdszzry.beforePost = [this](DS& ds) { cdszzryBeforePost(ds); };
  cdszzry.afterPost = [this](DS& ds) { cdszzryAfterPost(ds); };
  cdshc.beforePost = [this](DS& ds) { cdshcBeforePost(ds); };
  createHeaderControls();
  createGrids();
  createActions();
  initColumns_(plugCode(), control("cxgDetail"));
}

void Txmzzkworkform::FormClose() {
  host::TMyCxGrid::storeGridColumnStyle(control("cxgDetail"), plugCode());
  TBaseRibbonForm::FormClose();
}

void Txmzzkworkform::createHeaderControls() {
  addControl(Control("grpMaster", ControlKind::Label, "订单信息（浏览）"));
  addControl(Control("lblbillno", ControlKind::Label));
  addControl(Control("lbldate", ControlKind::Label));
  addControl(Control("lbltime", ControlKind::Label));
  addControl(Control("edtwldw", ControlKind::Edit, "往来单位："));
  addControl(Control("edtwldwmc", ControlKind::Edit));
  addControl(headerField("edtlxr", ControlKind::Edit, "联系方式：", "lxr"));
  addControl(headerField("edttel", ControlKind::Edit, "", "tel"));
  addControl(headerField("edtqq", ControlKind::Edit, "", "qq"));
  addControl(headerField("edtaddr", ControlKind::Edit, "送货地址：", "addr"));
  addControl(headerField("edtjhrq", ControlKind::DateEdit, "交货日期：", "jhrq"));
  addControl(headerField("edtjhsj", ControlKind::TimeEdit, "", "jhrq"));
  addControl(headerField("cbbjjcd", ControlKind::ComboBox, "紧急程度：", "jjcd")).items = {
      "普通", "一级", "二级", "三级"};
  // Shown for the layout's sake: the delivery method is not bound to any field.
  addControl(Control("cbbshfs", ControlKind::Edit, "送货方式："));
  addControl(headerField("edtck", ControlKind::Edit, "开单门店：", "ck_name"));
  addControl(headerField("edtkdr", ControlKind::Edit, "开单人：", "kdr_name"));
  addControl(headerField("edtflow", ControlKind::Edit, "接待部门：", "flow_name"));
  addControl(headerField("edtywy", ControlKind::Edit, "业务员：", "ywy_name"));
  addControl(headerField("edtgcxmmc", ControlKind::Edit, "工程名称：", "gcxmmc"));
  Control& fileDir =
      addControl(headerField("edtfiledir", ControlKind::ButtonEdit, "文件路径：", "filedir"));
  fileDir.onButtonClick = [this] {
    if (!billno.empty() && !cdsMaster.fieldByName("filedir").asString().empty())
      host::openFileExplorer(this, billno);
  };
  fileDir.buttonWhenReadOnly = true;  // the header is read-only here, its files are not
  addControl(headerField("memzzyq", ControlKind::Memo, "制作要求：", "zzyq"));
  addControl(headerField("edtzy", ControlKind::Edit, "摘要：", "zy"));
  addControl(headerField("edtremark", ControlKind::Edit, "备注：", "remark"));
}

void Txmzzkworkform::createGrids() {
  addControl(Control("grpDetail", ControlKind::Label, "明细项目（可编辑）"));
  Control lines("cxgDetail", ControlKind::Grid);
  lines.dataSet = "cdsDetail";
  addControl(std::move(lines));
  // The staff / consumables tab container: its text is the active tab; its caption
  // button adds to whichever tab is active.
  Control tabs("pcDetail", ControlKind::ComboBox);
  tabs.items = {"员工业绩", "生产耗材"};
  tabs.text = tabs.items.front();
  addControl(std::move(tabs));
  addControl(Control("btnpcAdd", ControlKind::Button, "添加")).onClick = [this] {
    action(control("pcDetail").text == "生产耗材" ? "acthc_add" : "actzzry_add").execute();
  };
  Control staff = staffGrid();
  setFooters(staff, {"count", "sum", "sum", "sum"});
  staff.columns[0].footerCaption = "合计：";
  staff.columns[0].readOnly = true;
  staff.columns[2].visible = staff.columns[3].visible = false;
  addControl(std::move(staff));
  Control hc = consumablesGrid();
  setFooters(hc, {"count", "", "", "", "sum", "sum"});
  hc.columns[0].footerCaption = "合计：";
  for (int i = 0; i < 4; ++i) hc.columns[static_cast<std::size_t>(i)].readOnly = true;
  addControl(std::move(hc));
}

void Txmzzkworkform::createActions() {
  using Exec = void (Txmzzkworkform::*)(host::Action&);
  const struct {
    const char* name;
    const char* caption;
    Exec exec;
  } table[] = {
      {"actsave", "保存", &Txmzzkworkform::actsaveExecute},
      {"actFlowView", "订单跟踪", &Txmzzkworkform::actFlowViewExecute},
      {"actticket", "沟通记录", &Txmzzkworkform::actticketExecute},
      {"actprint", "打印", &Txmzzkworkform::actprintExecute},
      {"actbillconfig", "设置", &Txmzzkworkform::actbillconfigExecute},
      {"actDetail_add", "新增明细", &Txmzzkworkform::actDetail_addExecute},
      {"actDetail_edit", "修改", &Txmzzkworkform::actDetail_editExecute},
      {"actDetail_del", "删除", &Txmzzkworkform::actDetail_delExecute},
      {"actzzry_add", "添加制作人", &Txmzzkworkform::actzzry_addExecute},
      {"actzzry_addme", "制作人为当前操作员", &Txmzzkworkform::actzzry_addmeExecute},
      {"actzzry_same", "其它明细与本行制作人一致", &Txmzzkworkform::actzzry_sameExecute},
      {"actzzry_agv", "平均分配", &Txmzzkworkform::actzzry_agvExecute},
      {"actzzry_del", "删除", &Txmzzkworkform::actzzry_delExecute},
      {"acthc_add", "添加耗材", &Txmzzkworkform::acthc_addExecute},
      {"acthc_del", "删除", &Txmzzkworkform::acthc_delExecute},
  };
  for (const auto& entry : table) {
    host::Action& a = addAction(entry.name, entry.caption);
    Exec exec = entry.exec;
    a.onExecute = [this, exec](host::Action& sender) { (this->*exec)(sender); };
  }
  // One button per share, 10% ... 90%, the share is the button's tag.
  addShareActions(*this, "自定义(选中员工)", [this](double perc) { setSelectedShare(perc); });
  for (const char* name : {"actDetail_edit", "actDetail_del"})
    action(name).onUpdate = [this](host::Action& a) { a.enabled = hasLine(); };
}

// ---- registration --------------------------------------------------------------------

void openWorkForm(host::Owner owner, host::TPlugItem& item, const std::string& number) {
  // From the ribbon no order is given: production picks an order not yet completed.
  const std::string billno = number.empty() ? selectOrderBillno(owner, false) : number;
  if (billno.empty()) return;
  auto form = std::make_unique<Txmzzkworkform>(owner, &item);
  form->initialize();
  form->OpenBillData(billno);
  form->ShowModal();
}

void registerXmzzkWorkForm() {
  registerOrderPrintTemplates();
  host::registerDefaultBillConfig("1101", workFormDefaultConfig());
  host::TFormClass formClass{"Txmzzkworkform",
                             [](host::Owner owner) -> std::unique_ptr<host::FormModel> {
                               return std::make_unique<Txmzzkworkform>(owner, nullptr);
                             }};
  host::registerPackageItem(
      "{73F94A46-DE96-4589-B400-0BCE0F52D099}", "处理项目订单", "1101", std::move(formClass),
      [](host::Owner owner, host::TPlugItem& item, const std::string& billno, const std::string&,
         const std::vector<std::string>&) { openWorkForm(owner, item, billno); },
      {{"_02", "修改"}, {"_06", "打印"}, {"_061", "模板设置"}});
}

host::UnitInitialization& xmzzkWorkFormUnit() {
  static host::UnitInitialization unit(&registerXmzzkWorkForm);
  return unit;
}

}  // namespace plugs::coreapp::xmzzk
