// TWriteOffBillForm: the shared work of receipts and payments. The write-off lines
// come only from the source selector, each paid bill once, with its whole open amount;
// the user may lower an amount, never raise it above what is open. Totals are compared
// as money (four decimals), so 1050.0001 is above 1000 + 50.
#include "plugs/coreapp/simple_bill/write_off_bill_form.h"

#include <algorithm>

#include "core/abort.h"
#include "core/json.h"
#include "core/scoped_flag.h"
#include "dataset/up_data_sql_list.h"
#include "host/forms/money_format.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/simple_bill/source_lines.h"

namespace plugs::coreapp {

namespace {

const char* const kMoneyFormat = host::moneyFormat(host::MoneyKind::LedgerAmount);

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

host::GridColumn lineColumn(const char* field, const char* caption, const char* format = "") {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.format = format;
  c.readOnly = true;
  if (*format != '\0') {
    c.editor = "money";
    c.footer = "sum";
  }
  return c;
}

core::Currency sumOf(const dataset::ClientDataSet& ds, const char* field) {
  if (!ds.active() || ds.isEmpty()) return core::Currency();
  return ds.sum(field).asCurrency();
}

}  // namespace

TWriteOffBillForm::TWriteOffBillForm(host::FormModel* owner, host::TPlugItem* item, const WriteOffBillSpec& writeOff)
    : TSimpleBillForm(owner, item, writeOff.bill), writeOff(writeOff), counterpartyBox(*this, writeOff.counterparty) {}

void TWriteOffBillForm::FormCreate() {
  hxmxSql = writeOff.lineQuery;
  registerDataSet("cdshxmx", cdshxmx);
  dshxmx.setDataSet(&cdshxmx);
  cdshxmx.beforePost = [this](dataset::ClientDataSet& ds) { cdshxmxBeforePost(ds); };
  TSimpleBillForm::FormCreate();
  control(detailGridName).caption = writeOff.accountPanel;
  chooseAccountNames();
  addWriteOffGrid();
  // Write-off lines come only from the source selector; the grid may drop one.
  linesOnlyFromSelector(control("cxghxmx"), cdshxmx, addingWriteOffs, true);
  host::Action& add = addAction("acthxmx_Add", "选择源单");
  add.onExecute = [this](host::Action& a) { acthxmx_AddExecute(a); };
  add.onUpdate = [this](host::Action& a) { a.enabled = editMode; };
  host::Action& del = addAction("acthxmx_Del", "删除核销明细");
  del.onExecute = [this](host::Action&) {
    if (editMode && cdshxmx.active() && !cdshxmx.isEmpty()) cdshxmx.deleteRecord();
  };
  del.onUpdate = [this](host::Action& a) { a.enabled = editMode && cdshxmx.active() && !cdshxmx.isEmpty(); };
}

void TWriteOffBillForm::addWriteOffGrid() {
  host::Control grid("cxghxmx", host::ControlKind::Grid, "按单核销明细");
  grid.dataSet = "cdshxmx";
  host::GridColumn amount = lineColumn("hxje", "本次核销金额", host::moneyFormat(host::MoneyKind::Amount));
  amount.readOnly = false;
  grid.columns = {lineColumn("biztype", "业务类型"),
                  lineColumn("hxbillno", "单据编号"),
                  lineColumn("hxbilldate", "单据日期"),
                  lineColumn("ck_name", "开单门店"),
                  lineColumn("hjje", "单据金额", kMoneyFormat),
                  lineColumn("hxje_ok", "已核销金额", kMoneyFormat),
                  lineColumn("hxje_no", "未核销金额", kMoneyFormat),
                  amount};
  addControl(std::move(grid));
}

// The account column offers the store's accounts by name; the name chosen gives the
// line its id (dsDetailDataChange). The list is kept in a hidden combo.
void TWriteOffBillForm::chooseAccountNames() {
  const auto& columns = control(detailGridName).columns;
  if (std::none_of(columns.begin(), columns.end(), [](const host::GridColumn& c) { return c.field == "zh_name"; }))
    return;  // lines without an account (advance write-offs)
  host::Control& list = addControl(host::Control("cbzhlist", host::ControlKind::LookupCombo));
  list.visible = false;
  BindLookupComboboxProperties(list, "zh");
  for (host::GridColumn& c : control(detailGridName).columns)
    if (c.field == "zh_name") {
      c.editor = "combo";
      c.items = list.items;
    }
}

void TWriteOffBillForm::addLeadingControls() {
  counterpartyBox.add([this] { edtwldwPropertiesButtonClick(); });
  host::Control& newOne = addControl(host::Control("btnnew", host::ControlKind::Button, "新建"));
  newOne.onClick = [] {};  // the new-counterparty button does nothing here
}

void TWriteOffBillForm::BeforeAppend() {
  TSimpleBillForm::BeforeAppend();
  counterpartyBox.clear();
  if (cdshxmx.active()) cdshxmx.emptyDataSet();
}

void TWriteOffBillForm::fillMasterData() {
  TSimpleBillForm::fillMasterData();
  counterpartyBox.show(cdsMaster);
}

void TWriteOffBillForm::opendataEx(const std::string& number) {
  TSimpleBillForm::opendataEx(number);
  const std::string own = cdsMaster.isEmpty() ? number : cdsMaster.fieldByName("billno").asString();
  const std::string sql = host::sqlTemplate(hxmxSql);
  if (writeOff.logLineQuery) host::LogMsg(sql);
  host::openDataToCDS(cdshxmx, sql, {{"billno", core::Value(own)}});
}

void TWriteOffBillForm::ComponentReadOnly(bool readOnly) {
  TSimpleBillForm::ComponentReadOnly(readOnly);
  counterpartyBox.setReadOnly(readOnly);
  control("edthjje").readOnly = true;  // written by the save batch
  control("edthxje").readOnly = true;  // written by the audit
}

void TWriteOffBillForm::cdsDetailAfterInsert(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailAfterInsert(ds);
  ds.fieldByName("je").setValue(core::Value(core::Currency()));
}

void TWriteOffBillForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSimpleBillForm::cdsDetailBeforePost(ds);
  if (ds.fieldByName("zh_id").asInteger() == 0) refuse("请选择结算账户");
  if (ds.fieldByName("je").asInteger() == 0) refuse(writeOff.amountMessage);
}

void TWriteOffBillForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSimpleBillForm::dsDetailDataChange(sender, field);
  if (field == nullptr || field->name() != "zh_name" || !isEditing(cdsDetail)) return;
  const host::Control& list = control("cbzhlist");
  for (std::size_t i = 0; i < list.items.size(); ++i)
    if (list.items[i] == field->asString()) cdsDetail.fieldByName("zh_id").setValue(core::Value(list.itemIds[i]));
}

void TWriteOffBillForm::cdshxmxBeforePost(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("hxje").asCurrency() <= ds.fieldByName("hxje_no").asCurrency()) return;
  host::MessageMyDlg("本次核销金额不能大于未核销金额", "提示", host::mtError);
  throw core::Abort();
}

void TWriteOffBillForm::edtwldwPropertiesButtonClick() {
  if (!editMode) return;
  if (!isEditing(cdsMaster)) cdsMaster.edit();
  counterpartyBox.pick();
}

void TWriteOffBillForm::acthxmx_AddExecute(host::Action&) {
  if (!editMode) return;
  addWriteOffLines(selectSources());
}

// A bill already on this one is skipped: one bill is never written off twice by one
// receipt. A line its post refuses is taken back, so no half-filled line stays.
void TWriteOffBillForm::addWriteOffLines(const std::string& selection) { addChosenLines(cdshxmx, selection); }

