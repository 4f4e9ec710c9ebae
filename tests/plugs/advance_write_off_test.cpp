// The advance write-offs (1115 customer, 1116 supplier): free amounts of audited
// receipts and payments offered to them, both sides balancing to the ten-thousandth,
// the ledger rows their audit writes and their un-audit removes, the receipt's refusal
// to un-audit while one names it.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
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
    if (host::plugsPool().plugbyName("1115") == nullptr) plugs::coreapp::khsk::registerYshxForm();
    if (host::plugsPool().plugbyName("1116") == nullptr) plugs::coreapp::gysfk::registerYfhxForm();
  }

  //! An audited receipt (or payment) of `je` writing off `writtenOff` of bill `paid`.
  template <class Form>
  std::string auditedMoney(const char* code, const char* je, const char* paid = "", const char* writtenOff = "") {
    auto form = openEditor<Form>(code);
    startBill(*form, je);
    if (*paid != '\0') {
      EXPECT_EQ(pick(*form, {paid}), host::Outcome::Done) << lastEvent();
      EXPECT_EQ(typeWriteOff(*form, paid, writtenOff), host::Outcome::Done) << lastEvent();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form->billno;
  }

  //! A new advance write-off of type `Form` made out to counterparty 1.
  template <class Form>
  std::unique_ptr<Form> advance(const char* code) {
    auto form = openEditor<Form>(code);
    EXPECT_EQ(form->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(form->writeOff.counterparty.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
    EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! Ticks the listed receipts (payments) in the money-side selector.
  host::Outcome pickMoney(TAdvanceWriteOffForm& form, std::vector<std::string> numbers) {
    picks = std::move(numbers);
    return form.clickAction("actDetail_Add");
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

  //! An audited advance receipt write-off taking `amount` from `receipt` for sales bill XH001.
  void auditedAdvance(const std::string& receipt, const char* amount) {
    auto form = advance<Tyshxform>("1115");
    ASSERT_EQ(pickMoney(*form, {receipt}), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(typeTaken(*form, receipt, amount), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(pick(*form, {"XH001"}), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(typeWriteOff(*form, "XH001", amount), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  }

  //! The free amount a new advance write-off is offered for `receipt` (used part in `used`).
  Currency offeredFree(const std::string& receipt, Currency* used = nullptr) {
    auto form = advance<Tyshxform>("1115");
    EXPECT_EQ(pickMoney(*form, {receipt}), host::Outcome::Done) << lastEvent();
    if (!form->cdsDetail.locate("hxbillno", Value(receipt))) return Currency();
    if (used != nullptr) *used = form->cdsDetail.fieldByName("hxje_ok").asCurrency();
    return form->cdsDetail.fieldByName("hxje_no").asCurrency();
  }
};

// ---- free amounts --------------------------------------------------------------------------

TEST_F(AdvanceWriteOff, AReceiptOffersWhatNeitherItsOwnLinesNorAuditedAdvancesTook) {
  const std::string receipt = auditedMoney<Tkhskform>("1112", "1000", "XM001", "600");
  EXPECT_EQ(offeredFree(receipt), Currency::fromInt(400));

  auditedAdvance(receipt, "150");
  Currency used;
  EXPECT_EQ(offeredFree(receipt, &used), Currency::fromInt(250));
  EXPECT_EQ(used, Currency::fromInt(750));

  // A second audited advance of 100 counts as well; a draft one does not.
  auditedAdvance(receipt, "100");
  EXPECT_EQ(offeredFree(receipt), Currency::fromInt(150));
  auto draft = advance<Tyshxform>("1115");
  ASSERT_EQ(pickMoney(*draft, {receipt}), host::Outcome::Done);
  ASSERT_EQ(save(*draft), host::Outcome::Aborted);  // 150 taken, nothing paid
  EXPECT_TRUE(said("核销金额必须相等."));
  EXPECT_EQ(offeredFree(receipt), Currency::fromInt(150));
}

TEST_F(AdvanceWriteOff, TakingMoreThanIsFreeOrPickingWithoutACustomerIsRefused) {
  const std::string receipt = auditedMoney<Tkhskform>("1112", "300");
  auto form = advance<Tyshxform>("1115");
  ASSERT_EQ(pickMoney(*form, {receipt}), host::Outcome::Done);
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(form->cdsDetail.fieldByName("hxje").asCurrency(), Currency::fromInt(300));
  EXPECT_EQ(form->cdsDetail.fieldByName("biztype").asString(), "收款单");
  ASSERT_EQ(pickMoney(*form, {receipt}), host::Outcome::Done);  // once only
  EXPECT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(typeTaken(*form, receipt, "300.0001"), host::Outcome::Aborted);
  EXPECT_TRUE(said("本次核销金额不能大于未核销金额"));
  form->cdsDetail.cancel();
  EXPECT_EQ(form->dispatch([&] { form->cdsDetail.append(); }), host::Outcome::Aborted);  // not typed in

  auto bare = openEditor<Tyshxform>("1115");
  ASSERT_EQ(bare->clickAction("actAdd"), host::Outcome::Done);
  picks = {receipt};
  ASSERT_EQ(bare->clickAction("actDetail_Add"), host::Outcome::Done);
  ASSERT_EQ(bare->clickAction("acthxmx_Add"), host::Outcome::Done);
  EXPECT_TRUE(said("请选择往来单位")) << lastEvent();
  EXPECT_EQ(bare->cdsDetail.recordCount(), 0);
  EXPECT_EQ(bare->cdshxmx.recordCount(), 0);
  EXPECT_EQ(save(*bare), host::Outcome::Aborted);
  EXPECT_EQ(scalar("select count(*) from vt_f_yshx").asInteger(), 0);
}

// ---- balance -------------------------------------------------------------------------------

TEST_F(AdvanceWriteOff, BothSidesMustBeEqualToTheTenThousandth) {
  const std::string r300 = auditedMoney<Tkhskform>("1112", "300");
  const std::string r200 = auditedMoney<Tkhskform>("1112", "200");
  auto form = advance<Tyshxform>("1115");
  std::string message;
  form->CheckBillError(message);  // empty: 0 = 0 (only the common "no lines" refusal)
  EXPECT_NE(message, "核销金额必须相等.");

  ASSERT_EQ(pickMoney(*form, {r300, r200}), host::Outcome::Done);
  ASSERT_EQ(pick(*form, {"XM001"}), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "XM001", "450"), host::Outcome::Done);
  EXPECT_TRUE(form->CheckBillError(message));
  EXPECT_EQ(message, "核销金额必须相等.");
  ASSERT_EQ(typeWriteOff(*form, "XM001", "500.0001"), host::Outcome::Done);
  EXPECT_TRUE(form->CheckBillError(message));
  ASSERT_EQ(typeWriteOff(*form, "XM001", "500"), host::Outcome::Done);
  message.clear();
  EXPECT_FALSE(form->CheckBillError(message)) << message;
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_f_yshx_mx where billno = '" + form->billno + "'").asInteger(), 2);
  EXPECT_EQ(scalar("select hxje from vt_f_yshx_hx where billno = '" + form->billno + "'").asCurrency(),
            Currency::fromInt(500));
  EXPECT_EQ(scalar("select kh_id from vt_f_yshx").asInteger(), 1);
  EXPECT_EQ(scalar("select count(*) from vt_sys_hx_kh").asInteger(), 0);  // not before the audit
}

// ---- audit and un-audit ----------------------------------------------------------------------

TEST_F(AdvanceWriteOff, AuditWritesTheCustomerLedgerAndUnAuditGivesEverythingBack) {
  const std::string receipt = auditedMoney<Tkhskform>("1112", "500");
  auto form = advance<Tyshxform>("1115");
  ASSERT_EQ(pickMoney(*form, {receipt}), host::Outcome::Done);
  ASSERT_EQ(pick(*form, {"XM001"}), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "XM001", "500"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  const std::string no = form->billno;
  const auto rows = query("select biztype, hxbillno, hjje, bchx, zy, czy_id from vt_sys_hx_kh where billno = '" + no + "'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].asText(), "项目订单");
  EXPECT_EQ(rows[0][1].asText(), "XM001");
  EXPECT_EQ(rows[0][2].asCurrency(), Currency::fromInt(1000));
  EXPECT_EQ(rows[0][3].asCurrency(), Currency::fromInt(500));
  EXPECT_EQ(rows[0][4].asText(), "预收冲减应收");
  EXPECT_EQ(rows[0][5].asInteger(), 1);
  EXPECT_EQ(offeredFree(receipt), Currency());  // fully used: no longer listed

  // The receipt cannot be un-audited while the advance names it.
  auto money = openEditor<Tkhskform>("1112", receipt);
  EXPECT_EQ(money->clickAction("actAudit_0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("收款单已核销或部分核算（结算），不能反审核。")) << lastEvent();

  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_sys_hx_kh where billno = '" + no + "'").asInteger(), 0);
  EXPECT_EQ(offeredFree(receipt), Currency::fromInt(500));
  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  for (const char* t : {"vt_f_yshx", "vt_f_yshx_mx", "vt_f_yshx_hx"})
    EXPECT_EQ(scalar(std::string("select count(*) from ") + t).asInteger(), 0) << t;
}

TEST_F(AdvanceWriteOff, APrepaymentSettlesASupplierBillInTheSupplierLedger) {
  const std::string payment = auditedMoney<Tgysfkform>("1113", "1000");
  auto form = advance<Tyfhxform>("1116");
  ASSERT_EQ(pickMoney(*form, {payment}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(form->cdsDetail.fieldByName("biztype").asString(), "付款单");
  ASSERT_EQ(typeTaken(*form, payment, "700"), host::Outcome::Done);
  ASSERT_EQ(pick(*form, {"WX001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdshxmx.recordCount(), 1);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(form->cdsDetail.fieldByName("hxje_no").asCurrency(), Currency::fromInt(1000));  // reopened
  EXPECT_EQ(form->cdshxmx.fieldByName("hxje_ok").asCurrency(), Currency());  // starts at 0, not bcfk
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  const auto rows = query("select hxbillno, hjje, bchx, zy from vt_sys_hx_gys where billno = '" + form->billno + "'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].asText(), "WX001");
  EXPECT_EQ(rows[0][1].asCurrency(), Currency::fromInt(700));
  EXPECT_EQ(rows[0][2].asCurrency(), Currency::fromInt(700));
  EXPECT_EQ(rows[0][3].asText(), "预付冲减应付");
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_sys_hx_gys where billno = '" + form->billno + "'").asInteger(), 0);
}

}  // namespace
