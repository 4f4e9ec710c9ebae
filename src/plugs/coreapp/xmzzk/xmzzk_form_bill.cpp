// TxmzzkForm, the order's life: defaults of a new order, the check before saving,
// the display by status and flags, opening with the child lists, saving and deleting,
// complete and re-open with their batches, void, settle and print.
#include <stdexcept>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/json.h"
#include "host/forms/base_form.h"
#include "host/forms/money_format.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_config_cache.h"
#include "host/services/sys_services.h"
#include "host/services/unit_of_work.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/order_print_log.h"
#include "plugs/coreapp/xmzzk/order_sql.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

constexpr std::string_view kStaleRetry = "当前数据状态已改变，请刷新后重试.";
// A voided order keeps its rows and a total of 0: it is never edited again.
constexpr const char* kVoidedNoEdit = "该单据已作废，不能修改。";

bool editing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

void setMaster(dataset::ClientDataSet& m, std::string_view field, const core::Value& v) {
  if (!editing(m)) m.edit();
  m.fieldByName(field).setValue(v);
}

}  // namespace

bool TxmzzkForm::flag(const char* field) const { return masterInt(field) != 0; }

std::int64_t TxmzzkForm::masterInt(const char* field) const {
  if (!cdsMaster.active() || cdsMaster.isEmpty()) return 0;
  const dataset::Field* f = cdsMaster.findField(field);
  return f == nullptr ? 0 : f->asInteger();
}

std::int64_t TxmzzkForm::customerId() { return control("edtwldw").tag; }

bool TxmzzkForm::hasLine() const { return cdsDetail.active() && !cdsDetail.isEmpty(); }

void TxmzzkForm::BeforeAppend() {
  TSampleBillEditRibbonForm::BeforeAppend();
  control("lblispay").text = "未结算";
  control("edtwldwmc").text.clear();
  control("edtwldw").tag = 0;
  control("edtwldw").text.clear();
  setMaster(cdsMaster, "zdzk", 1.0);
  setMaster(cdsMaster, "txsj", 12);
  control("edtwjje").text =
      core::Currency().format(host::moneyFormat(host::MoneyKind::WholeAmount));
  const std::int64_t days = core::Value(host::SysConfigCache().get("jiaohuoriqi")).asInteger();
  setMaster(cdsMaster, "jhrq", core::DateTime::now().addDays(days));
  setMaster(cdsMaster, "jjcd", "普通");
  for (const char* name : {"cbbshfs", "cbbflow"}) {
    host::Control& combo = control(name);
    if (combo.items.empty()) continue;
    setMaster(cdsMaster, combo.dataField, combo.items.front());
    setMaster(cdsMaster, combo.hint, combo.itemIds.front());
  }
  host::Control& status = control("cxLabel3");
  status.text = "未处理";
  status.color = "teal";
  action("actAudit").caption = "完工";
  // A new order starts with no products; staff and consumables of the bill shown
  // before are dropped too so that none of them can reach the new order's batch.
  for (dataset::ClientDataSet* ds : {&cdscpmx, &cdszzry, &cdshc})
    if (ds->active()) ds->emptyDataSet();
}

void TxmzzkForm::actEditExecute(host::Action& sender) {
  requireRight("_02");
  if (flag("zfflag")) refuse(kVoidedNoEdit);
  TSampleBillEditRibbonForm::actEditExecute(sender);
}

bool TxmzzkForm::CheckBillError(std::string& message) {
  if (editing(cdsMaster)) cdsMaster.post();
  if (TSampleBillEditRibbonForm::CheckBillError(message)) return true;
  // Voided by another window while this one was editing: the save would total it again.
  if (hasBill() && isVoidedOrder(billId)) {
    message = kVoidedNoEdit;
    return true;
  }
  postChildEdits();
  if (cdsMaster.fieldByName("zdzk").isNull()) setMaster(cdsMaster, "zdzk", 1.0);
  setMaster(cdsMaster, "kh_id", customerId());
  cdsMaster.post();
  if (customerId() == 0) {
    message = "请选择往来单位.";
    return true;
  }
  return false;
}

