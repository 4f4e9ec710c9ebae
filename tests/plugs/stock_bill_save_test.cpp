// Saving goods bills on the embedded database: the counterparty is taken from its box
// at save time, the saved total is the sum of the lines (other fees apart, 0 for an
// empty sum on the sales bill), numbers come from the store's series, a failed
// numbering writes nothing, typed text is stored as typed, and delete removes both
// tables' rows.
#include <gtest/gtest.h>

#include "stock_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::qtck::Tqtckform;
using plugs::coreapp::spch::Tspchform;
using plugs::coreapp::spjh::Tspjhform;

class StockSave : public stock_test::StockSession {};

TEST_F(StockSave, SupplierIsTakenFromItsBoxWhenSaving) {
  auto form = openEditor<Tspjhform>("1120");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  pick(*form, {1});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择往来单位."));
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh").asInteger(), 0);

  ui.queueLookup("供应商信息查询", R"([{"id":"1","code":"S001","name":"华彩纸业"}])");
  ASSERT_EQ(form->clickControl("edtwldw"), host::Outcome::Done);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select gys_id from vt_c_spjh where billno = '" + form->billno + "'").asInteger(), 1);

  // A loaded bill keeps its supplier: opening copies it into the box.
  auto again = openEditor<Tspjhform>("1120", form->billno);
  EXPECT_EQ(again->control("edtwldw").tag, 1);
  EXPECT_EQ(again->control("edtwldw").text, "S001");
  EXPECT_EQ(again->control("edtwldwmc").text, "华彩纸业");
  ASSERT_EQ(again->clickAction("actEdit"), host::Outcome::Done);
  EXPECT_EQ(save(*again), host::Outcome::Done) << lastEvent();
}

TEST_F(StockSave, TotalIsTheSumOfTheLinesWithoutOtherFees) {
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1, 2});
  form->cdsMaster.edit();
  form->cdsMaster.fieldByName("qtfy").setValue(Value(Currency::fromInt(30)));
  form->cdsMaster.fieldByName("hjje").setValue(Value(Currency::fromInt(999)));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  const std::string where = " from vt_c_spjh where billno = '" + form->billno + "'";
  EXPECT_EQ(scalar("select hjje" + where).asCurrency(), Currency::fromInt(15));
  EXPECT_EQ(scalar("select qtfy" + where).asCurrency(), Currency::fromInt(30));
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh_mx where billno = '" + form->billno + "'").asInteger(), 2);

  // A later save recomputes it from the lines as they are now.
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  form->cdsDetail.first();
  type(*form, "sl", Value(2.0));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select hjje" + where).asCurrency(), Currency::fromRaw(275000));
}

TEST_F(StockSave, SalesTotalOfZeroAmountsIsZeroAndNumbersFollowTheSeries) {
  auto form = openEditor<Tspchform>("1121");
  startBill(*form, {1});
  type(*form, "je", Value(Currency()));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  const std::string first = form->billno;
  EXPECT_FALSE(scalar("select hjje from vt_c_spch where billno = '" + first + "'").isNull());
  EXPECT_EQ(scalar("select hjje from vt_c_spch where billno = '" + first + "'").asCurrency(), Currency());

  auto second = openEditor<Tspchform>("1121");
  startBill(*second, {2});
  ASSERT_EQ(save(*second), host::Outcome::Done) << lastEvent();
  EXPECT_NE(second->billno, first);
  EXPECT_EQ(scalar("select count(distinct billno) from vt_c_spch").asInteger(), 2);
}

TEST_F(StockSave, NoNumberMeansNothingIsWritten) {
  ASSERT_TRUE(conn.execBatch("drop procedure sp_sys_genbillno").ok());
  ASSERT_TRUE(conn.execBatch("create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), "
                             "@tag varchar(20), @ck_id int, @billno varchar(50) output as begin set @billno = null end")
                  .ok());
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_TRUE(said("单据保存失败"));
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh").asInteger(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh_mx").asInteger(), 0);
}

TEST_F(StockSave, TypedTextIsStoredAsTyped) {
  const std::string texts[] = {"O'Brien 的 \"纸\"", "':orgid' -- %s ; drop table vt_c_qtck", "备注\r\n第二行"};
  for (const std::string& text : texts) {
    auto form = openEditor<Tqtckform>("1123");
    startBill(*form, {1});
    type(*form, "beizhu", Value(text));
    form->cdsDetail.post();
    form->cdsMaster.edit();
    form->cdsMaster.fieldByName("zy").setValue(Value(text));
    form->cdsMaster.fieldByName("remark").setValue(Value(text));
    ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    const std::string where = " where billno = '" + form->billno + "'";
    EXPECT_EQ(scalar("select zy from vt_c_qtck" + where).asText(), text);
    EXPECT_EQ(scalar("select remark from vt_c_qtck" + where).asText(), text);
    EXPECT_EQ(scalar("select beizhu from vt_c_qtck_mx" + where).asText(), text);
  }
  EXPECT_EQ(scalar("select count(*) from vt_c_qtck").asInteger(), 3);
}

TEST_F(StockSave, DeleteRemovesHeaderAndLinesOfThatBillOnly) {
  auto keep = openEditor<Tspjhform>("1120");
  startBill(*keep, {1});
  ASSERT_EQ(save(*keep), host::Outcome::Done);
  auto form = openEditor<Tspjhform>("1120");
  startBill(*form, {1, 2});
  ASSERT_EQ(save(*form), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh").asInteger(), 1);
  EXPECT_EQ(scalar("select count(*) from vt_c_spjh_mx").asInteger(), 1);
  EXPECT_EQ(scalar("select billno from vt_c_spjh").asText(), keep->billno);
}

}  // namespace
