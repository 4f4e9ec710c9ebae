// Txmzzkworkform, the order as a whole: opening it from the configured queries, the
// read-only header, saving lines, staff and consumables in the order's one batch,
// printing with the print log, and the host windows of the toolbar.
#include <stdexcept>

#include "core/abort.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "host/services/version_guard.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/order_print_log.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

constexpr std::string_view kPrompt = "提示";
// This window cannot reload the order for the clerk: it is left and opened again.
constexpr std::string_view kStaleOrder = "当前数据状态已改变，请退出该模块并刷新重试.";

// A configured query: store id templated, then the markers filled as quoted literals.
std::string fillQuery(const std::string& sql, const std::string& number) {
  if (core::trim(sql).empty())
    throw std::logic_error(
        "plug 1101: the configuration document has no data.master.sql or data.detail.sql");
  std::string text = host::sqlTemplate(sql);
  text = core::replaceAll(text, ":userCode", core::QuotedStr(host::sysAuth().code));
  return core::replaceAll(text, ":billno", core::QuotedStr(number));
}

}  // namespace

// ---- small helpers -----------------------------------------------------------------------

bool Txmzzkworkform::hasLine() const { return cdsDetail.active() && !cdsDetail.isEmpty(); }

std::string Txmzzkworkform::lineUid() const {
  return hasLine() ? cdsDetail.fieldByName("uid").asString() : std::string();
}

std::int64_t Txmzzkworkform::customerId() { return control("edtwldw").tag; }

std::int64_t Txmzzkworkform::headerId() const {
  if (!cdsMaster.active() || cdsMaster.isEmpty()) return 0;
  return cdsMaster.fieldByName("id").asInteger();
}

void Txmzzkworkform::refuse(std::string_view text) const {
  host::MessageMyDlg(text, kPrompt, host::mtInformation, host::mbOK);
  throw core::Abort();
}

std::string Txmzzkworkform::runPlug(const std::string& caption, const std::string& filter,
                                    const std::string& options) {
  host::TPlugItem* plug = host::plugsPool().plugbyName(caption);
  if (plug == nullptr) throw std::logic_error("lookup plug " + caption + " is not registered");
  return plug->selectData(this, filter, options);
}

void Txmzzkworkform::addSelectedItems(const std::string& selection) {
  if (selection.empty()) return;
  SelectedxmbmkToDetail(customerId(), selection, cdsDetail, &cdshc, isAutoFill);
}

// ---- opening ---------------------------------------------------------------------------

void Txmzzkworkform::OpenBillData(const std::string& number) {
  const core::JsonNode doc = core::JsonNode::parse(configDocument());
  host::openDataToCDS(cdsMaster, fillQuery(doc.at("data.master.sql").asText(), number));
  const std::string headerBillno =
      cdsMaster.isEmpty() ? std::string() : cdsMaster.fieldByName("billno").asString();
  host::openDataToCDS(cdsDetail, fillQuery(doc.at("data.detail.sql").asText(), headerBillno));
  billno.clear();
  version = 0;
  control("edtwldw").tag = 0;
  // Nothing of an order shown before may stay on screen when this one is missing.
  for (const char* name : {"edtwldw", "edtwldwmc", "lblbillno", "lbldate", "lbltime"})
    control(name).text.clear();
  if (!cdsMaster.isEmpty()) fillMasterData();
  ComponentReadOnly(true);
  openzzrydata(cdszzry, billno);
  openhcdata(cdshc, billno);
  // The lines opened before their staff and consumables: show the first line's now.
  refilterLineChildren();
}

