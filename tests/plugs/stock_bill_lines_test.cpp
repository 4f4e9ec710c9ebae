// Goods lines of the stock bills as a clerk enters them: what a pick fills, how amount
// and price follow each other (with and without a discount factor, and not at all on
// the other issue bill), a goods code typed into a line, picks that cannot be read,
// and the pages' store box, counterparty box and new-bill defaults.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using namespace plugs::coreapp;

class StockLines : public stock_test::StockSession {
 protected:
  std::string line(const TStockBillForm& form) const { return texts(form.cdsDetail, "sl zk dj je"); }
};

TEST_F(StockLines, PurchaseAndReceiptAmountAndPriceFollowEachOther) {
  auto form = openEditor<spjh::Tspjhform>("1120");
  startBill(*form, {1});
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(line(*form) + "|" + form->cdsDetail.fieldByName("sp_code").asString(), "1|1|12.5|12.5|SP001");
  // 3.3333 × 3 = 9.9999; a typed 10 gives 10 ÷ 3 = 3.3333 and keeps the amount at 10.
  type(*form, "dj", Value(Currency::fromRaw(33333)));
  type(*form, "sl", Value(3.0));
  EXPECT_EQ(line(*form), "3|1|3.3333|9.9999");
  type(*form, "je", Value(Currency::fromInt(10)));
  EXPECT_EQ(line(*form), "3|1|3.3333|10");
  type(*form, "sl", Value(6.0));  // recomputed from the derived price
  EXPECT_EQ(line(*form), "6|1|3.3333|19.9998");
  // The discount factor scales the amount; a typed amount gives the price 90 ÷ (2 × 0.9).
  type(*form, "dj", Value(Currency::fromInt(100)));
  type(*form, "sl", Value(2.0));
  type(*form, "zk", Value(0.9));
  EXPECT_EQ(line(*form), "2|0.9|100|180");
  type(*form, "je", Value(Currency::fromInt(90)));
  EXPECT_EQ(line(*form), "2|0.9|50|90");
  // A zero quantity or a zero discount leaves the price as it was, and the line stays
  // editable.
  type(*form, "sl", Value(0.0));
  EXPECT_EQ(line(*form), "0|0.9|50|0");
  type(*form, "je", Value(Currency::fromInt(7)));
  EXPECT_EQ(line(*form), "0|0.9|50|7");
  type(*form, "sl", Value(2.0));
  EXPECT_EQ(line(*form), "2|0.9|50|90");
  type(*form, "zk", Value(0.0));
  EXPECT_EQ(line(*form), "2|0|50|0");
  EXPECT_NO_THROW(type(*form, "je", Value(Currency::fromInt(7))));
  EXPECT_EQ(line(*form), "2|0|50|7");
  type(*form, "zk", Value(0.9));
  EXPECT_EQ(line(*form), "2|0.9|50|90");

  auto other = openEditor<qtck::Tqtrkform>("1122");  // the other receipt has no discount factor
  startBill(*other, {2});
  EXPECT_EQ(texts(other->cdsDetail, "sl dj je"), "1|2.5|2.5");
  type(*other, "sl", Value(4.0));
  EXPECT_EQ(texts(other->cdsDetail, "sl dj je"), "4|2.5|10");
  type(*other, "je", Value(Currency::fromInt(9)));
  EXPECT_EQ(texts(other->cdsDetail, "sl dj je"), "4|2.25|9");
}

TEST_F(StockLines, SalesPickKeepsTheSalePriceWhateverTheDiscount) {
  auto form = openEditor<spch::Tspchform>("1121");
  startBill(*form, {1});
  EXPECT_EQ(texts(form->cdsDetail, "old_dj dj je"), "8|8|8");
  type(*form, "zk", Value(0.5));
  EXPECT_EQ(texts(form->cdsDetail, "old_dj dj je"), "8|8|4");
  type(*form, "je", Value(Currency::fromInt(6)));
  EXPECT_EQ(texts(form->cdsDetail, "old_dj dj je"), "8|12|6");
}

