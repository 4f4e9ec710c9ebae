// MemberCardActions: the balance is the ledger's sum for the card's customer, as the
// settlement reads it; the refund's check runs inside the batch that writes, after the
// card row is locked by its version update, so two refunds cannot both pass it. The
// password goes from the dialog to its digest only: it is never shown, logged or kept.
#include "plugs/coreapp/jczl/member_card_actions.h"

#include <memory>

#include "core/abort.h"
#include "core/strings.h"
#include "host/forms/money_format.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "host/services/whole_batch.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/jczl/master_data_sql.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp::jczl {

namespace {

using core::Currency;

constexpr const char* kNoCard = "no card";

constexpr const char* kLedgerQuery =
    "select p.id, p.createtime, p.biztype, p.incje, p.decje, z.name as zh_name, p.remark\n"
    "from vt_b_khbmk_vip_pay p left join vt_b_zhbmk z on z.id = p.zh_id\n"
    "where p.orgid = :orgid and p.card_id = :id\n"
    "  and p.kh_id = (select kh_id from vt_b_khbmk_vip where id = :id)\n"
    "order by p.createtime desc, p.id desc";

constexpr const char* kBalanceQuery =
    "select isnull(sum(incje), 0) - isnull(sum(decje), 0) as ye from vt_b_khbmk_vip_pay\n"
    "where orgid = :orgid and card_id = :id\n"
    "  and kh_id = (select kh_id from vt_b_khbmk_vip where id = :id)";

host::Control box(const char* name, host::ControlKind kind, const char* caption) {
  host::Control c(name, kind, caption);
  if (kind == host::ControlKind::CurrencyEdit)
    c.format = host::moneyFormat(host::MoneyKind::Amount);
  return c;
}

void showLedger(TMasterDataForm& page, dataset::ClientDataSet& cdsPay) {
  const db::Params id = {{"id", core::Value(page.focusedId())}};
  host::openDataToCDS(cdsPay, host::sqlTemplate(kLedgerQuery), id);
  dataset::ClientDataSet balance("cdsBalance");
  host::openDataToCDS(balance, host::sqlTemplate(kBalanceQuery), id);
  page.control("edtcard_ye").text = balance.fieldByName("ye").asCurrency().toString();
}

void addLedger(TMasterDataForm& page) {
  auto cdsPay = std::make_shared<dataset::ClientDataSet>("cdsPay");
  page.registerDataSet("cdsPay", *cdsPay);
  host::Control ye = box("edtcard_ye", host::ControlKind::CurrencyEdit, "余额");
  ye.readOnly = true;
  page.addControl(std::move(ye));
  host::Control grid("cxgPay", host::ControlKind::Grid, "充值消费记录");
  grid.dataSet = "cdsPay";
  grid.readOnly = true;
  grid.columns = {
      reportTextColumn("createtime", "时间", 16), reportTextColumn("biztype", "类型", 6),
      reportMoneyColumn("incje", "存入"),         reportMoneyColumn("decje", "支出"),
      reportTextColumn("zh_name", "账户", 10),    reportTextColumn("remark", "摘要", 20)};
  page.addControl(std::move(grid));
  TMasterDataForm* p = &page;
  page.afterRowLoad = [p, cdsPay] { showLedger(*p, *cdsPay); };
}

// 充值 (in) or 退款 (out) of the amount typed, through the account chosen.
void move(TMasterDataForm& page, bool in) {
  host::TAuth::requireRight(page.spec.code + "_04");
  const std::int64_t card = page.focusedId();
  if (card == 0) TMasterDataForm::refuse("请选择会员卡");
  const Currency je =
      Currency::parse(core::trim(page.control("edtcard_je").text)).value_or(Currency());
  if (je <= Currency()) TMasterDataForm::refuse(in ? "请输入充值金额" : "请输入退款金额");
  const host::Control& zh = page.control("cbbcard_zh");
  if (core::trim(zh.text).empty() || zh.tag == 0) TMasterDataForm::refuse("请选择账户");
  const db::Params params = {{"card_id", core::Value(card)},
                             {"ck_id", core::Value(host::sysAuth().ck_id)},
                             {"czy_id", core::Value(host::sysAuth().czy_id)},
                             {"biztype", core::Value(std::string(in ? "充值" : "退款"))},
                             {"incje", core::Value(in ? je : Currency())},
                             {"decje", core::Value(in ? Currency() : je)},
                             {"zh_id", core::Value(zh.tag)},
                             {"remark", core::Value(page.control("edtcard_remark").text)}};
  if (!host::execSQL(host::sqlTemplate(host::wholeOrNothing(MemberCardActions::moveBatch())),
                     params)) {
    const std::string error = host::lastExecSQLError();
    if (error.find(MemberCardActions::kOverBalance) != std::string::npos)
      TMasterDataForm::refuse("退款金额超过会员卡余额");
    if (error.find(kNoCard) != std::string::npos) TMasterDataForm::refuse("会员卡不存在或已停用");
    TMasterDataForm::refuseFailed(in ? "充值" : "退款", error);
  }
  page.control("edtcard_je").text.clear();
  page.control("edtcard_remark").text.clear();
  page.actSearchExecute(page.action("actSearch"));  // the card's version and ledger afresh
}

void setPassword(TMasterDataForm& page) {
  host::TAuth::requireRight(page.spec.code + "_02");
  const std::int64_t card = page.focusedId();
  if (card == 0) TMasterDataForm::refuse("请选择会员卡");
  std::string password;
  if (!host::askNewPassword(&page, page.cdsEdit.fieldByName("name").asString(), password))
    throw core::Abort();
  if (password.empty()) TMasterDataForm::refuse("请输入会员卡密码");
  if (!host::execSQL("update vt_b_khbmk_vip set pwd = :pwd, version = isnull(version, 0) + 1\n"
                     "where orgid = :orgid and id = :id",
                     {{"pwd", core::Value(host::MD5S(password))}, {"id", core::Value(card)}}))
    TMasterDataForm::refuseFailed("会员卡密码保存", host::lastExecSQLError());
  page.actSearchExecute(page.action("actSearch"));
  host::MessageMyDlg("会员卡密码已设置", "提示", host::mtInformation, host::mbOK, true);
}

}  // namespace