void Txmzzkworkform::fillMasterData() {
  host::Control& customer = control("edtwldw");
  customer.tag = cdsMaster.fieldByName("kh_id").asInteger();
  customer.text = cdsMaster.fieldByName("kh_code").asString();
  control("edtwldwmc").text = cdsMaster.fieldByName("kh_name").asString();
  if (const dataset::Field* v = cdsMaster.findField("version")) version = v->asInteger();
  billno = cdsMaster.fieldByName("billno").asString();
  const core::DateTime billdate = cdsMaster.fieldByName("billdate").asDateTime();
  control("lblbillno").text = core::Format("单号：%s", {billno});
  control("lbldate").text = billdate.format("日期：yyyy-mm-dd");
  control("lbltime").text = billdate.format("时间：tt");
}

void Txmzzkworkform::ComponentReadOnly(bool readOnly) {
  for (host::Control* c : controls())
    if (c->isEditor() && (c->dataSet == "cdsMaster" || c->name == "edtwldw" ||
                          c->name == "edtwldwmc" || c->name == "cbbshfs"))
      c->readOnly = readOnly;
  isAutoFill = false;
}

void Txmzzkworkform::filter_zzyg(const std::string& uid) { filterToLine(cdszzry, uid); }

void Txmzzkworkform::filter_hc(const std::string& uid) { filterToLine(cdshc, uid); }

void Txmzzkworkform::refilterLineChildren() {
  const std::string uid = lineUid();
  filter_zzyg(uid);
  filter_hc(uid);
}

// ---- saving ---------------------------------------------------------------------------

int Txmzzkworkform::updateData_() {
  return doUpdate(cdsMaster, cdsDetail, cdscpmx, cdszzry, cdshc, billno, MasterIgnorefields);
}

void Txmzzkworkform::actsaveExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_02");
  if (!host::checkBillVersion("vt_x_xmzzk", headerId(), version)) refuse(kStaleOrder);
  // Saving totals the order anew; a voided one keeps its total of 0.
  if (isVoidedOrder(headerId())) refuse("该单据已作废，不能修改。");
  // The line, and a share or quantity still being typed, belong to this save as well.
  postEdits({&cdsDetail, &cdszzry, &cdshc});
  // The order editor or another processing window may save between the check above
  // and this batch: its transaction tests the version again and raises it. The edits
  // stay in the datasets either way.
  host::VersionGuard guard({"vt_x_xmzzk", headerId(), version});
  const int result = updateData_();
  if (guard.stale()) refuse(kStaleOrder);
  if (result != 0) {
    // The datasets keep every change, so the user can save again.
    host::MessageMyDlg("保存失败。", kPrompt, host::mtInformation, host::mbOK);
    return;
  }
  host::MessageMyDlg("保存成功", kPrompt, host::mtInformation, host::mbOK);
  OpenBillData(billno);
}

// ---- printing --------------------------------------------------------------------------

void Txmzzkworkform::actprintExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_06");
  if (!host::checkBillVersion("vt_x_xmzzk", headerId(), version)) {
    host::MessageMyDlg("当前数据状态已改变，已为您刷新数据，请重试.", kPrompt, host::mtInformation,
                       host::mbOK);
    OpenBillData(billno);
    throw core::Abort();
  }
  host::TDataSetCollection datasets;
  datasets.add("表头数据", cdsMaster);
  datasets.add("明细数据", cdsDetail);
  host::OpenSetPrintReportForm(this, plugCode(), datasets,
                               {{"表单编号", plugCode()}, {"表单名称", PlugItem->caption}},
                               [this] { onPrintDone(); });
}

void Txmzzkworkform::onPrintDone() { writeOrderPrintLog(plugCode(), PlugItem->caption, billno); }

// ---- host windows ----------------------------------------------------------------------

void Txmzzkworkform::actFlowViewExecute(host::Action&) {
  host::showFlowView(this, plugCode(), headerId());
}

void Txmzzkworkform::actticketExecute(host::Action&) {
  host::showTicketEditor(this, "项目订单", headerId());
}

void Txmzzkworkform::actbillconfigExecute(host::Action&) {
  host::showBillOptions(this, configDocument(), plugCode());
}

}  // namespace plugs::coreapp::xmzzk
