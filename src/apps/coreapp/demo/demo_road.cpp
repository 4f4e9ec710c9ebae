// DemoRoad: each step clicks what the clerk clicks on the order editor (lookups answered
// from the demo data), then reads back from the form or the database what it tells the
// reader. A refused step ends the road with the form's own message.
#include "apps/coreapp/demo/demo_road.h"

#include <memory>
#include <vector>

#include "apps/coreapp/demo/demo_ui.h"
#include "core/currency.h"
#include "db/connection.h"
#include "host/forms/bill_config.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace app::demo {

namespace {

using plugs::coreapp::xmzzk::Tjiesuanform;
using plugs::coreapp::xmzzk::TxmzzkForm;

// The member card of 蓝天教育 in the demo data, and the part of the order it pays.
constexpr const char* kCardPassword = "123456";
const core::Currency kCardPart = core::Currency::fromInt(50);
const core::Currency kCardTopUp = core::Currency::fromInt(1000);

// The demo data are made for this login: store 0001, tag A, the main store (outlet 1)
// and its operator 王敏 (employee 1).
const host::SysAuth kDemoLogin{"0001", "A", 1, 1, "001", "王敏"};

std::string money(const core::Value& v) { return "¥" + v.asCurrency().format("#,0.00"); }

class Road {
 public:
  Road(db::Connection& connection, std::ostream& out, DemoUi& ui)
      : connection_(connection), out_(out), ui_(ui) {}

  DemoResult run();

 private:
  void say(const std::string& line) {
    out_ << "[" << ++step_ << "] " << line << '\n' << std::flush;
  }
  // Runs a piece of form work; a refusal or a failure ends the road naming `doing`.
  template <class F>
  void perform(const std::string& doing, F&& work);
  void click(const char* action, const std::string& doing);
  std::vector<core::Value> row(const std::string& sql, const db::Params& params);
  std::int64_t idByCode(const char* table, const char* code);
  void setLine(const char* field, const core::Value& value);

  void openOrder();
  void pickCustomer();
  void addLine(const char* itemCode, double x, double y);
  void addStaff(bool operatorOnly);
  void save();
  void complete();
  void settle();
  void topUpCardWhenLow();
  void settleInWindow(Tjiesuanform& window);
  void type(host::FormModel& form, const char* control, const std::string& text);
  void addSettlementLine(Tjiesuanform& window, const std::string& what);
  core::Currency cardBalance();
  std::string print();

