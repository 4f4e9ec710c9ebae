// The processing window's lines, staff and consumables on a saved order:
//   1. staff shares may add up to exactly 100; above that the posted row is reset
//   2. staff actions: add with an even split, operator as staff, same staff on all lines
//   3. refusals without lines and for a line without service item
//   4. line recalculation: quantity reprices and follows consumables, a typed amount
//      gives the price without recomputing the amount, a typed item code looks it up,
//      a new line leaves the consumables of the line before alone
//   5. the share buttons' sub-menu and the grids' count footers
#include <gtest/gtest.h>

#include "core/currency.h"
#include "xmzzk_work_session.h"

namespace {

using core::Currency;
using host::Outcome;
using xmzzk_test::Texts;

class WorkLines : public xmzzk_test::WorkSession {
 protected:
  void SetUp() override { form = openWork(); }

  // Types a share into the staff row at `row` (1-based) and posts it, as the grid does.
  Outcome typeShare(int row, double perc) {
    return form->dispatch([&] {
      form->cdszzry.setRecNo(row);
      form->cdszzry.edit();
      form->cdszzry.fieldByName("perc").setValue(perc);
      form->cdszzry.post();
    });
  }

  double shareSum() { return form->cdszzry.sum("perc").asFloat(); }
  double share() { return number(form->cdszzry, "perc"); }

  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkworkform> form;
};

// ---- 1. share limit -----------------------------------------------------------------------

// 40.0005 would pass the order editor's 100.001; here the limit is 100 itself.
TEST_F(WorkLines, SharesUpToExactlyHundredPassAboveAreRefusedAndTheRowReset) {
  ASSERT_EQ(form->cdszzry.recordCount(), 2);
  EXPECT_EQ(typeShare(1, 55), Outcome::Done);
  EXPECT_EQ(typeShare(2, 45), Outcome::Done);
  EXPECT_DOUBLE_EQ(shareSum(), 100.0);
  EXPECT_FALSE(said("分配的比例总和已超过100%"));
  long refusals = 0;
  for (double over : {40.01, 40.0005}) {
    form = openWork();
    EXPECT_EQ(typeShare(2, over), Outcome::Aborted) << over;
    EXPECT_EQ(count(R"("caption":"提示","text":"分配的比例总和已超过100%，请重新分配.")"),
              ++refusals);
    // The refused row keeps nothing of its share.
    EXPECT_EQ(form->cdszzry.state(), dataset::DataSetState::Browse);
    EXPECT_EQ(text(form->cdszzry, "yg_name"), "张丽");
    EXPECT_EQ(share(), 0.0);
    EXPECT_EQ(money(form->cdszzry, "jxje"), Currency());
    EXPECT_EQ(money(form->cdszzry, "jxjf"), Currency());
    EXPECT_DOUBLE_EQ(shareSum(), 60.0) << over;
  }
}

TEST_F(WorkLines, FixedShareButtonGoesThroughTheSameLimit) {
  form->cdszzry.first();  // 李强 60 %: 90 % + 张丽 40 % is too much
  EXPECT_EQ(form->clickAction("actzzry_90"), Outcome::Aborted);
  EXPECT_TRUE(said("分配的比例总和已超过100%"));
  EXPECT_EQ(share(), 0.0);
  EXPECT_EQ(form->clickAction("actzzry_50"), Outcome::Done);  // 50 + 40
  EXPECT_EQ(fields(form->cdszzry, {"yg_name", "perc"}), (Texts{"李强", "50"}));
}

// ---- 2. staff actions --------------------------------------------------------------------

TEST_F(WorkLines, AddedStaffSplitTheLineEvenlyEvenInThirds) {
  // 李强 is on the line already and is skipped; 王敏 joins: three ways of 100.
  ui.queueLookup("员工信息查询", R"([{"id":"2"},{"id":"1"}])");
  EXPECT_EQ(form->clickAction("actzzry_add"), Outcome::Done);
  ASSERT_EQ(form->cdszzry.recordCount(), 3);
  for (form->cdszzry.first(); !form->cdszzry.eof(); form->cdszzry.next())
    EXPECT_NEAR(share(), 100.0 / 3, 1e-9);
  EXPECT_FALSE(said("分配的比例总和已超过100%"));
  EXPECT_TRUE(said(R"("caption":"员工信息查询","filter":"","options":"{\"model\":\"multi\"}")"));
}

// The operator joins line 2 once with no share; "same staff" then copies line 1's.
TEST_F(WorkLines, OperatorJoinsALineOnceThenSameStaffReplacesThemOnEveryOtherLine) {
  form->cdsDetail.setRecNo(2);
  ASSERT_TRUE(form->cdszzry.isEmpty());
  EXPECT_EQ(form->clickAction("actzzry_addme"), Outcome::Done);
  EXPECT_EQ(form->clickAction("actzzry_addme"), Outcome::Done);
  ASSERT_EQ(form->cdszzry.recordCount(), 1);
  EXPECT_EQ(fields(form->cdszzry, {"yg_id", "yg_name", "perc", "mx_uid"}),
            (Texts{"1", "王敏", "0", "L2"}));
  form->cdsDetail.setRecNo(1);
  EXPECT_EQ(form->clickAction("actzzry_same"), Outcome::Done);
  EXPECT_EQ(text(form->cdsDetail, "uid"), "L1");
  EXPECT_EQ(form->cdszzry.recordCount(), 2);
  form->cdsDetail.setRecNo(2);
  EXPECT_EQ(column(form->cdszzry, "yg_name"), (Texts{"李强", "张丽"}));
  EXPECT_EQ(column(form->cdszzry, "perc"), (Texts{"60", "40"}));
}

// ---- 3. refusals ----------------------------------------------------------------------

TEST_F(WorkLines, StaffNeedALineAndALineNeedsAServiceItem) {
  EXPECT_EQ(form->dispatch([&] {
    form->cdsDetail.append();
    form->cdsDetail.post();
  }),
            Outcome::Aborted);
  EXPECT_TRUE(said("请选择服务项目"));
  // The new line got its keys and neutral factors before the refusal.
  EXPECT_EQ(text(form->cdsDetail, "billno"), xmzzk_test::kWorkBillno);
  EXPECT_FALSE(text(form->cdsDetail, "uid").empty());
  EXPECT_EQ(number(form->cdsDetail, "zk"), 1.0);

  form = openWork("A110099999");
  EXPECT_TRUE(form->cdsDetail.isEmpty());
  EXPECT_EQ(form->clickAction("actzzry_add"), Outcome::Aborted);
  EXPECT_TRUE(said(R"("caption":"提示","text":"请先添加明细项目")"));
  EXPECT_EQ(form->clickAction("actDetail_del"), Outcome::Disabled);
}

// ---- 4. recalculation -----------------------------------------------------------------

// A typed amount gives the price only; a new quantity reprices by tier and the posted
// line gives its staff their amounts; on the area line quantity moves the consumables.
TEST_F(WorkLines, TypedAmountQuantityAndPostRecomputeTheLineStaffAndConsumables) {
  form->cdsDetail.edit();  // XM002 × 5, size ignored
  form->cdsDetail.fieldByName("je").setValue(Currency::fromInt(110));
  EXPECT_EQ(fields(form->cdsDetail, {"dj", "je"}), (Texts{"22", "110"}));
  form->cdsDetail.fieldByName("sl").setValue(10.0);  // tier 10+: 20 → je 200
  form->cdsDetail.post();
  EXPECT_EQ(column(form->cdszzry, "jxje"), (Texts{"120", "80"}));

  form->cdsDetail.setRecNo(2);  // XM004, no tier, no agreement: list 500; 2 × 1.5 per unit
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("sl").setValue(2.0);
  EXPECT_EQ(fields(form->cdsDetail, {"dj", "je"}), (Texts{"500", "3000"}));
  ASSERT_EQ(form->cdshc.recordCount(), 1);
  EXPECT_DOUBLE_EQ(number(form->cdshc, "sl"), 1.0);  // 0.5 per unit × 2
  form->cdsDetail.fieldByName("sl").setValue(4.0);
  ASSERT_DOUBLE_EQ(number(form->cdshc, "sl"), 2.0);
  // A new line leaves the consumables of the line before alone, in the window and saved.
  ui.queueLookup("服务项目查询", R"([{"id":"2"}])");
  ASSERT_EQ(form->clickAction("actDetail_add"), Outcome::Done);
  form->cdsDetail.setRecNo(2);
  ASSERT_EQ(form->cdshc.recordCount(), 1);
  EXPECT_DOUBLE_EQ(number(form->cdshc, "sl"), 2.0);
  ASSERT_EQ(form->clickAction("actsave"), Outcome::Done);
  EXPECT_DOUBLE_EQ(scalar("select sl from vt_x_xmzzk_mx_hc where uid = 'C1'").asFloat(), 2.0);
}

TEST_F(WorkLines, TypedItemCodeLooksTheItemUp) {
  ui.queueLookup("服务项目查询", R"([{"id":"3"}])");
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("xm_code").setValue("XM003");
  EXPECT_TRUE(said(R"("caption":"服务项目查询","filter":"XM003")"));
  // The code typed over line 1 is dropped; the chosen item becomes a new line.
  ASSERT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.first();
  EXPECT_EQ(text(form->cdsDetail, "xm_code"), "XM002");
  form->cdsDetail.last();
  EXPECT_EQ(fields(form->cdsDetail, {"xm_id", "je"}), (Texts{"3", "50"}));  // list price
}

// ---- 5. captions ----------------------------------------------------------------------------

TEST_F(WorkLines, ShareButtonsSubMenuAndCountFooters) {
  for (int perc = 10; perc <= 90; perc += 10)
    EXPECT_EQ(form->action("actzzry_" + std::to_string(perc)).group, "自定义(选中员工)");
  for (const char* grid : {"cxgzzry", "cxghc"}) {
    const host::GridColumn& first = form->control(grid).columns.front();
    EXPECT_EQ(first.footer, "count") << grid;
    EXPECT_EQ(first.footerCaption, "合计：") << grid;
  }
}

}  // namespace
