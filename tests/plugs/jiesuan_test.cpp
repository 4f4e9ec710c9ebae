// The settlement window: the reduction limit, the card password and balance, one
// reduction and one card line per dialog, cash lines with their account and the amounts
// following every line; confirming writes the lines, the card ledger row and the
// order's recalculated totals in one batch or nothing at all, the drawer opening only
// after it, and never on top of another window's settlement made since it opened; the
// modal results, the fully settled order and plug 1100_07.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "jiesuan_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::Tjiesuanform;

class Settlement : public jiesuan_test::SettlementSession {};

TEST_F(Settlement, CashReductionAndCardInOneBatch) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "70", "工商银行"), host::Outcome::Done);
  ASSERT_EQ(add(*form, "减免", "edtjm_je", "30"), host::Outcome::Done);
  // The remark is carried as typed: quotes, a store marker and format directives.
  ASSERT_EQ(payByCard(*form, "100", "123456", "O'Neil :orgid %s 50%"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actok"), host::Outcome::Done);
  EXPECT_EQ(form->ModalResult, host::mrOK);
  EXPECT_TRUE(said("\"event\":\"drawer\""));
  EXPECT_EQ(rowTexts("select fs.code, isnull(js.zh_id, 0), js.je, js.czy_id, js.remark from vt_x_xmzzk_js js "
                     "left join vt_b_jsfs fs on js.jsfs_id = fs.id where js.billno = 'JS001' order by fs.code"),
            (std::vector<std::string>{"01|2|70|1|", "02|0|30|1|", "03|0|100|1|O'Neil :orgid %s 50%"}));

  // The card ledger row: outlet and operator of the login, the card's customer and
  // id, the order id, the amount taken and the remark; the card is used up.
  const std::string order = scalar("select id from vt_x_xmzzk where billno='JS001'").asText();
  EXPECT_EQ(rowTexts("select ck_id, kh_id, card_id, czy_id, biztype, bizid, incje, decje, remark "
                     "from vt_b_khbmk_vip_pay where bizid <> 99 and biztype = '消费'"),
            std::vector<std::string>{"1|2|1|1|消费|" + order + "|0|100|O'Neil :orgid %s 50%"});
  EXPECT_EQ(scalar("select sum(incje) - sum(decje) from vt_b_khbmk_vip_pay where card_id = 1").asCurrency(), Currency());
  // Recalculated by the procedure: 170 received, 30 reduced, fully settled.
  EXPECT_EQ(rowTexts("select hjsk, jmje, ispay, status from vt_x_xmzzk where billno = 'JS001'"),
            std::vector<std::string>{"170|30|2|3"});
}

TEST_F(Settlement, PrintConfirmEndsWithYesAndCashOnlyWritesNoLedgerRow) {
  auto form = openDialog("JS002");
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Disabled);  // no line yet
  EXPECT_EQ(form->clickAction("actok_print"), host::Outcome::Disabled);
  ASSERT_EQ(payCash(*form, "50"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actok_print"), host::Outcome::Done);
  EXPECT_EQ(form->ModalResult, host::mrYes);
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 1);
  EXPECT_EQ(countOf("vt_b_khbmk_vip_pay"), 2);
  EXPECT_EQ(scalar("select ispay from vt_x_xmzzk where billno = 'JS002'").asInteger(), 1);

  auto emptied = openDialog("JS001");
  ASSERT_EQ(payCash(*emptied, "20"), host::Outcome::Done);
  ASSERT_EQ(emptied->clickAction("actdel"), host::Outcome::Done);
  EXPECT_EQ(emptied->clickAction("actok"), host::Outcome::Disabled);
}

TEST_F(Settlement, NothingNewAndNothingOpenRunsOnlyTheRecalculation) {
  // The header says 200 received although its ispay was never recomputed.
  rows("insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, je) values ('0001', 'x1', 'JS001', 1, 200)");
  rows("update vt_x_xmzzk set hjsk = 200 where billno = 'JS001'");
  auto form = openDialog("JS001");
  ASSERT_EQ(form->control("edtwjje").text, "0");
  ASSERT_EQ(form->clickAction("actok"), host::Outcome::Done);
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 1);
  EXPECT_EQ(countOf("vt_b_khbmk_vip_pay"), 2);
  EXPECT_EQ(scalar("select ispay from vt_x_xmzzk where billno = 'JS001'").asInteger(), 2);
  EXPECT_EQ(form->ModalResult, host::mrOK);
}

TEST_F(Settlement, AFailingRecalculationRollsBackLinesAndLedgerRow) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  ASSERT_EQ(payByCard(*form, "50"), host::Outcome::Done);
  rows("drop procedure sp_sys_calcxmzzkhj");
  rows("create procedure sp_sys_calcxmzzkhj @orgid varchar(50), @billno varchar(50) as "
       "begin raiserror('recalculation failed', 16, 1) end");
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"单据保存失败\""));
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 0);
  EXPECT_EQ(countOf("vt_b_khbmk_vip_pay"), 2);  // the fixture's own two
  EXPECT_FALSE(said("\"event\":\"drawer\""));
  EXPECT_EQ(form->ModalResult, host::mrNone);
  EXPECT_EQ(form->cdsjiesuan.recordCount(), 2);  // the dialog keeps its lines
}

TEST_F(Settlement, AFailingLedgerRowRollsBackLinesAndTotals) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  ASSERT_EQ(payByCard(*form, "50"), host::Outcome::Done);
  rows("drop table vt_b_khbmk_vip_pay");
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Aborted);
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 0);
  EXPECT_EQ(rowTexts("select hjsk, ispay from vt_x_xmzzk where billno = 'JS001'"), std::vector<std::string>{"0|0"});
  EXPECT_FALSE(said("\"event\":\"drawer\""));
}

