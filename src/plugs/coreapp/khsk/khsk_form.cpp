// Tkhskform: the receipt's description and its own rules: what its audit and un-audit
// run and which selector it opens. Bill numbers are written into the SQL as quoted
// literals with any quote doubled.
#include "plugs/coreapp/khsk/khsk_form.h"

#include "core/abort.h"
#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/khsk/khsk_sql.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"

namespace plugs::coreapp::khsk {

namespace {

std::string literalText(const std::string& text) { return core::replaceAll(text, "'", "''"); }

}  // namespace

const WriteOffBillSpec& khskSpec() {
  static const WriteOffBillSpec spec{
      .bill = {.code = "1112",
               .caption = "收款单",
               .className = "Tkhskform",
               .guid = "{94BAB263-7032-4997-BC25-8C68451C0283}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_f_khsk",
               .header = {kStoreBox, kMakerBox, kSummaryBox, kDiscountBox, kWriteOffTotalBox, kWrittenOffBox,
                          {"chkiskaipiao", host::ControlKind::CheckBox, "是否开票", "iskaipiao"},
                          {"edtpiaono", host::ControlKind::Edit, "票号：", "piaono"},
                          kRemarkBox},
               .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin},
               .lineJoins = {kLineAccountJoin, kLineMethodJoin},
               .lineDisplayFields = kAccountLineDisplayFields,
               .columns = kAccountColumns,
               .insertTotal = "update dbo.vt_f_khsk set hjje = isnull((select sum(je) from dbo.vt_f_khsk_mx "
                              "where billno = @billno),0) + isnull(jmje,0) where billno = @billno",
               .updateTotal = "update dbo.vt_f_khsk set hjje = isnull((select sum(je) from dbo.vt_f_khsk_mx "
                              "where billno = @billno),0)  + isnull(jmje,0) where billno = @billno"},
      .counterparty = kCustomer,
      .accountPanel = "收款账户明细",
      .amountMessage = "请输入收款金额",
      .totalMessage = "收款金额不能小于核销总金额.",
      .lineQuery = kKhskLineQuery};
  return spec;
}

Tkhskform::Tkhskform(host::FormModel* owner, host::TPlugItem* item) : TWriteOffBillForm(owner, item, khskSpec()) {}

void Tkhskform::generateSqlAuditing_1(std::string& sql) {
  std::string text = kKhskAuditSql;
  for (const std::string& order : paidBillnos("项目订单"))
    text += "\r\nexec sp_sys_calcxmzzkhj @orgid=:orgid, @billno='" + literalText(order) + "'";
  text = host::sqlTemplate(text);
  host::LogMsg(text);
  sql = core::Format(text, {core::Value(literalText(billno))});
}

void Tkhskform::generateSqlAuditing_0(std::string& sql) {
  const std::string used = core::Format(
      host::sqlTemplate("select id from dbo.vt_f_yshx_mx where bizid=%d and orgid=:orgid and biztype='收款单'"),
      {core::Value(billId)});
  if (!core::parseSelection(host::openDataJson(used)).empty()) {
    host::MessageMyDlg("收款单已核销或部分核算（结算），不能反审核。\r\n如确定要反审核，请先删除对应核销单（收款单）据。",
                       "提示", host::mtInformation);
    throw core::Abort();
  }
  std::string text = "delete from vt_sys_hx_kh where orgid=:orgid and billno='%0:s'\r\n"
                     "update vt_f_khsk set hxje=0 where billno='%0:s'";
  for (const std::string& order : paidBillnos("项目订单"))
    text += "\r\nexec sp_sys_calcxmzzkhj @orgid=:orgid, @billno='" + literalText(order) + "'";
  sql = core::Format(host::sqlTemplate(text), {core::Value(literalText(billno))});
}

std::string Tkhskform::selectSources() {
  return runSourceSelector<Tkhskhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno, false);
}

void registerKhskForm() { registerSimpleBill<Tkhskform>(khskSpec().bill); }

host::UnitInitialization& khskFormUnit() {
  static host::UnitInitialization unit(&registerKhskForm);
  return unit;
}

}  // namespace plugs::coreapp::khsk
