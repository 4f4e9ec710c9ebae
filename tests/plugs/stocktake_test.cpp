// Stocktakes: a picked goods item comes with its book quantity in the bill's store, once
// per goods item, the difference and its remark follow the count, and a saved count
// reopens as typed. Processing an audited, unprocessed bill outside editing makes one
// draft loss and gain bill of the differences and marks the stocktake; a stale copy,
// a failed batch and an un-audit before that bill is deleted change nothing.
#include <gtest/gtest.h>

#include "core/format.h"
#include "dataset/data_set_error.h"
#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

using core::Value;
using plugs::coreapp::sppd::Tsppdform;
using plugs::coreapp::spsy::Tspsyform;

class Stocktake : public stock_test::StockSession {
 protected:
  // Book stock: goods 1 is 12 in store 1 and 7 in store 2, goods 2 is 5 in store 1;
  // goods 3 has no stock row anywhere.
  Stocktake() { holdStock("('0001', 1, 1, 12, 156), ('0001', 2, 1, 7, 91), ('0001', 1, 2, 5, 12.5)"); }

  static std::string line(const Tsppdform& form) { return texts(form.cdsDetail, "kcsl pdsl yksl beizhu"); }

  // An audited stocktake of goods 1, 2, 3 counted 10, 5 and 3 (differences -2, 0, 3).
  std::unique_ptr<Tsppdform> auditedStocktake() {
    auto form = savedBill<Tsppdform>(
        "1127", {1, 2, 3}, {{{"pdsl", Value(10.0)}}, {{"pdsl", Value(5.0)}}, {{"pdsl", Value(3.0)}}},
        {{"zy", Value("月末盘点")}, {"remark", Value("仓库甲")}});
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form;
  }

  bool canProcess(Tsppdform& form) {
    form.action("acttosy").update();
    return form.action("acttosy").enabled;
  }
};

TEST_F(Stocktake, DifferenceAndRemarkFollowTheCount) {
  auto form = openEditor<Tsppdform>("1127");
  startBill(*form, {1});
  EXPECT_EQ(line(*form), "12||-12|盘亏");
  const std::pair<double, const char*> counts[] = {
      {15, "12|15|3|盘盈"}, {12, "12|12|0|"}, {12.00004, "12|12.00004|0|"}, {12.3333333, "12|12.3333333|0.3333|盘盈"}};
  for (const auto& [count, expected] : counts) {
    type(*form, "pdsl", Value(count));
    EXPECT_EQ(line(*form), expected);
  }
  // A count that is not a number is refused by the field and leaves the line.
  type(*form, "pdsl", Value(10.0));
  try {
    type(*form, "pdsl", Value(std::string("十二")));
    ADD_FAILURE() << "a count in words was taken";
  } catch (const dataset::DataSetError& e) {
    EXPECT_NE(std::string(e.what()).find("“十二”不是有效的"), std::string::npos) << e.what();
  }
  EXPECT_EQ(line(*form), "12|10|-2|盘亏");
}

TEST_F(Stocktake, OneLinePerGoodsAndAnotherStoreReadsTheBookQuantitiesAgain) {
  auto form = openEditor<Tsppdform>("1127");
  startBill(*form, {1, 3, 1});
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  EXPECT_EQ(form->cdsDetail.fieldByName("sp_id").asInteger(), 1);  // the line already there is current
  pick(*form, {2, 3});
  ASSERT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.locate("sp_id", Value(3));
  EXPECT_EQ(line(*form), "0||0|");
  form->cdsDetail.locate("sp_id", Value(2));
  EXPECT_EQ(line(*form), "5||-5|盘亏");

  form->cdsDetail.first();
  type(*form, "pdsl", Value(10.0));
  if (form->cdsMaster.state() == dataset::DataSetState::Browse) form->cdsMaster.edit();
  form->cdsMaster.fieldByName("ck_id").setValue(Value(2));  // as the store box writes it
  form->cdsDetail.first();
  EXPECT_EQ(line(*form), "7|10|3|盘盈");
  form->cdsDetail.locate("sp_id", Value(2));
  EXPECT_EQ(line(*form), "0||0|");
  // No store at all: the book stock is asked for store 0, which holds nothing.
  form->cdsMaster.fieldByName("ck_id").clear();
  form->cdsDetail.first();
  EXPECT_EQ(line(*form), "0|10|10|盘盈");
}

TEST_F(Stocktake, ASavedCountReopensAsItWasTyped) {
  auto form = savedBill<Tsppdform>("1127", {1, 2}, {{{"pdsl", Value(15.0)}}, {}});
  EXPECT_EQ(countOf("vt_c_sppd_mx where billno = '" + form->billno + "'"), 2);
  // Stock moves afterwards; the book quantity stays the one read when the goods were picked.
  query("update vt_c_spkc set kcsl = 99");
  auto again = openEditor<Tsppdform>("1127", form->billno);
  again->cdsDetail.locate("sp_id", Value(1));
  EXPECT_EQ(line(*again), "12|15|3|盘盈");
  again->cdsDetail.locate("sp_id", Value(2));
  EXPECT_EQ(line(*again), "5||-5|盘亏");
}