// `target` is the write-off lines or, on an advance write-off, its money-side lines:
// both take the same fields from a selector row.
void TWriteOffBillForm::addChosenLines(dataset::ClientDataSet& target, const std::string& selection) {
  if (selection.empty()) return;
  const std::vector<core::JsonRow> chosen = chosenRows(selection, "源单选择结果无法识别，未添加核销明细：");
  core::ScopedFlag adding(addingWriteOffs);
  for (const core::JsonRow& bill : chosen) {
    appendSourceLineOnce(target, {{"orgid", core::Value(host::sysAuth().orgid)},
                                  {"uid", core::Value(host::newid())},
                                  {"billno", core::Value(workBillno)},
                                  {"biztype", core::Value(bill.get("biztype"))},
                                  {"hxbillno", core::Value(bill.get("hxbillno"))},
                                  {"hxbilldate", core::Value(bill.get("hxbilldate"))},
                                  {"ck_name", core::Value(bill.get("ck_name"))},
                                  {"bizid", core::Value(bill.value("hxbillid").asInteger())},
                                  {"ck_id", core::Value(0)},
                                  {"ck_code", core::Value("000")},
                                  {"hjje", core::Value(bill.get("hjje"))},
                                  {"hxje_ok", core::Value(bill.get("hxje_ok"))},
                                  {"hxje_no", core::Value(bill.get("hxje_no"))},
                                  {"hxje", core::Value(bill.get("bchx"))}});
  }
}

bool TWriteOffBillForm::CheckBillError(std::string& message) {
  if (isEditing(cdsMaster)) cdsMaster.post();
  if (isEditing(cdshxmx)) cdshxmx.post();
  if (TSimpleBillForm::CheckBillError(message)) return true;
  cdsMaster.edit();
  cdsMaster.fieldByName(writeOff.counterparty.idField).setValue(core::Value(counterpartyBox.id()));
  if (controlText(control("edtjmje")).empty()) cdsMaster.fieldByName("jmje").setValue(core::Value(core::Currency()));
  cdsMaster.post();
  if (cdsMaster.fieldByName(writeOff.counterparty.idField).asInteger() == 0) {
    message = "请选择往来单位.";
    return true;
  }
  const core::Currency received = sumOf(cdsDetail, "je");
  const core::Currency writtenOff = sumOf(cdshxmx, "hxje");
  if (writtenOff > received + cdsMaster.fieldByName("jmje").asCurrency()) {
    message = writeOff.totalMessage;
    return true;
  }
  return false;
}

host::BillSaveTexts TWriteOffBillForm::saveTexts(bool isNew) const {
  host::BillSaveTexts texts = TSimpleBillForm::saveTexts(isNew);
  if (cdshxmx.changeCount() > 0)
    dataset::GetUpDataSQLList(std::string(spec.masterTable) + "_hx", "uid", kWriteOffLineDisplayFields, cdshxmx,
                              texts.moreLines);
  return texts;
}

int TWriteOffBillForm::delete_() {
  const std::string sql = host::BillSaveBatch::deleteText(spec.masterTable, cdsMaster.fieldByName("billno").asString(),
                                                          cdsMaster.fieldByName("orgid").asString(), {"_hx"});
  return host::execSQLWhole(sql, "单据删除失败") ? 0 : -1;
}

int TWriteOffBillForm::AuditingData_1() {
  const int audited = TSimpleBillForm::AuditingData_1();
  if (audited == 0) host::openMoneyBox();
  return audited;
}

void TWriteOffBillForm::actPrintExecute(host::Action&) {
  requireRight("_06");
  checkVersionOrReload();
  host::TDataSetCollection datasets;
  datasets.add("表头数据", cdsMaster);
  datasets.add("明细数据", cdsDetail);
  datasets.add("核销明细", cdshxmx);
  const host::PrintValues values = {{"表单编号", plugCode()}, {"表单名称", PlugItem ? PlugItem->caption : caption}};
  host::OpenSetPrintReportForm(this, plugCode(), datasets, values, onPrintDone);
}

std::vector<std::string> TWriteOffBillForm::paidBillnos(const char* biztype) {
  std::vector<std::string> numbers;
  if (!cdshxmx.active()) return numbers;
  const dataset::Bookmark at = cdshxmx.bookmark();
  for (cdshxmx.first(); !cdshxmx.eof(); cdshxmx.next())
    if (cdshxmx.fieldByName("biztype").asString() == biztype)
      numbers.push_back(cdshxmx.fieldByName("hxbillno").asString());
  if (cdshxmx.bookmarkValid(at)) cdshxmx.gotoBookmark(at);
  return numbers;
}

}  // namespace plugs::coreapp
