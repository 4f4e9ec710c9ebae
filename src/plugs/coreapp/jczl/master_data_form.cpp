// TMasterDataForm: the edit area is the one row of cdsEdit, read afresh from the
// database whenever the focus moves (so its version is the one the save compares). Every
// check that depends on other rows — a code taken, a row changed, a row in use — runs in
// the database inside the batch that writes; the page only says which one refused.
#include "plugs/coreapp/jczl/master_data_form.h"

#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/standard_rules.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/jczl/master_data_import.h"
#include "plugs/coreapp/jczl/master_data_sql.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp::jczl {

namespace {

host::ControlKind controlKind(FieldKind kind) {
  switch (kind) {
    case FieldKind::Money:
      return host::ControlKind::CurrencyEdit;
    case FieldKind::Choice:
      return host::ControlKind::ComboBox;
    case FieldKind::Lookup:
      return host::ControlKind::LookupCombo;
    default:
      return host::ControlKind::Edit;
  }
}

}  // namespace

TMasterDataForm::TMasterDataForm(host::FormModel* owner, const MasterDataPageSpec& spec)
    : TBaseRibbonForm(owner, nullptr, spec.className, spec.caption), spec(spec) {
  registerDataSet("cdsList", cdsList);
  registerDataSet("cdsEdit", cdsEdit);
}

void TMasterDataForm::FormCreate() {
  TBaseRibbonForm::FormCreate();
  addSearchBox();
  addEditArea();
  children_ = std::make_unique<MasterDataChildren>(*this);
  addListGrid();
  addActions();
  cdsList.afterScroll = [this](dataset::ClientDataSet&) {
    if (!editing_) loadFocusedRow();
  };
  if (spec.addPageActions != nullptr) spec.addPageActions(*this);
  firstEditControl = "edtcode";
  reloadList(0);
}

void TMasterDataForm::addSearchBox() {
  host::Control key("edtKey", host::ControlKind::Edit, "查找");
  key.onKeyDown = [this](const std::string& k) {
    if (k == "Enter") actSearchExecute(action("actSearch"));
  };
  addControl(std::move(key));
}

void TMasterDataForm::addEditArea() {
  const auto bound = [this](const std::string& name, const std::string& field,
                            const std::string& caption, host::ControlKind kind) -> host::Control& {
    host::Control c("edt" + name, kind, caption);
    c.dataSet = "cdsEdit";
    c.dataField = field;
    c.readOnly = true;
    return addControl(std::move(c));
  };
  bound("code", "code", "编号", host::ControlKind::Edit);
  bound("name", "name", "名称", host::ControlKind::Edit);
  for (const MasterField& f : spec.fields) {
    const bool lookup = f.kind == FieldKind::Lookup;
    host::Control& c =
        bound(f.field, lookup ? f.field + "_name" : f.field, f.caption, controlKind(f.kind));
    if (f.kind == FieldKind::Money) c.format = "0.0000";
    if (f.kind == FieldKind::Choice) c.items = f.items;
    if (!lookup) continue;
    c.hint = f.field;
    BindLookupComboboxProperties(c, f.list);
  }
}

void TMasterDataForm::addListGrid() {
  host::Control grid("cxgList", host::ControlKind::Grid, spec.caption);
  grid.dataSet = "cdsList";
  grid.readOnly = true;
  grid.columns = {reportTextColumn("code", "编号", 8), reportTextColumn("name", "名称", 16)};
  for (const MasterField& f : spec.fields) {
    if (!f.inList) continue;
    if (f.kind == FieldKind::Money)
      grid.columns.push_back(reportMoneyColumn(f.field.c_str(), f.caption.c_str(), false));
    else
      grid.columns.push_back(
          reportTextColumn((f.kind == FieldKind::Lookup ? f.field + "_name" : f.field).c_str(),
                           f.caption.c_str(), f.width));
  }
  grid.columns.push_back(reportTextColumn("zt", "状态", 5));
  grid.onDblClick = [this] { actEditExecute(action("actEdit")); };
  addControl(std::move(grid));
}

