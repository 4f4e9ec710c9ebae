// The payment (1113), the receipt's supplier twin: its ledger rows on vt_sys_hx_gys
// (purchase rows carry the bill's amount less discount plus fees, no operator), its
// totals and messages, and an un-audit that nothing refuses.
#include <gtest/gtest.h>

#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::gysfk::Tgysfkform;

class Payment : public write_off_test::WriteOffSession {};

TEST_F(Payment, AuditWritesSupplierLedgerRowsAndUnAuditIsNeverRefused) {
  auto form = openEditor<Tgysfkform>("1113");
  startBill(*form, "500");
  ASSERT_EQ(pick(*form, {"WX001", "GH001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdshxmx.recordCount(), 2);
  ASSERT_TRUE(form->cdshxmx.locate("hxbillno", Value(std::string("GH001"))));
  EXPECT_EQ(form->cdshxmx.fieldByName("hxje_no").asCurrency(), Currency::fromInt(860));
  ASSERT_EQ(typeWriteOff(*form, "WX001", "300"), host::Outcome::Done);
  ASSERT_EQ(typeWriteOff(*form, "GH001", "200"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select hjje from vt_f_gysfk").asCurrency(), Currency::fromInt(500));
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said("drawer"));

  const auto rows = query("select biztype, hxbillno, hxbilldate, ck_id, hjje, bchx, zy, czy_id from vt_sys_hx_gys order by bchx");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1].asText(), "GH001");
  EXPECT_EQ(rows[0][2].asText().substr(0, 10), "2026-11-08");
  EXPECT_EQ(rows[0][3].asInteger(), 1);
  EXPECT_EQ(rows[0][4].asCurrency(), Currency::fromInt(960));
  EXPECT_EQ(rows[0][5].asCurrency(), Currency::fromInt(200));
  EXPECT_EQ(rows[0][6].asText(), "付款单核销");
  EXPECT_TRUE(rows[0][7].isNull());
  EXPECT_EQ(rows[1][5].asCurrency(), Currency::fromInt(300));
  EXPECT_EQ(scalar("select hxje from vt_f_gysfk").asCurrency(), Currency::fromInt(500));

  // A prepayment write-off naming the payment does not stop the un-audit.
  query("insert into vt_f_yfhx_mx(uid, orgid, billno, biztype, bizid, hxje) values ('u1', '0001', 'YF1', '付款单', " +
        std::to_string(form->billId) + ", 100)");
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_sys_hx_gys").asInteger(), 0);
  EXPECT_EQ(scalar("select hxje from vt_f_gysfk").asCurrency(), Currency());
}

TEST_F(Payment, ItsOwnMessagesRefuseAMissingAmountAndTooLargeAWriteOff) {
  auto form = openEditor<Tgysfkform>("1113");
  startBill(*form, "100");
  EXPECT_EQ(accountLine(*form, 1, "0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("请输入付款金额"));
  form->cdsDetail.cancel();
  ASSERT_EQ(pick(*form, {"WX001"}), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("付款金额不能小于核销总金额.")) << lastEvent();
}

}  // namespace
