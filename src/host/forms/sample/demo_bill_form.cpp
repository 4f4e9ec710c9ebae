// TDemoBillForm: the bill editor base put to work on a plain goods-receipt bill. Each
// override does what a real bill editor does in the same slot: defaults of a new bill,
// the counterparty check before saving, line arithmetic, the save batch (number issued
// inside the transaction), the rights of audit and un-audit, and an audit log row
// written in the audit's own transaction.
#include "host/forms/sample/demo_bill_form.h"

#include "core/abort.h"
#include "core/format.h"
#include "core/json.h"
#include "dataset/up_data_sql_list.h"
#include "host/forms/bill_config.h"
#include "host/forms/bill_save_batch.h"
#include "host/plug/standard_rules.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

const std::vector<std::string> kLineDisplayFields = {"id", "sp_code", "sp_name", "itemno", "baseunit"};

}  // namespace

TDemoBillForm::TDemoBillForm(FormModel* owner, TPlugItem* item)
    : TSampleBillEditRibbonForm(owner, item, "TDemoBillForm", "演示单据") {}

void TDemoBillForm::FormCreate() {
  detailGridName = "cxgDetail";
  TSampleBillEditRibbonForm::FormCreate();
  Control& wldw = addControl(Control("edtwldw", ControlKind::ButtonEdit, "往来单位："));
  wldw.onButtonClick = [this] { edtwldwPropertiesButtonClick(); };
  addControl(Control("edtwldwmc", ControlKind::Edit));
  const struct { const char* name; ControlKind kind; const char* caption; const char* field; } bound[] = {
      {"cbck", ControlKind::LookupCombo, "下单门店：", "ck_name"},
      {"cbkdr", ControlKind::LookupCombo, "开单人：", "kdr_name"},
      {"edtzy", ControlKind::Edit, "摘要：", "zy"},
      {"edthjje", ControlKind::CurrencyEdit, "合计金额：", "hjje"},
      {"memremark", ControlKind::Memo, "备注说明：", "remark"}};
  for (const auto& b : bound) {
    Control c(b.name, b.kind, b.caption);
    c.dataSet = "cdsMaster";
    c.dataField = b.field;
    addControl(std::move(c));
  }
  control("cbck").hint = "ck_id";
  control("cbkdr").hint = "kdr_id";
  BindLookupComboboxProperties(control("cbck"), "ck");
  BindLookupComboboxProperties(control("cbkdr"), "yg");
}

void TDemoBillForm::BeforeAppend() {
  TSampleBillEditRibbonForm::BeforeAppend();
  Control& wldw = control("edtwldw");
  wldw.text.clear();
  wldw.tag = 0;
  control("edtwldwmc").text.clear();
}

