// Stock moved by the audit of goods bills: receipts add quantity and value, issues take
// quantity out at the store's moving-average cost, un-auditing takes back exactly what
// the audit moved, overselling goes negative at the average cost, and stock on hand is
// read from vt_v_spkc and sp_sys_getspkcbyid.
#include <gtest/gtest.h>

#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::qtck::Tqtckform;
using plugs::coreapp::qtck::Tqtrkform;
using plugs::coreapp::spch::Tspchform;
using plugs::coreapp::spjh::Tspjhform;

class StockAudit : public stock_test::StockSession {
 protected:
  // A saved bill of goods 1: `sl` at `dj` (the line's amount follows where the bill
  // derives it; the other issue takes `je` as typed).
  template <class Form>
  std::unique_ptr<Form> savedBill(const char* code, double sl, Currency dj) {
    auto form = openEditor<Form>(code);
    startBill(*form, {1});
    type(*form, "sl", Value(sl));
    type(*form, "dj", Value(dj));
    form->cdsDetail.post();
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  void audit(host::TBaseBillEditRibbonForm& form) {
    ASSERT_EQ(form.clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  }

  // Stock of goods 1 in store 1: {quantity, value, average cost} from the view.
  std::tuple<double, Currency, double> stock() {
    const auto r = query("select kcsl, kcje, cbj from vt_v_spkc where orgid = '0001' and ck_id = 1 and sp_id = 1");
    if (r.empty()) return {0.0, Currency(), 0.0};
    return {r[0][0].asFloat(), r[0][1].asCurrency(), r[0][2].asFloat()};
  }

  double bookQuantity() { return scalar("exec sp_sys_getspkcbyid '0001', 1, 1").asFloat(); }
};

TEST_F(StockAudit, PurchasesAddAndASaleTakesOutAtAverageCost) {
  auto in1 = savedBill<Tspjhform>("1120", 10, Currency::fromRaw(125000));
  auto in2 = savedBill<Tspjhform>("1120", 10, Currency::fromRaw(135000));
  audit(*in1);
  audit(*in2);
  EXPECT_EQ(stock(), std::make_tuple(20.0, Currency::fromInt(260), 13.0));

  auto sale = savedBill<Tspchform>("1121", 4, Currency::fromInt(20));
  audit(*sale);
  EXPECT_EQ(stock(), std::make_tuple(16.0, Currency::fromInt(208), 13.0));
  EXPECT_EQ(bookQuantity(), 16.0);

  // Un-auditing the sale restores exactly what it took.
  ASSERT_EQ(sale->clickAction("actAudit"), host::Outcome::Done) << lastEvent();  // caption 草稿 now
  EXPECT_EQ(sale->masterStatus(), 0);
  EXPECT_EQ(stock(), std::make_tuple(20.0, Currency::fromInt(260), 13.0));
  EXPECT_EQ(scalar("select count(*) from vt_c_spls where category = '1121'").asInteger(), 0);
}

TEST_F(StockAudit, UnauditTakesBackWhatTheAuditMovedEvenAfterLaterMovements) {
  auto in1 = savedBill<Tspjhform>("1120", 10, Currency::fromRaw(125000));
  audit(*in1);
  auto sale = savedBill<Tspchform>("1121", 4, Currency::fromInt(20));
  audit(*sale);  // out at 12.5: value 50
  auto in2 = savedBill<Tqtrkform>("1122", 10, Currency::fromRaw(135000));
  audit(*in2);
  EXPECT_EQ(stock(), std::make_tuple(16.0, Currency::fromInt(210), 13.125));
  ASSERT_EQ(sale->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(stock(), std::make_tuple(20.0, Currency::fromInt(260), 13.0));
  ASSERT_EQ(in1->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(in2->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(stock(), std::make_tuple(0.0, Currency(), 0.0));
}

TEST_F(StockAudit, OversellingGoesNegativeAtTheAverageCost) {
  auto in = savedBill<Tspjhform>("1120", 2, Currency::fromInt(10));
  audit(*in);
  auto issue = savedBill<Tqtckform>("1123", 5, Currency());
  audit(*issue);
  EXPECT_EQ(stock(), std::make_tuple(-3.0, Currency::fromInt(-30), 10.0));
  EXPECT_EQ(bookQuantity(), -3.0);
}

TEST_F(StockAudit, StaleBillIsNotAuditedTwice) {
  auto in = savedBill<Tspjhform>("1120", 10, Currency::fromInt(10));
  auto other = openEditor<Tspjhform>("1120", in->billno);
  audit(*in);
  EXPECT_EQ(other->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变"));
  EXPECT_EQ(stock(), std::make_tuple(10.0, Currency::fromInt(100), 10.0));
}

}  // namespace
