// Stock moved by auditing goods bills, read from vt_v_spkc: receipts add quantity and
// value, issues take quantity out at the store's moving-average cost (going negative
// when oversold, with no value once below nothing), a transfer carries the sending
// store's cost, a cost adjustment moves value only, a loss and gain line moves its
// amount only as a priced surplus, a counted shortage moves when its loss and gain
// bill is audited, and un-auditing takes back exactly what the audit moved.
#include <gtest/gtest.h>

#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using namespace plugs::coreapp;

class StockAudit : public stock_test::StockSession {
 protected:
  // A saved bill of `sl` of goods 1 at `dj` (the other issue takes no price from it).
  template <class Form>
  std::unique_ptr<Form> goodsOne(const char* code, double sl, Currency dj) {
    return savedBill<Form>(code, {1}, {{{"sl", Value(sl)}, {"dj", Value(dj)}}});
  }
};

TEST_F(StockAudit, IssuesLeaveAtTheAverageCostAndUnauditTakesBackWhatTheAuditMoved) {
  auto in1 = goodsOne<spjh::Tspjhform>("1120", 10, Currency::fromRaw(125000));
  auto in2 = goodsOne<spjh::Tspjhform>("1120", 10, Currency::fromRaw(135000));
  auto other = goodsOne<qtck::Tqtrkform>("1122", 10, Currency::fromRaw(135000));
  audit(*in1);
  auto sale = goodsOne<spch::Tspchform>("1121", 4, Currency::fromInt(20));
  audit(*sale);  // out at 12.5: value 50
  audit(*in2);
  EXPECT_EQ(stock(), "16|210|13.125");
  EXPECT_EQ(scalar("exec sp_sys_getspkcbyid '0001', 1, 1").asFloat(), 16.0);

  // Un-auditing gives back the 50 it took, not 4 at today's cost.
  unaudit(*sale);
  EXPECT_EQ(sale->masterStatus(), 0);
  EXPECT_EQ(stock(), "20|260|13");
  EXPECT_EQ(countOf("vt_c_spls where category = '1121'"), 0);
  audit(*sale);  // at 13 now
  EXPECT_EQ(stock(), "16|208|13");
  unaudit(*sale);
  EXPECT_EQ(stock(), "20|260|13");
  audit(*other);
  unaudit(*in1);
  unaudit(*in2);
  unaudit(*other);
  EXPECT_EQ(stock(), "0|0|0");
}

TEST_F(StockAudit, OversellingGoesNegativeAtTheAverageCostAndBelowNothingWithoutValue) {
  audit(*goodsOne<spjh::Tspjhform>("1120", 2, Currency::fromInt(10)));
  audit(*goodsOne<qtck::Tqtckform>("1123", 5, Currency()));
  EXPECT_EQ(stock(), "-3|-30|10");
  EXPECT_EQ(scalar("exec sp_sys_getspkcbyid '0001', 1, 1").asFloat(), -3.0);
  // Below nothing there is no average cost: a further issue takes quantity, no value.
  audit(*goodsOne<spch::Tspchform>("1121", 2, Currency::fromInt(20)));
  EXPECT_EQ(stock(), "-5|-30|6");
}

// Value leaves a store only with positive stock on hand: a shortage where there is
// none moves quantity at no value, whichever bill causes it (a loss line's own amount
// included), and what a transfer takes out of such a store arrives at no value.
TEST_F(StockAudit, AShortageWithNothingOnHandMovesNoValueWhicheverBillCausesIt) {
  audit(*goodsOne<spch::Tspchform>("1121", 2, Currency::fromInt(20)));
  EXPECT_EQ(stock(), "-2|0|0");
  audit(*goodsOne<qtck::Tqtckform>("1123", 2, Currency()));
  EXPECT_EQ(stock(), "-4|0|0");
  audit(*goodsOne<spsy::Tspsyform>("1126", -2, Currency::fromInt(5)));  // amount -10
  EXPECT_EQ(stock(), "-6|0|0");
  audit(*savedBill<spyk::Tspykform>("1124", {1}, {{{"sl", Value(2.0)}}},
                                    {{"ock_id", Value(1)}, {"ick_id", Value(2)}}));
  EXPECT_EQ(stock(1) + " " + stock(2), "-8|0|0 2|0|0");
}

