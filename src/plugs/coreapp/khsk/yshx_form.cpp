// Tyshxform: the advance receipt write-off's description and its audit SQL. Bill
// numbers are written into the SQL as quoted literals with any quote doubled.
#include "plugs/coreapp/khsk/yshx_form.h"

#include "core/format.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "plugs/coreapp/khsk/khysk_select_form.h"
#include "plugs/coreapp/khsk/yshx_sql.h"

namespace plugs::coreapp::khsk {

namespace {

std::string literalText(const std::string& text) { return core::replaceAll(text, "'", "''"); }

}  // namespace

const WriteOffBillSpec& yshxSpec() {
  static const WriteOffBillSpec spec{
      .bill = {.code = "1115",
               .caption = "预收核销单",
               .className = "Tyshxform",
               .guid = "{7243F73A-BA08-4CD7-AF8A-26781147245D}",
               .rights = host::standardNineRights(),
               .masterTable = "vt_f_yshx",
               .header = {kStoreBox, kMakerBox, kSummaryBox, kRemarkBox},
               .masterJoins = {kCustomerJoin, kStoreJoin, kMakerJoin},
               .lineJoins = {},
               .lineDisplayFields = kWriteOffLineDisplayFields,
               .columns = kAdvanceMoneyColumns,
               .insertTotal = "",
               .lineQuery = kYshxMoneyLineQuery},
      .counterparty = kCustomer,
      .accountPanel = "客户收款单（待核销）",
      .amountMessage = "",
      .totalMessage = "",
      .lineQuery = yshxBillLineQuery()};
  return spec;
}

Tyshxform::Tyshxform(host::FormModel* owner, host::TPlugItem* item)
    : TAdvanceWriteOffForm(owner, item, yshxSpec(), "选择收款单") {}

std::string Tyshxform::orderRecomputations() {
  std::string text;
  for (const std::string& order : paidBillnos("项目订单"))
    text += "\r\nexec sp_sys_calcxmzzkhj @orgid=:orgid, @billno='" + literalText(order) + "'";
  return text;
}

void Tyshxform::generateSqlAuditing_1(std::string& sql) {
  const std::string text = host::sqlTemplate(kYshxAuditSql + orderRecomputations());
  host::LogMsg(text);
  sql = core::Format(text, {core::Value(literalText(billno))});
}

void Tyshxform::generateSqlAuditing_0(std::string& sql) {
  sql = host::sqlTemplate("delete from vt_sys_hx_kh where orgid=:orgid and billno='" + literalText(billno) + "'" +
                          orderRecomputations());
}

std::string Tyshxform::selectSources() {
  return runSourceSelector<Tkhskhxselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno, false);
}

std::string Tyshxform::selectMoneySources() {
  return runSourceSelector<Tkhyskselectform>(this, counterpartyBox.id(), host::sysAuth().ck_id, workBillno);
}

void registerYshxForm() { registerSimpleBill<Tyshxform>(yshxSpec().bill); }

host::UnitInitialization& yshxFormUnit() {
  static host::UnitInitialization unit(&registerYshxForm);
  return unit;
}

}  // namespace plugs::coreapp::khsk
