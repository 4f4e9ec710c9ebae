// Entering settlement lines: the reduction limit, the card password and balance, one
// reduction and one card line per dialog, cash lines with their account, the fields of
// the chosen kind only, and "本次结算" and the entry amounts following every added or
// deleted line. Nothing of this reaches the database until the user confirms.
#include <gtest/gtest.h>

#include "jiesuan_session.h"

namespace {

using core::Currency;

class SettlementEntry : public jiesuan_test::SettlementSession {};

TEST_F(SettlementEntry, OpeningShowsOrderAmountsAndPresetsEntries) {
  rows("update vt_x_xmzzk set jmje = 20, hjsk = 30 where billno = 'JS001'");
  auto form = openDialog("JS001");
  std::string shown;
  for (const char* box : {"edtwldw", "edtlxr", "edtysje", "edtwjje", "edtbcjs", "edtxj_je", "edtjm_je", "edthyk_je",
                          "edthyk_ye", "cxPageControl1"})
    shown += form->control(box).text + " ";
  // Receivable 200 − 20, open 180 − 30, the open amount preset in every entry box.
  EXPECT_EQ(shown, "C002 刘经理 180 150 0 150 150 150 100 现结 ");
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 0);
}

TEST_F(SettlementEntry, ReductionLimitFromControlRuleReadAfreshOnEveryAdd) {
  const struct {
    const char* rule;
    const char* amount;
    bool accepted;
  } cases[] = {
      {"50", "50", true},                         // equal to the limit
      {"50", "50.01", false},                     // one cent more
      {"50.5", "50.5", true}, {"", "180", true},  // no rule: no limit
      {"0", "180", true},     {"abc", "180", true}, {"50", "0", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("rule ") + c.rule + " amount " + c.amount);
    host.controlRules["maxjmje"] = c.rule;
    auto form = openDialog("JS001");
    EXPECT_EQ(add(*form, "减免", "edtjm_je", c.amount), c.accepted ? host::Outcome::Done : host::Outcome::Aborted);
    EXPECT_EQ(form->cdsjiesuan.recordCount(), c.accepted ? 1 : 0);
  }
  EXPECT_TRUE(said("\"text\":\"输入的减免金额超过最大授权减免金额.\""));
  EXPECT_TRUE(said("\"text\":\"请输入减免金额.\""));
  auto form = openDialog("JS001");
  host.controlRules["maxjmje"] = "10";
  EXPECT_EQ(add(*form, "减免", "edtjm_je", "20"), host::Outcome::Aborted);
  host.controlRules["maxjmje"] = "30";
  EXPECT_EQ(add(*form, "减免", "edtjm_je", "20"), host::Outcome::Done);
}

TEST_F(SettlementEntry, ASecondReductionOrCardConsumptionReplacesTheFirst) {
  auto form = openDialog("JS001");
  type(*form, "edtjm_remark", "老客户");
  ASSERT_EQ(add(*form, "减免", "edtjm_je", "10"), host::Outcome::Done);
  type(*form, "edtjm_remark", "店庆");
  ASSERT_EQ(add(*form, "减免", "edtjm_je", "25.5"), host::Outcome::Done);
  EXPECT_EQ(lines(*form), std::vector<std::string>{"02||25.5|店庆"});
  EXPECT_EQ(form->control("edtbcjs").text + " " + form->control("edtxj_je").text, "25.5 174.5");  // 200 − 25.5
  ASSERT_EQ(payByCard(*form, "30", "123456", "第一次"), host::Outcome::Done);
  ASSERT_EQ(payByCard(*form, "60", "123456", "第二次"), host::Outcome::Done);
  EXPECT_EQ(lines(*form), (std::vector<std::string>{"02||25.5|店庆", "03||60|第二次"}));
}

TEST_F(SettlementEntry, CardNeedsItsPasswordAndABalance) {
  auto form = openDialog("JS001");
  const struct {
    const char* amount;
    const char* password;
    const char* refusal;
  } refused[] = {{"100.01", "123456", "消费金额超过会员卡余额."},
                 {"10", "654321", "会员卡消费密码输入错误，请重新输入."},
                 {"10", "", "请输入会员卡消费密码."},
                 {"-5", "123456", "请输入本次消费金额."}};
  for (const auto& r : refused) {
    EXPECT_EQ(payByCard(*form, r.amount, r.password), host::Outcome::Aborted) << r.refusal;
    EXPECT_TRUE(said(std::string("\"text\":\"") + r.refusal + "\"")) << r.refusal;
  }
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 0);
  EXPECT_EQ(payByCard(*form, "100"), host::Outcome::Done);  // equal to the balance
  EXPECT_EQ(texts(form->cdsjiesuan, "jsfs_name zh_id je"), "会员卡||100");

  // A card without ledger rows has no balance at all.
  auto noLedger = openDialog("JS003");
  const auto& pages = noLedger->control("cxPageControl1").items;
  EXPECT_NE(std::find(pages.begin(), pages.end(), "会员卡"), pages.end());
  EXPECT_TRUE(noLedger->cdskhvip.fieldByName("je").isNull());
  EXPECT_EQ(payByCard(*noLedger, "0.01"), host::Outcome::Aborted);
  EXPECT_EQ(count("消费金额超过会员卡余额."), 2);
}