TEST_F(Stocktake, OnlyAnAuditedUnprocessedBillOutsideEditingCanBeProcessed) {
  auto form = openEditor<Tsppdform>("1127");
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // nothing open
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // being edited
  form = savedBill<Tsppdform>("1127", {1}, {});
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // a draft
  audit(*form);
  EXPECT_TRUE(canProcess(*form));
  EXPECT_EQ(countOf("vt_c_spsy"), 0);
}

TEST_F(Stocktake, ProcessingMakesADraftLossAndGainBillOfTheDifferences) {
  host.login.tag = "B':ck_id";  // the batch carries it as one literal that numbers nothing else
  auto form = auditedStocktake();
  const std::int64_t version = form->version;
  audit(*form, "acttosy");
  EXPECT_TRUE(said("盘点单处理完成，将自动打开损益单，确认无误后审核损益单库存盘点结果将生效。"));
  // Totalled only when saved in its own editor.
  EXPECT_EQ(rowTexts("select status, ck_id, kdr_id, zy, remark, pdbillno, hjje from vt_c_spsy"),
            std::vector<std::string>{"0|1|1|月末盘点|仓库甲|" + form->billno + "|"});
  EXPECT_EQ(countOf("vt_c_spsy where billno like 'B'':ck_id%'"), 1);
  EXPECT_NE(scalar("select billno from vt_c_spsy").asText(), form->billno);
  EXPECT_EQ(rowTexts("select sl, dj, je, beizhu from vt_c_spsy_mx order by sp_id"),
            (std::vector<std::string>{"-2|0|0|盘亏", "0|0|0|", "3|0|0|盘盈"}));
  EXPECT_EQ(scalar("select version from vt_c_sppd").asInteger(), version + 1);
  // The stocktake shows itself processed and the loss and gain module is open on the
  // bill just made, its lines loaded.
  EXPECT_TRUE(form->cdsMaster.fieldByName("isDone").asBoolean());
  EXPECT_EQ(form->version, version + 1);
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);
  auto* lossAndGain =
      dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_NE(lossAndGain, nullptr);
  EXPECT_EQ(lossAndGain->className(), "Tspsyform");
  EXPECT_EQ(lossAndGain->billno, scalar("select billno from vt_c_spsy").asText());
  EXPECT_EQ(lossAndGain->cdsDetail.recordCount(), 3);

  const auto& log = ui.logEntries();
  const auto entry = std::find_if(log.begin(), log.end(), [](const auto& e) { return e.first == "处理盘点单"; });
  ASSERT_NE(entry, log.end());
  EXPECT_EQ(entry->second.substr(0, 10), "DECLARE \r\n");
  EXPECT_NE(entry->second.find("\r\nset @orgid = '0001'\r\nset @category ='1126'\r\nset @tag = 'B'':ck_id'\r\n"
                               "set @pdbillno=" + core::QuotedStr(form->billno) + "\r\nset @ck_id=1\r\n\r\nbegin tran\r\n"),
            std::string::npos)
      << entry->second;
}

TEST_F(Stocktake, AStaleCopyOrAFailedBatchProcessesNothing) {
  auto form = auditedStocktake();
  auto stale = openEditor<Tsppdform>("1127", form->billno);
  breakNumbering();
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Aborted);
  EXPECT_TRUE(said("单据保存失败"));
  EXPECT_EQ(countOf("vt_c_spsy") + countOf("vt_c_spsy_mx"), 0);
  EXPECT_EQ(scalar("select isDone * 100 + version from vt_c_sppd").asInteger(), form->version);

  query("update vt_c_sppd set version = version + 1");
  EXPECT_EQ(stale->clickAction("acttosy"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变，已为您刷新数据，请重试."));
  EXPECT_EQ(countOf("vt_c_spsy"), 0);
  EXPECT_EQ(stale->version, form->version + 1);  // reloaded
}

TEST_F(Stocktake, UnauditIsRefusedUntilTheLossAndGainBillIsDeleted) {
  auto form = auditedStocktake();
  audit(*form, "acttosy");
  const std::int64_t version = form->version;
  EXPECT_EQ(form->clickAction("actAudit_0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("该盘点单已处理完成，请先删除相应损益单后重试。"));
  EXPECT_EQ(scalar("select status * 1000 + version from vt_c_sppd").asInteger(), 1000 + version);

  auto lossAndGain = openEditor<Tspsyform>("1126", scalar("select billno from vt_c_spsy").asText());
  audit(*lossAndGain, "actDel");
  // The released stocktake can be processed again, or un-audited.
  form->OpenBillData(form->billno);
  EXPECT_TRUE(canProcess(*form));
  unaudit(*form);
  EXPECT_EQ(scalar("select status * 100 + isDone from vt_c_sppd").asInteger(), 0);

  // A mark the open bill does not show (set behind its back) is cleared by the un-audit too.
  audit(*form);
  query("update vt_c_sppd set isDone = 1");
  unaudit(*form);
  EXPECT_EQ(scalar("select status * 100 + isDone from vt_c_sppd").asInteger(), 0);
}

}  // namespace