TEST_F(StockLines, OtherIssueTakesTheFiguresAsTyped) {
  auto form = openEditor<qtck::Tqtckform>("1123");
  startBill(*form, {2});
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(form->cdsDetail.fieldByName("dj").asCurrency(), Currency());
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency());
  type(*form, "sl", Value(5.0));
  type(*form, "dj", Value(Currency::fromInt(3)));
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency());
  type(*form, "je", Value(Currency::fromInt(11)));
  EXPECT_EQ(texts(form->cdsDetail, "sl dj je"), "5|3|11");
}

TEST_F(StockLines, TypedCodeReplacesAnInsertedLineAndLeavesAnExistingOne) {
  auto form = openEditor<spjh::Tspjhform>("1120");
  startBill(*form, {1});
  type(*form, "sl", Value(4.0));
  form->cdsDetail.post();

  // Into an existing line: that line keeps its stored values, the pick is a new line.
  ui.queueLookup("商品信息查询", R"([{"id":"2","code":"SP002","name":"墨盒","pricein":"2.5"}])");
  type(*form, "sp_code", Value("SP0"));
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  form->cdsDetail.first();
  EXPECT_EQ(texts(form->cdsDetail, "sp_code sl"), "SP001|4");

  // Into a line being inserted: the line goes, the pick arrives; an empty lookup adds nothing.
  form->cdsDetail.append();
  ui.queueLookup("商品信息查询", R"([{"id":"3","code":"SP003","name":"胶水","pricein":"3.3333"}])");
  type(*form, "sp_code", Value("SP003"));
  form->cdsDetail.append();
  ui.queueLookup("商品信息查询", "[]");
  type(*form, "sp_code", Value("nothing"));
  EXPECT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.last();
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_id").asInteger(), 3);
}

TEST_F(StockLines, UnreadablePicksAddNoLineAndSaySo) {
  auto form = openEditor<spjh::Tspjhform>("1120");
  startBill(*form, {1});
  const std::pair<const char*, const char*> cases[] = {
      {"{\"id\":\"1\"}", "商品选择结果无法识别"},
      {"[{\"id\":\"2\"", "商品选择结果无法识别"},
      {"[{\"id\":\"abc\",\"code\":\"SP9\",\"pricein\":\"1\"}]", "请选择商品信息"},
  };
  for (const auto& [selection, message] : cases) {
    SCOPED_TRACE(selection);
    EXPECT_THROW(form->SelectedxmbmkToDetail(selection), core::Abort);
    EXPECT_TRUE(said(message));
    EXPECT_EQ(form->cdsDetail.recordCount(), 1);
    EXPECT_EQ(form->cdsDetail.state(), dataset::DataSetState::Browse);
  }
  // A price that is not a number is taken as 0, as the lookup's text allows.
  ui.queueLookup("商品信息查询", R"([{"id":"2","code":"SP002","pricein":"n/a"}])");
  ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  EXPECT_EQ(form->cdsDetail.fieldByName("dj").asCurrency(), Currency());
}

TEST_F(StockLines, PagesListTheStoresAndANewBillStartsAtTheLoginsStoreAndOperator) {
  for (const char* code : {"1120", "1121", "1122", "1123"}) {
    SCOPED_TRACE(code);
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    auto* page = dynamic_cast<TStockBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->control("cbck").items, std::vector<std::string>({"总店", "分店"}));
    EXPECT_EQ(page->control("cbck").hint, "ck_id");
    EXPECT_EQ(page->control("edtwldw").caption, "往来单位：");
    // Nothing is edited before a new bill: no counterparty pick, no lines.
    ui.queueLookup("供应商信息查询", R"([{"id":"1","code":"S001","name":"华彩纸业"}])");
    page->clickControl("edtwldw");
    EXPECT_EQ(page->control("edtwldw").tag, 0);
    EXPECT_EQ(page->clickAction("actDetail_Add"), host::Outcome::Disabled);
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(texts(page->cdsMaster, "ck_id ck_name kdr_name"), "1|总店|王敏");
    page->Close();
  }
}

}  // namespace
