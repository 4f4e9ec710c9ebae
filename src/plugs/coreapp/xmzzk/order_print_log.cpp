// writeOrderPrintLog: the values are formatted into quoted literals, as the shop's
// text has them, with their own quotes doubled so no caption or number ends one.
#include "plugs/coreapp/xmzzk/order_print_log.h"

#include "core/format.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace plugs::coreapp::xmzzk {

namespace {

core::Value sqlText(std::string_view text) { return core::replaceAll(text, "'", "''"); }

}  // namespace

void writeOrderPrintLog(const std::string& plugCode, const std::string& caption, const std::string& billno) {
  const host::SysAuth& login = host::sysAuth();
  const std::string sql = core::Format(
      "insert into vt_sys_billpirnt_logs(orgid,modulecode, billtype,billno,ck_id,czy_id) "
      "values('%s', '%s', '%s', '%s',%d, %d)",
      {sqlText(login.orgid), sqlText(plugCode), sqlText(caption), sqlText(billno), login.ck_id, login.czy_id});
  host::LogMsgWithTag(sql, "打印");
  if (!host::execSQL(sql))
    host::MessageMyDlg("单据已打印，但打印记录未能保存：" + host::lastExecSQLError(), "提示", host::mtError, host::mbOK);
}

}  // namespace plugs::coreapp::xmzzk