void TxmzzkForm::fillMasterData() {
  host::Control& box = control("edtwldw");
  box.tag = masterInt("kh_id");
  box.text = cdsMaster.fieldByName("kh_code").asString();
  control("edtwldwmc").text = cdsMaster.fieldByName("kh_name").asString();
  const core::Currency open = cdsMaster.fieldByName("hjje").asCurrency() -
                              cdsMaster.fieldByName("jmje").asCurrency() -
                              cdsMaster.fieldByName("hjsk").asCurrency();
  control("edtwjje").text = open.format(host::moneyFormat(host::MoneyKind::WholeAmount));
  showStatus();
}

void TxmzzkForm::showStatus() {
  struct Look {
    const char* text;
    const char* color;
    const char* audit;
  };
  static const Look byStatus[] = {{"未处理", "teal", "完工"},
                                  {"处理中", "red", "完工"},
                                  {"已完工", "maroon", "草稿"},
                                  {"已结算", "blue", "草稿"}};
  static const char* const byPay[] = {"未结算", "结算中", "已结清"};
  const std::int64_t status = masterInt("status");
  const std::int64_t ispay = masterInt("ispay");
  Look look = (status >= 0 && status <= 3) ? byStatus[status] : Look{"", "", "完工"};
  std::string payText = (ispay >= 0 && ispay <= 2) ? byPay[ispay] : "";
  if (flag("dzflag")) look = {"已对账", "blue", "草稿"};
  if (flag("zfflag")) {
    look = {"已作废", "grey", "草稿"};
    payText.clear();
  }
  host::Control& label = control("cxLabel3");
  label.text = look.text;
  label.color = look.color;
  action("actAudit").caption = look.audit;
  control("lblispay").text = payText;
}

void TxmzzkForm::opendataEx(const std::string& number) {
  TSampleBillEditRibbonForm::opendataEx(number);
  openzzrydata(cdszzry, number);
  openhcdata(cdshc, number);
  opencpdata(cdscpmx, number);
  refilterLineChildren();
}

int TxmzzkForm::Insert_() {
  postChildEdits();
  return doInsert(cdsMaster, cdsDetail, cdscpmx, cdszzry, cdshc, workBillno, *PlugItem,
                  MasterIgnorefields);
}

int TxmzzkForm::Update_() {
  postChildEdits();
  return doUpdate(cdsMaster, cdsDetail, cdscpmx, cdszzry, cdshc, workBillno, MasterIgnorefields);
}

int TxmzzkForm::delete_() {
  const std::string sql = OrderSql::deleteOrder(cdsMaster.fieldByName("billno").asString(),
                                                cdsMaster.fieldByName("orgid").asString());
  return host::execSQLWhole(sql, "单据删除失败") ? 0 : -1;
}

// The common audit and the order's state batch take effect together or not at all: a
// fault in either leaves the order as it was (audit marks, status, steps). The state
// batch's CATCH rolls back without raising, which ends the unit; a batch that
// "succeeded" may also have changed nothing, so the order's status is read in the unit.
void TxmzzkForm::changeOrderState(bool complete) {
  const int statusAfter = complete ? 2 : 0;
  bool whole = false;
  {
    host::UnitOfWork unit;
    if (complete)
      TSampleBillEditRibbonForm::AuditingData_1();
    else
      TSampleBillEditRibbonForm::AuditingData_0();
    const std::string sql = complete ? OrderSql::complete(billId, version)
                                     : host::sqlTemplate(OrderSql::reopen(billId, version, billno));
    if (host::execSQL(sql) && unit.open()) {
      OpenBillData(billno);
      whole = hasBill() && masterInt("status") == statusAfter && unit.commit();
    }
  }
  if (!whole) {
    OpenBillData(billno);
    refuse(kStaleRetry);
  }
}

int TxmzzkForm::AuditingData_1() {
  requireRight("_04");
  changeOrderState(true);
  return 0;
}

int TxmzzkForm::AuditingData_0() {
  requireRight("_05");
  if (flag("zfflag")) refuse("该订单已作废，不能反审核。");
  if (flag("dzflag"))
    refuse("该订单已生成对账单，不能反审核。\r\n如确定要反审核，请先删除对应对账单。");
  const std::string found = host::openDataJson(host::sqlTemplate(OrderSql::writeOffs(billno)));
  if (!core::parseSelection(found).empty())
    refuse(
        "订单已核销或部分核算（结算），不能反审核。\r\n如确定要反审核，请先删除对应核销单（收款单）"
        "。");
  changeOrderState(false);
  return 0;
}

void TxmzzkForm::generateSqlAuditing_1(std::string& sql) {
  sql = host::sqlTemplate(OrderSql::auditingExtra(billno));
}

