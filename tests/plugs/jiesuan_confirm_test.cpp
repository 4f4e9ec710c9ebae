// Confirming a settlement: the one batch writes the lines, the card ledger row and the
// order's recalculated totals, or nothing at all; the drawer opens only after a written
// batch; the modal results and what the order editor does with them; the fully settled
// order; registration of plug 1100_07.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "jiesuan_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::Tjiesuanform;

class SettlementConfirm : public jiesuan_test::SettlementSession {};

TEST_F(SettlementConfirm, CashReductionAndCardInOneBatch) {
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

TEST_F(SettlementConfirm, PrintConfirmEndsWithYesAndCashOnlyWritesNoLedgerRow) {
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

TEST_F(SettlementConfirm, NothingNewAndNothingOpenRunsOnlyTheRecalculation) {
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

TEST_F(SettlementConfirm, AFailingRecalculationRollsBackLinesAndLedgerRow) {
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

TEST_F(SettlementConfirm, AFailingLedgerRowRollsBackLinesAndTotals) {
  auto form = openDialog("JS001");
  ASSERT_EQ(payCash(*form, "20"), host::Outcome::Done);
  ASSERT_EQ(payByCard(*form, "50"), host::Outcome::Done);
  rows("drop table vt_b_khbmk_vip_pay");
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Aborted);
  EXPECT_EQ(countOf("vt_x_xmzzk_js"), 0);
  EXPECT_EQ(rowTexts("select hjsk, ispay from vt_x_xmzzk where billno = 'JS001'"), std::vector<std::string>{"0|0"});
  EXPECT_FALSE(said("\"event\":\"drawer\""));
}

TEST_F(SettlementConfirm, FullySettledOrderShowsHistoryAndPrintOnly) {
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

TEST_F(SettlementConfirm, TheOrderEditorAndThePlugItemShowTheWindowAndActOnItsResult) {
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

}  // namespace
