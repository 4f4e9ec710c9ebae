// ScriptedUi: queued answers, defaults when nothing is queued, and the transcript
// events the scenario player prints.
#include <gtest/gtest.h>

#include "host/scripted_ui.h"
#include "host/services/sys_services.h"
#include "services_test_host.h"

namespace {

using namespace host;
using host_test::HostTest;

class ScriptedUiTest : public HostTest {};

TEST_F(ScriptedUiTest, MessageBoxesAnswerFromTheQueueOrWithOk) {
  EXPECT_EQ(MessageMyDlg("已保存", "提示", mtInformation, mbOK), mrOK);
  EXPECT_EQ(MessageMyDlg("是否确认保存该单据？", "提示", mtConfirmation, mbOK | mbCancel), mrOK);
  ui.queueAnswer(mrCancel);
  EXPECT_EQ(MessageMyDlg("是否确认保存该单据？", "提示", mtConfirmation, mbOK | mbCancel),
            mrCancel);
  EXPECT_EQ(MessageMyDlg("打印吗", "提示", mtConfirmation, mbYes | mbNo), mrYes);  // no OK button
  EXPECT_EQ(
      ui.transcript(),
      (std::vector<std::string>{
          R"({"event":"message","type":2,"caption":"提示","text":"已保存"})",
          R"({"event":"message","type":3,"caption":"提示","text":"是否确认保存该单据？","answer":"OK"})",
          R"({"event":"message","type":3,"caption":"提示","text":"是否确认保存该单据？","answer":"Cancel"})",
          R"({"event":"message","type":3,"caption":"提示","text":"打印吗","answer":"Yes"})"}));
}

TEST_F(ScriptedUiTest, LookupReturnsQueuedRowsCompletedFromTheCandidates) {
  LookupRequest req;
  req.caption = "服务项目查询";
  req.filter = "X";
  req.candidates.columns = {{"id", core::ValueType::Integer, 0},
                            {"code", core::ValueType::Text, 0},
                            {"name", core::ValueType::Text, 0}};
  req.candidates.rows = {{core::Value(1), core::Value("X1"), core::Value("写真")},
                         {core::Value(2), core::Value("X2"), core::Value("喷绘")}};
  ui.queueLookup("服务项目查询", R"([{"id":2},{"code":"ZZ","name":"手填"}])");
  EXPECT_EQ(ui.lookup(req),
            R"([{"id":"2","code":"X2","name":"喷绘"},{"code":"ZZ","name":"手填"}])");
  ui.queueLookup("服务项目查询", "[]");
  EXPECT_EQ(ui.lookup(req), "");  // an empty choice is a cancelled lookup
  EXPECT_EQ(ui.lookup(req), "");  // so is an unqueued one
  EXPECT_EQ(ui.transcript()[0],
            R"({"event":"lookup","caption":"服务项目查询","filter":"X","options":""})");
  EXPECT_EQ(ui.pendingAnswers(), 0u);
}

TEST_F(ScriptedUiTest, HostDialogsCloseWithTheQueuedReplyOrCancel) {
  DialogReply reply;
  reply.result = mrOK;
  reply.text = "客户要求";
  ui.queueDialog("TAuditingDataForm", reply);
  EXPECT_EQ(ui.hostDialog("TAuditingDataForm", {}).text, "客户要求");
  EXPECT_EQ(ui.hostDialog("TAuditingDataForm", {}).result, mrCancel);
  EXPECT_EQ(ui.transcript()[0], R"({"event":"dialog","class":"TAuditingDataForm","result":1})");
  EXPECT_EQ(ui.transcript()[1], R"({"event":"dialog","class":"TAuditingDataForm","result":2})");
}

TEST_F(ScriptedUiTest, DrawerLogAndPrintEvents) {
  openMoneyBox();
  LogMsgWithTag("insert ...", "添加单据");
  ui.setLogEvents(true);
  LogMsgWithTag("update ...", "保存单据");
  ui.printed({"1100",
              {{"表头数据", 1}, {"明细数据", 3}},
              {{"表单编号", "1100"}, {"表单名称", "项目订单"}},
              "f",
              {}});
  EXPECT_EQ(
      ui.transcript(),
      (std::vector<std::string>{
          R"({"event":"drawer"})", R"({"event":"log","tag":"保存单据","text":"update ..."})",
          R"({"event":"print","code":"1100","datasets":{"表头数据":1,"明细数据":3},"values":{"表单编号":"1100","表单名称":"项目订单"}})"}));
  // the drawer and both SQL entries reached the log; only the one after --log shows
  ASSERT_EQ(ui.logEntries().size(), 3u);
  EXPECT_EQ(ui.logEntries()[1].first, "添加单据");
}

TEST_F(ScriptedUiTest, FailingDrawerCommandIsReportedAndNotCountedAsOpen) {
  host.moneyBoxCommand = "exit 3";
  openMoneyBox();
  ASSERT_EQ(ui.transcript().size(), 1u);
  EXPECT_NE(ui.transcript()[0].find(R"("type":1)"), std::string::npos);
  host.moneyBoxCommand = "true";
  openMoneyBox();
  EXPECT_EQ(ui.transcript().back(), R"({"event":"drawer"})");
}

}  // namespace
