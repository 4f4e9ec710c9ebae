// The order selector's list: default and typed date bounds (whole days, both ends
// included), the status flag, the bill-number and outlet filters, voided orders and
// other stores never listed, and typed text that cannot change the query.
#include <gtest/gtest.h>

#include "xmzzk_select_session.h"

namespace {

using Set = std::set<std::string>;

class SelectorFilters : public xmzzk_select_test::SelectorSession {};

// Orders of store 0001 dated inside the default bounds 2026-02-15 .. 2026-03-15.
const Set kLastMonth = {"A11002026021500001", "A11002026031200002", "A11002026031300003",
                        "A11002026031400004", "A11002026031500005"};

TEST_F(SelectorFilters, DefaultBoundsAreLastMonthThroughTheWholeOfToday) {
  auto form = open(true);
  EXPECT_EQ(form->control("edtbt").text, "2026-02-15");
  EXPECT_EQ(form->control("edtet").text, "2026-03-15");
  // 02-14 23:59:59 is before the first day, 03-16 00:00 after the last; 03-15 23:59:59 is in.
  EXPECT_EQ(listed(*form), kLastMonth);
}

TEST_F(SelectorFilters, TypedBoundsIncludeBothDays) {
  auto form = open(true);
  filter(*form, "edtbt", "2026-03-13");
  filter(*form, "edtet", "2026-03-14");
  EXPECT_EQ(listed(*form), (Set{"A11002026031300003", "A11002026031400004"}));
  filter(*form, "edtbt", "2026-03-15");
  filter(*form, "edtet", "2026-03-15");
  EXPECT_EQ(listed(*form), Set{"A11002026031500005"});
}

TEST_F(SelectorFilters, EmptyDateBoxesAddNoCondition) {
  auto form = open(true);
  filter(*form, "edtbt", "");
  filter(*form, "edtet", "");
  Set all = kLastMonth;
  all.insert({"A11002026021400001", "A11002026031600006"});
  EXPECT_EQ(listed(*form), all);  // still without the voided order and the other store's
}

TEST_F(SelectorFilters, ATextThatIsNoDateIsRefusedAndTheListKept) {
  auto form = open(true);
  form->control("edtbt").text = "2026-13-45";
  EXPECT_EQ(form->clickAction("actfilter"), host::Outcome::Aborted);
  ASSERT_FALSE(ui.transcript().empty());
  EXPECT_NE(ui.transcript().back().find("\"caption\":\"提示\""), std::string::npos);
  EXPECT_EQ(listed(*form), kLastMonth);
}

TEST_F(SelectorFilters, WithoutTheFlagOnlyOrdersNotYetCompletedAreListed) {
  auto form = open(false);
  // status 0 and 1 stay; 已完工 (2) and 已结算 (3) go.
  EXPECT_EQ(listed(*form), (Set{"A11002026021500001", "A11002026031200002", "A11002026031500005"}));
}

TEST_F(SelectorFilters, BillNumberFindsEveryNumberContainingTheTrimmedText) {
  auto form = open(true);
  filter(*form, "edtbillno", "12");
  EXPECT_EQ(listed(*form), Set{"A11002026031200002"});
  filter(*form, "edtbillno", "  0315 ");
  EXPECT_EQ(listed(*form), Set{"A11002026031500005"});
  filter(*form, "edtbillno", "");
  EXPECT_EQ(listed(*form), kLastMonth);
}

TEST_F(SelectorFilters, OutletBoxOffersTheStoresOutletsAndFiltersByTheChosenOne) {
  auto form = open(true);
  const host::Control& ck = form->control("cbck");
  EXPECT_EQ(ck.items, (std::vector<std::string>{"总店", "分店"}));
  filter(*form, "cbck", "分店");
  EXPECT_EQ(ck.tag, 2);
  EXPECT_EQ(listed(*form), (Set{"A11002026031200002", "A11002026031400004"}));
  filter(*form, "cbck", "");
  EXPECT_EQ(ck.tag, 0);
  EXPECT_EQ(listed(*form), kLastMonth);
}

TEST_F(SelectorFilters, QuotesInTypedTextAreValuesNotSql) {
  ASSERT_TRUE(conn.execBatch("insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id) "
                             "values ('0001', 'A1100''Q1', '2026-03-01', 1, 1)")
                  .ok());
  auto count = [this] {
    return conn.execBatch("select count(*) from vt_x_xmzzk")
        .resultSets.back()
        .rows[0][0]
        .asInteger();
  };
  const std::int64_t orders = count();
  auto form = open(true);
  const std::string injection = "1' or '1'='1";
  filter(*form, "edtbillno", injection);
  EXPECT_TRUE(form->cdsMain.isEmpty());
  db::Params params;
  const std::string sql = form->listSql(params);
  EXPECT_EQ(sql.find(injection), std::string::npos);
  ASSERT_FALSE(params.empty());
  EXPECT_EQ(params.back().second.asText(), "%" + injection + "%");

  filter(*form, "edtbillno", "0'Q");
  EXPECT_EQ(listed(*form), Set{"A1100'Q1"});
  filter(*form, "edtbillno", "'; delete from vt_x_xmzzk --");
  EXPECT_TRUE(form->cdsMain.isEmpty());
  EXPECT_EQ(count(), orders);
}

}  // namespace
