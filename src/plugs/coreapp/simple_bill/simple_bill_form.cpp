// TSimpleBillForm: the shared work of the simple bills. Only the header statements of
// an existing bill have their quoted number replaced; the lines keep the bill's own
// number, which is the same text.
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

#include "dataset/up_data_sql_list.h"
#include "host/forms/bill_config.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/simple_bill_config.h"

namespace plugs::coreapp {

TSimpleBillForm::TSimpleBillForm(host::FormModel* owner, host::TPlugItem* item, const SimpleBillSpec& spec)
    : TSampleBillEditRibbonForm(owner, item, spec.className, spec.caption), spec(spec) {
  tableName = spec.masterTable;
}

void TSimpleBillForm::FormCreate() {
  detailGridName = "cxgDetail";
  TSampleBillEditRibbonForm::FormCreate();
  addLeadingControls();
  for (const HeaderField& h : spec.header) {
    host::Control c(h.control, h.kind, h.caption);
    c.dataSet = "cdsMaster";
    c.dataField = h.field;
    c.hint = h.idField;
    c.format = h.format;
    host::Control& added = addControl(std::move(c));
    if (*h.list != '\0') BindLookupComboboxProperties(added, h.list);
  }
  if (spec.gridEntry) action("actDetail_Add").visible = false;
  bindLineLists();
}

bool TSimpleBillForm::CheckBillError(std::string& message) {
  const dataset::DataSetState state = cdsMaster.state();
  if (state == dataset::DataSetState::Edit || state == dataset::DataSetState::Insert) cdsMaster.post();
  if (TSampleBillEditRibbonForm::CheckBillError(message)) return true;
  const RequiredField* missing = missingHeaderField();
  if (missing == nullptr) return false;
  message = missing->message;
  return true;
}

const RequiredField* TSimpleBillForm::missingHeaderField() const {
  for (const RequiredField& r : spec.headerRequired)
    if (cdsMaster.fieldByName(r.field).asInteger() == 0) return &r;
  return nullptr;
}

int TSimpleBillForm::AuditingData_1() {
  // A bill saved before its header was required (a goods bill without a store) would
  // audit into a store that does not exist: told as the save would tell it.
  if (hasBill())
    if (const RequiredField* missing = missingHeaderField()) refuse(missing->message);
  const int result = TSampleBillEditRibbonForm::AuditingData_1();
  if (result == 0 && spec.opensDrawer) host::openMoneyBox();
  return result;
}

host::BillSaveTexts TSimpleBillForm::saveTexts(bool isNew) const {
  host::BillSaveTexts texts;
  if (isNew || cdsMaster.changeCount() > 0)
    dataset::GetUpDataSQLList(spec.masterTable, "id", MasterIgnorefields, cdsMaster, texts.master);
  if (cdsDetail.changeCount() > 0)
    dataset::GetUpDataSQLList(std::string(spec.masterTable) + "_mx", "uid", spec.lineDisplayFields, cdsDetail,
                              texts.lines);
  texts.total = (isNew || spec.updateTotal == nullptr) ? spec.insertTotal : spec.updateTotal;
  return texts;
}

int TSimpleBillForm::runSaveBatch(const std::string& batch, const char* tag) const {
  host::LogMsgWithTag(batch, tag);
  return host::execSQL(batch) ? 0 : 1;
}

int TSimpleBillForm::doInsert() {
  const host::SysAuth& login = host::sysAuth();
  const host::BillNumbering numbering{login.orgid, spec.code, login.tag, static_cast<int>(login.ck_id)};
  return runSaveBatch(host::BillSaveBatch::insertBatch(saveTexts(true), workBillno, numbering), "添加单据");
}

int TSimpleBillForm::doUpdate() {
  const std::string number = cdsMaster.fieldByName("billno").asString();
  return runSaveBatch(host::BillSaveBatch::updateBatch(saveTexts(false), number), "保存单据");
}

int TSimpleBillForm::Insert_() { return doInsert(); }

int TSimpleBillForm::Update_() { return doUpdate(); }

int TSimpleBillForm::delete_() {
  const std::string sql = host::BillSaveBatch::deleteText(spec.masterTable, cdsMaster.fieldByName("billno").asString(),
                                                          cdsMaster.fieldByName("orgid").asString(), {}, spec.deleteFirst);
  host::LogMsgWithTag(sql, "删除单据");
  return host::execSQLWhole(sql, "单据删除失败") ? 0 : -1;
}

void registerSimpleBillItem(const SimpleBillSpec& spec, host::TFormClass formClass) {
  host::registerDefaultBillConfig(spec.code, simpleBillConfig(spec));
  host::registerPackageItem(spec.guid, spec.caption, spec.code, std::move(formClass), host::billEditorCreator(),
                            spec.rights);
}

}  // namespace plugs::coreapp
