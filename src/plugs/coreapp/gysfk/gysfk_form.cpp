// Tgysfkform: the payment's description and its audit and un-audit SQL.
#include "plugs/coreapp/gysfk/gysfk_form.h"

#include "core/format.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/gysfk/gysfk_sql.h"
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"

namespace plugs::coreapp::gysfk {

const WriteOffBillSpec& gysfkSpec() {
  static const WriteOffBillSpec spec{
      .bill = {.code = "1113",
               .caption = "付款单",
               .className = "Tgysfkform",
               .guid = "{56B07E48-085E-4016-8EDE-A641E90DF450}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_f_gysfk",
               .header = {kStoreBox, kMakerBox, kSummaryBox, kDiscountBox, kWriteOffTotalBox, kWrittenOffBox,
                          kRemarkBox},
               .masterJoins = {kSupplierJoin, kStoreJoin, kMakerJoin},
               .lineJoins = {kLineAccountJoin, kLineMethodJoin},
               .lineDisplayFields = kAccountLineDisplayFields,
               .columns = kAccountColumns,
               .insertTotal = "update dbo.vt_f_gysfk set hjje = isnull((select sum(je) from dbo.vt_f_gysfk_mx "
                              "where billno = @billno),0) + isnull(jmje,0) where billno = @billno",
               .updateTotal = "update dbo.vt_f_gysfk set hjje = isnull((select sum(je) from dbo.vt_f_gysfk_mx "
                              "where billno = @billno),0)  + isnull(jmje,0) where billno = @billno"},
      .counterparty = kSupplier,
      .accountPanel = "付款账户明细",
      .amountMessage = "请输入付款金额",
      .totalMessage = "付款金额不能小于核销总金额.",
      .lineQuery = kGysfkLineQuery,
      .logLineQuery = true};
  return spec;
}

Tgysfkform::Tgysfkform(host::FormModel* owner, host::TPlugItem* item) : TWriteOffBillForm(owner, item, gysfkSpec()) {}

void Tgysfkform::generateSqlAuditing_1(std::string& sql) {
  sql = core::Format(host::sqlTemplate(kGysfkAuditSql), {core::Value(core::replaceAll(billno, "'", "''"))});
}

void Tgysfkform::generateSqlAuditing_0(std::string& sql) {
  sql = core::Format(host::sqlTemplate("delete from vt_sys_hx_gys where orgid=:orgid and billno='%0:s'\r\n"
                                       "update vt_f_gysfk set hxje=0 where billno='%0:s'"),
                     {core::Value(core::replaceAll(billno, "'", "''"))});
}

std::string Tgysfkform::selectSources() {
  return runSourceSelector<Tgysfkhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno);
}

void registerGysfkForm() { registerSimpleBill<Tgysfkform>(gysfkSpec().bill); }

host::UnitInitialization& gysfkFormUnit() {
  static host::UnitInitialization unit(&registerGysfkForm);
  return unit;
}

}  // namespace plugs::coreapp::gysfk