// Two settlement windows opened on one order: once the first has confirmed, the second
// settles nothing on top of it; it writes nothing and keeps its lines.
TEST_F(Settlement, ASecondWindowOnTheOrderIsRefusedOnceTheFirstHasConfirmed) {
  auto first = openDialog("JS001");
  auto second = openDialog("JS001");
  ASSERT_EQ(payCash(*first, "70"), host::Outcome::Done);
  ASSERT_EQ(payCash(*second, "70"), host::Outcome::Done);
  ASSERT_EQ(first->clickAction("actok"), host::Outcome::Done);
  EXPECT_EQ(second->clickAction("actok"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"当前数据状态已改变，请刷新后重试.\""));
  EXPECT_EQ(rowTexts("select je from vt_x_xmzzk_js where billno = 'JS001'"), std::vector<std::string>{"70"});
  EXPECT_EQ(second->cdsjiesuan.recordCount(), 1);
}

TEST_F(Settlement, FullySettledOrderShowsHistoryAndPrintOnly) {
  auto opened = openDialog("JS002");
  ASSERT_EQ(payCash(*opened, "50"), host::Outcome::Done);
  ASSERT_EQ(opened->clickAction("actok"), host::Outcome::Done);
  rows("insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillno, hxbillid, bchx, zy) select '0001', 'SK1', "
       "'项目订单', 'JS002', id, 30, '收款核销' from vt_x_xmzzk where billno = 'JS002'");
  rows("exec sp_sys_calcxmzzkhj @orgid='0001', @billno='JS002'");
  ASSERT_EQ(scalar("select ispay from vt_x_xmzzk where billno = 'JS002'").asInteger(), 2);

  auto form = openDialog("JS002");
  EXPECT_EQ(form->cdsResult.recordCount(), 2);  // the cash line and the receipt
  form->updateActions();
  std::vector<std::string> shown;
  for (const char* name : {"actadd", "actdel", "actok", "actok_print", "actprint", "actclose"})
    if (form->action(name).visible) shown.push_back(name);
  EXPECT_EQ(shown, (std::vector<std::string>{"actprint", "actclose"}));
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Disabled);
  EXPECT_TRUE(form->control("cxgResult").visible);
  EXPECT_FALSE(form->control("cxgjiesuan").visible);
  EXPECT_FALSE(form->control("cxPageControl1").visible);
  ASSERT_EQ(form->clickAction("actprint"), host::Outcome::Done);
  EXPECT_TRUE(said("\"历史结算列表\":2"));
  EXPECT_TRUE(said("\"表单编号\":\"1100_01\""));
}

TEST_F(Settlement, TheOrderEditorAndThePlugItemShowTheWindowAndActOnItsResult) {
  std::string shownBillno;
  // The dialog, when shown, adds a cash line of 30 and then clicks `action`.
  auto answerWith = [&](const std::string& action) {
    ui.setModalRunner([this, action, &shownBillno](host::FormModel& shown) {
      auto& dialog = dynamic_cast<Tjiesuanform&>(shown);
      shownBillno = dialog.billno;
      payCash(dialog, "30");
      dialog.clickAction(action);
      return dialog.ModalResult == host::mrNone ? host::mrCancel : dialog.ModalResult;
    });
  };
  auto editor = openEditor("JS002");
  answerWith("actclose");
  ui.queueAnswer(host::mrNo);  // 取消 asks about the typed line: drop it
  ASSERT_EQ(editor->clickAction("actjiesuan"), host::Outcome::Done);
  EXPECT_EQ(shownBillno, "JS002");
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 0);  // cancelled: nothing written

  answerWith("actok");
  ASSERT_EQ(editor->clickAction("actjiesuan"), host::Outcome::Done);
  EXPECT_EQ(editor->cdsMaster.fieldByName("hjsk").asCurrency(), Currency::fromInt(30));
  EXPECT_FALSE(said("\"event\":\"print\""));
  answerWith("actok_print");
  ASSERT_EQ(editor->clickAction("actjiesuan"), host::Outcome::Done);
  EXPECT_EQ(editor->cdsMaster.fieldByName("hjsk").asCurrency(), Currency::fromInt(60));
  EXPECT_TRUE(said("\"表单编号\":\"1100\""));

  shownBillno.clear();
  host::TPlugItem* item = host::plugsPool().plugbyName("1100_07");
  ASSERT_NE(item, nullptr);
  item->create(nullptr, "JS003");
  EXPECT_EQ(shownBillno, "JS003");
  EXPECT_EQ(countOf("vt_x_xmzzk_js where billno = 'JS003'"), 1);
}

TEST_F(Settlement, OpeningShowsOrderAmountsAndPresetsEntries) {
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

TEST_F(Settlement, ReductionLimitFromControlRuleReadAfreshOnEveryAdd) {
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

TEST_F(Settlement, ASecondReductionOrCardConsumptionReplacesTheFirst) {
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

TEST_F(Settlement, CardNeedsItsPasswordAndABalance) {
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

TEST_F(Settlement, OnlyTheChosenKindsFieldsShowAndACustomerWithoutCardHasNoCardPage) {
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

TEST_F(Settlement, CashLinesNeedAmountAndAccountAndMayExceedTheOpenAmount) {
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

TEST_F(Settlement, GridEditsPickTheAccountAndRefuseAZeroLine) {
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

TEST_F(Settlement, DeletingTheLastLineResetsTheAmounts) {
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
