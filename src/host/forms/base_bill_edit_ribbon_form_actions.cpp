// TBaseBillEditRibbonForm, second half: the toolbar actions, the audit batch, the
// version check and moving between bills.
#include <stdexcept>

#include "core/abort.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "db/connection.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/reconnect.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "host/services/version_guard.h"

namespace host {

namespace {

constexpr std::string_view kPrompt = "提示";
constexpr std::string_view kSaveCutOff =
    "与数据库服务器的连接已断开，单据没有保存。所做修改仍保留在窗口中，连接恢复后请重新保存。";
constexpr std::string_view kSaveFoundAfterCutOff =
    "保存时与数据库服务器的连接断开；重新连接后核对，单据已经保存。";
constexpr std::string_view kSaveNotFoundAfterCutOff =
    "保存时与数据库服务器的连接断开；重新连接后核对，单据没有保存。所做修改仍保留在窗口中，请重新保"
    "存。";
constexpr std::string_view kSaveUnsettled =
    "保存时与数据库服务器的连接断开，至今未能重新连接，无法确认单据是否已经保存。所做修改仍保留在窗"
    "口中；"
    "连接恢复后请先在单据列表中查找该单据，再决定是否重新保存。";

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

}  // namespace

std::vector<core::Value> TBaseBillEditRibbonForm::masterValues() const {
  std::vector<core::Value> values;
  if (!cdsMaster.active() || cdsMaster.isEmpty()) return values;
  for (int i = 0; i < cdsMaster.fieldCount(); ++i) values.push_back(cdsMaster.field(i).value());
  return values;
}

// A new bill holds its defaults as a pending insert, so the header counts as changed
// only when it differs from how editing began; the other datasets by their changes.
bool TBaseBillEditRibbonForm::hasUnsavedChanges() const {
  if (!editMode) return false;
  if (masterValues() != editStart_) return true;
  for (const std::string& name : dataSetNames())
    if (name != "cdsMaster" && dataSetDirty(*findDataSet(name))) return true;
  return false;
}

std::string TBaseBillEditRibbonForm::controlText(const Control& c) const {
  std::string text = TBaseRibbonForm::controlText(c);
  if (c.name == "edtbillno" && text.empty() && cdsMaster.active() && !cdsMaster.isEmpty())
    text = cdsMaster.fieldByName("billno").asString();  // nothing typed: the bill's number
  if (billno.empty() && !workBillno.empty() && text == workBillno) return {};
  return text;
}

int TBaseBillEditRibbonForm::masterStatus() const {
  if (!cdsMaster.active() || cdsMaster.isEmpty()) return 0;
  const dataset::Field* f = cdsMaster.findField("status");
  return f == nullptr ? 0 : static_cast<int>(f->asInteger());
}

void TBaseBillEditRibbonForm::requireRight(std::string_view suffix) const {
  TAuth::requireRight(plugCode() + std::string(suffix));
}

void TBaseBillEditRibbonForm::refuse(std::string_view text) const {
  MessageMyDlg(text, kPrompt, mtInformation, mbOK);
  throw core::Abort();
}

std::vector<core::JsonRow> TBaseBillEditRibbonForm::chosenRows(const std::string& selection,
                                                                std::string_view unreadable) const {
  try {
    return core::parseSelection(selection);
  } catch (const core::JsonError& e) {
    refuse(std::string(unreadable) + e.what());
  }
}

void TBaseBillEditRibbonForm::checkVersionOrReload() {
  if (!hasBill() || tableName.empty()) return;
  if (checkBillVersion(tableName, billId, version)) return;
  MessageMyDlg("当前数据状态已改变，已为您刷新数据，请重试.", kPrompt, mtInformation, mbOK);
  OpenBillData(billno);
  throw core::Abort();
}

std::string TBaseBillEditRibbonForm::issuedBillno() {
  if (!cdsDetail.active() || cdsDetail.isEmpty() || cdsDetail.findField("uid") == nullptr) return {};
  cdsDetail.first();
  std::string uid = cdsDetail.fieldByName("uid").asString();
  std::string rows = openDataJson("select billno from " + tableName + "_mx where uid = " + core::QuotedStr(uid));
  std::vector<core::JsonRow> found = core::parseSelection(rows);
  return found.empty() ? std::string() : found.front().get("billno");
}

// ---- actions ------------------------------------------------------------------------

void TBaseBillEditRibbonForm::actAddExecute(Action&) {
  requireRight("_01");
  if (!cdsMaster.active() || !cdsDetail.active()) opendataEx("");
  if (isEditing(cdsMaster)) cdsMaster.cancel();
  if (isEditing(cdsDetail)) cdsDetail.cancel();
  cdsMaster.emptyDataSet();
  cdsDetail.emptyDataSet();
  billno.clear();
  billId = 0;
  version = 0;
  workBillno = newid();
  cdsMaster.append();
  BeforeAppend();
  editMode = true;
  ComponentReadOnly(false);
  editStart_ = masterValues();
}

void TBaseBillEditRibbonForm::actDelExecute(Action&) {
  requireRight("_03");
  if (!hasBill()) return;
  checkVersionOrReload();
  if (masterStatus() != 0) refuse("单据已审核，不能删除。");
  if (MessageMyDlg("是否确认删除该单据？", kPrompt, mtConfirmation, mbOK | mbCancel) != mrOK)
    throw core::Abort();
  if (delete_() != 0) {
    std::string why = lastExecSQLError();
    refuse(why.empty() ? "单据删除失败" : why);
  }
  OpenBillData("");
}

void TBaseBillEditRibbonForm::actRefExecute(Action&) { OpenBillData(billno); }

void TBaseBillEditRibbonForm::actSaveExecute(Action&) {
  if (isEditing(cdsDetail)) cdsDetail.post();
  // Another window may have changed the bill since it was opened here: saving over it
  // would silently undo that change. Told before the clerk confirms; the save's own
  // transaction tests it again (guardedUpdate).
  if (!billno.empty() && hasBill() && !tableName.empty() &&
      !checkBillVersion(tableName, billId, version))
    refuseStaleSave();
  std::string message;
  if (CheckBillError(message)) refuse(message);
  if (MessageMyDlg("是否确认保存该单据？", kPrompt, mtConfirmation, mbOK | mbCancel) != mrOK)
    throw core::Abort();
  const bool isNew = billno.empty();
  if ((isNew ? Insert_() : guardedUpdate()) != 0) return settleFailedSave(isNew);
  OpenBillData(isNew ? issuedBillno() : billno);
}

// A save cut off before its commit left nothing on the server. One cut off at its commit
// may have been committed: never guessed, the bill is read back once the connection is
// back (whatever the old session did is final by then).
void TBaseBillEditRibbonForm::settleFailedSave(bool isNew) {
  const db::Loss loss = currentHost().db().lastLoss();
  if (loss == db::Loss::None) {
    std::string why = lastExecSQLError();
    refuse(why.empty() ? "单据保存失败" : why);
  }
  if (loss == db::Loss::NotDone) refuse(kSaveCutOff);
  if (!reconnectCurrentHost()) refuse(kSaveUnsettled);
  const std::optional<std::string> saved = savedAfterCutOff(isNew);
  if (!saved) refuse(kSaveUnsettled);
  if (saved->empty()) refuse(kSaveNotFoundAfterCutOff);
  MessageMyDlg(kSaveFoundAfterCutOff, kPrompt, mtInformation, mbOK);
  OpenBillData(*saved);
}

void TBaseBillEditRibbonForm::rereadAfterReconnect() {
  if (billno.empty() || hasUnsavedChanges()) return;
  OpenBillData(billno);
}

// A new bill is found by its first line's key, written by this save alone; an existing
// one by the version its guard raised from the one this window read. A bill without
// either cannot be told.
std::optional<std::string> TBaseBillEditRibbonForm::savedAfterCutOff(bool isNew) {
  if (isNew) {
    const bool keyed =
        cdsDetail.active() && !cdsDetail.isEmpty() && cdsDetail.findField("uid") != nullptr;
    if (!keyed) return std::nullopt;
    return issuedBillno();
  }
  if (tableName.empty() || !hasBill()) return std::nullopt;
  return checkBillVersion(tableName, billId, version + 1) ? billno : std::string();
}

// The save batch runs in one transaction with a guard that raises the header's version
// from the one read at opening: a save made by another window since, even one made
// while this clerk was confirming, is never overwritten, and every window still
// holding the old version is refused on its own next save or state change.
int TBaseBillEditRibbonForm::guardedUpdate() {
  if (!hasBill() || tableName.empty()) return Update_();
  VersionGuard guard({tableName, billId, version});
  const int result = Update_();
  if (guard.stale()) refuseStaleSave();
  return result;
}

// What the clerk typed stays on screen until they choose to reload, so it is never
// thrown away unseen; a save from this window stays refused until they do.
void TBaseBillEditRibbonForm::refuseStaleSave() {
  MessageMyDlg("当前数据状态已改变，已为您刷新数据，请重试.", kPrompt, mtInformation, mbOK);
  if (MessageMyDlg("该单据已被其他窗口修改。是否放弃本窗口的修改，重新读取单据？", kPrompt,
                   mtConfirmation, mbOK | mbCancel) == mrOK)
    OpenBillData(billno);
  throw core::Abort();
}

void TBaseBillEditRibbonForm::actCancelExecute(Action& sender) {
  // Cancelling throws the edits away: the clerk chooses to save them, drop them or
  // stay in the bill.
  if (hasUnsavedChanges()) {
    const int answer = MessageMyDlg("单据未保存，是否保存？", kPrompt, mtConfirmation,
                                    mbYes | mbNo | mbCancel, true);
    if (answer == mrYes) return actSaveExecute(sender);
    if (answer != mrNo) throw core::Abort();
  }
  if (isEditing(cdsMaster)) cdsMaster.cancel();
  if (isEditing(cdsDetail)) cdsDetail.cancel();
  OpenBillData(billno);
}

void TBaseBillEditRibbonForm::actAuditExecute(Action& sender) {
  if (sender.caption == "草稿") {
    actAudit_0Execute(sender);
    return;
  }
  requireRight("_04");
  AuditingData_1();
}

void TBaseBillEditRibbonForm::actAudit_0Execute(Action&) {
  requireRight("_05");
  AuditingData_0();
}

void TBaseBillEditRibbonForm::actPrintExecute(Action&) {
  requireRight("_06");
  checkVersionOrReload();
  TDataSetCollection datasets;
  datasets.add("表头数据", cdsMaster);
  datasets.add("明细数据", cdsDetail);
  PrintValues values = {{"表单编号", plugCode()}, {"表单名称", PlugItem ? PlugItem->caption : caption}};
  OpenSetPrintReportForm(this, plugCode(), datasets, values, onPrintDone);
}

void TBaseBillEditRibbonForm::actDetail_AddExecute(Action&) {
  cdsDetail.append();
}

void TBaseBillEditRibbonForm::actDetail_EditExecute(Action&) {
  if (!cdsDetail.isEmpty()) cdsDetail.edit();
}

void TBaseBillEditRibbonForm::actDetail_DelExecute(Action&) {
  if (!cdsDetail.isEmpty()) cdsDetail.deleteRecord();
}

void TBaseBillEditRibbonForm::actprevExecute(Action&) { gotoNeighbour(true); }

BillListSpec TBaseBillEditRibbonForm::billListSpec() const {
  return {plugCode(), PlugItem ? PlugItem->caption : caption, tableName, counterpartyField, statusCaptions};
}

void TBaseBillEditRibbonForm::actlistExecute(Action&) {
  requireRight("");
  auto list = makeForm<TBillListForm>(this, billListSpec());
  if (list->ShowModal() == mrOK && !list->chosenBillno.empty()) OpenBillData(list->chosenBillno);
}

void TBaseBillEditRibbonForm::openTypedBillno() {
  Control& box = control("edtbillno");
  const std::string typed = core::trim(box.text);
  if (editMode || typed.empty()) return;
  requireRight("");
  if (!billExists(tableName, typed)) {
    box.text.clear();
    refuse("单据“" + typed + "”不存在。");
  }
  OpenBillData(typed);
}

void TBaseBillEditRibbonForm::actnextExecute(Action&) { gotoNeighbour(false); }

// ---- audit batch, neighbours, lookup lists ------------------------------------------

// The status change re-tests the version it was read with, so two clerks auditing the
// same bill at once move its stock once: the second finds the version raised and gets
// the stale-data message. sp_sys_billaudit moves (or takes back) the bill's stock.
void TBaseBillEditRibbonForm::runAuditBatch(bool audit, const std::string& extra) {
  const std::string set = audit ? "status=1, shy_id=" + std::to_string(sysAuth().czy_id) + ", auditdate=getdate()"
                                : std::string("status=0, shy_id=0, auditdate=null");
  std::string batch =
      "declare @id int, @ver int\r\n"
      "set @id=" + std::to_string(billId) + "\r\n"
      "set @ver=" + std::to_string(version) + "\r\n"
      "if not exists(select id from " + tableName + " where id=@id and version=@ver)\r\n"
      "begin\r\nraiserror('error', 16, 1)\r\nreturn\r\nend\r\n"
      "begin tran\r\nbegin try\r\n"
      "update " + tableName + " set " + set + ", version=version+1 where id=@id and version=@ver\r\n"
      "if @@rowcount = 0 raiserror('error', 16, 1)\r\n"
      "exec sp_sys_billaudit :orgid, " + core::QuotedStr(plugCode()) + ", " + core::QuotedStr(billno) + ", " +
      (audit ? "1" : "0") + "\r\n" +
      (extra.empty() ? std::string() : extra + "\r\n") +
      "end try\r\nbegin catch\r\nif @@trancount>0 rollback tran\r\n"
      "if error_message() = 'error' raiserror('error', 16, 1)\r\n"
      "else raiserror('" + std::string(audit ? "单据审核失败" : "单据反审核失败") + "', 16, 1)\r\n"
      "end catch\r\nif @@trancount>0 commit tran";
  batch = sqlTemplate(batch);
  LogMsgWithTag(batch, audit ? "审核单据" : "反审核单据");
  if (execSQL(batch)) return;
  const std::string why = lastExecSQLError();
  refuse(why == "error" ? std::string("当前数据状态已改变，请刷新后重试.") : why);
}

void TBaseBillEditRibbonForm::gotoNeighbour(bool backwards) {
  std::string sql = "select top 1 billno from " + tableName + " where orgid=:orgid";
  if (!billno.empty()) sql += std::string(" and billno ") + (backwards ? "<" : ">") + " " + core::QuotedStr(billno);
  sql += std::string(" order by billno") + (backwards ? " desc" : "");
  std::vector<core::JsonRow> rows = core::parseSelection(openDataJson(sqlTemplate(sql)));
  if (rows.empty()) refuse(backwards ? "已经是第一张单据了。" : "已经是最后一张单据了。");
  OpenBillData(rows.front().get("billno"));
}

}  // namespace host
