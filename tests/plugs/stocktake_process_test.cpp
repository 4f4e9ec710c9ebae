// Processing a stocktake: only an audited, unprocessed bill that is not being edited
// can be processed; processing makes one draft loss and gain bill of the differences
// and marks the stocktake; a stale copy, a second processing, a failed batch and an
// un-audit of a processed stocktake change nothing until the loss and gain bill is
// deleted again.
#include <gtest/gtest.h>

#include "core/format.h"
#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

using core::Value;
using plugs::coreapp::spsy::Tspsyform;
using plugs::coreapp::sppd::Tsppdform;

class StocktakeProcess : public stock_test::StockSession {
 protected:
  StocktakeProcess() {
    EXPECT_TRUE(conn.execBatch("insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values "
                               "('0001', 1, 1, 12, 156), ('0001', 1, 2, 5, 12.5), ('0001', 1, 3, 4, 8)")
                    .ok());
  }

  // A saved stocktake of goods 1, 2, 3 counted 15, 5 and 2 (differences 3, 0, -2).
  std::unique_ptr<Tsppdform> countedStocktake() {
    auto form = openEditor<Tsppdform>("1127");
    startBill(*form, {1, 2, 3});
    const double counted[] = {15, 5, 2};
    for (int i = 0; i < 3; ++i) {
      form->cdsDetail.setRecNo(i + 1);
      type(*form, "pdsl", Value(counted[i]));
      form->cdsDetail.post();
    }
    form->cdsMaster.edit();
    form->cdsMaster.fieldByName("zy").setValue(Value(std::string("月末盘点")));
    form->cdsMaster.fieldByName("remark").setValue(Value(std::string("仓库甲")));
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  std::unique_ptr<Tsppdform> auditedStocktake() {
    auto form = countedStocktake();
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form;
  }

  std::int64_t count(const char* table) { return scalar(std::string("select count(*) from ") + table).asInteger(); }
};

TEST_F(StocktakeProcess, OnlyAnAuditedUnprocessedBillOutsideEditingCanBeProcessed) {
  auto form = openEditor<Tsppdform>("1127");
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // nothing open
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // being edited
  form = countedStocktake();
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);  // a draft
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  form->action("acttosy").update();
  EXPECT_TRUE(form->action("acttosy").enabled);
  EXPECT_EQ(count("vt_c_spsy"), 0);
}

TEST_F(StocktakeProcess, MakesADraftLossAndGainBillOfTheDifferences) {
  auto form = auditedStocktake();
  const std::int64_t version = scalar("select version from vt_c_sppd").asInteger();
  ASSERT_EQ(form->clickAction("acttosy"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said("盘点单处理完成，将自动打开损益单，确认无误后审核损益单库存盘点结果将生效。"));

  const auto head = query("select billno, status, ck_id, kdr_id, zy, remark, pdbillno, hjje from vt_c_spsy");
  ASSERT_EQ(head.size(), 1u);
  EXPECT_NE(head[0][0].asText(), form->billno);
  EXPECT_EQ(head[0][1].asInteger(), 0);
  EXPECT_EQ(head[0][2].asInteger(), 1);
  EXPECT_EQ(head[0][3].asInteger(), 1);
  EXPECT_EQ(head[0][4].asText(), "月末盘点");
  EXPECT_EQ(head[0][5].asText(), "仓库甲");
  EXPECT_EQ(head[0][6].asText(), form->billno);
  EXPECT_TRUE(head[0][7].isNull());  // totalled only when saved in its own editor
  const auto lines = query("select sp_id, sl, dj, je, beizhu from vt_c_spsy_mx order by sp_id");
  ASSERT_EQ(lines.size(), 3u);
  const double sl[] = {3, 0, -2};
  const char* remark[] = {"盘盈", "", "盘亏"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lines[i][1].asFloat(), sl[i]);
    EXPECT_EQ(lines[i][2].asCurrency(), core::Currency());
    EXPECT_EQ(lines[i][3].asCurrency(), core::Currency());
    EXPECT_EQ(lines[i][4].asText(), remark[i]);
  }
  EXPECT_EQ(scalar("select version from vt_c_sppd").asInteger(), version + 1);
  // The stocktake shows itself processed and the loss and gain module is open.
  EXPECT_TRUE(form->cdsMaster.fieldByName("isDone").asBoolean());
  EXPECT_EQ(form->version, version + 1);
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Disabled);
  ASSERT_NE(host::PageControl().activePage(), nullptr);
  EXPECT_EQ(host::PageControl().activePage()->className(), "Tspsyform");
}

