// The advance write-offs (1115 customer, 1116 supplier): free amounts of audited
// receipts and payments offered to them, both sides balancing to the ten-thousandth,
// the ledger rows their audit writes and their un-audit removes, the receipt's refusal
// to un-audit while one names it.
#include <gtest/gtest.h>

#include "plugs/coreapp/gysfk/yfhx_form.h"
#include "plugs/coreapp/khsk/yshx_form.h"
#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::TAdvanceWriteOffForm;
using plugs::coreapp::gysfk::Tgysfkform;
using plugs::coreapp::gysfk::Tyfhxform;
using plugs::coreapp::khsk::Tkhskform;
using plugs::coreapp::khsk::Tyshxform;

class AdvanceWriteOff : public write_off_test::WriteOffSession {
 protected:
  AdvanceWriteOff() {
    registerOnce("1115", &plugs::coreapp::khsk::registerYshxForm);
    registerOnce("1116", &plugs::coreapp::gysfk::registerYfhxForm);
  }

  //! A new advance write-off of type `Form` made out to counterparty 1, taking
  //! `money` (receipts or payments) from the money-side selector.
  template <class Form>
  std::unique_ptr<Form> advance(const char* code, std::vector<std::string> money = {}) {
    auto form = openEditor<Form>(code);
    EXPECT_EQ(form->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(form->writeOff.counterparty.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
    EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    if (!money.empty()) {
      EXPECT_EQ(pickSources(*form, std::move(money)), host::Outcome::Done) << lastEvent();
    }
    return form;
  }

  //! Types `text` into `hxje` of the money-side line of `hxbillno` and posts it.
  host::Outcome typeTaken(TAdvanceWriteOffForm& form, const std::string& hxbillno, const std::string& text) {
    return form.dispatch([&] {
      EXPECT_TRUE(form.cdsDetail.locate("hxbillno", Value(hxbillno)));
      form.cdsDetail.edit();
      form.cdsDetail.fieldByName("hxje").setValue(Value(text));
      form.cdsDetail.post();
    });
  }

  //! A saved advance write-off taking `amount` from `receipt` for bill `paid`, audited when `audited`.
  std::unique_ptr<Tyshxform> savedAdvance(const std::string& receipt, const char* amount, const char* paid,
                                          bool audited = true) {
    auto form = advance<Tyshxform>("1115", {receipt});
    EXPECT_EQ(typeTaken(*form, receipt, amount), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(pick(*form, {paid}), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(typeWriteOff(*form, paid, amount), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    if (audited) {
      EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    }
    return form;
  }

  //! The "used|free" amounts a new advance write-off is offered for `receipt` ("" when not listed).
  std::string offered(const std::string& receipt) {
    auto form = advance<Tyshxform>("1115", {receipt});
    return form->cdsDetail.locate("hxbillno", Value(receipt)) ? texts(form->cdsDetail, "hxje_ok hxje_no") : "";
  }
};

TEST_F(AdvanceWriteOff, AReceiptOffersWhatNeitherItsOwnLinesNorAuditedAdvancesTook) {
  const std::string receipt = auditedMoney<Tkhskform>("1112", "1000", "XM001", "600");
  EXPECT_EQ(offered(receipt), "600|400");
  savedAdvance(receipt, "150", "XH001");
  EXPECT_EQ(offered(receipt), "750|250");
  // A second audited advance of 100 counts as well; a draft one does not.
  savedAdvance(receipt, "100", "XH001");
  savedAdvance(receipt, "50", "XH001", false);
  EXPECT_EQ(offered(receipt), "850|150");
  auto unbalanced = advance<Tyshxform>("1115", {receipt});
  ASSERT_EQ(save(*unbalanced), host::Outcome::Aborted);  // 150 taken, nothing paid
  EXPECT_TRUE(said("核销金额必须相等."));
}

TEST_F(AdvanceWriteOff, TakingMoreThanIsFreeOrPickingWithoutACustomerIsRefused) {
  const std::string receipt = auditedMoney<Tkhskform>("1112", "300");
  auto form = advance<Tyshxform>("1115", {receipt});
  ASSERT_EQ(pickSources(*form, {receipt}), host::Outcome::Done);  // once only
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(texts(form->cdsDetail, "hxje biztype"), "300|收款单");
  EXPECT_EQ(typeTaken(*form, receipt, "300.0001"), host::Outcome::Aborted);
  EXPECT_TRUE(said("本次核销金额不能大于未核销金额"));
  form->cdsDetail.cancel();
  EXPECT_EQ(form->dispatch([&] { form->cdsDetail.append(); }), host::Outcome::Aborted);  // not typed in

  auto bare = openEditor<Tyshxform>("1115");
  ASSERT_EQ(bare->clickAction("actAdd"), host::Outcome::Done);
  ASSERT_EQ(pickSources(*bare, {receipt}), host::Outcome::Done);
  ASSERT_EQ(pick(*bare, {"XM001"}), host::Outcome::Done);
  EXPECT_TRUE(said("请选择往来单位")) << lastEvent();
  EXPECT_EQ(bare->cdsDetail.recordCount() + bare->cdshxmx.recordCount(), 0);
  EXPECT_EQ(save(*bare), host::Outcome::Aborted);
  EXPECT_EQ(countOf("vt_f_yshx"), 0);
}

TEST_F(AdvanceWriteOff, BothSidesMustBeEqualToTheTenThousandth) {
  const std::string r300 = auditedMoney<Tkhskform>("1112", "300");
  const std::string r200 = auditedMoney<Tkhskform>("1112", "200");
  auto form = advance<Tyshxform>("1115");
  std::string message;
  form->CheckBillError(message);  // empty: 0 = 0 (only the common "no lines" refusal)
  EXPECT_NE(message, "核销金额必须相等.");
  ASSERT_EQ(pickSources(*form, {r300, r200}), host::Outcome::Done);
  ASSERT_EQ(pick(*form, {"XM001"}), host::Outcome::Done);
  for (const auto& [paid, refused] : {std::pair{"450", true}, {"500.0001", true}, {"500", false}}) {
    ASSERT_EQ(typeWriteOff(*form, "XM001", paid), host::Outcome::Done);
    message.clear();
    EXPECT_EQ(form->CheckBillError(message), refused) << paid;
    EXPECT_EQ(message, refused ? "核销金额必须相等." : "") << paid;
  }
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_f_yshx_mx where billno = '" + form->billno + "'"), 2);
  EXPECT_EQ(rowTexts("select hxje from vt_f_yshx_hx where billno = '" + form->billno + "'"),
            std::vector<std::string>{"500"});
  EXPECT_EQ(scalar("select kh_id from vt_f_yshx").asInteger(), 1);
  EXPECT_EQ(countOf("vt_sys_hx_kh"), 0);  // not before the audit
}

TEST_F(AdvanceWriteOff, AuditWritesTheCustomerLedgerAndUnAuditGivesEverythingBack) {
  // Another receipt first, so that no receipt's id is the id of the advance's line.
  const std::string unused = auditedMoney<Tkhskform>("1112", "100");
  const std::string receipt = auditedMoney<Tkhskform>("1112", "500");
  auto form = savedAdvance(receipt, "500", "XM001");
  const std::string no = form->billno;
  EXPECT_EQ(rowTexts("select biztype, hxbillno, hjje, bchx, zy, czy_id from vt_sys_hx_kh where billno = '" + no + "'"),
            std::vector<std::string>{"项目订单|XM001|1000|500|预收冲减应收|1"});
  EXPECT_EQ(offered(receipt), "");  // fully used: no longer listed

  // The receipt cannot be un-audited while the advance names it; the other one can.
  auto money = openEditor<Tkhskform>("1112", receipt);
  EXPECT_EQ(money->clickAction("actAudit_0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("收款单已核销或部分核算（结算），不能反审核。")) << lastEvent();
  EXPECT_EQ(openEditor<Tkhskform>("1112", unused)->clickAction("actAudit_0"), host::Outcome::Done)
      << lastEvent();

  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_sys_hx_kh where billno = '" + no + "'"), 0);
  EXPECT_EQ(offered(receipt), "0|500");
  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_f_yshx") + countOf("vt_f_yshx_mx") + countOf("vt_f_yshx_hx"), 0);
}

TEST_F(AdvanceWriteOff, APrepaymentSettlesASupplierBillInTheSupplierLedger) {
  const std::string payment = auditedMoney<Tgysfkform>("1113", "1000");
  auto form = advance<Tyfhxform>("1116", {payment});
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(form->cdsDetail.fieldByName("biztype").asString(), "付款单");
  ASSERT_EQ(typeTaken(*form, payment, "700"), host::Outcome::Done);
  ASSERT_EQ(pick(*form, {"WX001", "GH001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdshxmx.recordCount(), 2);
  ASSERT_EQ(typeWriteOff(*form, "WX001", "500"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(typeWriteOff(*form, "GH001", "200"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(form->cdsDetail.fieldByName("hxje_no").asCurrency(), Currency::fromInt(1000));  // reopened
  // Reopened, a bill shows nothing settled: not even what was paid on GH001 itself (bcfk 100).
  for (const char* bill : {"WX001", "GH001"}) {
    ASSERT_TRUE(form->cdshxmx.locate("hxbillno", Value(std::string(bill)))) << bill;
    EXPECT_EQ(form->cdshxmx.fieldByName("hxje_ok").asCurrency(), Currency()) << bill;
  }
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts("select hxbillno, hjje, bchx, zy from vt_sys_hx_gys where billno = '" +
                     form->billno + "' order by hxbillno"),
            (std::vector<std::string>{"GH001|960|200|预付冲减应付", "WX001|700|500|预付冲减应付"}));
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_sys_hx_gys where billno = '" + form->billno + "'"), 0);
}

}  // namespace
