// TBaseBillEditRibbonForm, second half: the toolbar actions, the audit batch, the
// version check, moving between bills and the lookup combos over the host lists.
#include <stdexcept>

#include "core/abort.h"
#include "core/format.h"
#include "core/json.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"

namespace host {

namespace {

constexpr std::string_view kPrompt = "提示";

// The host lists a lookup combo can show: list name -> master table.
const char* listTable(std::string_view list) {
  static const std::pair<const char*, const char*> lists[] = {
      {"ck", "vt_b_ckbmk"},   {"yg", "vt_b_ygbmk"},   {"shfs", "vt_b_shfs"}, {"flow", "vt_b_flow"},
      {"zh", "vt_b_zhbmk"},   {"rklx", "vt_b_rklx"},  {"cklx", "vt_b_cklx"}, {"comp", "vt_b_comp"},
      {"jsfs", "vt_b_jsfs"},  {"srlb", "vt_b_srlb"},  {"fylb", "vt_b_fylb"}};
  for (const auto& [name, table] : lists)
    if (list == name) return table;
  return nullptr;
}

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

}  // namespace

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
  std::string message;
  if (CheckBillError(message)) refuse(message);
  if (MessageMyDlg("是否确认保存该单据？", kPrompt, mtConfirmation, mbOK | mbCancel) != mrOK)
    throw core::Abort();
  const bool isNew = billno.empty();
  if ((isNew ? Insert_() : Update_()) != 0) {
    std::string why = lastExecSQLError();
    refuse(why.empty() ? "单据保存失败" : why);
  }
  OpenBillData(isNew ? issuedBillno() : billno);
}

void TBaseBillEditRibbonForm::actCancelExecute(Action&) {
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

void TBaseBillEditRibbonForm::actnextExecute(Action&) { gotoNeighbour(false); }

// ---- audit batch, neighbours, lookup lists ------------------------------------------

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
      "update " + tableName + " set " + set + ", version=version+1 where id=@id\r\n" +
      (extra.empty() ? std::string() : extra + "\r\n") +
      "end try\r\nbegin catch\r\nif @@trancount>0 rollback tran\r\n"
      "raiserror('" + std::string(audit ? "单据审核失败" : "单据反审核失败") + "', 16, 1)\r\n"
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

void TBaseBillEditRibbonForm::BindLookupComboboxProperties(Control& combo, std::string_view listName) {
  const char* table = listTable(listName);
  if (table == nullptr) throw std::invalid_argument("unknown host list \"" + std::string(listName) + "\"");
  combo.kind = ControlKind::LookupCombo;
  combo.listName = std::string(listName);
  combo.items.clear();
  combo.itemIds.clear();
  std::string sql = std::string("select id, name from ") + table +
                    " where orgid=:orgid and isnull(isdel,0)=0 order by isort, id";
  for (const core::JsonRow& row : core::parseSelection(openDataJson(sqlTemplate(sql)))) {
    combo.itemIds.push_back(row.value("id").asInteger());
    combo.items.push_back(row.get("name"));
  }
  Control::Handler previous = combo.onChange;
  Control* c = &combo;
  combo.onChange = [this, c, previous] {
    if (!c->hint.empty() && c->isBound()) {
      dataset::ClientDataSet* ds = findDataSet(c->dataSet);
      std::string name = controlText(*c);
      std::int64_t id = 0;
      for (std::size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i] == name) id = c->itemIds[i];
      if (ds != nullptr) ds->fieldByName(c->hint).setValue(core::Value(id));
    }
    if (previous) previous();
  };
}

}  // namespace host