TEST_F(StockAudit, StaleBillIsNotAuditedTwice) {
  auto in = goodsOne<spjh::Tspjhform>("1120", 10, Currency::fromInt(10));
  auto other = openEditor<spjh::Tspjhform>("1120", in->billno);
  audit(*in);
  EXPECT_EQ(other->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变"));
  EXPECT_EQ(stock(), "10|100|10");
}

TEST_F(StockAudit, TransferAndCostAdjustmentMoveAtTheSendingStoresCost) {
  holdStock("('0001', 1, 1, 20, 260)");
  auto transfer = savedBill<spyk::Tspykform>("1124", {1}, {{{"sl", Value(5.0)}}},
                                             {{"ock_id", Value(1)}, {"ick_id", Value(2)}});
  audit(*transfer);
  EXPECT_EQ(stock(1), "15|195|13");
  EXPECT_EQ(stock(2), "5|65|13");
  unaudit(*transfer);
  EXPECT_EQ(stock(1), "20|260|13");
  EXPECT_EQ(stock(2), "0|0|0");

  auto adjustment = savedBill<sptj::Tsptjform>("1125", {1, 1}, {{{"je", Value(Currency::fromInt(100))}},
                                                                {{"je", Value(Currency::fromInt(-30))}}});
  audit(*adjustment);
  EXPECT_EQ(stock(1), "20|330|16.5");
  unaudit(*adjustment);
  EXPECT_EQ(stock(1), "20|260|13");

  // A priced surplus comes in at its amount; a line of no quantity moves nothing,
  // whatever amount was typed into it.
  audit(*savedBill<spsy::Tspsyform>("1126", {1, 1},
                                    {{{"sl", Value(5.0)}, {"dj", Value(Currency::fromInt(8))}},
                                     {{"sl", Value(0.0)}, {"je", Value(Currency::fromInt(50))}}}));
  EXPECT_EQ(stock(1), "25|300|12");
  audit(*savedBill<spsy::Tspsyform>("1126", {1},
                                    {{{"sl", Value(0.0)}, {"je", Value(Currency::fromInt(50))}}},
                                    {{"ck_id", Value(2)}}));  // a store with nothing on hand
  EXPECT_EQ(stock(2), "0|0|0");
}

TEST_F(StockAudit, ACountedShortageTakesEffectWhenItsLossAndGainBillIsAudited) {
  holdStock("('0001', 1, 1, 20, 260)");
  auto take = savedBill<sppd::Tsppdform>("1127", {1}, {{{"pdsl", Value(12.0)}}});
  audit(*take);
  EXPECT_EQ(stock(), "20|260|13");  // a count moves nothing itself
  audit(*take, "acttosy");

  auto lossAndGain = openEditor<spsy::Tspsyform>("1126", scalar("select billno from vt_c_spsy").asText());
  audit(*lossAndGain, "actEdit");
  type(*lossAndGain, "dj", Value(Currency::fromInt(13)));
  EXPECT_EQ(lossAndGain->cdsDetail.fieldByName("je").asCurrency(), Currency::fromInt(-104));
  ASSERT_EQ(save(*lossAndGain), host::Outcome::Done) << lastEvent();
  audit(*lossAndGain);
  EXPECT_EQ(stock(), "12|156|13");
  EXPECT_EQ(scalar("exec sp_sys_getspkcbyid '0001', 1, 1").asFloat(), 12.0);
  unaudit(*lossAndGain);
  EXPECT_EQ(stock(), "20|260|13");
}

}  // namespace
