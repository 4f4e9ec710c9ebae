// Stocktake lines: a picked goods item comes with its book quantity in the bill's
// store, at most one line per goods item, the difference and its remark follow the
// counted quantity, a count that is not a number is refused by the field, another
// store reads every line's book quantity again, and a saved count reopens as it was.
#include <gtest/gtest.h>

#include "dataset/data_set_error.h"
#include "stock_bill_session.h"

namespace {

using core::Value;
using plugs::coreapp::sppd::Tsppdform;

class StocktakeLines : public stock_test::StockSession {
 protected:
  StocktakeLines() {
    // Book stock: goods 1 is 12 in store 1 and 7 in store 2, goods 2 is 5 in store 1;
    // goods 3 has no stock row anywhere.
    EXPECT_TRUE(conn.execBatch("insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values "
                               "('0001', 1, 1, 12, 156), ('0001', 2, 1, 7, 91), ('0001', 1, 2, 5, 12.5)")
                    .ok());
    form = openEditor<Tsppdform>("1127");
  }

  // {kcsl, pdsl, yksl, beizhu} of the current line.
  std::tuple<double, double, double, std::string> line() const {
    const auto& d = form->cdsDetail;
    return {d.fieldByName("kcsl").asFloat(), d.fieldByName("pdsl").asFloat(), d.fieldByName("yksl").asFloat(),
            d.fieldByName("beizhu").asString()};
  }

  std::unique_ptr<Tsppdform> form;
};

TEST_F(StocktakeLines, DifferenceAndRemarkFollowTheCount) {
  startBill(*form, {1});
  EXPECT_EQ(line(), std::make_tuple(12.0, 0.0, -12.0, std::string("盘亏")));
  EXPECT_TRUE(form->cdsDetail.fieldByName("pdsl").isNull());
  type(*form, "pdsl", Value(15.0));
  EXPECT_EQ(line(), std::make_tuple(12.0, 15.0, 3.0, std::string("盘盈")));
  type(*form, "pdsl", Value(12.0));
  EXPECT_EQ(line(), std::make_tuple(12.0, 12.0, 0.0, std::string()));
  type(*form, "pdsl", Value(12.00004));  // the difference keeps four places
  EXPECT_EQ(line(), std::make_tuple(12.0, 12.00004, 0.0, std::string()));
  type(*form, "pdsl", Value(12.3333333));
  EXPECT_DOUBLE_EQ(std::get<2>(line()), 0.3333);
}

TEST_F(StocktakeLines, OneLinePerGoodsAndUnknownGoodsCountFromZero) {
  startBill(*form, {1, 3, 1});
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_id").asInteger(), 1);  // the line already there is current
  pick(*form, {2, 3});
  ASSERT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.locate("sp_id", Value(std::int64_t{3}));
  EXPECT_EQ(line(), std::make_tuple(0.0, 0.0, 0.0, std::string()));
  form->cdsDetail.locate("sp_id", Value(std::int64_t{2}));
  EXPECT_EQ(std::get<0>(line()), 5.0);
}

TEST_F(StocktakeLines, ACountThatIsNotANumberIsRefusedByTheField) {
  startBill(*form, {1});
  type(*form, "pdsl", Value(10.0));
  try {
    type(*form, "pdsl", Value(std::string("十二")));
    ADD_FAILURE() << "a count in words was taken";
  } catch (const dataset::DataSetError& e) {
    EXPECT_NE(std::string(e.what()).find("“十二”不是有效的"), std::string::npos) << e.what();
  }
  EXPECT_EQ(line(), std::make_tuple(12.0, 10.0, -2.0, std::string("盘亏")));
}

TEST_F(StocktakeLines, AnotherStoreReadsTheBookQuantitiesAgain) {
  startBill(*form, {1, 2});
  form->cdsDetail.first();
  type(*form, "pdsl", Value(10.0));
  if (form->cdsMaster.state() == dataset::DataSetState::Browse) form->cdsMaster.edit();
  form->cdsMaster.fieldByName("ck_id").setValue(Value(std::int64_t{2}));  // as the store box writes it
  form->cdsDetail.first();
  EXPECT_EQ(line(), std::make_tuple(7.0, 10.0, 3.0, std::string("盘盈")));
  form->cdsDetail.next();
  EXPECT_EQ(line(), std::make_tuple(0.0, 0.0, 0.0, std::string()));

  // No store at all: the book stock is asked for store 0, which holds nothing.
  form->cdsMaster.fieldByName("ck_id").clear();
  form->cdsDetail.first();
  EXPECT_EQ(line(), std::make_tuple(0.0, 10.0, 10.0, std::string("盘盈")));
}

TEST_F(StocktakeLines, ASavedCountReopensAsItWasTyped) {
  startBill(*form, {1, 2});
  form->cdsDetail.first();
  type(*form, "pdsl", Value(15.0));
  form->cdsDetail.post();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_c_sppd_mx where billno = '" + form->billno + "'").asInteger(), 2);

  // Stock moves afterwards; the book quantity stays the one read when the goods were picked.
  ASSERT_TRUE(conn.execBatch("update vt_c_spkc set kcsl = 99").ok());
  auto again = openEditor<Tsppdform>("1127", form->billno);
  again->cdsDetail.locate("sp_id", Value(std::int64_t{1}));
  form.swap(again);
  EXPECT_EQ(line(), std::make_tuple(12.0, 15.0, 3.0, std::string("盘盈")));
  form->cdsDetail.locate("sp_id", Value(std::int64_t{2}));
  EXPECT_EQ(line(), std::make_tuple(5.0, 0.0, -5.0, std::string("盘亏")));
  EXPECT_TRUE(form->cdsDetail.fieldByName("pdsl").isNull());
}

}  // namespace