TEST_F(SettlementEntry, OnlyTheChosenKindsFieldsShowAndACustomerWithoutCardHasNoCardPage) {
  auto form = openDialog("JS001");  // a card holder
  auto shown = [&] {
    std::string out;
    for (const char* name : {"edtxj_je", "cbbxj_zh", "edtjm_je", "edthyk_je", "edthyk_pwd"})
      if (form->control(name).visible) out += std::string(name) + " ";
    return out;
  };
  EXPECT_EQ(shown(), "edtxj_je cbbxj_zh ");
  type(*form, "cxPageControl1", "减免");
  EXPECT_EQ(shown(), "edtjm_je ");
  type(*form, "cxPageControl1", "会员卡");
  EXPECT_EQ(shown(), "edthyk_je edthyk_pwd ");

  auto noCard = openDialog("JS002");
  EXPECT_EQ(noCard->control("cxPageControl1").items, (std::vector<std::string>{"现结", "减免"}));
  EXPECT_FALSE(noCard->control("edthyk_pwd").visible);
  type(*noCard, "cxPageControl1", "会员卡");  // not shown: the page stays
  EXPECT_EQ(noCard->control("cxPageControl1").text, "现结");
}

TEST_F(SettlementEntry, CashLinesNeedAmountAndAccountAndMayExceedTheOpenAmount) {
  auto form = openDialog("JS001");
  EXPECT_EQ(form->control("cbbxj_zh").text, "现金");  // the store's first account is preset
  type(*form, "edtxj_je", "30");
  ASSERT_EQ(form->clickAction("actadd"), host::Outcome::Done);
  EXPECT_EQ(payCash(*form, "0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请输入结算金额.\""));
  EXPECT_EQ(payCash(*form, "20", ""), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请选择结算账户.\""));
  type(*form, "edtxj_sn", "POS-778");
  ASSERT_EQ(payCash(*form, "20", "工商银行"), host::Outcome::Done);  // several cash lines
  EXPECT_EQ(lines(*form), (std::vector<std::string>{"01|1|30|", "01|2|20|"}));
  EXPECT_EQ(texts(form->cdsjiesuan, "zh_name sn czy_id billno"), "工商银行|POS-778|1|JS001");
  EXPECT_FALSE(form->cdsjiesuan.fieldByName("uid").asString().empty());
  EXPECT_EQ(form->control("edtbcjs").text, "50");

  auto more = openDialog("JS002");  // 80 open
  ASSERT_EQ(payCash(*more, "100"), host::Outcome::Done);
  EXPECT_EQ(more->control("edtbcjs").text + " " + more->control("edtjm_je").text, "100 -20");
}

TEST_F(SettlementEntry, GridEditsPickTheAccountAndRefuseAZeroLine) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  form->cdsjiesuan.edit();
  form->cdsjiesuan.fieldByName("zh_name").setValue("工商银行");
  form->cdsjiesuan.post();
  EXPECT_EQ(texts(form->cdsjiesuan, "zh_id zh_code"), "2|02");
  form->cdsjiesuan.edit();
  form->cdsjiesuan.fieldByName("je").setValue(Currency());
  EXPECT_EQ(form->dispatch([&] { form->cdsjiesuan.post(); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请输入结算金额.\""));
}

TEST_F(SettlementEntry, DeletingTheLastLineResetsTheAmounts) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  ui.queueAnswer(host::mrCancel);
  EXPECT_EQ(form->clickAction("actdel"), host::Outcome::Aborted);
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 1);
  ASSERT_EQ(form->clickAction("actdel"), host::Outcome::Done);  // unqueued: OK
  EXPECT_TRUE(said("\"text\":\"是否确定删除选中的结算记录\""));
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 0);
  EXPECT_EQ(form->control("edtbcjs").text + " " + form->control("edthyk_je").text, "0 200");
  EXPECT_EQ(form->clickAction("actdel"), host::Outcome::Disabled);
}

}  // namespace