void TMasterDataForm::addActions() {
  struct Spec {
    const char* name;
    const char* caption;
    void (TMasterDataForm::*run)(host::Action&);
    std::function<bool(TMasterDataForm&)> enabled;
  };
  const auto browsing = [](TMasterDataForm& f) { return !f.editing_; };
  const auto onRow = [](TMasterDataForm& f) { return !f.editing_ && f.focusedId() != 0; };
  std::vector<Spec> specs = {
      {"actSearch", "查询", &TMasterDataForm::actSearchExecute, browsing},
      {"actAdd", "新增", &TMasterDataForm::actAddExecute, browsing},
      {"actEdit", "修改", &TMasterDataForm::actEditExecute, onRow},
      {"actSave", "保存", &TMasterDataForm::actSaveExecute,
       [](TMasterDataForm& f) { return f.editing_; }},
      {"actCancel", "取消", &TMasterDataForm::actCancelExecute,
       [](TMasterDataForm& f) { return f.editing_; }},
      {"actDisable", "停用", &TMasterDataForm::actDisableExecute,
       [onRow](TMasterDataForm& f) { return onRow(f) && !f.focusedDisabled(); }},
      {"actEnable", "启用", &TMasterDataForm::actEnableExecute,
       [onRow](TMasterDataForm& f) { return onRow(f) && f.focusedDisabled(); }},
      {"actDelete", "删除", &TMasterDataForm::actDeleteExecute, onRow}};
  if (MasterDataImport::imports(spec))
    specs.push_back({"actImport", "导入", &TMasterDataForm::actImportExecute, browsing});
  if (spec.setsPassword)
    specs.push_back({"actPwd", "设置密码", &TMasterDataForm::actPwdExecute, onRow});
  for (Spec& s : specs) {
    host::Action& a = addAction(s.name, s.caption);
    a.onExecute = [this, run = s.run](host::Action& sender) { (this->*run)(sender); };
    a.onUpdate = [this, enabled = std::move(s.enabled)](host::Action& sender) {
      sender.enabled = enabled(*this);
    };
  }
}

std::int64_t TMasterDataForm::focusedId() const {
  if (!cdsList.active() || cdsList.isEmpty()) return 0;
  return cdsList.fieldByName("id").asInteger();
}

bool TMasterDataForm::focusedDisabled() const {
  return focusedId() != 0 && cdsList.fieldByName("isdel").asBoolean();
}

void TMasterDataForm::setEditing(bool on) {
  editing_ = on;
  for (host::Control* c : controls())
    if (c->dataSet == "cdsEdit") c->readOnly = !on;
  children_->setEditing(on);
}

void TMasterDataForm::loadFocusedRow() {
  host::openDataToCDS(cdsEdit, host::sqlTemplate(MasterDataSql::rowQuery(spec)),
                      {{"id", core::Value(focusedId())}});
  children_->load(focusedId());
  if (afterRowLoad) afterRowLoad();
}

void TMasterDataForm::reloadList(std::int64_t focusId) {
  const std::string key = "%" + control("edtKey").text + "%";
  cdsList.disableControls();
  host::openDataToCDS(cdsList, host::sqlTemplate(MasterDataSql::listQuery(spec)),
                      {{"key", core::Value(key)}});
  if (focusId != 0) cdsList.locate("id", core::Value(focusId));
  cdsList.enableControls();
  loadFocusedRow();
}

void TMasterDataForm::actSearchExecute(host::Action&) { reloadList(focusedId()); }

void TMasterDataForm::actAddExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + "_01");
  cdsEdit.emptyDataSet();
  children_->load(0);
  cdsEdit.append();
  for (const MasterField& f : spec.fields) {
    dataset::Field& field = cdsEdit.fieldByName(f.field);
    if (f.kind == FieldKind::Choice) field.setValue(core::Value(f.items.front()));
    if (f.kind == FieldKind::Money) field.setValue(core::Value(core::Currency()));
    if (f.kind == FieldKind::Number) field.setValue(core::Value(f.field == "k" ? 1.0 : 0.0));
    if (f.kind == FieldKind::Lookup) field.setValue(core::Value(std::int64_t{0}));
  }
  // A new employee belongs to the store at the screen, as a clerk would expect.
  if (dataset::Field* ck = cdsEdit.findField("ck_id"))
    ck->setValue(core::Value(host::sysAuth().ck_id));
  if (dataset::Field* ck = cdsEdit.findField("ck_id_name")) {
    const host::Control& combo = control("edtck_id");
    for (std::size_t i = 0; i < combo.itemIds.size(); ++i)
      if (combo.itemIds[i] == host::sysAuth().ck_id) ck->setValue(core::Value(combo.items[i]));
  }
  adding_ = true;
  setEditing(true);
}

void TMasterDataForm::actEditExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + "_02");
  if (focusedId() == 0) return;
  loadFocusedRow();
  cdsEdit.edit();
  adding_ = false;
  setEditing(true);
}

void TMasterDataForm::actCancelExecute(host::Action&) {
  if (cdsEdit.state() != dataset::DataSetState::Browse) cdsEdit.cancel();
  setEditing(false);
  adding_ = false;
  loadFocusedRow();
}

}  // namespace plugs::coreapp::jczl
