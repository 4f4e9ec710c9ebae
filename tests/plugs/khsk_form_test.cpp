// The receipt (1112) and its supplier twin the payment (1113): write-off lines from the
// selector (each bill once, at its open amount, lowered but never raised), the checks
// before saving (counterparty, write-offs within amount + discount to the
// ten-thousandth), the save of both line tables, the ledger rows an audit writes and an
// un-audit removes, the open amounts others see, and the refusals of each.
#include <gtest/gtest.h>

#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::gysfk::Tgysfkform;
using plugs::coreapp::khsk::Tkhskform;

class Receipt : public write_off_test::WriteOffSession {
 protected:
  //! A new receipt of `je` from customer 1 with the given bills picked.
  std::unique_ptr<Tkhskform> receipt(const char* je, std::vector<std::string> bills) {
    auto form = openEditor<Tkhskform>("1112");
    startBill(*form, je);
    EXPECT_EQ(pick(*form, std::move(bills)), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! Saves and audits; the receipt is reopened on its number.
  void saveAndAudit(plugs::coreapp::TWriteOffBillForm& form) {
    ASSERT_EQ(save(form), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(form.clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  }

  Currency openAmount(plugs::coreapp::TWriteOffBillForm& form, const char* hxbillno) {
    EXPECT_TRUE(form.cdshxmx.locate("hxbillno", Value(std::string(hxbillno))));
    return form.cdshxmx.fieldByName("hxje_no").asCurrency();
  }

  //! The last batch the log shows under `tag`.
  std::string batchOf(const char* tag) {
    std::string last;
    for (const auto& [t, text] : ui.logEntries())
      if (t == tag) last = text;
    return last;
  }
};

TEST_F(Receipt, PickedBillsComeInOnceWithTheirWholeOpenAmountThatMayBeLoweredOnly) {
  auto form = receipt("2000", {"XM001", "XH001"});
  ASSERT_EQ(form->cdshxmx.recordCount(), 2);
  EXPECT_EQ(openAmount(*form, "XM001"), Currency::fromInt(1000));
  EXPECT_EQ(form->cdshxmx.fieldByName("hxje").asCurrency(), Currency::fromInt(1000));
  EXPECT_EQ(openAmount(*form, "XH001"), Currency::fromInt(720));
  EXPECT_EQ(texts(form->cdshxmx, "biztype ck_code"), "销货单|000");
  // The same bill again (in a second run of the selector) leaves one line.
  ASSERT_EQ(pick(*form, {"XM001", "XM002"}), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(form->cdshxmx.recordCount(), 3);
  // The grid adds no line of its own; a line can be deleted.
  EXPECT_EQ(form->dispatch([&] { form->cdshxmx.append(); }), host::Outcome::Aborted);
  EXPECT_EQ(form->cdshxmx.state(), dataset::DataSetState::Browse);
  ASSERT_EQ(form->clickAction("acthxmx_Del"), host::Outcome::Done);
  EXPECT_EQ(form->cdshxmx.recordCount(), 2);

  EXPECT_EQ(typeWriteOff(*form, "XH001", "500"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(typeWriteOff(*form, "XH001", "720.0001"), host::Outcome::Aborted);
  EXPECT_TRUE(said("本次核销金额不能大于未核销金额")) << lastEvent();
  form->cdshxmx.cancel();
  // Text is refused by the field itself; its message is what the shell shows.
  try {
    typeWriteOff(*form, "XH001", "abc");
    ADD_FAILURE() << "text accepted as an amount";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("“abc”不是有效的"), std::string::npos);
  }
  if (form->cdshxmx.state() != dataset::DataSetState::Browse) form->cdshxmx.cancel();
  EXPECT_EQ(form->cdshxmx.fieldByName("hxje").asCurrency(), Currency::fromInt(500));
}

TEST_F(Receipt, DiscountWidensWhatTheReceiptMayWriteOffToTheTenThousandth) {
  auto form = receipt("1000", {"XM001", "XH001"});
  ASSERT_EQ(typeWriteOff(*form, "XM001", "330"), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "XH001", "720"), host::Outcome::Done);  // 1050 in all
  form->control("edtjmje").text.clear();
  std::string message;
  for (const auto& [jmje, xm001, refused] : {std::tuple{49, "330", true}, {50, "330", false}, {50, "330.0001", true}}) {
    SCOPED_TRACE(xm001);
    ASSERT_EQ(typeWriteOff(*form, "XM001", xm001), host::Outcome::Done);
    form->cdsMaster.edit();
    form->cdsMaster.fieldByName("jmje").setValue(Value(Currency::fromInt(jmje)));
    message.clear();
    EXPECT_EQ(form->CheckBillError(message), refused);
    EXPECT_EQ(message, refused ? "收款金额不能小于核销总金额." : "");
  }
}

TEST_F(Receipt, NoCustomerAndAccountLinesWithoutAccountOrAmountAreRefused) {
  auto form = openEditor<Tkhskform>("1112");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(accountLine(*form, 0, "100"), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择结算账户"));
  form->cdsDetail.cancel();
  EXPECT_EQ(accountLine(*form, 1, "0.4"), host::Outcome::Aborted);  // read as an integer: 0
  EXPECT_TRUE(said("请输入收款金额"));
  form->cdsDetail.cancel();
  ASSERT_EQ(accountLine(*form, 1, "100"), host::Outcome::Done);
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择往来单位."));
  EXPECT_EQ(countOf("vt_f_khsk"), 0);
}

TEST_F(Receipt, SaveWritesBothLineTablesAndTotalWithoutTouchingTheLedger) {
  auto form = receipt("700", {"XM001"});
  ASSERT_EQ(accountLine(*form, 2, "300"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  const std::string no = form->billno;
  // An empty discount box saves 0.
  EXPECT_EQ(rowTexts("select kh_id, jmje, hjje, hxje, status from vt_f_khsk where billno = '" + no + "'"),
            std::vector<std::string>{"1|0|1000|0|0"});
  EXPECT_EQ(countOf("vt_f_khsk_mx where billno = '" + no + "'"), 2);
  EXPECT_EQ(rowTexts("select bizid, hxje from vt_f_khsk_hx where billno = '" + no + "'"), std::vector<std::string>{"1|1000"});
  EXPECT_EQ(countOf("vt_sys_hx_kh"), 0);
  // Reopened, the line shows the bill's amounts again.
  EXPECT_EQ(form->cdshxmx.recordCount(), 1);
  EXPECT_EQ(openAmount(*form, "XM001"), Currency::fromInt(1000));
  const std::string insert = batchOf("添加单据");  // write-off lines before the total
  const std::size_t line = insert.find("insert into vt_f_khsk_hx");
  const std::size_t total = insert.find("update dbo.vt_f_khsk set hjje = isnull((select sum(je) from dbo.vt_f_khsk_mx "
                                        "where billno = @billno),0) + isnull(jmje,0) where billno = @billno");
  ASSERT_NE(total, std::string::npos) << insert;
  EXPECT_LT(line, total);
  EXPECT_EQ(insert.find("hxje_no"), std::string::npos);  // display fields are never written
  EXPECT_NE(insert.find("@billno,'项目订单'"), std::string::npos) << insert;

  // A second save of an edited line keeps one line with the new amount.
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "XM001", "900"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts("select bizid, hxje from vt_f_khsk_hx where billno = '" + no + "'"), std::vector<std::string>{"1|900"});
  const std::string update = batchOf("保存单据");
  EXPECT_NE(update.find("update vt_f_khsk_hx set hxje=900.0000"), std::string::npos) << update;
  EXPECT_NE(update.find("),0)  + isnull(jmje,0)"), std::string::npos);
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said("核销明细")) << lastEvent();

  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_f_khsk") + countOf("vt_f_khsk_mx") + countOf("vt_f_khsk_hx"), 0);
}

TEST_F(Receipt, AnOrderAndASalesBillOfOneIdReopenAsTwoLines) {
  auto form = receipt("2000", {"XM001", "XH001"});  // both have id 1
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdshxmx.recordCount(), 2);
  EXPECT_EQ(form->cdshxmx.sum("hxje").asCurrency(), Currency::fromInt(1720));
  EXPECT_EQ(openAmount(*form, "XH001"), Currency::fromInt(820));
  EXPECT_EQ(form->cdshxmx.fieldByName("biztype").asString(), "销货单");
}

TEST_F(Receipt, AuditWritesOneLedgerRowPerLineAndUnAuditRemovesExactlyItsOwn) {
  auto other = receipt("100", {"XH001"});
  ASSERT_EQ(typeWriteOff(*other, "XH001", "100"), host::Outcome::Done);
  saveAndAudit(*other);
  // A draft does not lower the open amounts others see; an audited one does.
  auto draft = receipt("400", {"XM001"});
  ASSERT_EQ(typeWriteOff(*draft, "XM001", "400"), host::Outcome::Done);
  ASSERT_EQ(save(*draft), host::Outcome::Done) << lastEvent();

  auto form = receipt("500", {"XM001", "XH001"});
  EXPECT_EQ(openAmount(*form, "XM001"), Currency::fromInt(1000));
  ASSERT_EQ(typeWriteOff(*form, "XM001", "300"), host::Outcome::Done);
  EXPECT_EQ(openAmount(*form, "XH001"), Currency::fromInt(620));  // the other receipt's 100 counts
  ASSERT_EQ(typeWriteOff(*form, "XH001", "200"), host::Outcome::Done);
  saveAndAudit(*form);
  EXPECT_TRUE(said("drawer")) << lastEvent();
  const std::string no = form->billno;
  // 800 - 0 + 20 is the sales bill's amount.
  EXPECT_EQ(rowTexts("select biztype, hxbillno, bchx, zy, czy_id, hjje from vt_sys_hx_kh where billno = '" + no +
                     "' order by bchx desc"),
            (std::vector<std::string>{"项目订单|XM001|300|收款单核销|1|1000", "销货单|XH001|200|收款单核销|1|820"}));
  EXPECT_EQ(scalar("select hxje from vt_f_khsk where billno = '" + no + "'").asText(), "500");
  EXPECT_EQ(scalar("select hjsk from vt_x_xmzzk where id = 1").asText(), "300");
  // Reopened, its own rows do not count against it; the receipt's own reading of a
  // sales bill leaves out what was received on the bill itself (bcsk).
  EXPECT_EQ(openAmount(*form, "XM001"), Currency::fromInt(1000));
  EXPECT_EQ(openAmount(*form, "XH001"), Currency::fromInt(720));
  ASSERT_EQ(draft->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(openAmount(*receipt("100", {"XM001"}), "XM001"), Currency::fromInt(300));

  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_sys_hx_kh where billno = '" + no + "'"), 0);
  EXPECT_EQ(countOf("vt_sys_hx_kh"), 2);  // the other receipts' rows stay
  EXPECT_EQ(scalar("select hxje from vt_f_khsk where billno = '" + no + "'").asText(), "0");
  EXPECT_EQ(scalar("select hjsk from vt_x_xmzzk where id = 1").asText(), "400");
}

TEST_F(Receipt, AReceiptWithoutWriteOffsAuditsWithoutLedgerRows) {
  saveAndAudit(*receipt("300", {}));
  EXPECT_EQ(rowTexts("select status, hxje from vt_f_khsk"), std::vector<std::string>{"1|0"});
  EXPECT_EQ(countOf("vt_sys_hx_kh"), 0);
}

TEST_F(Receipt, UnAuditIsRefusedWhileAnAdvanceWriteOffUsesTheReceiptAndAStaleEditorAuditsNothing) {
  auto form = receipt("300", {"XM001"});
  ASSERT_EQ(typeWriteOff(*form, "XM001", "300"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  auto second = openEditor<Tkhskform>("1112", form->billno);
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(second->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变")) << lastEvent();
  EXPECT_EQ(scalar("select sum(bchx) from vt_sys_hx_kh").asCurrency(), Currency::fromInt(300));

  query("insert into vt_f_yshx_mx(uid, orgid, billno, biztype, bizid, hxje) values ('u1', '0001', 'YS1', '收款单', " +
        std::to_string(form->billId) + ", 100)");
  EXPECT_EQ(form->clickAction("actAudit_0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("收款单已核销或部分核算（结算），不能反审核。")) << lastEvent();
  EXPECT_EQ(scalar("select status from vt_f_khsk").asInteger(), 1);
  EXPECT_EQ(countOf("vt_sys_hx_kh"), 1);
}

TEST_F(Receipt, PaymentWritesSupplierLedgerRowsAndItsUnAuditIsNeverRefused) {
  auto form = openEditor<Tgysfkform>("1113");
  startBill(*form, "500");
  EXPECT_EQ(accountLine(*form, 1, "0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("请输入付款金额"));
  form->cdsDetail.cancel();
  ASSERT_EQ(pick(*form, {"WX001", "GH001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdshxmx.recordCount(), 2);
  EXPECT_EQ(openAmount(*form, "GH001"), Currency::fromInt(860));
  EXPECT_EQ(save(*form), host::Outcome::Aborted);  // 700 + 860 written off
  EXPECT_TRUE(said("付款金额不能小于核销总金额.")) << lastEvent();
  ASSERT_EQ(typeWriteOff(*form, "WX001", "300"), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "GH001", "200"), host::Outcome::Done);
  saveAndAudit(*form);
  EXPECT_EQ(scalar("select hjje from vt_f_gysfk").asText(), "500");
  EXPECT_TRUE(said("drawer"));
  // Purchase rows carry the bill's amount less discount plus fees, and no operator.
  EXPECT_EQ(rowTexts("select hxbillno, convert(varchar(10), hxbilldate, 120), ck_id, hjje, bchx, zy, czy_id "
                     "from vt_sys_hx_gys order by bchx"),
            (std::vector<std::string>{"GH001|2026-11-08|1|960|200|付款单核销|", "WX001|2026-11-07|1|700|300|付款单核销|"}));
  EXPECT_EQ(scalar("select hxje from vt_f_gysfk").asText(), "500");

  // A prepayment write-off naming the payment does not stop the un-audit.
  query("insert into vt_f_yfhx_mx(uid, orgid, billno, biztype, bizid, hxje) values ('u1', '0001', 'YF1', '付款单', " +
        std::to_string(form->billId) + ", 100)");
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_sys_hx_gys"), 0);
  EXPECT_EQ(scalar("select hxje from vt_f_gysfk").asText(), "0");
}

}  // namespace
