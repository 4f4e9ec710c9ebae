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

// 02-14 23:59:59 is before the first day, 03-16 00:00 after the last; 03-15 23:59:59 is in.
// Without the flag only status 0 and 1 stay; 已完工 (2) and 已结算 (3) go.
TEST_F(SelectorFilters, DefaultBoundsAreLastMonthThroughTheWholeOfTodayAndTheFlagTheStatus) {
  auto form = open(true);
  EXPECT_EQ(form->control("edtbt").text, "2026-02-15");
  EXPECT_EQ(form->control("edtet").text, "2026-03-15");
  EXPECT_EQ(listed(*form), kLastMonth);
  EXPECT_EQ(listed(*open(false)),
            (Set{"A11002026021500001", "A11002026031200002", "A11002026031500005"}));
}

// Each box as typed, in turn on one picker, and the orders it lists.
TEST_F(SelectorFilters, TypedBoxesFilterTheList) {
  Set undated = kLastMonth;
  undated.insert({"A11002026021400001", "A11002026031600006"});
  const struct {
    const char* box;
    const char* typed;
    Set listed;
  } steps[] = {
      {"edtbt", "2026-03-13", {"A11002026031300003", "A11002026031400004", "A11002026031500005"}},
      {"edtet", "2026-03-14", {"A11002026031300003", "A11002026031400004"}},  // both days in
      {"edtbt", "2026-03-15", {}},                                            // after the last day
      {"edtet", "2026-03-15", {"A11002026031500005"}},
      {"edtbt",
       "",
       {"A11002026021400001", "A11002026021500001", "A11002026031200002", "A11002026031300003",
        "A11002026031400004", "A11002026031500005"}},
      {"edtet", "", undated},  // still without the voided order and the other store's
      {"edtbt",
       "2026-02-15",
       {"A11002026021500001", "A11002026031200002", "A11002026031300003", "A11002026031400004",
        "A11002026031500005", "A11002026031600006"}},
      {"edtet", "2026-03-15", kLastMonth},
      {"edtbillno", "12", {"A11002026031200002"}},  // every number containing the trimmed text
      {"edtbillno", "  0315 ", {"A11002026031500005"}},
      {"edtbillno", "", kLastMonth},
  };
  auto form = open(true);
  EXPECT_EQ(form->control("cbck").items, (std::vector<std::string>{"总店", "分店"}));
  for (const auto& step : steps) {
    filter(*form, step.box, step.typed);
    EXPECT_EQ(listed(*form), step.listed) << step.box << " = " << step.typed;
  }
  filter(*form, "cbck", "分店");
  EXPECT_EQ(form->control("cbck").tag, 2);
  EXPECT_EQ(listed(*form), (Set{"A11002026031200002", "A11002026031400004"}));
  filter(*form, "cbck", "");
  EXPECT_EQ(form->control("cbck").tag, 0);
  EXPECT_EQ(listed(*form), kLastMonth);
  // A text that is no date is refused and the list kept.
  form->control("edtbt").text = "2026-13-45";
  EXPECT_EQ(form->clickAction("actfilter"), host::Outcome::Aborted);
  ASSERT_FALSE(ui.transcript().empty());
  EXPECT_NE(ui.transcript().back().find("\"caption\":\"提示\""), std::string::npos);
  EXPECT_EQ(listed(*form), kLastMonth);
}

TEST_F(SelectorFilters, QuotesInTypedTextAreValuesNotSql) {
  query(
      "insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id) "
      "values ('0001', 'A1100''Q1', '2026-03-01', 1, 1)");
  const auto orders = [this] { return scalar("select count(*) from vt_x_xmzzk").asInteger(); };
  const std::int64_t before = orders();
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
  EXPECT_EQ(orders(), before);
}

}  // namespace