// The login's values go into the stored text as literals; a tag holding quotes or the
// other markers stays one literal and numbers nothing else.
TEST_F(StocktakeProcess, TheBatchCarriesTheLoginAndTheStocktakeAsLiterals) {
  host.login.tag = "B':ck_id";
  auto form = auditedStocktake();
  ASSERT_EQ(form->clickAction("acttosy"), host::Outcome::Done) << lastEvent();
  const auto& log = ui.logEntries();
  const auto entry = std::find_if(log.begin(), log.end(), [](const auto& e) { return e.first == "处理盘点单"; });
  ASSERT_NE(entry, log.end());
  const std::string& sql = entry->second;
  EXPECT_EQ(sql.substr(0, 10), "DECLARE \r\n");
  EXPECT_NE(sql.find("\r\nset @orgid = '0001'\r\nset @category ='1126'\r\nset @tag = 'B'':ck_id'\r\nset @pdbillno=" +
                     core::QuotedStr(form->billno) + "\r\nset @ck_id=1\r\n\r\nbegin tran\r\n"),
            std::string::npos)
      << sql;
  EXPECT_EQ(scalar("select count(*) from vt_c_spsy where billno like 'B'':ck_id%'").asInteger(), 1);
}

TEST_F(StocktakeProcess, AStaleCopyIsReloadedAndProcessesNothing) {
  auto form = auditedStocktake();
  auto stale = openEditor<Tsppdform>("1127", form->billno);
  ASSERT_EQ(form->clickAction("acttosy"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(stale->clickAction("acttosy"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变，已为您刷新数据，请重试."));
  EXPECT_EQ(count("vt_c_spsy"), 1);
  EXPECT_EQ(stale->version, form->version);  // reloaded
}

TEST_F(StocktakeProcess, AFailedBatchLeavesTheStocktakeUnprocessed) {
  auto form = auditedStocktake();
  ASSERT_TRUE(conn.execBatch("drop procedure sp_sys_genbillno").ok());
  ASSERT_TRUE(conn.execBatch("create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), "
                             "@tag varchar(20), @ck_id int, @billno varchar(50) output as begin set @billno = null end")
                  .ok());
  EXPECT_EQ(form->clickAction("acttosy"), host::Outcome::Aborted);
  EXPECT_TRUE(said("单据保存失败"));
  EXPECT_EQ(count("vt_c_spsy"), 0);
  EXPECT_EQ(count("vt_c_spsy_mx"), 0);
  EXPECT_EQ(scalar("select isDone * 100 + version from vt_c_sppd").asInteger(), form->version);
}

TEST_F(StocktakeProcess, UnauditIsRefusedUntilTheLossAndGainBillIsDeleted) {
  auto form = auditedStocktake();
  ASSERT_EQ(form->clickAction("acttosy"), host::Outcome::Done) << lastEvent();
  const std::int64_t version = form->version;
  EXPECT_EQ(form->clickAction("actAudit_0"), host::Outcome::Aborted);
  EXPECT_TRUE(said("该盘点单已处理完成，请先删除相应损益单后重试。"));
  EXPECT_EQ(scalar("select status * 1000 + version from vt_c_sppd").asInteger(), 1000 + version);

  auto lossAndGain = openEditor<Tspsyform>("1126", scalar("select billno from vt_c_spsy").asText());
  ASSERT_EQ(lossAndGain->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  // The released stocktake can be processed again, or un-audited.
  form->OpenBillData(form->billno);
  form->action("acttosy").update();
  EXPECT_TRUE(form->action("acttosy").enabled);
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select status * 100 + isDone from vt_c_sppd").asInteger(), 0);
}

TEST_F(StocktakeProcess, UnauditClearsTheProcessedMarkInTheSameBatch) {
  auto form = auditedStocktake();
  // A mark the open bill does not show (set behind its back, version unchanged).
  ASSERT_TRUE(conn.execBatch("update vt_c_sppd set isDone = 1").ok());
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select status * 100 + isDone from vt_c_sppd").asInteger(), 0);
}

}  // namespace
