// Goods lines of the stock bills as a clerk enters them: what a pick fills, how amount
// and price follow each other (with and without a discount factor, and not at all on
// the other issue bill), a goods code typed into a line, and picks that cannot be read.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::qtck::Tqtckform;
using plugs::coreapp::qtck::Tqtrkform;
using plugs::coreapp::spch::Tspchform;
using plugs::coreapp::spjh::Tspjhform;

class StockLines : public stock_test::StockSession {
 protected:
  static Currency money(const plugs::coreapp::TStockBillForm& f, const char* field) {
    return f.cdsDetail.fieldByName(field).asCurrency();
  }
  static Currency cents(std::int64_t units) { return Currency::fromRaw(units); }
};

// ---- 1. purchase: pick, amount from price, price from amount ----------------------------

TEST_F(StockLines, PurchasePickPricesTheLineAndAmountsFollow) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(form->cdsDetail.fieldByName("zk").asFloat(), 1.0);
  EXPECT_EQ(money(*form, "dj"), cents(125000));
  EXPECT_EQ(money(*form, "je"), cents(125000));
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_code").asString(), "SP001");

  // 3.3333 × 3 = 9.9999; a typed 10 gives 10 ÷ 3 = 3.3333 and keeps the amount at 10.
  type(*form, "dj", Value(cents(33333)));
  type(*form, "sl", Value(3.0));
  EXPECT_EQ(money(*form, "je"), cents(99999));
  type(*form, "je", Value(Currency::fromInt(10)));
  EXPECT_EQ(money(*form, "dj"), cents(33333));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(10));
  // A new quantity recomputes the amount from the derived price.
  type(*form, "sl", Value(6.0));
  EXPECT_EQ(money(*form, "je"), cents(199998));
}

TEST_F(StockLines, DiscountFactorScalesTheAmountAndATypedAmountGivesThePrice) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  type(*form, "dj", Value(Currency::fromInt(100)));
  type(*form, "sl", Value(2.0));
  type(*form, "zk", Value(0.9));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(180));
  type(*form, "je", Value(Currency::fromInt(90)));
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(50));  // 90 ÷ (2 × 0.9)
}

TEST_F(StockLines, AZeroQuantityLeavesThePriceAndTheLineEditable) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  type(*form, "sl", Value(0.0));
  EXPECT_EQ(money(*form, "je"), Currency());
  type(*form, "je", Value(Currency::fromInt(7)));
  EXPECT_EQ(money(*form, "dj"), cents(125000));
  type(*form, "sl", Value(2.0));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(25));
}

// ---- 2. sales: the sale price is kept as old_dj --------------------------------------------

TEST_F(StockLines, SalesPickKeepsTheSalePriceWhateverTheDiscount) {
  auto form = openEditor<Tspchform>("1121");
  startBill(*form, {1});
  EXPECT_EQ(money(*form, "old_dj"), Currency::fromInt(8));
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(8));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(8));
  type(*form, "zk", Value(0.5));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(4));
  type(*form, "je", Value(Currency::fromInt(6)));
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(12));
  EXPECT_EQ(money(*form, "old_dj"), Currency::fromInt(8));
}

// ---- 3. other receipt derives without a discount; other issue never derives -----------

TEST_F(StockLines, OtherReceiptDerivesWithoutADiscountFactor) {
  auto form = openEditor<Tqtrkform>("1122");
  startBill(*form, {2});
  EXPECT_EQ(money(*form, "dj"), cents(25000));
  EXPECT_EQ(money(*form, "je"), cents(25000));
  type(*form, "sl", Value(4.0));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(10));
  type(*form, "je", Value(Currency::fromInt(9)));
  EXPECT_EQ(money(*form, "dj"), cents(22500));
}

TEST_F(StockLines, OtherIssueTakesTheFiguresAsTyped) {
  auto form = openEditor<Tqtckform>("1123");
  startBill(*form, {2});
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(money(*form, "dj"), Currency());
  EXPECT_EQ(money(*form, "je"), Currency());
  type(*form, "sl", Value(5.0));
  type(*form, "dj", Value(Currency::fromInt(3)));
  EXPECT_EQ(money(*form, "je"), Currency());
  type(*form, "je", Value(Currency::fromInt(11)));
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(3));
}

// ---- 4. a goods code typed into a line ---------------------------------------------------------

TEST_F(StockLines, TypedCodeReplacesAnInsertedLineAndLeavesAnExistingOne) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  type(*form, "sl", Value(4.0));
  form->cdsDetail.post();

  // Into an existing line: that line keeps its stored values, the pick is a new line.
  ui.queueLookup("商品信息查询", R"([{"id":"2","code":"SP002","name":"墨盒","pricein":"2.5"}])");
  type(*form, "sp_code", Value("SP0"));
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  form->cdsDetail.first();
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_code").asString(), "SP001");
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 4.0);

  // Into a line being inserted: the line goes, the pick arrives.
  form->cdsDetail.append();
  ui.queueLookup("商品信息查询", R"([{"id":"3","code":"SP003","name":"胶水","pricein":"3.3333"}])");
  type(*form, "sp_code", Value("SP003"));
  EXPECT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.last();
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_id").asInteger(), 3);

  // An empty lookup adds nothing.
  form->cdsDetail.append();
  ui.queueLookup("商品信息查询", "[]");
  type(*form, "sp_code", Value("nothing"));
  EXPECT_EQ(form->cdsDetail.recordCount(), 3);
}

// ---- 5. picks that cannot be used ---------------------------------------------------------------

TEST_F(StockLines, UnreadablePicksAddNoLineAndSaySo) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  const struct {
    const char* selection;
    const char* message;
  } cases[] = {
      {"{\"id\":\"1\"}", "商品选择结果无法识别"},
      {"[{\"id\":\"2\"", "商品选择结果无法识别"},
      {"[{\"id\":\"abc\",\"code\":\"SP9\",\"pricein\":\"1\"}]", "请选择商品信息"},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(form->SelectedxmbmkToDetail(c.selection), core::Abort) << c.selection;
    EXPECT_TRUE(said(c.message)) << c.selection;
    EXPECT_EQ(form->cdsDetail.recordCount(), 1) << c.selection;
    EXPECT_EQ(form->cdsDetail.state(), dataset::DataSetState::Browse) << c.selection;
  }
  // A price that is not a number is taken as 0, as the lookup's text allows.
  ui.queueLookup("商品信息查询", R"([{"id":"2","code":"SP002","pricein":"n/a"}])");
  ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  EXPECT_EQ(money(*form, "dj"), Currency());
}

TEST_F(StockLines, LinesAndCounterpartyOnlyWhileEditing) {
  auto form = openEditor<Tspjhform>("1120");
  ui.queueLookup("供应商信息查询", R"([{"id":"1","code":"S001","name":"华彩纸业"}])");
  form->clickControl("edtwldw");
  EXPECT_EQ(form->control("edtwldw").tag, 0);
  EXPECT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Disabled);
}

}  // namespace
