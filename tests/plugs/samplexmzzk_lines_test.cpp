// The ad-hoc bill's lines and quick list: a line taken from the list, its amount and
// price under the counter's rules (list price, no customer tiers), lines from the item
// lookup, and the upkeep of the outlet's quick list with and without right 1103_02.
#include <gtest/gtest.h>

#include "samplexmzzk_session.h"

namespace samplexmzzk_test {
namespace {

using xmzzk_test::Texts;

class LinesTest : public SampleSession {};

// List order (category, then code): 1 XM002, 2 XM003, 3 XM004, 4 XM001.
TEST_F(LinesTest, QuickListShowsTheOutletsItemsWithCategories) {
  auto form = openForm();
  EXPECT_EQ(column(form->cdslist, "code"), (Texts{"XM002", "XM003", "XM004", "XM001"}));
  EXPECT_EQ(column(form->cdslist, "iclass"), (Texts{"", "", "喷绘写真", "喷绘写真|室内写真"}));
}

TEST_F(LinesTest, LineFromListIsStampedAndPricedAtListPrice) {
  auto form = openForm();
  addFromList(*form, 4);  // XM001 写真, list price 20, area priced
  EXPECT_EQ(fields(form->cdsmx, {"xm_id", "xm_name", "billno", "orgid", "old_dj", "dj", "je"}),
            (Texts{"1", "写真", form->tempBillno, "0001", "20", "20", "20"}));
  EXPECT_FALSE(form->cdsmx.fieldByName("uid").asString().empty());
}

// The counter's rules: list price, no customer tiers; the line as the clerk types it.
TEST_F(LinesTest, AmountAndPriceFollowTheTypedFields) {
  const struct {
    const char* what;
    int listRow;
    std::vector<std::pair<const char*, core::Value>> typed;
    Texts figures;  // price and amount
  } cases[] = {
      {"area line 3 x 2 at 10", 4, {{"dj", 10.0}, {"x", 3.0}, {"y", 2.0}}, {"10", "60"}},
      {"area line with k 1000", 3, {{"sl", 2.0}, {"x", 1.5}, {"y", 2.0}}, {"500", "3"}},
      {"size ignored when not area priced", 1, {{"x", 3.0}, {"y", 2.0}, {"sl", 2.0}}, {"30", "60"}},
      {"discount and sets", 1, {{"n", 2.0}, {"zk", 0.5}}, {"30", "30"}},
      {"minimum charge keeps one price", 2, {{"zk", 0.1}}, {"50", "50"}},
      {"typed amount gives the area price",
       3,
       {{"sl", 2.0}, {"x", 1.5}, {"y", 2.0}, {"je", 6.0}},
       {"1000", "6"}},
      {"typed amount gives the unit price", 1, {{"sl", 4.0}, {"je", 100.0}}, {"25", "100"}},
      // XM002 list 30 where the order would take tier 5-9 at 25.
      {"new quantity keeps the list price", 1, {{"sl", 5.0}}, {"30", "150"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto form = openForm();
    addFromList(*form, c.listRow, c.typed);
    EXPECT_EQ(fields(form->cdsmx, {"dj", "je"}), c.figures);
  }
}

TEST_F(LinesTest, PricePrecedesThePricingWaySoTheFirstAmountIsDividedByK) {
  rows("update vt_b_xmbmk set k = 2 where id = 2");  // XM002: per piece (否), list 30
  auto form = openForm();
  addFromList(*form, 1);
  EXPECT_EQ(form->cdsmx.fieldByName("jjfs").asString(), "否");
  EXPECT_EQ(fields(form->cdsmx, {"dj", "je"}), (Texts{"30", "15"}));  // 30 / k
  // A new quantity gives the amount by the item's own way: k no longer counts.
  addFromList(*form, 1, {{"sl", 2.0}});
  EXPECT_EQ(fields(form->cdsmx, {"je"}), Texts{"60"});
}

TEST_F(LinesTest, LookupLinesArePricedWithoutCustomer) {
  auto form = openForm(1);  // C001 has agreement price 18 for XM001; the lookup ignores it
  ui.queueLookup("服务项目查询", R"([{"id":"1"},{"id":"2"}])");
  ASSERT_EQ(form->clickAction("actmx_add"), host::Outcome::Done);
  EXPECT_EQ(column(form->cdsmx, "dj"), (Texts{"20", "28"}));  // XM002 at tier 1-4
  EXPECT_EQ(column(form->cdsmx, "billno"), (Texts{form->tempBillno, form->tempBillno}));
}

TEST_F(LinesTest, DeletingALineAndEmptyListsDoNothingElse) {
  auto form = openForm();
  EXPECT_EQ(form->clickAction("actmx_del"), host::Outcome::Done);  // no line: nothing
  addFromList(*form, 1);
  addFromList(*form, 2);
  ASSERT_EQ(form->clickAction("actmx_del"), host::Outcome::Done);
  ASSERT_EQ(form->cdsmx.recordCount(), 1);
  EXPECT_EQ(form->cdsmx.fieldByName("xm_code").asString(), "XM002");
  rows("delete from vt_b_xmbmk_quick");
  ASSERT_EQ(form->clickAction("actlist_ref"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actmx_select"), host::Outcome::Done);  // empty list: no line
  EXPECT_EQ(form->cdsmx.recordCount(), 1);
}

// ---- quick list upkeep ------------------------------------------------------------

class QuickListTest : public SampleSession {
 protected:
  std::int64_t listed(std::int64_t xmId) {
    return scalar(
               "select count(*) from vt_b_xmbmk_quick where orgid = '0001' and ck_id = 1 "
               "and xm_id = " +
               std::to_string(xmId))
        .asInteger();
  }
};

TEST_F(QuickListTest, UpkeepIsRefusedWithoutRight) {
  host.rights.all = false;
  host.rights.codes = {"1103_01"};
  auto form = openForm();
  ui.queueLookup("服务项目查询", R"([{"id":"2"}])");
  EXPECT_EQ(form->clickAction("actlist_add"), host::Outcome::Aborted);
  EXPECT_EQ(form->clickAction("actlist_del"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("对不起，您没有该功能的操作权限，访问被拒绝。"));
  EXPECT_EQ(count("\"event\":\"lookup\""), 0);
  EXPECT_EQ(scalar("select count(*) from vt_b_xmbmk_quick").asInteger(), 5);
  EXPECT_EQ(form->cdslist.recordCount(), 4);
  // Refreshing and picking lines need no right.
  EXPECT_EQ(form->clickAction("actlist_ref"), host::Outcome::Done);
  form->cdslist.first();
  EXPECT_EQ(form->clickAction("actmx_select"), host::Outcome::Done);
}

// A cancelled lookup adds nothing; picked items get one row each, the list reopens.
TEST_F(QuickListTest, AddingKeepsOneRowPerItemAndReopensTheList) {
  rows("delete from vt_b_xmbmk_quick where xm_id = 4");
  auto form = openForm();
  ASSERT_EQ(form->cdslist.recordCount(), 3);
  ASSERT_EQ(form->clickAction("actlist_add"), host::Outcome::Done);
  EXPECT_EQ(scalar("select count(*) from vt_b_xmbmk_quick").asInteger(), 4);
  ui.queueLookup("服务项目查询", R"([{"id":"1"},{"id":"4"}])");
  ASSERT_EQ(form->clickAction("actlist_add"), host::Outcome::Done);
  EXPECT_EQ(listed(1), 1);
  EXPECT_EQ(listed(4), 1);
  EXPECT_EQ(form->cdslist.recordCount(), 4);
  // The other outlet's row of the same item is left alone.
  EXPECT_EQ(scalar("select count(*) from vt_b_xmbmk_quick where ck_id = 2").asInteger(), 1);
}

TEST_F(QuickListTest, RemovingAsksAndDeletesOnlyTheFocusedRow) {
  auto form = openForm();
  form->cdslist.setRecNo(1);  // XM002
  ui.queueAnswer(host::mrNo);
  ASSERT_EQ(form->clickAction("actlist_del"), host::Outcome::Done);
  EXPECT_EQ(listed(2), 1);
  form->cdslist.setRecNo(1);
  ui.queueAnswer(host::mrYes);
  ASSERT_EQ(form->clickAction("actlist_del"), host::Outcome::Done);
  EXPECT_TRUE(saidMessage("是否确定移除选中的项目"));
  EXPECT_EQ(listed(2), 0);
  EXPECT_EQ(scalar("select count(*) from vt_b_xmbmk_quick").asInteger(), 4);
  EXPECT_EQ(form->cdslist.recordCount(), 3);
}

}  // namespace
}  // namespace samplexmzzk_test