std::string MemberCardActions::moveBatch() {
  return std::string(
             "begin tran\n"
             "declare @kh_id int, @ye money\n"
             "update vt_b_khbmk_vip set version = isnull(version, 0) + 1\n"
             "where orgid = :orgid and id = :card_id and isnull(isdel, 0) = 0\n"
             "select @kh_id = kh_id from vt_b_khbmk_vip\n"
             "where orgid = :orgid and id = :card_id and isnull(isdel, 0) = 0\n"
             "if @kh_id is null\n"
             "begin rollback tran raiserror('") +
         kNoCard +
         "', 16, 1) return end\n"
         "select @ye = isnull(sum(incje), 0) - isnull(sum(decje), 0) from vt_b_khbmk_vip_pay\n"
         "where orgid = :orgid and card_id = :card_id and kh_id = @kh_id\n"
         "if :decje > @ye\n"
         "begin rollback tran raiserror('" +
         kOverBalance +
         "', 16, 1) return end\n"
         "insert into vt_b_khbmk_vip_pay(orgid, ck_id, kh_id, card_id, createtime, czy_id,\n"
         "  biztype, bizid, incje, decje, zh_id, remark)\n"
         "values(:orgid, :ck_id, @kh_id, :card_id, getdate(), :czy_id, :biztype, 0, :incje,\n"
         "  :decje, :zh_id, :remark)\n"
         "commit tran";
}

void MemberCardActions::addTo(TMasterDataForm& page) {
  page.addControl(box("edtcard_je", host::ControlKind::CurrencyEdit, "金额"));
  host::Control zh = box("cbbcard_zh", host::ControlKind::LookupCombo, "账户");
  page.BindLookupComboboxProperties(page.addControl(std::move(zh)), "zh");
  page.addControl(box("edtcard_remark", host::ControlKind::Edit, "摘要"));
  addLedger(page);
  struct Spec {
    const char* name;
    const char* caption;
    std::function<void(TMasterDataForm&)> run;
  };
  const Spec specs[] = {{"actTopUp", "充值", [](TMasterDataForm& p) { move(p, true); }},
                        {"actRefund", "退款", [](TMasterDataForm& p) { move(p, false); }},
                        {"actCardPwd", "设置密码", &setPassword}};
  TMasterDataForm* p = &page;
  for (const Spec& s : specs) {
    host::Action& a = page.addAction(s.name, s.caption);
    a.onExecute = [p, run = s.run](host::Action&) { run(*p); };
    a.onUpdate = [p](host::Action& sender) {
      sender.enabled = !p->editing() && p->focusedId() != 0;
    };
  }
}

}  // namespace plugs::coreapp::jczl
