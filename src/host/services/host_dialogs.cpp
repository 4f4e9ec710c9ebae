// Host dialogs: arguments in, result out, and the host's own follow-up.
#include "host/services/host_dialogs.h"

#include "host/host.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

DialogReply run(std::string_view className, const DialogArgs& args) {
  return currentHost().screen().hostDialog(className, args);
}

std::string valueOf(const DialogReply& reply, const char* key) {
  auto it = reply.values.find(key);
  return it == reply.values.end() ? std::string() : it->second;
}

}  // namespace

bool askReason(Owner, std::string_view title, std::string& reason) {
  DialogReply reply = run("TAuditingDataForm", {{"title", std::string(title)}});
  if (reply.result != mrOK) return false;
  reason = reply.text;
  return true;
}

bool askNewPassword(Owner, std::string_view operatorName, std::string& password) {
  DialogReply reply = run("Tpasswordform", {{"name", std::string(operatorName)}});
  if (reply.result != mrOK) return false;
  password = std::move(reply.text);
  return true;
}

int chooseDefaultCustomer(Owner, std::int64_t ck_id) {
  DialogReply reply = run("Tckbmkdefkhinfoform", {{"ck_id", std::to_string(ck_id)}});
  if (reply.result == mrOK && reply.kh_id != 0 &&
      !execSQL("update vt_b_ckbmk set kh_id = :kh_id where orgid = :orgid and id = :ck_id",
               {{"kh_id", core::Value(reply.kh_id)}, {"ck_id", core::Value(ck_id)}})) {
    MessageMyDlg("默认客户保存失败：" + lastExecSQLError(), "提示", mtError);
    return mrCancel;
  }
  return reply.result;
}

int showBillOptions(Owner, std::string_view configJson, std::string_view plugCode) {
  DialogReply reply = run("Tbilloptionsform",
                          {{"config", std::string(configJson)}, {"code", std::string(plugCode)}});
  if (reply.result != mrOK) return reply.result;
  Host& host = currentHost();
  std::string newbill = valueOf(reply, "newbill");
  if (!newbill.empty()) host.billOptions[std::string(plugCode)].newbill = newbill;
  std::string config = valueOf(reply, "config");
  if (!config.empty()) host.plugInfo[std::string(plugCode)] = config;
  return reply.result;
}

bool openFileDialog(Owner, std::string_view filter, std::string& file) {
  DialogReply reply = run("TOpenDialog", {{"filter", std::string(filter)}});
  if (reply.result != mrOK || reply.file.empty()) return false;
  file = reply.file;
  return true;
}

int showTicketEditor(Owner, std::string_view billKind, std::int64_t billId) {
  return run("Tticketeditform", {{"kind", std::string(billKind)}, {"id", std::to_string(billId)}})
      .result;
}

int showPriceHistory(Owner, std::int64_t kh_id, std::int64_t xm_id) {
  return run("Thistorypriceform",
             {{"kh_id", std::to_string(kh_id)}, {"xm_id", std::to_string(xm_id)}})
      .result;
}

int showFlowView(Owner, std::string_view plugCode, std::int64_t billId) {
  return run("Tflowviewform", {{"code", std::string(plugCode)}, {"id", std::to_string(billId)}})
      .result;
}

int openFileExplorer(Owner, std::string_view billno) {
  return run("Tfileexplorerform", {{"billno", std::string(billno)}}).result;
}

}  // namespace host
