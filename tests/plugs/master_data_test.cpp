// The master-data pages (1201 ...), every description through the one page: a row
// added and edited with hostile text and read back, a code taken refused, a row changed
// meanwhile refused and reloaded, a row nothing names deleted (running every reference
// check of its description), a row in use disabled instead, and the rights per action.
// The member-card page: a card issued, its password set, topped up, paid with at the
// settlement and refunded within its balance, the money in the accounts. Child rows:
// tiers, level and agreement prices saved with their row price an order line. 导入 on
// a page: a good sheet added whole and shown; a bad row, a closed file dialog or a
// stop at the progress adds nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bill_session.h"
#include "core/abort.h"
#include "host/forms/page_control.h"
#include "host/import/xlsx_reader.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "jiesuan_session.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"

namespace {

using core::Value;
using plugs::coreapp::jczl::FieldKind;
using plugs::coreapp::jczl::MasterDataPageSpec;
using plugs::coreapp::jczl::TMasterDataForm;

constexpr const char* kHostile = "O'Neil :orgid 100% --";
constexpr const char* kTierRefusal = "数量阶梯价须从小到大且不能重叠，请检查起始数量和截止数量";

//! Opens page `code` as the current login; null when refused.
TMasterDataForm* openPage(const std::string& code) {
  try {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
  } catch (const core::Abort&) {
    return nullptr;
  }
  return dynamic_cast<TMasterDataForm*>(host::PageControl().activePage());
}

class MasterDataPages : public bill_test::BillSession {
 protected:
  MasterDataPages()
      : BillSession(
            "insert into vt_b_ckbmk(orgid, code, name) values ('0001', '01', '总店')\n"
            "insert into vt_b_vipdj(orgid, code, name) values ('0001', '01', '金卡')\n"
            "insert into vt_b_khbmk(orgid, code, name) values ('0001', 'K1', '持卡客户')") {
    registerOnce("1201", &plugs::coreapp::jczl::registerJczlForms);
  }
  ~MasterDataPages() override { host::PageControl().clear(); }

  static TMasterDataForm* open(const std::string& code) { return openPage(code); }

  //! Adds (or, on a focused row after 修改, rewrites) a row: code, name and a value of
  //! each field's kind; the outcome of 保存.
  static host::Outcome save(TMasterDataForm& page, const char* action, const std::string& code,
                            const std::string& name) {
    if (page.clickAction(action) != host::Outcome::Done) return host::Outcome::Aborted;
    page.cdsEdit.fieldByName("code").setValue(Value(code));
    page.cdsEdit.fieldByName("name").setValue(Value(name));
    for (const auto& f : page.spec.fields) {
      dataset::Field& field = page.cdsEdit.fieldByName(f.field);
      if (f.kind == FieldKind::Text)
        field.setValue(Value(std::string(kHostile).substr(0, f.maxLength)));
      if (f.kind == FieldKind::Money) field.setValue(Value(core::Currency::fromDouble(12.3456)));
      if (f.kind == FieldKind::Number) field.setValue(Value(2.5));
      if (f.kind == FieldKind::Choice) field.setValue(Value(f.items.back()));
      const host::Control& combo = page.control("edt" + f.field);
      if (f.kind == FieldKind::Lookup && !combo.itemIds.empty())
        field.setValue(Value(combo.itemIds.front()));
    }
    return page.clickAction("actSave");
  }

