// Tjiesuanform, confirming and printing. Confirming writes everything in one batch in
// one transaction: the statements made from the new lines, the order's recalculation
// and, for a card consumption, the card ledger row; any failure rolls all of it back
// and the dialog stays open with its lines. Only a written batch opens the drawer.
#include "core/abort.h"
#include "core/format.h"
#include "core/strings.h"
#include "host/print/print_service.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/version_guard.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

constexpr const char* kCrLf = "\r\n";

}  // namespace

void Tjiesuanform::actokExecute(host::Action& sender) {
  if (cdsjiesuan.state() != dataset::DataSetState::Browse) cdsjiesuan.post();
  const std::string sql = settlementBatch();
  host::LogMsgWithTag(sql, "订单结算");
  // The order as read when the dialog opened: a settlement, save or reset made since
  // by another window refuses this one ("当前数据状态已改变，请刷新后重试."), lines kept.
  host::VersionGuard guard({"vt_x_xmzzk", cdsMain.fieldByName("id").asInteger(),
                            cdsMain.fieldByName("version").asInteger()});
  if (!host::execSQL(sql)) {
    host::MessageMyDlg(host::lastExecSQLError(), "提示", host::mtInformation, host::mbOK);
    throw core::Abort();
  }
  host::openMoneyBox();
  ModalResult = sender.tag == 1 ? host::mrYes : host::mrOK;
}

// Only the texts written here go through sqlTemplate and get the bill number: the
// generated statements and the remark are carried as they are, whatever they hold.
std::string Tjiesuanform::settlementBatch() {
  std::vector<std::string> batch = {"begin tran", "begin try"};
  if (cdsjiesuan.changeCount() > 0) {
    host::GetUpDataSQLList("vt_x_xmzzk_js", "uid",
                           {"id", "jsfs_code", "jsfs_name", "zh_code", "zh_name"}, cdsjiesuan,
                           batch, 0);
  }
  batch.push_back(host::sqlTemplate("exec sp_sys_calcxmzzkhj @orgid=:orgid, @billno=") +
                  core::QuotedStr(billno));
  if (cdsjiesuan.locate("jsfs_code", core::Value("03"))) {
    const host::SysAuth& login = host::sysAuth();
    const std::string head = host::sqlTemplate(
        "insert into vt_b_khbmk_vip_pay(orgid,ck_id,kh_id,card_id,createtime,czy_id,biztype,bizid,"
        "decje,remark)\r\nvalues(:orgid,");
    const std::string values =
        core::Format("%d,%d,%d,getdate(),%d,'消费',%d,%0.8f,%s)",
                     {login.ck_id, cdskhvip.fieldByName("kh_id").asInteger(),
                      cdskhvip.fieldByName("id").asInteger(), login.czy_id,
                      cdsMain.fieldByName("id").asInteger(), cdsjiesuan.fieldByName("je").value(),
                      core::QuotedStr(cdsjiesuan.fieldByName("remark").asString())});
    batch.push_back(head + values);
  }
  for (const char* line :
       {"end try", "begin catch", "if (@@trancount>0) rollback tran",
        "raiserror('单据保存失败', 16, 1)", "end catch", "if (@@trancount>0) commit tran"})
    batch.emplace_back(line);
  return core::join(batch, kCrLf);
}

void Tjiesuanform::actprintExecute(host::Action&) {
  host::TDataSetCollection datasets;
  datasets.add("项目订单", cdsMain);
  datasets.add("历史结算列表", cdsResult);
  host::OpenSetPrintReportForm(this, "1100_01", datasets,
                               {{"表单编号", "1100_01"}, {"表单名称", "结算"}});
}

}  // namespace plugs::coreapp::xmzzk
