// Tjiesuanform, the lines of this dialog: adding a cash, reduction or card line from
// the active page with its checks, deleting a line, and the line events that keep
// "本次结算" and the entry amounts in step with the lines. Nothing here touches the
// database; the lines are written when the user confirms (jiesuan_form_confirm.cpp).

#include "core/abort.h"
#include "core/scoped_flag.h"
#include "core/strings.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"

namespace plugs::coreapp::xmzzk {

using core::Currency;

namespace {

constexpr const char* kPrompt = "提示";

[[noreturn]] void refuse(std::string_view text) {
  host::MessageMyDlg(text, kPrompt, host::mtInformation, host::mbOK);
  throw core::Abort();
}

// The user's largest reduction; 0 (no limit) when the rule is missing or not a number.
Currency reductionLimit() {
  return Currency::parse(core::trim(host::TAuth::controlRules("maxjmje"))).value_or(Currency());
}

}  // namespace

void Tjiesuanform::actaddExecute(host::Action&) {
  core::ScopedFlag adding(addingLine);
  const std::string page = activePage();
  if (page == "现结") addCash();
  if (page == "减免") addReduction();
  if (page == "会员卡") addCardPayment();
}

Currency Tjiesuanform::amountOf(const char* controlName) {
  return Currency::parse(core::trim(control(controlName).text)).value_or(Currency());
}

void Tjiesuanform::addCash() {
  const Currency je = amountOf("edtxj_je");
  if (je <= Currency()) refuse("请输入结算金额.");
  const host::Control& zh = control("cbbxj_zh");
  if (core::trim(zh.text).empty()) refuse("请选择结算账户.");
  cdsjiesuan.append();
  postLine("01", je, "edtxj_remark", [&] {
    cdsjiesuan.fieldByName("zh_name").setValue(zh.text);
    cdsjiesuan.fieldByName("zh_id").setValue(zh.tag);
    cdsjiesuan.fieldByName("sn").setValue(control("edtxj_sn").text);
  });
}

void Tjiesuanform::addReduction() {
  const Currency je = amountOf("edtjm_je");
  if (je <= Currency()) refuse("请输入减免金额.");
  const Currency limit = reductionLimit();  // read afresh: the rule may change meanwhile
  if (limit > Currency() && je > limit) refuse("输入的减免金额超过最大授权减免金额.");
  editLineOf("02");
  postLine("02", je, "edtjm_remark");
}

void Tjiesuanform::addCardPayment() {
  const Currency je = amountOf("edthyk_je");
  if (je <= Currency()) refuse("请输入本次消费金额.");
  const std::string& password = control("edthyk_pwd").text;
  if (password.empty()) refuse("请输入会员卡消费密码.");
  const bool hasCard = cdskhvip.active() && !cdskhvip.isEmpty();
  if (!hasCard || host::MD5S(password) != cdskhvip.fieldByName("pwd").asString())
    refuse("会员卡消费密码输入错误，请重新输入.");
  // A card without ledger rows has no balance (null), which refuses any amount.
  if (je > cdskhvip.fieldByName("je").asCurrency()) refuse("消费金额超过会员卡余额.");
  editLineOf("03");
  postLine("03", je, "edthyk_remark");
}

// One reduction and one card line per dialog: a second one replaces the first.
void Tjiesuanform::editLineOf(const char* code) {
  if (cdsjiesuan.locate("jsfs_code", core::Value(code)))
    cdsjiesuan.edit();
  else
    cdsjiesuan.append();
}

// Fills the line being entered and posts it; a field or check that refuses leaves no
// half-filled line behind.
void Tjiesuanform::postLine(const char* code, Currency je, const char* remarkControl,
                            const std::function<void()>& fillOwnFields) {
  try {
    fillMethod(code);
    if (fillOwnFields) fillOwnFields();
    cdsjiesuan.fieldByName("je").setValue(je);
    cdsjiesuan.fieldByName("remark").setValue(control(remarkControl).text);
    cdsjiesuan.fieldByName("czy_id").setValue(host::sysAuth().czy_id);
    cdsjiesuan.post();
  } catch (...) {
    cdsjiesuan.cancel();
    throw;
  }
}

void Tjiesuanform::fillMethod(const char* code) {
  // A store without the method writes the line without one.
  if (!cdsjsfs.locate("code", core::Value(code))) return;
  cdsjiesuan.fieldByName("jsfs_name").setValue(cdsjsfs.fieldByName("name").value());
  cdsjiesuan.fieldByName("jsfs_code").setValue(cdsjsfs.fieldByName("code").value());
  cdsjiesuan.fieldByName("jsfs_id").setValue(cdsjsfs.fieldByName("id").value());
}

void Tjiesuanform::actdelExecute(host::Action&) {
  if (host::MessageMyDlg("是否确定删除选中的结算记录", kPrompt, host::mtConfirmation,
                         host::mbOK | host::mbCancel) != host::mrOK)
    throw core::Abort();
  cdsjiesuan.deleteRecord();
}

void Tjiesuanform::cdsjiesuanAfterInsert(dataset::ClientDataSet& ds) {
  if (!ds.fieldByName("uid").asString().empty()) return;
  ds.fieldByName("id").setValue(0);
  ds.fieldByName("uid").setValue(host::newid());
  ds.fieldByName("orgid").setValue(host::sysAuth().orgid);
  ds.fieldByName("billno").setValue(billno);
}

void Tjiesuanform::cdsjiesuanBeforePost(dataset::ClientDataSet& ds) {
  if (ds.fieldByName("je").asCurrency() == Currency()) refuse("请输入结算金额.");
}

void Tjiesuanform::cdsjiesuanAfterPost(dataset::ClientDataSet&) { resetEntryAmounts(); }

void Tjiesuanform::resetEntryAmounts() {
  const Currency now = thisSettlement();
  control("edtbcjs").text = now.toString();
  const std::string rest = (unsettled() - now).toString();
  for (const char* name : {"edtxj_je", "edtjm_je", "edthyk_je"}) control(name).text = rest;
}

void Tjiesuanform::dsjiesuanDataChange(dataset::DataSource&, const dataset::Field* field) {
  if (field == nullptr) return;
  // An account or method picked by name in the grid brings its code and id along.
  auto copyPick = [this](dataset::ClientDataSet& list, const char* prefix) {
    const core::Value name = cdsjiesuan.fieldByName(std::string(prefix) + "_name").value();
    const bool found = !name.isNull() && list.locate("name", name);
    for (const char* part : {"code", "id"})
      cdsjiesuan.fieldByName(std::string(prefix) + "_" + part)
          .setValue(found ? list.fieldByName(part).value() : core::Value());
  };
  if (core::sameText(field->name(), "zh_name")) copyPick(cdszh, "zh");
  if (core::sameText(field->name(), "jsfs_name")) copyPick(cdsjsfs, "jsfs");
}

}  // namespace plugs::coreapp::xmzzk
