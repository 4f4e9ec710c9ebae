// Tsamplexmzzkform, creation: the quick-item grid, the line grid, the project name and
// the "结算" button, the actions of both popups, the dataset wiring; the unit's creator
// (store check, default customer) and its registration of plug 1103.
#include "plugs/coreapp/xmzzk/samplexmzzk_form.h"

#include <memory>
#include <optional>
#include <vector>

#include "core/abort.h"
#include "core/json.h"
#include "host/forms/money_format.h"
#include "host/plug/standard_rules.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/order_print_templates.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_sql.h"
#include "plugs/coreapp/xmzzk/size_hints.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

namespace {

host::GridColumn column(std::string field, std::string caption, bool readOnly = false) {
  host::GridColumn c;
  c.field = std::move(field);
  c.caption = std::move(caption);
  c.readOnly = readOnly;
  return c;
}

host::GridColumn money(std::string field, std::string caption, bool readOnly = false) {
  host::GridColumn c = column(std::move(field), std::move(caption), readOnly);
  c.editor = "money";
  c.format = host::moneyFormat(host::MoneyKind::Amount);
  return c;
}

}  // namespace

bool Tsamplexmzzkform::pricing = false;
bool Tsamplexmzzkform::reversePricing = false;

Tsamplexmzzkform::Tsamplexmzzkform(host::FormModel* owner, std::int64_t kh_id)
    : TBaseForm(owner, "Tsamplexmzzkform", "零散业务单"), kh_id(kh_id) {}

void Tsamplexmzzkform::FormCreate() {
  TBaseForm::FormCreate();
  SQLStore = {SamplexmzzkSql::quickList(), SamplexmzzkSql::saveBatch()};
  registerDataSet("cdslist", cdslist);
  registerDataSet("cdsmx", cdsmx);
  dsmx.setDataSet(&cdsmx);
  cdsmx.afterInsert = [this](dataset::ClientDataSet& ds) { cdsmxAfterInsert(ds); };
  cdslist.afterDelete = [this](dataset::ClientDataSet& ds) { cdslistAfterDelete(ds); };
  dsmx.onDataChange = [this](dataset::DataSource& s, const dataset::Field* f) {
    dsmxDataChange(s, f);
  };
  createControls();
  createActions();
  initxmlist_();
  initmxdata_();
  tempBillno = host::newid();
  billuid = host::newid();
}

void Tsamplexmzzkform::createControls() {
  // The store and time labels are shown as captions only; the form does not fill them.
  addControl(Control("lblck", ControlKind::Label, "所在门店："));
  addControl(Control("lbltime", ControlKind::Label, "开单时间："));
  addControl(Control("edtgcxmmc", ControlKind::Edit, "工程名称："));

  Control list("cxglist", ControlKind::Grid,
               "服务项目列表（右键菜单可以加入更多常用项目到列表）：");
  list.dataSet = "cdslist";
  list.readOnly = true;
  list.columns = {column("iclass", "类别", true),   column("code", "编号", true),
                  column("name", "名称", true),     column("itemno", "规格", true),
                  column("baseunit", "单位", true), money("price_sale", "零售价", true)};
  list.onDblClick = [this] { action("actmx_select").click(); };
  addControl(std::move(list));
  // The list popup's separator above the upkeep entries.
  addControl(Control("lbllistupkeep", ControlKind::Label, "维护常用项目列表"));

  Control lines("cxgmx", ControlKind::Grid, "制作项目清单：");
  lines.dataSet = "cdsmx";
  host::GridColumn je = money("je", "金额");
  je.footer = "sum";
  lines.columns = {column("xm_code", "项目编号", true),
                   column("xm_name", "项目名称", true),
                   column("xm_itemno", "规格", true),
                   column("xm_baseunit", "单位", true),
                   column("sl", "数量"),
                   column("n", "份数"),
                   column("x", "长"),
                   column("y", "宽"),
                   money("dj", "单价"),
                   je,
                   column("beizhu", "备注")};
  hintSizeColumns(lines.columns);
  lines.onDblClick = [this] { action("actmx_del").click(); };
  addControl(std::move(lines));

  addControl(Control("btnsave", ControlKind::Button, "结算")).onClick = [this] {
    action("actsave").click();
  };
}