bool TDemoBillForm::CheckBillError(std::string& message) {
  if (TSampleBillEditRibbonForm::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName("gys_id").setValue(core::Value(control("edtwldw").tag));
  cdsMaster.post();
  if (cdsMaster.fieldByName("gys_id").asInteger() == 0) {
    message = "请选择往来单位.";
    return true;
  }
  return false;
}

void TDemoBillForm::fillMasterData() {
  TSampleBillEditRibbonForm::fillMasterData();
  Control& wldw = control("edtwldw");
  wldw.tag = cdsMaster.fieldByName("gys_id").asInteger();
  wldw.text = cdsMaster.fieldByName("gys_code").asString();
  control("edtwldwmc").text = cdsMaster.fieldByName("gys_name").asString();
}

int TDemoBillForm::runSave(bool isNew) {
  BillSaveTexts texts;
  if (isNew || cdsMaster.changeCount() > 0)
    dataset::GetUpDataSQLList(tableName, "id", MasterIgnorefields, cdsMaster, texts.master);
  if (cdsDetail.changeCount() > 0)
    dataset::GetUpDataSQLList(tableName + "_mx", "uid", kLineDisplayFields, cdsDetail, texts.lines);
  texts.total = "update dbo." + tableName + " set hjje = isnull((select sum(je) from dbo." + tableName +
                "_mx where billno = @billno),0) where billno = @billno";
  const SysAuth& login = sysAuth();
  const std::string batch =
      isNew ? BillSaveBatch::insertBatch(texts, workBillno, {login.orgid, plugCode(), login.tag, static_cast<int>(login.ck_id)})
            : BillSaveBatch::updateBatch(texts, billno);
  LogMsgWithTag(batch, isNew ? "添加单据" : "保存单据");
  return execSQL(batch) ? 0 : 1;
}

int TDemoBillForm::Insert_() { return runSave(true); }

int TDemoBillForm::Update_() { return runSave(false); }

int TDemoBillForm::delete_() {
  const std::string sql = BillSaveBatch::deleteText(tableName, cdsMaster.fieldByName("billno").asString(),
                                                    cdsMaster.fieldByName("orgid").asString());
  return execSQLWhole(sql, "单据删除失败") ? 0 : -1;
}

int TDemoBillForm::AuditingData_0() {
  requireRight("_05");
  return TSampleBillEditRibbonForm::AuditingData_0();
}

int TDemoBillForm::AuditingData_1() {
  requireRight("_04");
  return TSampleBillEditRibbonForm::AuditingData_1();
}

void TDemoBillForm::SelectedxmbmkToDetail(const std::string& selection) {
  if (selection.empty()) return;
  for (const core::JsonRow& row : core::parseSelection(selection)) {
    isAutoFill = true;
    cdsDetail.append();
    cdsDetail.fieldByName("sp_id").setValue(core::Value(row.value("id").asInteger()));
    cdsDetail.fieldByName("sp_code").setValue(core::Value(row.get("code")));
    cdsDetail.fieldByName("sp_name").setValue(core::Value(row.get("name")));
    cdsDetail.fieldByName("itemno").setValue(core::Value(row.get("itemno")));
    cdsDetail.fieldByName("baseunit").setValue(core::Value(row.get("baseunit")));
    cdsDetail.fieldByName("dj").setValue(core::Value(row.value("pricein").asCurrency()));
    cdsDetail.post();
    isAutoFill = false;
  }
}

std::string TDemoBillForm::auditLogSql(const char* state) const {
  const SysAuth& login = sysAuth();
  return sqlTemplate(
      "insert into vt_sys_billaudit_logs(orgid, modulecode,billtype,billno,ck_id,czy_id,auditmsg,auditstate)\r\n"
      " values(:orgid, " + core::QuotedStr(plugCode()) + ", " + core::QuotedStr(PlugItem ? PlugItem->caption : caption) +
      ", " + core::QuotedStr(billno) + ", " + std::to_string(login.ck_id) + ", " + std::to_string(login.czy_id) +
      ", '', " + core::QuotedStr(state) + ")");
}

void TDemoBillForm::generateSqlAuditing_0(std::string& sql) { sql = auditLogSql("草稿"); }

void TDemoBillForm::generateSqlAuditing_1(std::string& sql) { sql = auditLogSql("审核"); }

void TDemoBillForm::ComponentReadOnly(bool readOnly) {
  TSampleBillEditRibbonForm::ComponentReadOnly(readOnly);
  control("edthjje").readOnly = true;
  isAutoFill = false;
}

void TDemoBillForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailAfterInsert(ds);
  ds.fieldByName("sl").setValue(core::Value(1.0));
}

void TDemoBillForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("sp_id").asInteger() == 0) refuse("请选择商品信息");
}

void TDemoBillForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSampleBillEditRibbonForm::dsDetailDataChange(sender, field);
  if (field == nullptr || cdsDetail.state() == dataset::DataSetState::Browse) return;
  if (field->name() != "sl" && field->name() != "dj") return;
  core::Currency dj = cdsDetail.fieldByName("dj").asCurrency();
  cdsDetail.fieldByName("je").setValue(core::Value(dj * static_cast<long double>(cdsDetail.fieldByName("sl").asFloat())));
}

void TDemoBillForm::actDetail_AddExecute(Action&) {
  if (!editMode) return;
  TPlugItem* lookup = plugsPool().plugbyName("商品信息查询");
  if (lookup == nullptr) refuse("商品信息查询 is not available");
  SelectedxmbmkToDetail(lookup->selectData(this, "", ""));
}

void TDemoBillForm::edtwldwPropertiesButtonClick() {
  if (!editMode) return;
  TPlugItem* lookup = plugsPool().plugbyName("供应商信息查询");
  if (lookup == nullptr) refuse("供应商信息查询 is not available");
  std::string picked = lookup->selectData(this, "", "");
  if (picked.empty()) return;
  std::vector<core::JsonRow> rows = core::parseSelection(picked);
  if (rows.empty()) return;
  Control& wldw = control("edtwldw");
  wldw.text = rows.front().get("code");
  wldw.tag = rows.front().value("id").asInteger();
  control("edtwldwmc").text = rows.front().get("name");
}

void registerDemoBill() {
  if (plugsPool().plugbyName(kDemoBillCode) != nullptr) return;
  TFormClass formClass{"TDemoBillForm", [](FormModel* owner) -> std::unique_ptr<FormModel> {
                         return std::make_unique<TDemoBillForm>(owner);
                       }};
  registerPackageItem("{6C1D2E0B-5A4F-4E7B-9C3D-2F8A1B0E9901}", "演示单据", kDemoBillCode,
                      std::move(formClass), billEditorCreator(), standardNineRights());
}

}  // namespace host
