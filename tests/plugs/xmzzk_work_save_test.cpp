// The processing window's save, print and rights on a saved order:
//   1. save writes changed lines, staff and consumables in one batch; the server
//      recomputes performance figures and the total; the window reopens the order
//   2. a failing batch leaves the database as it was and the edits in the window
//   3. a changed order (another window's save included) is neither saved nor printed
//      (print reloads it); a voided one is not saved back to a total
//   4. print hands over header and lines and writes the print log
//   5. rights: saving needs 1101_02, printing 1101_06
//   6. the plug's modal creator
#include <gtest/gtest.h>

#include "host/plug/t_plugs_pool.h"
#include "host/services/t_auth.h"
#include "xmzzk_work_session.h"

namespace {

using core::Currency;
using host::Outcome;
using xmzzk_test::kWorkBillno;
using xmzzk_test::Texts;

class WorkSave : public xmzzk_test::WorkSession {
 protected:
  void SetUp() override {
    form = openWork();
    ui.queueLookup("商品信息查询", R"([{"id":"1"}])");
  }

  // Line 1 to quantity 10 (tier 20, amount 200), its staff to 70/30, one consumable.
  void editOrder() {
    form->cdsDetail.edit();
    form->cdsDetail.fieldByName("sl").setValue(10.0);
    form->cdsDetail.post();
    form->cdszzry.last();
    form->cdszzry.edit();
    form->cdszzry.fieldByName("perc").setValue(30.0);
    form->cdszzry.post();
    form->cdszzry.first();
    form->cdszzry.edit();
    form->cdszzry.fieldByName("perc").setValue(70.0);
    form->cdszzry.post();
    ASSERT_EQ(form->clickAction("acthc_add"), Outcome::Done);
  }

  // The order as stored: line L1's quantity and amount, Z1's share and amount, Z2's points,
  // the numbers of lines, consumables, L1's consumables and staff, the total and the staff.
  Texts stored() {
    return cells(
        "select (select sl from vt_x_xmzzk_mx where uid = 'L1'), "
        "(select je from vt_x_xmzzk_mx where uid = 'L1'), "
        "(select perc from vt_x_xmzzk_mx_zzry where uid = 'Z1'), "
        "(select jxje from vt_x_xmzzk_mx_zzry where uid = 'Z1'), "
        "(select jxjf from vt_x_xmzzk_mx_zzry where uid = 'Z2'), "
        "(select count(*) from vt_x_xmzzk_mx where billno = 'A110000001'), "
        "(select count(*) from vt_x_xmzzk_mx_hc), "
        "(select count(*) from vt_x_xmzzk_mx_hc where mx_uid = 'L1' and sp_id = 1 "
        "and orgid = '0001' and billno = 'A110000001'), "
        "(select count(*) from vt_x_xmzzk_mx_zzry), hjje, zzryinfo "
        "from vt_x_xmzzk where billno = 'A110000001'");
  }

  int saveBatches() const {
    int n = 0;
    for (const auto& [tag, text] : ui.logEntries()) n += tag == "保存单据";
    return n;
  }

  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkworkform> form;
};

// ---- 1. save ------------------------------------------------------------------------------

TEST_F(WorkSave, LinesStaffAndConsumablesGoBackInOneBatch) {
  editOrder();
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Done);
  EXPECT_TRUE(said(R"("text":"保存成功")"));
  EXPECT_EQ(saveBatches(), 1);
  // Server side: 200 + 1500; 李强's 70 % of 200 at XM002's 20 % rate; 张丽's points
  // 10 × 1 set × 1 point × 30 %.
  EXPECT_EQ(stored(),
            (Texts{"10", "200", "70", "28", "3", "2", "2", "1", "2", "1700", "李强,张丽,"}));
  // Reopened from the database: nothing pending any more.
  EXPECT_EQ(form->cdsDetail.changeCount(), 0);
  EXPECT_EQ(form->cdszzry.changeCount(), 0);
  EXPECT_EQ(form->cdshc.changeCount(), 0);
}

