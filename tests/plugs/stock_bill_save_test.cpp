// Saving goods bills on the embedded database: the counterparty is taken from its box,
// a saved total is the sum of the lines (other fees apart; quantities on a transfer),
// numbers come from the store's series and a failed numbering writes nothing, typed
// text is stored as typed, the move bills' boxes and new lines, no bill without its
// stores, and a delete that removes one bill and releases the stocktake a loss and
// gain bill came from.
#include <gtest/gtest.h>

#include <functional>

#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using namespace plugs::coreapp;

class StockSave : public stock_test::StockSession {
 protected:
  std::string total(const char* table, const std::string& billno, const char* column = "hjje") {
    return scalar(std::string("select ") + column + " from " + table + " where billno = '" + billno + "'").asText();
  }
};

TEST_F(StockSave, SupplierIsTakenFromItsBoxWhenSaving) {
  auto form = openEditor<spjh::Tspjhform>("1120");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  pick(*form, {1});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择往来单位."));
  EXPECT_EQ(countOf("vt_c_spjh"), 0);

  ui.queueLookup("供应商信息查询", R"([{"id":"1","code":"S001","name":"华彩纸业"}])");
  ASSERT_EQ(form->clickControl("edtwldw"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(total("vt_c_spjh", form->billno, "gys_id"), "1");

  // A loaded bill keeps its supplier: opening copies it into the box.
  auto again = openEditor<spjh::Tspjhform>("1120", form->billno);
  EXPECT_EQ(again->control("edtwldw").tag, 1);
  EXPECT_EQ(again->control("edtwldw").text + again->control("edtwldwmc").text, "S001华彩纸业");
  ASSERT_EQ(again->clickAction("actEdit"), host::Outcome::Done);
  EXPECT_EQ(save(*again), host::Outcome::Done) << lastEvent();
}

TEST_F(StockSave, TotalIsTheSumOfTheLinesAtEverySave) {
  auto form = savedBill<spjh::Tspjhform>("1120", {1, 2}, {}, {{"qtfy", Value(Currency::fromInt(30))},
                                                              {"hjje", Value(Currency::fromInt(999))}});
  EXPECT_EQ(total("vt_c_spjh", form->billno) + "|" + total("vt_c_spjh", form->billno, "qtfy"), "15|30");
  EXPECT_EQ(countOf("vt_c_spjh_mx where billno = '" + form->billno + "'"), 2);
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  form->cdsDetail.first();
  type(*form, "sl", Value(2.0));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(total("vt_c_spjh", form->billno), "27.5");

  auto transfer = savedBill<spyk::Tspykform>("1124", {1, 2, 3},
                                             {{{"sl", Value(2.0)}}, {{"sl", Value(3.5)}}, {}},
                                             {{"ock_id", Value(1)}, {"ick_id", Value(2)}});
  EXPECT_EQ(total("vt_c_spyk", transfer->billno, "hjsl"), "6.5");
  auto adjustment = savedBill<sptj::Tsptjform>("1125", {1, 2}, {{{"je", Value(Currency::fromInt(100))}},
                                                                {{"je", Value(Currency::fromInt(-30))}}});
  EXPECT_EQ(total("vt_c_sptj", adjustment->billno), "70");
}

TEST_F(StockSave, SalesTotalOfZeroAmountsIsZeroAndNumbersFollowTheSeries) {
  auto form = savedBill<spch::Tspchform>("1121", {1}, {{{"je", Value(Currency())}}});
  EXPECT_EQ(total("vt_c_spch", form->billno), "0");
  auto second = savedBill<spch::Tspchform>("1121", {2}, {});
  EXPECT_NE(second->billno, form->billno);
  EXPECT_EQ(scalar("select count(distinct billno) from vt_c_spch").asInteger(), 2);
}

TEST_F(StockSave, NoNumberMeansNothingIsWritten) {
  breakNumbering();
  auto form = openEditor<spjh::Tspjhform>("1120");
  startBill(*form, {1});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("单据保存失败"));
  EXPECT_EQ(countOf("vt_c_spjh") + countOf("vt_c_spjh_mx"), 0);
}

TEST_F(StockSave, TypedTextIsStoredAsTyped) {
  for (const std::string text : {"O'Brien 的 \"纸\"", "':orgid' -- %s ; drop table vt_c_qtck", "备注\r\n第二行"}) {
    auto form = savedBill<qtck::Tqtckform>("1123", {1}, {{{"beizhu", Value(text)}}},
                                           {{"zy", Value(text)}, {"remark", Value(text)}});
    EXPECT_EQ(rowTexts("select h.zy, h.remark, l.beizhu from vt_c_qtck h join vt_c_qtck_mx l on l.billno = h.billno "
                       "where h.billno = '" + form->billno + "'"),
              std::vector<std::string>{text + "|" + text + "|" + text});
  }
  EXPECT_EQ(countOf("vt_c_qtck"), 3);
}

TEST_F(StockSave, TransferAndCostAdjustmentBoxesAndNewLines) {
  auto transfer = openEditor<spyk::Tspykform>("1124");
  EXPECT_EQ(transfer->control("cbock").caption + transfer->control("cbick").caption, "调出仓库：调入仓库：");
  EXPECT_EQ(transfer->control("cbick").hint, "ick_id");
  EXPECT_EQ(transfer->control("cbick").items, std::vector<std::string>({"总店", "分店"}));
  EXPECT_EQ(openEditor<sptj::Tsptjform>("1125")->control("cbck").caption, "开单门店：");
  // A transfer line is the goods at quantity 1 without a price; both stores may be one.
  startBill(*transfer, {1});
  EXPECT_EQ(transfer->cdsDetail.fieldByName("sl").asFloat(), 1.0);
  EXPECT_EQ(transfer->cdsDetail.findField("dj"), nullptr);
  transfer->cdsMaster.fieldByName("ock_id").setValue(Value(1));
  transfer->cdsMaster.fieldByName("ick_id").setValue(Value(1));
  ASSERT_EQ(save(*transfer), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(total("vt_c_spyk", transfer->billno, "ick_id"), "1");
  // A cost adjustment line starts at an amount of 0, not the goods' cost.
  auto adjustment = openEditor<sptj::Tsptjform>("1125");
  startBill(*adjustment, {1});
  EXPECT_FALSE(adjustment->cdsDetail.fieldByName("je").isNull());
  EXPECT_EQ(adjustment->cdsDetail.fieldByName("je").asCurrency(), Currency());
}

// Auditing moves stock in the bill's stores, so a goods bill whose store box was
// cleared (0) or never filled (null) is not saved, and the clerk is told which box; a
// bill stored that way before is not audited either.
TEST_F(StockSave, AGoodsBillIsNotSavedOrAuditedWithoutItsStores) {
  using Open = std::function<std::unique_ptr<TStockBillForm>()>;
  using Boxes = std::vector<std::pair<const char*, const char*>>;
  const Boxes store = {{"ck_id", "请选择下单门店."}};
  const struct {
    const char* table;
    Open open;
    Boxes boxes;
  } cases[] = {
      {"vt_c_spjh", [this] { return openEditor<spjh::Tspjhform>("1120"); }, store},
      {"vt_c_spch", [this] { return openEditor<spch::Tspchform>("1121"); }, store},
      {"vt_c_qtrk", [this] { return openEditor<qtck::Tqtrkform>("1122"); }, store},
      {"vt_c_qtck", [this] { return openEditor<qtck::Tqtckform>("1123"); }, store},
      {"vt_c_spyk",
       [this] { return openEditor<spyk::Tspykform>("1124"); },
       {{"ock_id", "请选择调出仓库."}, {"ick_id", "请选择调入仓库."}}},
      {"vt_c_sptj",
       [this] { return openEditor<sptj::Tsptjform>("1125"); },
       {{"ck_id", "请选择开单门店."}}},
      {"vt_c_spsy", [this] { return openEditor<spsy::Tspsyform>("1126"); }, store},
      {"vt_c_sppd", [this] { return openEditor<sppd::Tsppdform>("1127"); }, store},
  };
  auto setHeader = [](TStockBillForm& form, const char* field, const Value& v) {
    if (form.cdsMaster.state() == dataset::DataSetState::Browse) form.cdsMaster.edit();
    form.cdsMaster.fieldByName(field).setValue(v);
  };
  auto told = [](const char* message) {
    return R"({"event":"message","type":2,"caption":"提示","text":")" + std::string(message) +
           "\"}";
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    auto form = c.open();
    startBill(*form, {1});
    for (const auto& [empty, message] : c.boxes) {
      for (const Value& none : {Value(0), Value()}) {
        for (const auto& [box, unused] : c.boxes) setHeader(*form, box, Value(2));
        setHeader(*form, empty, none);
        EXPECT_EQ(save(*form), host::Outcome::Aborted);
        EXPECT_EQ(lastEvent(), told(message));
      }
    }
    EXPECT_EQ(countOf(c.table), 0);
    for (const auto& [box, unused] : c.boxes) setHeader(*form, box, Value(2));
    ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    // Stored without one by an older version: the audit says which box, as the save does.
    for (const auto& [box, message] : c.boxes)
      EXPECT_TRUE(conn.execBatch(std::string("update ") + c.table + " set " + box + " = 0").ok());
    auto stored = c.open();
    stored->OpenBillData(form->billno);
    EXPECT_EQ(stored->clickAction("actAudit"), host::Outcome::Aborted);
    EXPECT_EQ(lastEvent(), told(c.boxes.front().second));
    EXPECT_EQ(countOf("vt_c_spkc") + countOf(std::string(c.table) + " where status <> 0"), 0);
  }
}

TEST_F(StockSave, LossAndGainAmountFollowsPriceAndQuantity) {
  auto form = openEditor<spsy::Tspsyform>("1126");
  startBill(*form, {2});  // pricein 2.5
  EXPECT_EQ(texts(form->cdsDetail, "sl dj je"), "1|2.5|2.5");
  type(*form, "sl", Value(-2.0));
  type(*form, "dj", Value(Currency::fromInt(5)));
  EXPECT_EQ(texts(form->cdsDetail, "sl dj je"), "-2|5|-10");
  type(*form, "je", Value(Currency::fromInt(-9)));
  EXPECT_EQ(texts(form->cdsDetail, "sl dj je"), "-2|4.5|-9");
  form->cdsDetail.post();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(total("vt_c_spsy", form->billno), "-9");
}

TEST_F(StockSave, DeleteRemovesThatBillOnlyAndReleasesItsStocktake) {
  auto keep = savedBill<spjh::Tspjhform>("1120", {1}, {});
  auto form = savedBill<spjh::Tspjhform>("1120", {1, 2}, {});
  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts("select h.billno, count(*) from vt_c_spjh h join vt_c_spjh_mx l on l.billno = h.billno "
                     "group by h.billno"),
            std::vector<std::string>{keep->billno + "|1"});
  EXPECT_EQ(countOf("vt_c_spjh_mx"), 1);

  // A loss and gain bill's delete releases its stocktake before it deletes.
  EXPECT_EQ(host::BillSaveBatch::deleteText("vt_c_spsy", "A-1", "0001", {}, spsy::spsySpec().bill.deleteFirst),
            "declare @billno varchar(50)\r\ndeclare @orgid varchar(20)\r\nset @billno = 'A-1'\r\nset @orgid = '0001'\r\n"
            "update vt_c_sppd set version=version+1, isDone = 0 where billno in(select pdbillno from vt_c_spsy "
            "where billno = @billno and isnull(pdbillno, '') <> '')\r\n"
            "delete from vt_c_spsy where billno = @billno and orgid=@orgid\r\n"
            "delete from vt_c_spsy_mx where billno = @billno and orgid=@orgid\r\n");
  query("insert into vt_c_sppd(orgid, billno, status, isDone, version) values ('0001', 'PD-P', 1, 1, 4), "
        "('0001', 'PD-Q', 1, 1, 7)");
  auto made = savedBill<spsy::Tspsyform>("1126", {1}, {{{"sl", Value(-2.0)}}});
  auto byHand = savedBill<spsy::Tspsyform>("1126", {1}, {{{"sl", Value(3.0)}}});
  query("update vt_c_spsy set pdbillno = 'PD-P' where billno = '" + made->billno + "'");
  ASSERT_EQ(byHand->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select version from vt_c_sppd where billno = 'PD-P'").asInteger(), 4);
  made->OpenBillData(made->billno);
  ASSERT_EQ(made->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_c_spsy") + countOf("vt_c_spsy_mx"), 0);
  EXPECT_EQ(rowTexts("select isDone * 100 + version from vt_c_sppd order by billno"),
            (std::vector<std::string>{"5", "107"}));
}

}  // namespace
