// Entering settlement lines: the reduction limit, the card password and balance, one
// reduction and one card line per dialog, cash lines with their account, and
// "本次结算" and the entry amounts following every added or deleted line. Nothing of
// this reaches the database until the user confirms.
#include <gtest/gtest.h>

#include "jiesuan_session.h"

namespace {

using core::Currency;

class SettlementEntry : public jiesuan_test::SettlementSession {};

TEST_F(SettlementEntry, OpeningShowsOrderAmountsAndPresetsEntries) {
  rows("update vt_x_xmzzk set jmje = 20, hjsk = 30 where billno = 'JS001'");
  auto form = openDialog("JS001");
  EXPECT_EQ(form->control("edtwldw").text, "C002");
  EXPECT_EQ(form->control("edtlxr").text, "刘经理");
  EXPECT_EQ(form->control("edtysje").text, "180");  // 200 − 20
  EXPECT_EQ(form->control("edtwjje").text, "150");  // 180 − 30
  EXPECT_EQ(form->control("edtbcjs").text, "0");
  for (const char* box : {"edtxj_je", "edtjm_je", "edthyk_je"})
    EXPECT_EQ(form->control(box).text, "150") << box;
  EXPECT_EQ(form->control("edthyk_ye").text, "100");
  EXPECT_EQ(form->control("cxPageControl1").text, "现结");
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 0);
}

TEST_F(SettlementEntry, ReductionLimitFromControlRule) {
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
    host.controlRules["maxjmje"] = c.rule;
    auto form = openDialog("JS001");
    const host::Outcome o = add(*form, "减免", "edtjm_je", c.amount);
    EXPECT_EQ(o, c.accepted ? host::Outcome::Done : host::Outcome::Aborted)
        << "rule " << c.rule << " amount " << c.amount;
    EXPECT_EQ(form->cdsjiesuan.recordCount(), c.accepted ? 1 : 0) << c.rule << " " << c.amount;
  }
  EXPECT_TRUE(said("\"text\":\"输入的减免金额超过最大授权减免金额.\""));
  EXPECT_TRUE(said("\"text\":\"请输入减免金额.\""));
}

TEST_F(SettlementEntry, LimitIsReadAfreshOnEveryAdd) {
  auto form = openDialog("JS001");
  host.controlRules["maxjmje"] = "10";
  EXPECT_EQ(add(*form, "减免", "edtjm_je", "20"), host::Outcome::Aborted);
  host.controlRules["maxjmje"] = "30";
  EXPECT_EQ(add(*form, "减免", "edtjm_je", "20"), host::Outcome::Done);
}

TEST_F(SettlementEntry, SecondReductionReplacesTheFirst) {
  auto form = openDialog("JS001");
  type(*form, "edtjm_remark", "老客户");
  ASSERT_EQ(add(*form, "减免", "edtjm_je", "10"), host::Outcome::Done);
  type(*form, "edtjm_remark", "店庆");
  ASSERT_EQ(add(*form, "减免", "edtjm_je", "25.5"), host::Outcome::Done);
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 1);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("je").asCurrency(), Currency::parse("25.5"));
  EXPECT_EQ(form->cdsjiesuan.fieldByName("remark").asString(), "店庆");
  EXPECT_EQ(form->cdsjiesuan.fieldByName("jsfs_code").asString(), "02");
  EXPECT_EQ(form->control("edtbcjs").text, "25.5");
  EXPECT_EQ(form->control("edtxj_je").text, "174.5");  // 200 − 25.5
}

TEST_F(SettlementEntry, CardBalanceAndPassword) {
  auto form = openDialog("JS001");
  EXPECT_EQ(payByCard(*form, "100.01"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"消费金额超过会员卡余额.\""));
  EXPECT_EQ(payByCard(*form, "10", "654321"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"会员卡消费密码输入错误，请重新输入.\""));
  EXPECT_EQ(payByCard(*form, "10", ""), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请输入会员卡消费密码.\""));
  EXPECT_EQ(payByCard(*form, "-5"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请输入本次消费金额.\""));
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 0);
  EXPECT_EQ(payByCard(*form, "100"), host::Outcome::Done);  // equal to the balance
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 1);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("jsfs_name").asString(), "会员卡");
  EXPECT_TRUE(form->cdsjiesuan.fieldByName("zh_id").isNull());
}

TEST_F(SettlementEntry, SecondCardConsumptionReplacesAmountAndRemark) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payByCard(*form, "30", "123456", "第一次"), host::Outcome::Done);
  ASSERT_EQ(payByCard(*form, "60", "123456", "第二次"), host::Outcome::Done);
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 1);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("je").asCurrency(), Currency::fromInt(60));
  EXPECT_EQ(form->cdsjiesuan.fieldByName("remark").asString(), "第二次");
}