TEST_F(WorkSave, DeletedLineTakesItsStaffAndConsumablesAlong) {
  form->cdsDetail.setRecNo(2);
  EXPECT_EQ(form->clickAction("actDetail_del"), Outcome::Done);
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Done);
  // Line 1 alone: 125 × 60 % × 20 % and 5 × 40 % points for its staff.
  EXPECT_EQ(stored(),
            (Texts{"5", "125", "60", "15", "2", "1", "0", "0", "2", "125", "李强,张丽,"}));
}

// ---- 2. failure ----------------------------------------------------------------------------

TEST_F(WorkSave, FailedBatchChangesNothingAndKeepsTheEdits) {
  const Texts before = stored();
  editOrder();
  // A second consumable row under an existing key: the server refuses the whole batch.
  form->cdsDetail.setRecNo(2);
  form->cdshc.append();
  form->cdshc.fieldByName("uid").setValue("C1");
  form->cdshc.fieldByName("mx_uid").setValue("L2");
  form->cdshc.fieldByName("billno").setValue(kWorkBillno);
  form->cdshc.fieldByName("sp_id").setValue(1);
  form->cdshc.post();
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Done);
  EXPECT_TRUE(said(R"("text":"保存失败。")"));
  EXPECT_FALSE(said("保存成功"));
  EXPECT_EQ(stored(), before);
  EXPECT_EQ(before[0], "5");
  EXPECT_GT(form->cdsDetail.changeCount(), 0);
  EXPECT_GT(form->cdszzry.changeCount(), 0);
}

// ---- 3. stale order ------------------------------------------------------------------------

TEST_F(WorkSave, ChangedOrderAndVoidedOrderAreNotSaved) {
  const Texts before = stored();
  editOrder();
  rows("update vt_x_xmzzk set version = version + 1");
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Aborted);
  EXPECT_TRUE(said(R"("text":"当前数据状态已改变，请退出该模块并刷新重试.")"));
  EXPECT_EQ(stored(), before);
  // Two windows on the order: the other one's save raises its version, so this one,
  // holding the old version, is refused instead of writing over it.
  form = openWork();
  auto other = openWork();
  editOrder();
  other->cdsDetail.edit();
  other->cdsDetail.fieldByName("sl").setValue(3.0);
  other->cdsDetail.post();
  ASSERT_EQ(other->clickAction("actsave"), Outcome::Done);
  const Texts otherSaved = stored();
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Aborted);
  EXPECT_EQ(count(R"("text":"当前数据状态已改变，请退出该模块并刷新重试.")"), 2);
  EXPECT_EQ(stored(), otherSaved);
  EXPECT_EQ(otherSaved[0], "3");
  const int batches = saveBatches();
  rows("update vt_x_xmzzk set zfflag = 1, hjje = 0");  // voided before the window opened
  form = openWork();
  editOrder();
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Aborted);
  EXPECT_TRUE(said(R"("text":"该单据已作废，不能修改。")"));
  EXPECT_EQ(saveBatches(), batches);
  EXPECT_EQ(scalar("select hjje from vt_x_xmzzk").asCurrency(), Currency());
}

// A changed order is reloaded instead of printed; the next print hands over header and
// lines and writes the print log.
TEST_F(WorkSave, PrintReloadsAChangedOrderThenHandsOverHeaderAndLinesAndLogsIt) {
  rows("update vt_x_xmzzk set version = 4");
  EXPECT_EQ(form->clickAction("actprint"), Outcome::Aborted);
  EXPECT_TRUE(said(R"("text":"当前数据状态已改变，已为您刷新数据，请重试.")"));
  EXPECT_FALSE(said(R"("event":"print")"));
  EXPECT_EQ(form->version, 4);
  EXPECT_EQ(scalar("select count(*) from vt_sys_billpirnt_logs").asInteger(), 0);
  host.printFolder = ::testing::TempDir();
  EXPECT_EQ(form->clickAction("actprint"), Outcome::Done);
  EXPECT_TRUE(said(R"("event":"print","code":"1101","datasets":{"表头数据":1,"明细数据":2})"));
  EXPECT_TRUE(said(R"("values":{"表单编号":"1101","表单名称":"处理项目订单"})"));
  const auto logged =
      rows("select orgid, modulecode, billtype, billno, ck_id, czy_id from vt_sys_billpirnt_logs");
  ASSERT_EQ(logged.size(), 1u);
  const std::vector<std::string> want = {"0001", "1101", "处理项目订单", kWorkBillno, "1", "1"};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(logged[0][i].asText(), want[i]) << i;
  bool taggedPrint = false;
  for (const auto& [tag, text] : ui.logEntries())
    taggedPrint |= tag == "打印" && text.find("insert into vt_sys_billpirnt_logs") == 0;
  EXPECT_TRUE(taggedPrint);
}

