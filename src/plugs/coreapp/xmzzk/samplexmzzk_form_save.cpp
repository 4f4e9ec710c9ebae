// Tsamplexmzzkform, "结算": the lines become a completed project order in one batch
// (number from the project orders' "1100" series, header and lines, total), then the
// settlement dialog opens on the issued number and, when it ends with "确认后打印",
// the order is printed. The project name travels as a bound parameter.
#include <memory>
#include <vector>

#include "core/abort.h"
#include "core/date_time.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/order_save_batch.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_form.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_sql.h"

namespace plugs::coreapp::xmzzk {

namespace {

// The number series of project orders: the ad-hoc bill saves one.
constexpr const char* kOrderSeries = "1100";
// Marker the header carries in place of the project name until the batch binds it.
constexpr const char* kProjectNameMarker = ":gcxmmc";

std::string statementsOf(const std::vector<std::string>& list) { return core::join(list, "\r\n"); }

}  // namespace

void Tsamplexmzzkform::actsaveExecute(host::Action&) {
  if (cdsmx.state() != dataset::DataSetState::Browse) cdsmx.post();
  if (cdsmx.isEmpty()) {
    host::MessageMyDlg("单据无明细，不能保存", "提示", host::mtInformation);
    throw core::Abort();
  }
  const int answer = host::MessageMyDlg("是否确认保存该单据？", "确认", host::mtConfirmation,
                                        host::mbYes | host::mbNo);
  if (answer != host::mrYes && answer != host::mrOK) return;
  const host::SysAuth& login = host::sysAuth();
  const db::Params params = {{"orgid", login.orgid},
                             {"category", kOrderSeries},
                             {"tag", login.tag},
                             {"gcxmmc", control("edtgcxmmc").text},
                             {"ck_id", login.ck_id}};
  if (!host::execSQL(buildSaveBatch(), params)) {
    // Rolled back in the database; the lines stay so the clerk can try again.
    const std::string why = host::lastExecSQLError();
    host::MessageMyDlg(why.empty() ? "单据保存失败" : why, "提示", host::mtInformation);
    throw core::Abort();
  }
  const std::vector<core::JsonRow> saved = core::parseSelection(
      host::openDataJson(host::sqlTemplate(SamplexmzzkSql::issuedBillno(billuid))));
  const std::string billno = saved.empty() ? std::string() : saved.front().get("billno");
  if (!billno.empty() && openSettlement(billno) == host::mrYes) printbilldata(billno);
  ModalResult = host::mrOK;
  Close();
}

std::string Tsamplexmzzkform::buildSaveBatch() {
  std::string batch = core::Format(SQLStore[1], {headerStatements(), lineStatements()});
  batch = OrderSaveBatch::replaceQuotedBillno(std::move(batch), tempBillno);
  host::LogMsgWithTag(batch, "添加单据");
  return batch;
}

std::string Tsamplexmzzkform::headerStatements() {
  const host::SysAuth& login = host::sysAuth();
  const core::DateTime now = core::DateTime::now();
  dataset::ClientDataSet head("cdsHead");
  host::openDataToCDS(head, SamplexmzzkSql::emptyHeader());
  head.append();
  const std::pair<const char*, core::Value> values[] = {{"uid", billuid},
                                                        {"orgid", login.orgid},
                                                        {"billno", tempBillno},
                                                        {"billdate", now},
                                                        {"status", 2},
                                                        {"kh_id", kh_id},
                                                        {"jhrq", now},
                                                        {"ddtx", false},
                                                        {"txsj", 12},
                                                        {"ck_id", login.ck_id},
                                                        {"kdr_id", login.czy_id},
                                                        {"ywy_id", login.czy_id},
                                                        {"shy_id", login.czy_id},
                                                        {"auditdate", now},
                                                        {"jjcd", "普通"},
                                                        {"khlx", "现结"},
                                                        {"gcxmmc", kProjectNameMarker},
                                                        {"zy", "零散业务单"}};
  for (const auto& [field, value] : values) head.fieldByName(field).setValue(value);
  head.post();
  std::vector<std::string> list;
  host::GetUpDataSQLList("vt_x_xmzzk", "id", {"id"}, head, list, 0);
  std::string text = statementsOf(list);
  host::LogMsg(text);
  return core::replaceAll(text, "'" + std::string(kProjectNameMarker) + "'", kProjectNameMarker);
}

std::string Tsamplexmzzkform::lineStatements() {
  std::vector<std::string> list;
  host::GetUpDataSQLList("vt_x_xmzzk_mx", "uid",
                         {"id", "xm_code", "xm_name", "xm_itemno", "xm_baseunit", "sb_code",
                          "sb_name", "jjfs", "minje"},
                         cdsmx, list, 0);
  return statementsOf(list);
}

int Tsamplexmzzkform::openSettlement(const std::string& billno) {
  std::unique_ptr<Tjiesuanform> settle = host::makeForm<Tjiesuanform>(this, billno);
  return settle->ShowModal();
}

void Tsamplexmzzkform::printbilldata(const std::string& billno) {
  const db::Params params = {{"orgid", host::sysAuth().orgid}, {"billno", billno}};
  dataset::ClientDataSet header("表头数据");
  dataset::ClientDataSet lines("明细数据");
  host::openDataToCDS(header, SamplexmzzkSql::printHeader(), params);
  host::openDataToCDS(lines, SamplexmzzkSql::printLines(), params);
  host::TDataSetCollection datasets;
  datasets.add("表头数据", header);
  datasets.add("明细数据", lines);
  host::OpenSetPrintReportForm(this, "1103", datasets,
                               {{"表单编号", "1103"}, {"表单名称", "零散业务单"}});
}

}  // namespace plugs::coreapp::xmzzk