TEST_F(SettlementEntry, CardWithoutLedgerRowsHasNoBalance) {
  auto form = openDialog("JS003");
  const auto& pages = form->control("cxPageControl1").items;
  EXPECT_NE(std::find(pages.begin(), pages.end(), "会员卡"), pages.end());
  EXPECT_TRUE(form->cdskhvip.fieldByName("je").isNull());
  EXPECT_EQ(payByCard(*form, "0.01"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"消费金额超过会员卡余额.\""));
}

TEST_F(SettlementEntry, CustomerWithoutCardHasNoCardPage) {
  auto form = openDialog("JS002");
  EXPECT_EQ(form->control("cxPageControl1").items, (std::vector<std::string>{"现结", "减免"}));
  EXPECT_FALSE(form->control("edthyk_pwd").visible);
  type(*form, "cxPageControl1", "会员卡");  // not shown: the page stays
  EXPECT_EQ(form->control("cxPageControl1").text, "现结");
}

TEST_F(SettlementEntry, CashLinesNeedAmountAndAccount) {
  auto form = openDialog("JS001");
  EXPECT_EQ(payCash(*form, "0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请输入结算金额.\""));
  EXPECT_EQ(payCash(*form, "20", ""), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请选择结算账户.\""));
  type(*form, "edtxj_sn", "POS-778");
  ASSERT_EQ(payCash(*form, "20", "工商银行"), host::Outcome::Done);
  ASSERT_EQ(payCash(*form, "30"), host::Outcome::Done);  // several cash lines
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 2);
  form->cdsjiesuan.first();
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_name").asString(), "工商银行");
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_id").asInteger(), 2);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("sn").asString(), "POS-778");
  EXPECT_EQ(form->cdsjiesuan.fieldByName("jsfs_code").asString(), "01");
  EXPECT_EQ(form->cdsjiesuan.fieldByName("czy_id").asInteger(), 1);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("billno").asString(), "JS001");
  EXPECT_FALSE(form->cdsjiesuan.fieldByName("uid").asString().empty());
  EXPECT_EQ(form->control("edtbcjs").text, "50");
}

TEST_F(SettlementEntry, LinesMayExceedTheOpenAmount) {
  auto form = openDialog("JS002");  // 80 open
  ASSERT_EQ(payCash(*form, "100"), host::Outcome::Done);
  EXPECT_EQ(form->control("edtbcjs").text, "100");
  EXPECT_EQ(form->control("edtjm_je").text, "-20");
}

TEST_F(SettlementEntry, AccountPickedInTheGridBringsItsId) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  form->cdsjiesuan.edit();
  form->cdsjiesuan.fieldByName("zh_name").setValue("工商银行");
  form->cdsjiesuan.post();
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_id").asInteger(), 2);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_code").asString(), "02");
}

TEST_F(SettlementEntry, ZeroLineIsRefusedOnPost) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
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
  EXPECT_EQ(form->control("edtbcjs").text, "0");
  EXPECT_EQ(form->control("edthyk_je").text, "200");
  EXPECT_EQ(form->clickAction("actdel"), host::Outcome::Disabled);
}

}  // namespace

namespace {

// The window shows the fields of the chosen kind of settlement only, and a cash line
// needs no account pick when the store's first account will do.
TEST_F(SettlementEntry, OnlyTheChosenKindsFieldsShowAndTheAccountIsPreset) {
  auto form = openDialog("JS001");  // a card holder
  auto shown = [&] {
    std::string out;
    for (const char* name : {"edtxj_je", "cbbxj_zh", "edtjm_je", "edthyk_je", "edthyk_pwd"})
      if (form->control(name).visible) out += std::string(name) + " ";
    return out;
  };
  EXPECT_EQ(shown(), "edtxj_je cbbxj_zh ");
  EXPECT_EQ(form->control("cbbxj_zh").text, "现金");
  type(*form, "cxPageControl1", "减免");
  EXPECT_EQ(shown(), "edtjm_je ");
  type(*form, "cxPageControl1", "会员卡");
  EXPECT_EQ(shown(), "edthyk_je edthyk_pwd ");
  type(*form, "cxPageControl1", "现结");
  ASSERT_EQ(form->clickAction("actadd"), host::Outcome::Done);
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_name").asString(), "现金");
  EXPECT_EQ(form->cdsjiesuan.fieldByName("zh_id").asInteger(), 1);
}

}  // namespace