// ---- 5. rights ------------------------------------------------------------------------------

TEST_F(WorkSave, SavingNeedsTheEditRightAndPrintingThePrintRight) {
  host.rights.all = false;
  host.rights.codes = {"1101_06"};
  editOrder();
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Aborted);
  const std::string refusal = std::string(R"("caption":")") + std::string(host::kNoRightCaption) +
                              R"(","text":")" + std::string(host::kNoRightText) + "\"";
  EXPECT_TRUE(said(refusal));
  EXPECT_EQ(saveBatches(), 0);
  host.rights.codes = {"1101_02"};
  EXPECT_EQ(form->clickAction("actprint"), Outcome::Aborted);
  EXPECT_EQ(scalar("select count(*) from vt_sys_billpirnt_logs").asInteger(), 0);
  EXPECT_EQ(form->clickAction("actsave"), Outcome::Done);
  EXPECT_EQ(saveBatches(), 1);
}

// ---- 6. registration and creator --------------------------------------------------------------

TEST_F(WorkSave, CreatorOpensTheOrderAndShowsItModally) {
  std::string shownClass;
  std::string shownBillno;
  int shownLines = -1;
  ui.setModalRunner([&](host::FormModel& shown) {
    shownClass = shown.className();
    auto& work = dynamic_cast<plugs::coreapp::xmzzk::Txmzzkworkform&>(shown);
    shownBillno = work.billno;
    shownLines = work.cdsDetail.recordCount();
    return host::mrCancel;
  });
  host::plugsPool().plugbyName("1101")->create(nullptr, kWorkBillno);
  EXPECT_EQ(shownClass, "Txmzzkworkform");
  EXPECT_EQ(shownBillno, kWorkBillno);
  EXPECT_EQ(shownLines, 2);
}

// The header is shown read-only; the tab's add button and the toolbar reach their windows.
TEST_F(WorkSave, ReadOnlyHeaderToolbarAndTabButton) {
  EXPECT_EQ(form->control("edtwldw").tag, 1);
  EXPECT_EQ(form->control("edtwldw").text, "C001");
  EXPECT_EQ(form->control("lblbillno").text, "单号：A110000001");
  EXPECT_EQ(form->control("lbldate").text, "日期：2026-03-05");
  EXPECT_EQ(form->control("lbltime").text, "时间：14:30:00");
  for (const char* name : {"edtwldw", "edtlxr", "edtjhrq", "cbbjjcd", "memzzyq", "cbbshfs"})
    EXPECT_TRUE(form->control(name).readOnly) << name;
  EXPECT_FALSE(form->control("cxgDetail_xm_code").readOnly);
  EXPECT_EQ(form->controlText(form->control("edtgcxmmc")), "春季展会");
  ui.queueLookup("商品信息查询", R"([{"id":"1"}])");  // after the one SetUp queued
  form->control("pcDetail").text = "生产耗材";
  EXPECT_EQ(form->clickControl("btnpcAdd"), Outcome::Done);
  EXPECT_EQ(form->cdshc.recordCount(), 1);  // line 1 had none
  form->control("pcDetail").text = "员工业绩";
  ui.queueLookup("员工信息查询", R"([{"id":"1"}])");
  EXPECT_EQ(form->clickControl("btnpcAdd"), Outcome::Done);
  EXPECT_EQ(form->cdszzry.recordCount(), 3);
  for (const char* name : {"actFlowView", "actticket", "actbillconfig"})
    EXPECT_EQ(form->clickAction(name), Outcome::Done) << name;
  for (const char* dialog : {"Tflowviewform", "Tticketeditform", "Tbilloptionsform"})
    EXPECT_TRUE(said(std::string(R"("class":")") + dialog + '"')) << dialog;
  // An empty file path opens no explorer.
  EXPECT_EQ(form->clickControl("edtfiledir"), Outcome::Done);
  EXPECT_FALSE(said("Tfileexplorerform"));
}

}  // namespace
