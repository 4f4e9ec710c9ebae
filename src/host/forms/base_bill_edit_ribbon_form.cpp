// TBaseBillEditRibbonForm: the life of a bill in the editor — open, new, edit, save,
// audit and un-audit, delete, print, move to the neighbouring bill. The database work
// of saving and deleting belongs to the subclass; the status change of audit and
// un-audit is the base's own batch, guarded by the header's version and run in one
// transaction with the subclass's extra SQL.
#include "host/forms/base_bill_edit_ribbon_form.h"

#include <stdexcept>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/format.h"
#include "core/json.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"

namespace host {

namespace {

// Plain text replacement of every occurrence (the open queries' markers).
std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

void setIfField(dataset::ClientDataSet& ds, std::string_view field, const core::Value& v) {
  if (dataset::Field* f = ds.findField(field)) f->setValue(v);
}

// A lookup combo over `ds` whose id field was given a default (the login's store) and
// whose name field is empty shows that entry's name, as if the clerk had chosen it.
void nameDefaultedLookups(const std::vector<Control*>& controls, dataset::ClientDataSet& ds) {
  for (const Control* c : controls) {
    if (c->kind != ControlKind::LookupCombo || c->dataSet != ds.name() || c->hint.empty()) continue;
    dataset::Field* id = ds.findField(c->hint);
    dataset::Field* name = ds.findField(c->dataField);
    if (id == nullptr || name == nullptr || id->isNull() || !name->asString().empty()) continue;
    for (std::size_t i = 0; i < c->itemIds.size() && i < c->items.size(); ++i)
      if (c->itemIds[i] == id->asInteger()) name->setValue(core::Value(c->items[i]));
  }
}

}  // namespace

TBaseBillEditRibbonForm::TBaseBillEditRibbonForm(FormModel* owner, TPlugItem* item,
                                                 std::string className, std::string caption)
    : TBaseRibbonForm(owner, item, std::move(className), std::move(caption)) {}

// ---- creation -------------------------------------------------------------------

void TBaseBillEditRibbonForm::FormCreate() {
  TBaseRibbonForm::FormCreate();
  billoptions = currentHost().billOptionsOf(plugCode());
  billConfig = BillConfig::parse(getplugInfo(plugCode()));
  if (tableName.empty()) tableName = billConfig.masterTable;
  MasterIgnorefields = billConfig.ignoreFields;
  registerDataSet("cdsMaster", cdsMaster);
  registerDataSet("cdsDetail", cdsDetail);
  wireDataSets();
  createBaseControls();
  createActions();
}

void TBaseBillEditRibbonForm::wireDataSets() {
  dsMaster.setDataSet(&cdsMaster);
  dsDetail.setDataSet(&cdsDetail);
  cdsMaster.afterInsert = [this](dataset::ClientDataSet& ds) { cdsMasterAfterInsert(ds); };
  cdsDetail.afterInsert = [this](dataset::ClientDataSet& ds) { cdsDetailAfterInsert(ds); };
  cdsDetail.beforePost = [this](dataset::ClientDataSet& ds) { cdsDetailBeforePost(ds); };
  dsDetail.onDataChange = [this](dataset::DataSource& s, const dataset::Field* f) { dsDetailDataChange(s, f); };
}

void TBaseBillEditRibbonForm::createBaseControls() {
  Control& status = addControl(Control("cxLabel3", ControlKind::Label));
  status.onDblClick = [this] { cxLabel3DblClick(); };
  // The number box shows the open bill's number (controlText) and, while no bill is
  // being edited, takes a typed number: Enter opens that bill.
  Control& billnoBox = addControl(Control("edtbillno", ControlKind::Edit, "单据编号："));
  billnoBox.onKeyDown = [this](const std::string& key) {
    if (key == "Enter") openTypedBillno();
  };
  Control dateBox("edtbilldate", ControlKind::DateEdit, "单据日期：");
  dateBox.dataSet = "cdsMaster";
  dateBox.dataField = "billdate";
  addControl(std::move(dateBox));
  if (!detailGridName.empty()) {
    Control grid(detailGridName, ControlKind::Grid);
    grid.dataSet = "cdsDetail";
    addControl(std::move(grid));
  }
}

void TBaseBillEditRibbonForm::createActions() {
  using Exec = void (TBaseBillEditRibbonForm::*)(Action&);
  const struct {
    const char* name;
    const char* caption;
    Exec exec;
  } table[] = {
      {"actAdd", "新增", &TBaseBillEditRibbonForm::actAddExecute},
      {"actEdit", "修改", &TBaseBillEditRibbonForm::actEditExecute},
      {"actDel", "删除", &TBaseBillEditRibbonForm::actDelExecute},
      {"actRef", "刷新", &TBaseBillEditRibbonForm::actRefExecute},
      {"actSave", "保存", &TBaseBillEditRibbonForm::actSaveExecute},
      {"actCancel", "取消", &TBaseBillEditRibbonForm::actCancelExecute},
      {"actAudit", "审核", &TBaseBillEditRibbonForm::actAuditExecute},
      {"actPrint", "打印", &TBaseBillEditRibbonForm::actPrintExecute},
      {"actAudit_0", "草稿", &TBaseBillEditRibbonForm::actAudit_0Execute},
      {"actDetail_Add", "新增明细", &TBaseBillEditRibbonForm::actDetail_AddExecute},
      {"actDetail_Edit", "修改明细", &TBaseBillEditRibbonForm::actDetail_EditExecute},
      {"actDetail_Del", "删除明细", &TBaseBillEditRibbonForm::actDetail_DelExecute},
      {"actprev", "上一单", &TBaseBillEditRibbonForm::actprevExecute},
      {"actnext", "下一单", &TBaseBillEditRibbonForm::actnextExecute},
      {"actlist", "单据列表", &TBaseBillEditRibbonForm::actlistExecute},
  };
  for (const auto& entry : table) {
    Action& a = addAction(entry.name, entry.caption);
    Exec exec = entry.exec;
    a.onExecute = [this, exec](Action& sender) { (this->*exec)(sender); };
  }
  auto when = [this](const char* name, std::function<bool()> rule) {
    action(name).onUpdate = [rule = std::move(rule)](Action& a) { a.enabled = rule(); };
  };
  when("actAdd", [this] { return !editMode; });
  when("actEdit", [this] { return hasBill() && !editMode && masterStatus() == 0; });
  when("actDel", [this] { return hasBill() && !editMode && masterStatus() == 0; });
  when("actRef", [this] { return hasBill() && !editMode; });
  when("actSave", [this] { return editMode; });
  when("actCancel", [this] { return editMode; });
  // Once the bill is audited its un-audit is actAudit_0 ("草稿"); the audit action stays
  // "审核" and rests, unless the bill made it a toggle of its own (the order's 完工/草稿).
  when("actAudit", [this] {
    return hasBill() && !editMode && (masterStatus() == 0 || action("actAudit").caption != "审核");
  });
  when("actPrint", [this] { return hasBill() && !editMode; });
  when("actAudit_0", [this] { return hasBill() && !editMode && masterStatus() != 0; });
  // Where the audit action itself reads "草稿" it is the un-audit: no second 草稿 button.
  Action& unAudit = action("actAudit_0");
  unAudit.onUpdate = [this, rule = unAudit.onUpdate](Action& a) {
    rule(a);
    a.visible = action("actAudit").caption != "草稿";
  };
  when("actDetail_Add", [this] { return editMode; });
  when("actDetail_Edit", [this] { return editMode && cdsDetail.active() && !cdsDetail.isEmpty(); });
  when("actDetail_Del", [this] { return editMode && cdsDetail.active() && !cdsDetail.isEmpty(); });
  when("actprev", [this] { return !editMode; });
  when("actnext", [this] { return !editMode; });
  when("actlist", [this] { return !editMode; });
}

// ---- hooks --------------------------------------------------------------------------

void TBaseBillEditRibbonForm::BeforeAppend() {
  Control& status = control("cxLabel3");
  status.text = "未审核";
  status.color = "teal";
  action("actAudit").caption = "审核";
}

bool TBaseBillEditRibbonForm::CheckBillError(std::string& message) {
  if (cdsMaster.state() == dataset::DataSetState::Edit || cdsMaster.state() == dataset::DataSetState::Insert)
    cdsMaster.post();
  if (!cdsDetail.active() || cdsDetail.isEmpty()) {
    message = "单据无明细，不能保存";
    return true;
  }
  return false;
}

void TBaseBillEditRibbonForm::fillMasterData() {
  Control& status = control("cxLabel3");
  bool audited = masterStatus() != 0;
  status.text = audited ? "已审核" : "未审核";
  status.color = audited ? "red" : "teal";
  action("actAudit").caption = "审核";
}

void TBaseBillEditRibbonForm::OpenBillData(const std::string& number) {
  opendataEx(number);
  billId = 0;
  version = 0;
  billno.clear();
  if (cdsMaster.active() && !cdsMaster.isEmpty()) {
    billId = cdsMaster.fieldByName("id").asInteger();
    if (const dataset::Field* v = cdsMaster.findField("version")) version = v->asInteger();
    billno = cdsMaster.fieldByName("billno").asString();
  }
  workBillno = billno;
  editMode = false;
  control("edtbillno").text.clear();  // the box shows the bill's number again
  if (billId != 0) fillMasterData();
  ComponentReadOnly(true);
}

int TBaseBillEditRibbonForm::Insert_() {
  throw std::logic_error(className() + " does not write new bills (Insert_ not overridden)");
}

int TBaseBillEditRibbonForm::Update_() {
  throw std::logic_error(className() + " does not write bills (Update_ not overridden)");
}

int TBaseBillEditRibbonForm::delete_() {
  throw std::logic_error(className() + " does not delete bills (delete_ not overridden)");
}

int TBaseBillEditRibbonForm::AuditingData_0() {
  checkVersionOrReload();
  std::string extra;
  generateSqlAuditing_0(extra);
  runAuditBatch(false, extra);
  OpenBillData(billno);
  return 0;
}

int TBaseBillEditRibbonForm::AuditingData_1() {
  checkVersionOrReload();
  std::string extra;
  generateSqlAuditing_1(extra);
  runAuditBatch(true, extra);
  OpenBillData(billno);
  return 0;
}

void TBaseBillEditRibbonForm::SelectedxmbmkToDetail(const std::string&) {}

void TBaseBillEditRibbonForm::generateSqlAuditing_0(std::string& sql) { sql.clear(); }

void TBaseBillEditRibbonForm::generateSqlAuditing_1(std::string& sql) { sql.clear(); }

std::string TBaseBillEditRibbonForm::openQuery(const std::string& sql, const std::string& number) const {
  std::string text = sqlTemplate(sql);
  text = replaceAll(std::move(text), ":userCode", core::QuotedStr(sysAuth().code));
  return replaceAll(std::move(text), ":billno", core::QuotedStr(number));
}

void TBaseBillEditRibbonForm::opendataEx(const std::string& number) {
  if (billConfig.masterSql.empty() || billConfig.detailSql.empty())
    throw std::logic_error("plug " + plugCode() +
                           ": the configuration document has no data.master.sql or data.detail.sql");
  openDataToCDS(cdsMaster, openQuery(billConfig.masterSql, number));
  openDataToCDS(cdsDetail, openQuery(billConfig.detailSql, number));
}

// ---- inherited handlers -------------------------------------------------------------

void TBaseBillEditRibbonForm::ComponentReadOnly(bool readOnly) {
  for (Control* c : controls())
    if (c->isEditor() || c->kind == ControlKind::Grid) c->readOnly = readOnly;
  // The number is issued by the save: while the bill is edited the box only shows it;
  // otherwise a typed number opens another bill.
  if (Control* number = findControl("edtbillno")) {
    number->readOnly = !readOnly;
    if (!readOnly) number->text.clear();
  }
}

void TBaseBillEditRibbonForm::cdsMasterAfterInsert(dataset::ClientDataSet& ds) {
  const SysAuth& login = sysAuth();
  setIfField(ds, "orgid", core::Value(login.orgid));
  setIfField(ds, "billno", core::Value(workBillno));
  setIfField(ds, "billdate", core::Value(core::DateTime::now()));
  setIfField(ds, "status", core::Value(0));
  setIfField(ds, "version", core::Value(0));
  setIfField(ds, "ck_id", core::Value(login.ck_id));
  setIfField(ds, "kdr_id", core::Value(login.czy_id));
  setIfField(ds, "kdr_name", core::Value(login.name));
  nameDefaultedLookups(controls(), ds);
}

void TBaseBillEditRibbonForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  dataset::Field* uid = ds.findField("uid");
  if (uid != nullptr && !uid->asString().empty()) return;
  setIfField(ds, "orgid", core::Value(sysAuth().orgid));
  setIfField(ds, "billno", core::Value(workBillno));
  if (uid != nullptr) uid->setValue(core::Value(newid()));
}

void TBaseBillEditRibbonForm::cdsDetailBeforePost(dataset::ClientDataSet&) {}

void TBaseBillEditRibbonForm::dsDetailDataChange(dataset::DataSource&, const dataset::Field*) {}

void TBaseBillEditRibbonForm::actEditExecute(Action&) {
  requireRight("_02");
  checkVersionOrReload();
  workBillno = billno;
  editMode = true;
  ComponentReadOnly(false);
  editStart_ = masterValues();
}

void TBaseBillEditRibbonForm::cxLabel3DblClick() {}

}  // namespace host
