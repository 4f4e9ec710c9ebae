// Stock moved by auditing the transfer, cost adjustment and loss and gain bills, read
// from vt_v_spkc: a transfer carries quantity and value at the sending store's average
// cost, a cost adjustment changes value only, a counted shortage processed from a
// stocktake and audited leaves the counted quantity; un-auditing takes back exactly
// what each audit moved.
#include <gtest/gtest.h>

#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::spsy::Tspsyform;
using plugs::coreapp::sppd::Tsppdform;
using plugs::coreapp::sptj::Tsptjform;
using plugs::coreapp::spyk::Tspykform;

class StockMoveAudit : public stock_test::StockSession {
 protected:
  // 20 of goods 1 in store 1 at 13.0.
  StockMoveAudit() {
    EXPECT_TRUE(conn.execBatch("insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0001', 1, 1, 20, 260)")
                    .ok());
  }

  void audit(host::TBaseBillEditRibbonForm& form) {
    ASSERT_EQ(form.clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  }
  void unaudit(host::TBaseBillEditRibbonForm& form) {
    ASSERT_EQ(form.clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  }

  // {quantity, value} of goods 1 in store `ck`.
  std::pair<double, Currency> stock(int ck) {
    const auto r = query("select kcsl, kcje from vt_v_spkc where orgid = '0001' and sp_id = 1 and ck_id = " +
                         std::to_string(ck));
    return r.empty() ? std::make_pair(0.0, Currency()) : std::make_pair(r[0][0].asFloat(), r[0][1].asCurrency());
  }
};

TEST_F(StockMoveAudit, TransferCarriesQuantityAndValueAtTheSendingStoresCost) {
  auto form = openEditor<Tspykform>("1124");
  startBill(*form, {1});
  type(*form, "sl", Value(5.0));
  form->cdsDetail.post();
  form->cdsMaster.fieldByName("ock_id").setValue(Value(std::int64_t{1}));
  form->cdsMaster.fieldByName("ick_id").setValue(Value(std::int64_t{2}));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  audit(*form);
  EXPECT_EQ(stock(1), std::make_pair(15.0, Currency::fromInt(195)));
  EXPECT_EQ(stock(2), std::make_pair(5.0, Currency::fromInt(65)));
  EXPECT_EQ(scalar("select cbj from vt_v_spkc where ck_id = 2 and sp_id = 1").asCurrency(), Currency::fromInt(13));
  unaudit(*form);
  EXPECT_EQ(stock(1), std::make_pair(20.0, Currency::fromInt(260)));
  EXPECT_EQ(stock(2), std::make_pair(0.0, Currency()));
}

TEST_F(StockMoveAudit, CostAdjustmentChangesValueOnly) {
  auto form = openEditor<Tsptjform>("1125");
  startBill(*form, {1, 1});
  const int amounts[] = {100, -30};
  for (int i = 0; i < 2; ++i) {
    form->cdsDetail.setRecNo(i + 1);
    type(*form, "je", Value(Currency::fromInt(amounts[i])));
    form->cdsDetail.post();
  }
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  audit(*form);
  EXPECT_EQ(stock(1), std::make_pair(20.0, Currency::fromInt(330)));
  unaudit(*form);
  EXPECT_EQ(stock(1), std::make_pair(20.0, Currency::fromInt(260)));
}

TEST_F(StockMoveAudit, ACountedShortageTakesEffectWhenItsLossAndGainBillIsAudited) {
  auto take = openEditor<Tsppdform>("1127");
  startBill(*take, {1});
  type(*take, "pdsl", Value(12.0));
  take->cdsDetail.post();
  ASSERT_EQ(save(*take), host::Outcome::Done) << lastEvent();
  audit(*take);
  EXPECT_EQ(stock(1), std::make_pair(20.0, Currency::fromInt(260)));  // a count moves nothing itself
  ASSERT_EQ(take->clickAction("acttosy"), host::Outcome::Done) << lastEvent();

  auto lossAndGain = openEditor<Tspsyform>("1126", scalar("select billno from vt_c_spsy").asText());
  ASSERT_EQ(lossAndGain->clickAction("actEdit"), host::Outcome::Done) << lastEvent();
  type(*lossAndGain, "dj", Value(Currency::fromInt(13)));
  EXPECT_EQ(lossAndGain->cdsDetail.fieldByName("je").asCurrency(), Currency::fromInt(-104));
  ASSERT_EQ(save(*lossAndGain), host::Outcome::Done) << lastEvent();
  audit(*lossAndGain);
  EXPECT_EQ(stock(1), std::make_pair(12.0, Currency::fromInt(156)));
  EXPECT_EQ(scalar("exec sp_sys_getspkcbyid '0001', 1, 1").asFloat(), 12.0);
  unaudit(*lossAndGain);
  EXPECT_EQ(stock(1), std::make_pair(20.0, Currency::fromInt(260)));
}

TEST_F(StockMoveAudit, APricedSurplusComesInAtItsAmount) {
  auto form = openEditor<Tspsyform>("1126");
  startBill(*form, {1});
  type(*form, "sl", Value(2.0));
  type(*form, "dj", Value(Currency::fromInt(10)));
  form->cdsDetail.post();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  audit(*form);
  EXPECT_EQ(stock(1), std::make_pair(22.0, Currency::fromInt(280)));
}

}  // namespace