void Tsamplexmzzkform::createActions() {
  using Exec = void (Tsamplexmzzkform::*)(host::Action&);
  const struct {
    const char* name;
    const char* caption;
    Exec exec;
  } table[] = {
      {"actmx_select", "加入制作清单(双击)", &Tsamplexmzzkform::actmx_selectExecute},
      {"actlist_add", "添加", &Tsamplexmzzkform::actlist_addExecute},
      {"actlist_del", "删除", &Tsamplexmzzkform::actlist_delExecute},
      {"actlist_ref", "刷新", &Tsamplexmzzkform::actlist_refExecute},
      {"actmx_add", "新增明细", &Tsamplexmzzkform::actmx_addExecute},
      {"actmx_del", "删除", &Tsamplexmzzkform::actmx_delExecute},
      {"actsave", "结算", &Tsamplexmzzkform::actsaveExecute},
  };
  for (const auto& entry : table) {
    host::Action& a = addAction(entry.name, entry.caption);
    Exec exec = entry.exec;
    a.onExecute = [this, exec](host::Action& sender) { (this->*exec)(sender); };
  }
}

void Tsamplexmzzkform::initxmlist_() {
  const host::SysAuth& login = host::sysAuth();
  host::openDataToCDS(cdslist, SQLStore[0], {{"orgid", login.orgid}, {"ck_id", login.ck_id}});
}

void Tsamplexmzzkform::initmxdata_() { host::openDataToCDS(cdsmx, SamplexmzzkSql::emptyLines()); }

// ---- creator and registration ---------------------------------------------------------

namespace {

// The default customer of the user's store; nullopt when the store has no row.
std::optional<std::int64_t> storeCustomer() {
  const std::string rows =
      host::openDataJson(SamplexmzzkSql::storeRow(), {{"ck_id", host::sysAuth().ck_id}});
  const std::vector<core::JsonRow> found = core::parseSelection(rows);
  if (found.empty()) return std::nullopt;
  return found.front().value("kh_id").asInteger();
}

}  // namespace

void samplexmzzkCreator(host::Owner owner) {
  std::optional<std::int64_t> kh = storeCustomer();
  if (!kh) {
    host::MessageMyDlg("未设置门店信息，请先在[基础资料-分店管理]设置", "提示",
                       host::mtInformation);
    throw core::Abort();
  }
  if (*kh == 0) {
    if (host::chooseDefaultCustomer(owner, host::sysAuth().ck_id) != host::mrOK)
      throw core::Abort();
    // The dialog has stored the customer it closed with: read it back so the order goes
    // to that customer rather than to none.
    kh = storeCustomer().value_or(0);
  }
  std::unique_ptr<Tsamplexmzzkform> form = host::makeForm<Tsamplexmzzkform>(owner, *kh);
  form->ShowModal();
}

void registerSamplexmzzkForm() {
  registerOrderPrintTemplates();
  host::TFormClass formClass{"Tsamplexmzzkform",
                             [](host::Owner owner) -> std::unique_ptr<host::FormModel> {
                               return std::make_unique<Tsamplexmzzkform>(owner, 0);
                             }};
  host::registerPackageItem(
      "{601BA803-50C8-4C44-85DD-BA79E49E3527}", "零散业务单", "1103", std::move(formClass),
      [](host::Owner owner, host::TPlugItem&, const std::string&, const std::string&,
         const std::vector<std::string>&) { samplexmzzkCreator(owner); },
      {{"_01", "修改默认客户"}, {"_02", "编辑常用项目"}});
}

host::UnitInitialization& samplexmzzkFormUnit() {
  static host::UnitInitialization unit(&registerSamplexmzzkForm);
  return unit;
}

}  // namespace plugs::coreapp::xmzzk
