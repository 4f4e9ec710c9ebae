// Tyfhxform: the prepayment write-off's description and audit SQL. Its texts are the
// customer side's on payments; its paid-bill lines start the settled amount at 0
// because a payment's own settlement (bcfk) is not an advance.
#include "plugs/coreapp/gysfk/yfhx_form.h"

#include "core/format.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/gysfk/gysfk_sql.h"
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"
#include "plugs/coreapp/gysfk/gysyfk_select_form.h"
#include "plugs/coreapp/khsk/yshx_sql.h"

namespace plugs::coreapp::gysfk {

namespace {

//! Ledger rows of prepayment write-off %0:s.
constexpr const char* kYfhxAuditSql =
    "insert into vt_sys_hx_gys(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)\r\n"
    "select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0), t1.hxje,'预付冲减应付'  \r\n"
    " from vt_f_yfhx_hx t1 left join vt_x_xmwtk t2 on t1.bizid=t2.id\r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and t1.biztype='外协加工单'\r\n"
    "insert into vt_sys_hx_gys(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)\r\n"
    "select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0) - isnull(t2.jmje,0) + isnull(t2.qtfy, 0), t1.hxje,'预付冲减应付'\r\n"
    "from vt_f_yfhx_hx t1 left join vt_c_spjh t2 on t1.bizid=t2.id\r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and t1.biztype='购货单'";

const char* billLineQuery() {
  static const std::string text =
      core::replaceAll(core::replaceAll(kGysfkLineQuery, "vt_f_gysfk_hx", "vt_f_yfhx_hx"), "isnull(bcfk,0)", "0");
  return text.c_str();
}

const char* moneyLineQuery() {
  static const std::string text = khsk::toSupplierSide(khsk::kYshxMoneyLineQuery);
  return text.c_str();
}

}  // namespace

const WriteOffBillSpec& yfhxSpec() {
  static const WriteOffBillSpec spec{
      .bill = {.code = "1116",
               .caption = "预付核销单",
               .className = "Tyfhxform",
               .guid = "{F9F4E5F2-B68B-488C-BFD6-8FE5AFAF23B6}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_f_yfhx",
               .header = {kStoreBox, kMakerBox, kSummaryBox, kRemarkBox},
               .masterJoins = {kSupplierJoin, kStoreJoin, kMakerJoin},
               .lineJoins = {},
               .lineDisplayFields = kWriteOffLineDisplayFields,
               .columns = kAdvanceMoneyColumns,
               .insertTotal = "",
               .lineQuery = moneyLineQuery()},
      .counterparty = kSupplier,
      .accountPanel = "供应商付款单（待核销）",
      .amountMessage = "",
      .totalMessage = "",
      .lineQuery = billLineQuery()};
  return spec;
}

Tyfhxform::Tyfhxform(host::FormModel* owner, host::TPlugItem* item)
    : TAdvanceWriteOffForm(owner, item, yfhxSpec(), "选择付款单") {}

void Tyfhxform::generateSqlAuditing_1(std::string& sql) {
  sql = core::Format(host::sqlTemplate(kYfhxAuditSql), {core::Value(core::replaceAll(billno, "'", "''"))});
}

void Tyfhxform::generateSqlAuditing_0(std::string& sql) {
  sql = core::Format(host::sqlTemplate("delete from vt_sys_hx_gys where orgid=:orgid and billno='%0:s'"),
                     {core::Value(core::replaceAll(billno, "'", "''"))});
}

std::string Tyfhxform::selectSources() {
  return runSourceSelector<Tgysfkhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno);
}

std::string Tyfhxform::selectMoneySources() {
  return runSourceSelector<Tgysyfkselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno);
}

void registerYfhxForm() { registerSimpleBill<Tyfhxform>(yfhxSpec().bill); }

host::UnitInitialization& yfhxFormUnit() {
  static host::UnitInitialization unit(&registerYfhxForm);
  return unit;
}

}  // namespace plugs::coreapp::gysfk