  std::int64_t idOf(const MasterDataPageSpec& spec, const std::string& code) {
    return scalar("select id from " + spec.table + " where code = '" + code + "'").asInteger();
  }
};

TEST_F(MasterDataPages, EveryPageAddsEditsRefusesATakenCodeAndAStaleRowAndDeletes) {
  for (const MasterDataPageSpec& spec : plugs::coreapp::jczl::masterDataSpecs()) {
    SCOPED_TRACE(spec.code + " " + spec.caption);
    TMasterDataForm* page = open(spec.code);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(save(*page, "actAdd", "T1", kHostile), host::Outcome::Done) << lastEvent();
    const std::int64_t id = idOf(spec, "T1");
    ASSERT_NE(id, 0);
    EXPECT_EQ(page->cdsEdit.fieldByName("id").asInteger(), id);  // the new row is focused
    std::string textField, moneyField;
    for (const auto& f : spec.fields) {
      if (f.kind == FieldKind::Text && textField.empty()) textField = f.field;
      if (f.kind == FieldKind::Money && moneyField.empty()) moneyField = f.field;
    }
    EXPECT_EQ(
        scalar("select name from " + spec.table + " where id = " + std::to_string(id)).asText(),
        kHostile);
    if (!moneyField.empty()) {
      EXPECT_EQ(scalar("select " + moneyField + " from " + spec.table +
                       " where id = " + std::to_string(id))
                    .asText(),
                "12.3456");
    }
    // 修改 rewrites it and raises its version.
    ASSERT_EQ(save(*page, "actEdit", "T1", "改过的名称"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(
        rowTexts("select name, version from " + spec.table + " where id = " + std::to_string(id)),
        std::vector<std::string>{"改过的名称|1"});
    // A second row may not take the code, whatever its case or trailing blanks.
    EXPECT_EQ(save(*page, "actAdd", "t1 ", "另一行"), host::Outcome::Aborted);
    EXPECT_TRUE(saidMessage("编号“t1 ”已存在，请换一个编号"));
    EXPECT_EQ(countOf(spec.table + " where name = '另一行'"), 0);
    ASSERT_EQ(page->clickAction("actCancel"), host::Outcome::Done);
    // Someone else saved the row after it was read: refused, reloaded.
    ASSERT_TRUE(page->cdsList.locate("id", Value(id)));
    ASSERT_EQ(page->clickAction("actEdit"), host::Outcome::Done);
    query("update " + spec.table +
          " set name = '别人改的', version = version + 1 where id = " + std::to_string(id));
    page->cdsEdit.fieldByName("name").setValue(Value("我改的"));
    EXPECT_EQ(page->clickAction("actSave"), host::Outcome::Aborted);
    EXPECT_TRUE(saidMessage("当前数据状态已改变，已为您刷新数据，请重试."));
    EXPECT_FALSE(page->editing());
    EXPECT_EQ(page->cdsEdit.fieldByName("name").asString(), "别人改的");
    // Nothing names it: 删除 removes it (every reference check of the page ran).
    ui.queueAnswer(host::mrOK);
    ASSERT_EQ(page->clickAction("actDelete"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(countOf(spec.table + " where id = " + std::to_string(id)), 0);
    if (!textField.empty()) {
      EXPECT_EQ(countOf(spec.table + " where " + textField + " like '%:orgid%'"), 0);
    }
  }
}

TEST_F(MasterDataPages, ARowInUseIsDisabledNotDeletedAndLeavesTheLists) {
  struct Case {
    const char* code;
    const char* use;  // names row {id}
  };
  for (const Case& c :
       {Case{"1201",
             "insert into vt_b_ygbmk(orgid, code, name, ck_id) values ('0001', 'U', 'U', {id})"},
        Case{"1203", "update vt_b_ckbmk set kh_id = {id}"},
        Case{"1204", "insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values ('0001', 1, {id}, 1)"},
        Case{"1205", "insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id) values ('0001', 1, {id})"},
        Case{"1209",
             "insert into vt_b_spbmk(orgid, code, name, p1) values ('0001', 'U', 'U', {id})"},
        Case{"1214", "update vt_b_khbmk set vip_id = {id}"},
        Case{"1215",
             "insert into vt_f_khkpk(orgid, billno, comp_id) values ('0001', 'U', {id})"}}) {
    const MasterDataPageSpec& spec = *plugs::coreapp::jczl::masterDataSpec(c.code);
    SCOPED_TRACE(spec.caption);
    TMasterDataForm* page = open(c.code);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(save(*page, "actAdd", "U1", "在用的"), host::Outcome::Done) << lastEvent();
    const std::string id = std::to_string(idOf(spec, "U1"));
    std::string use = c.use;
    use.replace(use.find("{id}"), 4, id);
    query(use);
    ui.queueAnswer(host::mrOK);
    ui.queueAnswer(host::mrOK);
    ASSERT_EQ(page->clickAction("actDelete"), host::Outcome::Done) << lastEvent();
    EXPECT_TRUE(saidMessage("“在用的”已被使用，不能删除。是否停用？"));
    EXPECT_EQ(rowTexts("select isdel from " + spec.table + " where id = " + id),
              std::vector<std::string>{"True"});
    EXPECT_EQ(page->cdsList.fieldByName("zt").asString(), "停用");
    page->updateActions();
    EXPECT_FALSE(page->action("actDisable").enabled);
    ASSERT_EQ(page->clickAction("actEnable"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(rowTexts("select isdel from " + spec.table + " where id = " + id),
              std::vector<std::string>{"False"});
  }
}

//! Appends a child row of the edited row: its values by field ("vip_id_name" by name).
void addChildRow(TMasterDataForm& page, const std::string& child,
                 const std::vector<std::pair<const char*, Value>>& values) {
  dataset::ClientDataSet& data = *page.findDataSet("cds" + child);
  data.append();
  for (const auto& [field, value] : values) data.fieldByName(field).setValue(value);
  data.post();
}

TEST_F(MasterDataPages, QuantityTiersAscendWithoutOverlapOrTheItemIsNotSaved) {
  struct Tier {
    double from, to;
  };
  const struct {
    const char* what;
    std::vector<Tier> tiers;
    bool saved;
  } cases[] = {
      {"ascending, apart", {{1, 9}, {10, 99}, {100, 999999}}, true},
      {"one quantity", {{5, 5}, {6, 10}}, true},
      {"a fraction between", {{1, 9}, {9.5, 20}}, true},
      {"a shared bound", {{1, 10}, {10, 99}}, false},
      {"overlapping", {{1, 20}, {10, 99}}, false},
      {"descending", {{10, 99}, {1, 9}}, false},
      {"inside another", {{1, 99}, {10, 20}}, false},
      {"a tier upside down", {{9, 1}}, false},
  };
  TMasterDataForm* page = open("1204");
  ASSERT_NE(page, nullptr);
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string code = "JT" + std::to_string(++n);
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done);
    page->cdsEdit.fieldByName("code").setValue(Value(code));
    page->cdsEdit.fieldByName("name").setValue(Value("阶梯" + code));
    for (const Tier& t : c.tiers)
      addChildRow(*page, "Jtdj",
                  {{"from_sl", Value(t.from)}, {"to_sl", Value(t.to)}, {"dj", Value(1.0)}});
    page->findDataSet("cdsJtdj")->first();
    const long refusals = count(kTierRefusal);
    EXPECT_EQ(page->clickAction("actSave"), c.saved ? host::Outcome::Done : host::Outcome::Aborted)
        << lastEvent();
    EXPECT_EQ(count(kTierRefusal) - refusals, c.saved ? 0 : 1);
    // A refused save leaves neither the item nor any of its tiers.
    EXPECT_EQ(countOf("vt_b_xmbmk where code = '" + code + "'"), c.saved ? 1 : 0);
    EXPECT_EQ(countOf("vt_b_xmbmk_jtdj t join vt_b_xmbmk x on x.id = t.xm_id where x.code = '" +
                      code + "'"),
              c.saved ? static_cast<int>(c.tiers.size()) : 0);
    if (!c.saved) {
      // The grid stays on the row the user was on, to be corrected there.
      EXPECT_EQ(page->findDataSet("cdsJtdj")->recNo(), 1);
      ASSERT_EQ(page->clickAction("actCancel"), host::Outcome::Done);
    }
  }
}

TEST_F(MasterDataPages, RightsPerAction) {
  const auto signIn = [this](std::set<std::string> rights) {
    host.rights = {};
    host.rights.codes = std::move(rights);
  };
  signIn({"1100"});
  EXPECT_EQ(open("1205"), nullptr);
  EXPECT_TRUE(saidMessage(std::string(host::kNoRightText)));
  signIn({"1205"});  // may look, nothing more
  TMasterDataForm* page = open("1205");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(save(*page, "actAdd", "R1", "看看"), host::Outcome::Aborted);
  EXPECT_EQ(page->clickAction("actImport"), host::Outcome::Aborted);  // before its file dialog
  EXPECT_FALSE(said("TImportFileDialog"));
  signIn({"1205", "1205_01"});  // may add, not change or delete
  ASSERT_EQ(save(*page, "actAdd", "R1", "新加的"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(save(*page, "actEdit", "R1", "改名"), host::Outcome::Aborted);
  ui.queueAnswer(host::mrOK);
  EXPECT_EQ(page->clickAction("actDelete"), host::Outcome::Aborted);
  EXPECT_EQ(page->clickAction("actDisable"), host::Outcome::Aborted);
  EXPECT_EQ(rowTexts("select name, isdel from vt_b_spbmk where code = 'R1'"),
            std::vector<std::string>{"新加的|False"});
}

TEST_F(MasterDataPages, ImportAddsAGoodSheetWholeAndNothingOnABadRowACancelOrAStop) {
  TMasterDataForm* page = open("1208");
  ASSERT_NE(page, nullptr);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("page_import_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto sheet = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    host::DialogReply reply;
    reply.result = host::mrOK;
    reply.file = (dir / name).string();
    ui.queueDialog("TImportFileDialog", reply);
  };
  const std::string imported =
      "select code, name, tel from " + page->spec.table + " where code like 'G%' order by code";
  const int shown = page->cdsList.recordCount();
  EXPECT_EQ(page->clickAction("actImport"), host::Outcome::Done);  // the dialog closed
  sheet("bad.csv", "编号,名称\nG1,甲\nG2,\nG1,重复\n");
  host.printFolder = (dir / "prints").string();
  EXPECT_EQ(page->clickAction("actImport"), host::Outcome::Aborted);
  EXPECT_TRUE(said("第3行：") && said("第4行：编号“G1”与第2行重复")) << lastEvent();
  EXPECT_FALSE(said("第2行："));
  // The refused rows also go to a workbook in the print folder, named in the message.
  const std::string report = (dir / "prints" / (page->spec.caption + "导入问题.xlsx")).string();
  EXPECT_TRUE(said(report)) << lastEvent();
  const host::SheetRows refused = host::XlsxReader::read(report);
  ASSERT_EQ(refused.size(), 3u);
  EXPECT_EQ(refused[1].front() + refused[2].front(), "34");
  sheet("good.csv", "供应商编号,名称,手机\nG1,甲,138\n\"G2\",\"乙,丙\",\n");
  ui.queueProgressStop();
  EXPECT_EQ(page->clickAction("actImport"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("已取消"));
  EXPECT_TRUE(rowTexts(imported).empty());
  sheet("good.csv", "供应商编号,名称,手机\nG1,甲,138\n\"G2\",\"乙,丙\",\n");
  ASSERT_EQ(page->clickAction("actImport"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts(imported), (std::vector<std::string>{"G1|甲|138", "G2|乙,丙|"}));
  EXPECT_EQ(page->cdsList.recordCount(), shown + 2);
  EXPECT_TRUE(said("已导入2行"));
  std::filesystem::remove_all(dir);
}

class MemberCards : public jiesuan_test::SettlementSession {
 protected:
  MemberCards() { registerOnce("1201", &plugs::coreapp::jczl::registerJczlForms); }
  ~MemberCards() override { host::PageControl().clear(); }

  //! 充值 or 退款 of `amount` through `account` on the focused card.
  static host::Outcome move(TMasterDataForm& page, const char* action, const std::string& amount,
                            const std::string& account) {
    page.setControlText(page.control("edtcard_je"), amount);
    page.setControlText(page.control("cbbcard_zh"), account);
    return page.clickAction(action);
  }

  //! Sets the focused card's password through the password dialog.
  host::Outcome setPin(TMasterDataForm& page, const std::string& pin) {
    host::DialogReply reply;
    reply.result = host::mrOK;
    reply.text = pin;
    ui.queueDialog("Tpasswordform", reply);
    return page.clickAction("actCardPwd");
  }

  //! Nothing the session showed or logged holds `secret`.
  void neverShown(const std::string& secret) {
    for (const std::string& event : ui.transcript())
      EXPECT_EQ(event.find(secret), std::string::npos) << event;
    for (const auto& [tag, text] : ui.logEntries())
      EXPECT_EQ(text.find(secret), std::string::npos) << tag;
  }
};

TEST_F(MemberCards, IssuedToppedUpPaidWithAndRefundedWithinItsBalance) {
  TMasterDataForm* page = openPage("1213");
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done);
  page->setControlText(page->control("edtcode"), "VIP09");
  page->setControlText(page->control("edtname"), "星光卡");
  page->setControlText(page->control("edtkh_id"), "星光广告");  // customer 1, no card yet
  ASSERT_EQ(page->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  const std::int64_t card =
      scalar("select id from vt_b_khbmk_vip where code = 'VIP09'").asInteger();
  EXPECT_EQ(scalar("select card_id from vt_b_khbmk where id = 1").asInteger(), card);
  ASSERT_EQ(page->focusedId(), card);
  ASSERT_EQ(setPin(*page, "731904"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(move(*page, "actTopUp", "200", "现金"), host::Outcome::Done) << lastEvent();
  // Order JS002 of customer 1 (80) paid by the new card with its password.
  auto form = openDialog("JS002");
  ASSERT_EQ(payByCard(*form, "80", "731904"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->clickAction("actok"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(page->clickAction("actSearch"), host::Outcome::Done);
  EXPECT_EQ(page->control("edtcard_ye").text, "120");
  ASSERT_NE(page->findDataSet("cdsPay"), nullptr);
  EXPECT_EQ(page->findDataSet("cdsPay")->recordCount(), 2);  // the ledger shown
  // Refusals leave the ledger as it was; the balance is checked by the batch that writes,
  // so a payment made after the page read the balance counts.
  query(
      "insert into vt_b_khbmk_vip_pay(orgid, kh_id, card_id, biztype, decje) "
      "values ('0001', 1, " +
      std::to_string(card) + ", '消费', 20)");
  const struct {
    const char* action;
    const char* amount;
    const char* account;
    const char* refusal;
  } refused[] = {{"actRefund", "100.01", "现金", "退款金额超过会员卡余额"},
                 {"actTopUp", "0", "现金", "请输入充值金额"},
                 {"actRefund", "-5", "现金", "请输入退款金额"},
                 {"actTopUp", "10", "", "请选择账户"}};
  for (const auto& r : refused) {
    EXPECT_EQ(move(*page, r.action, r.amount, r.account), host::Outcome::Aborted) << r.refusal;
    EXPECT_TRUE(saidMessage(r.refusal)) << r.refusal;
  }
  EXPECT_EQ(countOf("vt_b_khbmk_vip_pay where card_id = " + std::to_string(card)), 3);
  ASSERT_EQ(move(*page, "actRefund", "100", "工商银行"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(page->control("edtcard_ye").text, "0");
  // The money went into 现金 and came out of 工商银行; paying by card moved none.
  EXPECT_EQ(rowTexts("select zh_name, ye from vt_v_zhye where orgid = '0001' order by zh_id"),
            (std::vector<std::string>{"现金|200", "工商银行|-100"}));
  neverShown("731904");
  neverShown(host::MD5S("731904"));
}

TEST_F(MemberCards, APasswordResetHoldsAtTheSettlement) {
  TMasterDataForm* page = openPage("1213");
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->cdsList.locate("code", Value("VIP01")));  // customer 2's, "123456"
  ASSERT_EQ(setPin(*page, "新密码8"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(saidMessage("会员卡密码已设置"));
  auto form = openDialog("JS001");
  const struct {
    const char* pin;
    host::Outcome outcome;
  } tries[] = {{"123456", host::Outcome::Aborted}, {"新密码8", host::Outcome::Done}};
  for (const auto& t : tries) EXPECT_EQ(payByCard(*form, "10", t.pin), t.outcome) << t.pin;
  neverShown("新密码8");
  neverShown(host::MD5S("新密码8"));
}

TEST_F(MemberCards, ChildPricesSavedWithTheirRowPriceAnOrderLine) {
  query("insert into vt_b_vipdj(orgid, code, name) values ('0001', '01', '金卡会员')");
  TMasterDataForm* items = openPage("1204");
  ASSERT_NE(items, nullptr);
  ASSERT_EQ(items->clickAction("actAdd"), host::Outcome::Done);
  items->setControlText(items->control("edtcode"), "XM009");
  items->setControlText(items->control("edtname"), "展板");
  items->setControlText(items->control("edtprice_sale"), "30");
  addChildRow(*items, "Jtdj",
              {{"from_sl", Value(10.0)}, {"to_sl", Value(99.0)}, {"dj", Value(20.0)}});
  addChildRow(*items, "Vipxyj", {{"vip_id_name", Value("无此等级")}, {"dj", Value(24.0)}});
  EXPECT_EQ(items->clickAction("actSave"), host::Outcome::Aborted);  // nothing saved
  EXPECT_TRUE(saidMessage("会员等级价第1行：请选择会员等级"));
  EXPECT_EQ(countOf("vt_b_xmbmk where code = 'XM009'"), 0);
  items->findDataSet("cdsVipxyj")->edit();
  items->findDataSet("cdsVipxyj")->fieldByName("vip_id_name").setValue(Value("金卡会员"));
  ASSERT_EQ(items->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  const std::int64_t xm = scalar("select id from vt_b_xmbmk where code = 'XM009'").asInteger();
  TMasterDataForm* customers = openPage("1203");
  ASSERT_NE(customers, nullptr);
  ASSERT_TRUE(customers->cdsList.locate("code", Value("C001")));
  ASSERT_EQ(customers->clickAction("actEdit"), host::Outcome::Done);
  EXPECT_EQ(customers->findDataSet("cdsKhxyj")->recordCount(), 2);  // XM001 18, XM002 27
  addChildRow(*customers, "Khxyj", {{"xm_id_name", Value("展板")}, {"dj", Value(26.0)}});
  ASSERT_EQ(customers->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  const struct {
    std::int64_t kh;
    double sl;
    const char* dj;
  } priced[] = {{1, 1, "26"}, {1, 10, "20"}, {2, 1, "24"}, {3, 99, "20"}, {3, 1, "30"}};
  for (const auto& p : priced)
    EXPECT_EQ(plugs::coreapp::xmzzk::getkhxyj(p.kh, xm, p.sl), *core::Currency::parse(p.dj))
        << p.kh << " " << p.sl;
  EXPECT_EQ(plugs::coreapp::xmzzk::getkhxyj(1, 1, 1), *core::Currency::parse("18"));
  // The level's own page holds the same price row and rewrites it.
  TMasterDataForm* levels = openPage("1214");
  ASSERT_NE(levels, nullptr);
  ASSERT_TRUE(levels->cdsList.locate("name", Value("金卡会员")));
  ASSERT_EQ(levels->clickAction("actEdit"), host::Outcome::Done);
  dataset::ClientDataSet& levelPrices = *levels->findDataSet("cdsVipxyj");
  ASSERT_TRUE(levelPrices.locate("xm_id_name", Value("展板")));
  levelPrices.edit();
  levelPrices.fieldByName("dj").setValue(Value(22.0));
  ASSERT_EQ(levels->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(plugs::coreapp::xmzzk::getkhxyj(2, xm, 1), *core::Currency::parse("22"));
  // Editing the item again replaces its tiers as a whole.
  ASSERT_TRUE(items->cdsList.locate("id", Value(xm)));
  ASSERT_EQ(items->clickAction("actEdit"), host::Outcome::Done);
  ASSERT_EQ(items->findDataSet("cdsJtdj")->recordCount(), 1);
  items->findDataSet("cdsJtdj")->deleteRecord();
  ASSERT_EQ(items->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(plugs::coreapp::xmzzk::getkhxyj(1, xm, 10), *core::Currency::parse("26"));
  EXPECT_EQ(countOf("vt_b_vipxyj where xm_id = " + std::to_string(xm)), 1);
}

}  // namespace