void TxmzzkForm::actzfflagExecute(host::Action&) {
  requireRight("_08");
  checkVersionOrReload();
  if (masterInt("ispay") > 0) refuse("对不起，单据已结算，不能作废。");
  if (flag("dzflag")) refuse("对不起，单据已生成对账单，不能作废。");
  if (flag("zfflag")) refuse("对不起，单据已作废。");
  std::string reason;
  if (!host::askReason(this, "作废", reason)) throw core::Abort();
  const host::SysAuth& login = host::sysAuth();
  const db::Params params = {
      {"orgid", login.orgid}, {"modulecode", plugCode()}, {"billtype", PlugItem->caption},
      {"billno", billno},     {"ck_id", login.ck_id},     {"czy_id", login.czy_id},
      {"auditmsg", reason},   {"auditstate", "作废"}};
  if (!host::execSQL(OrderSql::voidOrder(billId), params)) refuse(host::lastExecSQLError());
  OpenBillData(billno);
}

void TxmzzkForm::actjiesuanExecute(host::Action&) {
  requireRight("_07");
  checkVersionOrReload();
  if (flag("zfflag")) refuse("对不起，单据已作废，不能结算。");
  Tjiesuanform settlement(this, billno);
  const int result = settlement.ShowModal();
  if (result == host::mrCancel) return;
  OpenBillData(billno);
  if (result == host::mrYes) action("actPrint").execute();
}

void TxmzzkForm::actPrintExecute(host::Action&) {
  requireRight("_06");
  checkVersionOrReload();
  dataset::ClientDataSet merged("明细数据(合并)");
  dataset::ClientDataSet cards("会员卡信息");
  // The card query reads whole card rows; only these fields are kept, so the card's
  // password hash never reaches a print dataset.
  cards.addField({"code"});
  cards.addField({"name"});
  cards.addField({"curje", dataset::FieldType::Currency});
  cards.addField({"qmje", dataset::FieldType::Currency});
  host::openDataToCDS(merged, SQLStore.at(0),
                      {{"billno", billno}, {"orgid", host::sysAuth().orgid}});
  host::openDataToCDS(cards, SQLStore.at(1),
                      {{"orgid", host::sysAuth().orgid},
                       {"kh_id", masterInt("kh_id")},
                       {"dt", cdsMaster.fieldByName("billdate").asDateTime()}});
  host::TDataSetCollection datasets;
  datasets.add("表头数据", cdsMaster);
  datasets.add("明细数据", cdsDetail);
  datasets.add("产品信息", cdscpmx);
  datasets.add("员工业绩", cdszzry);
  datasets.add("生产耗材", cdshc);
  datasets.add("明细数据(合并)", merged);
  datasets.add("会员卡信息", cards);
  // Staff and consumables are filtered to the current line for the grids; the printed
  // order shows those of every line.
  cdszzry.setFiltered(false);
  cdshc.setFiltered(false);
  try {
    host::OpenSetPrintReportForm(this, plugCode(), datasets,
                                 {{"表单编号", plugCode()}, {"表单名称", PlugItem->caption}},
                                 onPrintDone);
  } catch (...) {
    refilterLineChildren();
    throw;
  }
  refilterLineChildren();
}

void TxmzzkForm::cxLabel3DblClick() {
  TSampleBillEditRibbonForm::cxLabel3DblClick();
  if (editMode || !hasBill()) return;
  host::showFlowView(this, plugCode(), billId);
}

void TxmzzkForm::ComponentReadOnly(bool readOnly) {
  TSampleBillEditRibbonForm::ComponentReadOnly(readOnly);
  control("edtwldw").readOnly = readOnly;
  control("edtwldwmc").readOnly = readOnly;
  isAutoFill = false;
  // The product grid's new-item row exists only while editing; the staff's points and
  // amounts are the server's figures, shown only outside editing.
  control("cxgcpmx").readOnly = readOnly;
  for (host::GridColumn& c : control("cxgzzry").columns)
    if (c.field == "jxjf" || c.field == "jxje") c.visible = readOnly;
  for (const char* fixed :
       {"cbbck", "cbbkdr", "edthjje", "edtyfk", "edtjmje", "edthjsk", "edtwjje"})
    control(fixed).readOnly = true;
}

}  // namespace plugs::coreapp::xmzzk