  db::Connection& connection_;
  std::ostream& out_;
  DemoUi& ui_;
  TxmzzkForm* form_ = nullptr;
  int step_ = 0;
  std::string settled_;  // what the settlement window took, told after it closed
};

template <class F>
void Road::perform(const std::string& doing, F&& work) {
  const int before = ui_.messages;
  host::Outcome outcome;
  try {
    outcome = form_ != nullptr ? form_->dispatch(std::forward<F>(work))
                               : host::FormModel("", "").dispatch(std::forward<F>(work));
  } catch (const std::exception& e) {
    throw DemoStepFailed(doing + "失败：" + e.what());
  }
  if (outcome == host::Outcome::Aborted)
    throw DemoStepFailed(doing + "失败：" +
                         (ui_.messages != before ? ui_.lastMessage : "操作被取消"));
}

void Road::click(const char* action, const std::string& doing) {
  perform(doing, [&] {
    if (!form_->action(action).click())
      throw std::runtime_error("“" + form_->action(action).caption + "”当前不可用");
  });
}

std::vector<core::Value> Road::row(const std::string& sql, const db::Params& params) {
  const db::BatchResult r = connection_.execBatch(sql, params);
  if (!r.ok()) throw DemoStepFailed("查询失败：" + r.errorMessage());
  if (r.resultSets.empty() || r.resultSets.back().rows.empty()) return {};
  return r.resultSets.back().rows.front();
}

std::int64_t Road::idByCode(const char* table, const char* code) {
  const std::vector<core::Value> r =
      row(std::string("select id from ") + table + " where orgid = :orgid and code = :code",
          {{"orgid", kDemoLogin.orgid}, {"code", code}});
  if (r.empty())
    throw DemoStepFailed(std::string("演示数据中没有编号为 ") + code + " 的记录（" + table +
                         "）；请用 coreapp db init --demo 新建演示数据库");
  return r.front().asInteger();
}

void Road::setLine(const char* field, const core::Value& value) {
  dataset::ClientDataSet& lines = form_->cdsDetail;
  if (lines.state() == dataset::DataSetState::Browse) lines.edit();
  lines.fieldByName(field).setValue(value);
}

void Road::openOrder() {
  perform("打开“项目订单”", [] { host::plugsPool().plugbyName("1100")->create(nullptr, ""); });
  form_ = dynamic_cast<TxmzzkForm*>(host::PageControl().activePage());
  if (form_ == nullptr) throw DemoStepFailed("打开“项目订单”失败：没有打开订单页面");
  click("actAdd", "新建订单");
  say("打开“项目订单”，新建订单（开单人 " + kDemoLogin.name + "）");
}

void Road::pickCustomer() {
  const std::int64_t kh = idByCode("vt_b_khbmk", "C002");
  ui_.queueLookup("客户会员查询", "[{\"id\":\"" + std::to_string(kh) + "\"}]");
  perform("选择客户", [&] { form_->clickControl("edtwldw"); });
  if (form_->control("edtwldw").tag != kh) throw DemoStepFailed("选择客户失败：订单上没有客户");
  const dataset::ClientDataSet& m = form_->cdsMaster;
  say("客户 " + form_->control("edtwldw").text + " " + form_->control("edtwldwmc").text + "（" +
      m.fieldByName("khlx").asString() + "），联系人 " + m.fieldByName("lxr").asString() + " " +
      m.fieldByName("tel").asString());
}

void Road::addLine(const char* itemCode, double x, double y) {
  const std::int64_t xm = idByCode("vt_b_xmbmk", itemCode);
  ui_.queueLookup("服务项目查询", "[{\"id\":\"" + std::to_string(xm) + "\"}]");
  click("actDetail_Add", std::string("添加服务项目 ") + itemCode);
  perform(std::string("填写服务项目 ") + itemCode, [&] {
    if (x > 0 && y > 0) {
      setLine("x", x);
      setLine("y", y);
    }
    if (form_->cdsDetail.state() != dataset::DataSetState::Browse) form_->cdsDetail.post();
  });
  const dataset::ClientDataSet& l = form_->cdsDetail;
  std::string size = x > 0 && y > 0 ? "，" + l.fieldByName("x").asString() + "×" +
                                          l.fieldByName("y").asString() + " 厘米"
                                    : "";
  say("明细：" + l.fieldByName("xm_code").asString() + " " + l.fieldByName("xm_name").asString() +
      size + "，数量 " + l.fieldByName("sl").asString() + "，单价 " +
      money(l.fieldByName("dj").value()) + "，金额 " + money(l.fieldByName("je").value()));
}

void Road::addStaff(bool operatorOnly) {
  if (operatorOnly) {
    click("actzzry_addme", "添加制作人员（本人）");
  } else {
    ui_.queueLookup("员工信息查询", "[{\"id\":\"" + std::to_string(idByCode("vt_b_ygbmk", "002")) +
                                        "\"},{\"id\":\"" +
                                        std::to_string(idByCode("vt_b_ygbmk", "003")) + "\"}]");
    click("actzzry_add", "添加制作人员");
  }
  std::string staff;
  dataset::ClientDataSet& s = form_->cdszzry;
  for (s.first(); !s.eof(); s.next())
    staff += (staff.empty() ? "" : "，") + s.fieldByName("yg_name").asString() + " " +
             core::Currency::fromDouble(s.fieldByName("perc").asFloat()).toString() + "%";
  s.first();
  if (staff.empty()) throw DemoStepFailed("添加制作人员失败：明细没有制作人员");
  say("　制作人员：" + staff);
}

void Road::save() {
  click("actSave", "保存订单");
  if (form_->billno.empty()) throw DemoStepFailed("保存订单失败：" + ui_.lastMessage);
  const std::vector<core::Value> r =
      row("select hjje from vt_x_xmzzk where orgid = :orgid and billno = :billno",
          {{"orgid", kDemoLogin.orgid}, {"billno", form_->billno}});
  if (r.empty()) throw DemoStepFailed("保存订单失败：数据库中没有订单 " + form_->billno);
  say("订单 " + form_->billno + " 已保存，合计 " + money(r.front()));
}

void Road::complete() {
  click("actAudit", "订单完工");
  const std::vector<core::Value> r =
      row("select status from vt_v_xmzzk where orgid = :orgid and billno = :billno",
          {{"orgid", kDemoLogin.orgid}, {"billno", form_->billno}});
  if (r.empty() || r.front().asInteger() != 2)
    throw DemoStepFailed("订单完工失败：" + ui_.lastMessage);
  say("订单 " + form_->billno + " 已完工");
}

void Road::type(host::FormModel& form, const char* control, const std::string& text) {
  form.setControlText(form.control(control), text);
}

// Runs the window's "确定" for the page in front; a refusal ends the road with its message.
void Road::addSettlementLine(Tjiesuanform& window, const std::string& what) {
  const int before = ui_.messages;
  const host::Outcome o = window.clickAction("actadd");
  if (o != host::Outcome::Done || ui_.messages != before)
    throw std::runtime_error(what + "：" +
                             (ui_.messages != before ? ui_.lastMessage : "“确定”当前不可用"));
}

core::Currency Road::cardBalance() {
  const std::vector<core::Value> r =
      row("select sum(incje) - sum(decje) from vt_b_khbmk_vip_pay where orgid = :orgid and kh_id = "
          ":kh_id",
          {{"orgid", kDemoLogin.orgid}, {"kh_id", idByCode("vt_b_khbmk", "C002")}});
  return r.empty() ? core::Currency() : r.front().asCurrency();
}

// The clerk's part in the settlement window: the rest in cash to the cash account, a
// part by member card with its password, then "确认后返回".
void Road::settleInWindow(Tjiesuanform& window) {
  const core::Currency cash = window.unsettled() - kCardPart;
  type(window, "cxPageControl1", "现结");
  type(window, "edtxj_je", cash.toString());
  type(window, "cbbxj_zh", "现金");
  addSettlementLine(window, "现结 " + money(cash));
  type(window, "cxPageControl1", "会员卡");
  if (window.control("cxPageControl1").text != "会员卡") throw std::runtime_error("客户没有会员卡");
  const std::string balance = money(cardBalance());
  type(window, "edthyk_je", kCardPart.toString());
  type(window, "edthyk_pwd", kCardPassword);
  addSettlementLine(window, "会员卡 " + money(kCardPart));
  if (window.clickAction("actok") != host::Outcome::Done || window.ModalResult != host::mrOK)
    throw std::runtime_error("确认结算未完成：" + ui_.lastMessage);
  settled_ = "现结 " + money(cash) + "（现金），会员卡 " + money(kCardPart) + "（余额 " + balance +
             " → " + money(cardBalance()) + "）";
}

// Card top-ups are the member module's business, not the order's; the demo stands in
// for it so that any number of runs can pay by card.
void Road::topUpCardWhenLow() {
  if (cardBalance() >= kCardPart) return;
  const db::BatchResult r = connection_.execBatch(
      "insert into vt_b_khbmk_vip_pay(orgid, ck_id, kh_id, card_id, createtime, czy_id, biztype, "
      "bizid, incje, decje, remark) select orgid, :ck_id, id, card_id, getdate(), :czy_id, '充值', "
      "0, :je, 0, :remark from vt_b_khbmk where orgid = :orgid and id = :kh_id",
      {{"orgid", kDemoLogin.orgid},
       {"ck_id", kDemoLogin.ck_id},
       {"czy_id", kDemoLogin.czy_id},
       {"je", kCardTopUp},
       {"remark", "演示充值"},
       {"kh_id", idByCode("vt_b_khbmk", "C002")}});
  if (!r.ok()) throw DemoStepFailed("会员卡充值失败：" + r.errorMessage());
  say("会员卡余额不足，充值 " + money(kCardTopUp) + "（演示），余额 " + money(cardBalance()));
}

void Road::settle() {
  topUpCardWhenLow();
  ui_.setModalRunner([this](host::FormModel& shown) {
    auto* window = dynamic_cast<Tjiesuanform*>(&shown);
    if (window == nullptr) throw std::runtime_error("意外打开了窗口 " + shown.className());
    settleInWindow(*window);
    return window->ModalResult;
  });
  const int drawer = ui_.drawerOpens;
  click("actjiesuan", "结算订单");
  ui_.setModalRunner({});
  const std::vector<core::Value> r =
      row("select ispay, payinfo, statusinfo, hjsk from vt_v_xmzzk where orgid = :orgid and billno "
          "= :billno",
          {{"orgid", kDemoLogin.orgid}, {"billno", form_->billno}});
  if (settled_.empty() || r.empty() || r[0].asInteger() != 2)
    throw DemoStepFailed("结算订单失败：" + (settled_.empty() ? ui_.lastMessage : "订单未结清"));
  say("结算：" + settled_ + (ui_.drawerOpens > drawer ? "，钱箱已打开" : ""));
  say("订单 " + form_->billno + " " + r[1].asText() + "（" + r[2].asText() + "），已收 " +
      money(r[3]));
}

std::string Road::print() {
  ui_.printedFile.clear();
  click("actPrint", "打印订单");
  if (ui_.printedFile.empty()) throw DemoStepFailed("打印订单失败：没有生成打印文件");
  say("订单 " + form_->billno + " 已打印");
  return ui_.printedFile;
}

DemoResult Road::run() {
  openOrder();
  pickCustomer();
  addLine("XM002", 200, 100);
  addStaff(false);
  addLine("XM005", 0, 0);
  addStaff(true);
  save();
  complete();
  settle();
  DemoResult result;
  result.billno = form_->billno;
  result.printFile = print();
  return result;
}

}  // namespace

DemoResult playDemoRoad(db::Connection& connection, std::ostream& out,
                        const std::string& printFolder) {
  DemoUi ui;
  host::Host host;
  host.connection = &connection;
  host.ui = &ui;
  host.login = kDemoLogin;
  host.rights.all = true;
  host.settings = {{"zidongchuku", "1"}, {"jiaohuoriqi", "3"}, {"lxrzxuanze", "0"}};
  host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
  host.printFolder = printFolder;
  host::HostScope scope(host);
  // Pages are freed whatever happens, while the host they were made under is current.
  struct Pages {
    ~Pages() { host::PageControl().clear(); }
  } pages;
  return Road(connection, out, ui).run();
}

}  // namespace app::demo
