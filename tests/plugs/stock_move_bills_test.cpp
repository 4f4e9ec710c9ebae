// The transfer, cost adjustment, loss and gain and stocktake bills as a clerk edits
// them: the store boxes, new-line defaults, what a save totals, the loss
// and gain line rule, and the loss and gain delete that releases its stocktake.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::spsy::Tspsyform;
using plugs::coreapp::sptj::Tsptjform;
using plugs::coreapp::spyk::Tspykform;


class StockMoveBills : public stock_test::StockSession {
 protected:
  // A saved bill of type `Form` with one line per entry of `lines`, each typed into
  // field `f`.
  template <class Form>
  std::unique_ptr<Form> savedBill(const char* code, const char* f, const std::vector<Value>& lines) {
    auto form = openEditor<Form>(code);
    std::vector<int> goods;
    for (std::size_t i = 0; i < lines.size(); ++i) goods.push_back(static_cast<int>(i % 3) + 1);
    startBill(*form, goods);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      form->cdsDetail.setRecNo(static_cast<int>(i) + 1);
      type(*form, f, lines[i]);
      form->cdsDetail.post();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }
};

TEST_F(StockMoveBills, TransferAndCostAdjustmentNameTheirStoreBoxes) {
  auto transfer = openEditor<Tspykform>("1124");
  EXPECT_EQ(transfer->control("cbock").caption, "调出仓库：");
  EXPECT_EQ(transfer->control("cbick").caption, "调入仓库：");
  EXPECT_EQ(transfer->control("cbick").hint, "ick_id");
  EXPECT_EQ(transfer->control("cbick").items, std::vector<std::string>({"总店", "分店"}));
  EXPECT_EQ(openEditor<Tsptjform>("1125")->control("cbck").caption, "开单门店：");
}

TEST_F(StockMoveBills, TransferLinesHoldQuantitiesAndTheTotalIsTheirSum) {
  auto form = savedBill<Tspykform>("1124", "sl", {Value(2.0), Value(3.5), Value(1.0)});
  const std::string where = " where billno = '" + form->billno + "'";
  EXPECT_EQ(scalar("select hjsl from vt_c_spyk" + where).asFloat(), 6.5);

  // A new line is one of the goods at quantity 1, whatever its price.
  auto fresh = openEditor<Tspykform>("1124");
  startBill(*fresh, {1});
  EXPECT_EQ(fresh->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(fresh->cdsDetail.findField("dj"), nullptr);
  // Either store may stay empty and both may be the same: saved as entered.
  fresh->cdsMaster.edit();
  fresh->cdsMaster.fieldByName("ock_id").setValue(Value(std::int64_t{1}));
  fresh->cdsMaster.fieldByName("ick_id").setValue(Value(std::int64_t{1}));
  ASSERT_EQ(save(*fresh), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select ick_id from vt_c_spyk where billno = '" + fresh->billno + "'").asInteger(), 1);
}

TEST_F(StockMoveBills, CostAdjustmentLinesStartAtZeroAndTheTotalIsTheirSum) {
  auto fresh = openEditor<Tsptjform>("1125");
  startBill(*fresh, {1});  // goods 1 costs 12.5: a pick sets no amount
  EXPECT_EQ(fresh->cdsDetail.fieldByName("je").asCurrency(), Currency());
  EXPECT_FALSE(fresh->cdsDetail.fieldByName("je").isNull());

  auto form = savedBill<Tsptjform>("1125", "je", {Value(Currency::fromInt(100)), Value(Currency::fromInt(-30))});
  EXPECT_EQ(scalar("select hjje from vt_c_sptj where billno = '" + form->billno + "'").asCurrency(),
            Currency::fromInt(70));
}

TEST_F(StockMoveBills, LossAndGainAmountFollowsPriceAndQuantity) {
  auto form = openEditor<Tspsyform>("1126");
  startBill(*form, {2});  // pricein 2.5
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency::fromRaw(25000));
  type(*form, "sl", Value(-2.0));
  type(*form, "dj", Value(Currency::fromInt(5)));
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency::fromInt(-10));
  type(*form, "je", Value(Currency::fromInt(-9)));
  EXPECT_EQ(form->cdsDetail.fieldByName("dj").asCurrency(), Currency::fromRaw(45000));
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency::fromInt(-9));
  form->cdsDetail.post();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select hjje from vt_c_spsy where billno = '" + form->billno + "'").asCurrency(),
            Currency::fromInt(-9));
}

TEST_F(StockMoveBills, LossAndGainDeleteTextReleasesFirst) {
  EXPECT_EQ(host::BillSaveBatch::deleteText("vt_c_spsy", "A-1", "0001", {}, plugs::coreapp::spsy::spsySpec().bill.deleteFirst),
            "declare @billno varchar(50)\r\ndeclare @orgid varchar(20)\r\nset @billno = 'A-1'\r\nset @orgid = '0001'\r\n"
            "update vt_c_sppd set version=version+1, isDone = 0 where billno in(select pdbillno from vt_c_spsy "
            "where billno = @billno and isnull(pdbillno, '') <> '')\r\n"
            "delete from vt_c_spsy where billno = @billno and orgid=@orgid\r\n"
            "delete from vt_c_spsy_mx where billno = @billno and orgid=@orgid\r\n");
}

TEST_F(StockMoveBills, DeletingALossAndGainBillReleasesItsStocktakeOnly) {
  ASSERT_TRUE(conn.execBatch("insert into vt_c_sppd(orgid, billno, status, isDone, version) values "
                             "('0001', 'PD-P', 1, 1, 4), ('0001', 'PD-Q', 1, 1, 7)")
                  .ok());
  auto made = savedBill<Tspsyform>("1126", "sl", {Value(-2.0)});
  auto byHand = savedBill<Tspsyform>("1126", "sl", {Value(3.0)});
  ASSERT_TRUE(conn.execBatch("update vt_c_spsy set pdbillno = 'PD-P' where billno = '" + made->billno + "'").ok());

  ASSERT_EQ(byHand->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select version from vt_c_sppd where billno = 'PD-P'").asInteger(), 4);

  made->OpenBillData(made->billno);
  ASSERT_EQ(made->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_c_spsy").asInteger(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_c_spsy_mx").asInteger(), 0);
  EXPECT_EQ(scalar("select isDone * 100 + version from vt_c_sppd where billno = 'PD-P'").asInteger(), 5);
  EXPECT_EQ(scalar("select isDone * 100 + version from vt_c_sppd where billno = 'PD-Q'").asInteger(), 107);
}

}  // namespace
