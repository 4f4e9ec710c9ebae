// The customer statement (1117): lines picked from the statement selector with the
// figures of the moment it opens, the refusals without a customer, an audit that writes
// nothing and an un-audit that clears the reconciliation marks; and its review (复核):
// only on an audited statement outside editing with the "_07" right, the ticked bills
// (the last tick still in its edit) reconciled and every touched bill's version raised
// in one logged batch, reconciled bills out of the selector until the un-audit, a
// failing batch changing nothing.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_form.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "write_off_session.h"

namespace {

using core::Value;
using plugs::coreapp::khsk::Tkhdzkauditform;
using plugs::coreapp::khsk::Tkhdzkform;

class Statement : public write_off_test::WriteOffSession {
 protected:
  Statement() {
    registerOnce("1117", &plugs::coreapp::khsk::registerKhdzkForm);
    query(
        "insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) "
        "values ('0001', 'XH003', '2026-11-09', 1, 1, 200, 1)");
    onOtherDialog = [this](host::FormModel& form) {
      return playReview(dynamic_cast<Tkhdzkauditform&>(form));
    };
  }

  //! A saved statement of `bills` (XM001 has 400 received), audited when `audited`.
  std::unique_ptr<Tkhdzkform> statement(std::vector<std::string> bills, bool audited = true) {
    query("update vt_x_xmzzk set hjsk = 400 where billno = 'XM001'");
    auto form = newCustomerBill<Tkhdzkform>("1117");
    EXPECT_EQ(pickSources(*form, std::move(bills)), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    if (audited) {
      EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    }
    return form;
  }

  //! Reconciliation marks of XM001, XH001 and XH003 ("101").
  std::string flags() {
    std::string out;
    for (const char* bill :
         {"vt_x_xmzzk where billno = 'XM001'", "vt_c_spch where billno = 'XH001'",
          "vt_c_spch where billno = 'XH003'"})
      out += std::to_string(scalar(std::string("select dzflag from ") + bill).asInteger());
    return out;
  }

  int versionOf(const char* table, const char* number) {
    return static_cast<int>(
        scalar(std::string("select version from ") + table + " where billno = '" + number + "'")
            .asInteger());
  }

  std::vector<std::string> reviewTicks;  //!< bills the review dialog ticks before confirming
  bool confirm = true;                   //!< the review dialog presses "确认对账"
  std::function<void()> beforeConfirm;   //!< runs in the open dialog before "确认对账"
  int reviews = 0;                       //!< review dialogs shown

 private:
  // Ticks as a clerk does: the last tick and remark are still in their row's edit when
  // "确认对账" is pressed.
  int playReview(Tkhdzkauditform& review) {
    ++reviews;
    for (const std::string& no : reviewTicks) {
      if (review.cdsResult.state() != dataset::DataSetState::Browse) review.cdsResult.post();
      EXPECT_TRUE(review.cdsResult.locate("bizbillno", Value(no))) << no;
      review.cdsResult.edit();
      review.cdsResult.fieldByName("dzflag").setValue(Value(true));
      review.cdsResult.fieldByName("beizhu").setValue(Value(std::string("已确认 50%")));
    }
    if (beforeConfirm) beforeConfirm();
    if (confirm) review.clickAction("actok");
    return review.ModalResult == host::mrOK ? host::mrOK : host::mrCancel;
  }
};

TEST_F(Statement, LinesShowAmountReceivedAndOwedAsTheStatementOpens) {
  const std::string number = statement({"XM001", "XH001"}, false)->billno;
  EXPECT_EQ(countOf("vt_f_khdzk where kh_id = 1 and billno = '" + number + "'"), 1);
  EXPECT_EQ(countOf("vt_f_khdzk_mx where dzflag = 0 and billno = '" + number + "'"), 2);
  // Received on the sales bill after the statement was made: still not shown.
  query("update vt_c_spch set bcsk = 500 where billno = 'XH001'");
  auto form = openEditor<Tkhdzkform>("1117", number);
  std::vector<std::string> lines;
  for (form->cdsDetail.first(); !form->cdsDetail.eof(); form->cdsDetail.next())
    lines.push_back(texts(form->cdsDetail, "bizbillno hjje jsje qkje"));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"XH001|800|0|800", "XM001|1000|400|600"}));
  EXPECT_EQ(form->counterpartyBox.id(), 1);
}

TEST_F(Statement, ABillIsAddedOnceAndNotWithoutACustomer) {
  auto form = openEditor<Tkhdzkform>("1117");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Disabled);  // editing, no row
  picks = {"XM001"};
  form->clickAction("actDetail_Add");
  EXPECT_TRUE(said("请选择往来单位"));
  EXPECT_TRUE(form->cdsDetail.isEmpty());

  auto named = newCustomerBill<Tkhdzkform>("1117");
  ASSERT_EQ(pickSources(*named, {"XM001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(pickSources(*named, {"XM001", "XH001"}), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(named->cdsDetail.recordCount(), 2);
  ASSERT_EQ(save(*named), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(named->clickAction("actdzkaudit"), host::Outcome::Disabled);  // saved draft
}

TEST_F(Statement, DoubleClickOpensTheLineBillOnlyWhenNotEditing) {
  registerOnce("1121", &plugs::coreapp::spch::registerSpchForm);
  auto form = newCustomerBill<Tkhdzkform>("1117");
  ASSERT_EQ(pickSources(*form, {"XH001"}), host::Outcome::Done) << lastEvent();
  form->dblClickControl("cxgDetail");
  EXPECT_EQ(dynamic_cast<plugs::coreapp::spch::Tspchform*>(host::PageControl().activePage()),
            nullptr);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  ASSERT_TRUE(form->cdsDetail.locate("bizbillno", Value(std::string("XH001"))));
  EXPECT_EQ(form->dblClickControl("cxgDetail"), host::Outcome::Done) << lastEvent();
  auto* bill = dynamic_cast<plugs::coreapp::spch::Tspchform*>(host::PageControl().activePage());
  ASSERT_NE(bill, nullptr);
  EXPECT_EQ(bill->billno, "XH001");
  bill->Close();
}

TEST_F(Statement, AuditWritesNothingAndUnauditClearsTheMarks) {
  auto form = statement({"XM001", "XH001"});
  EXPECT_EQ(
      scalar("select status from vt_f_khdzk where billno = '" + form->billno + "'").asInteger(), 1);
  EXPECT_EQ(flags(), "000");
  // As a review leaves them: both lines and both bills reconciled.
  query("update vt_f_khdzk_mx set dzflag = 1");
  query("update vt_x_xmzzk set dzflag = 1 where billno = 'XM001'");
  query("update vt_c_spch set dzflag = 1 where billno = 'XH001'");
  const int orderVersion = versionOf("vt_x_xmzzk", "XM001");
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_f_khdzk_mx where dzflag = 1"), 0);
  EXPECT_EQ(flags(), "000");
  EXPECT_EQ(versionOf("vt_x_xmzzk", "XM001"), orderVersion);
}

TEST_F(Statement, ReviewReconcilesTheTickedBillsAndIsLogged) {
  auto form = statement({"XM001", "XH001", "XH003"});
  const int orderVersion = versionOf("vt_x_xmzzk", "XM001");
  const int unticked = versionOf("vt_c_spch", "XH001");
  reviewTicks = {"XM001", "XH003"};
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(flags(), "101");
  EXPECT_EQ(versionOf("vt_x_xmzzk", "XM001"), orderVersion + 1);
  EXPECT_EQ(versionOf("vt_c_spch", "XH001"), unticked + 1);
  EXPECT_EQ(
      scalar("select status from vt_f_khdzk where billno = '" + form->billno + "'").asInteger(), 2);
  EXPECT_EQ(countOf("vt_f_khdzk_mx where beizhu = '已确认 50%'"), 2);
  EXPECT_EQ(rowTexts("select modulecode, billtype, billno, auditmsg from vt_sys_billaudit_logs "
                     "where auditstate = '复核'"),
            std::vector<std::string>{"1117|客户对账单|" + form->billno + "|复核对账单"});
  // Reloaded as reviewed; not reviewed twice.
  EXPECT_EQ(form->control("cxLabel3").text, "已复核");
  EXPECT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Disabled);

  // Reconciled bills leave the selector until the statement is un-audited.
  auto next = newCustomerBill<Tkhdzkform>("1117");
  ASSERT_EQ(pickSources(*next, {}), host::Outcome::Done);
  EXPECT_EQ(listed, (std::vector<std::string>{"XH001"}));
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(flags(), "000");
  ASSERT_EQ(pickSources(*next, {}), host::Outcome::Done);
  EXPECT_EQ(listed, (std::vector<std::string>{"XM001", "XH001", "XH003"}));
}

TEST_F(Statement, ReviewNeedsItsRightAndCancelOrAFailingBatchChangesAndLogsNothing) {
  auto form = statement({"XM001", "XH001", "XH003"});
  host.rights.all = false;
  host.rights.codes = {"1117_01", "1117_02", "1117_03"};
  EXPECT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said(std::string(host::kNoRightText)));
  EXPECT_EQ(reviews, 0);
  host.rights.all = true;

  reviewTicks = {"XM001"};
  confirm = false;
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done);
  EXPECT_EQ(countOf("vt_f_khdzk_mx where dzflag = 1"), 0);
  confirm = true;
  beforeConfirm =
      [this] {  // the batch's last statement fails when it runs (a view cannot be updated)
        query("drop table vt_c_spch");
        query("create view vt_c_spch as select id, dzflag, version from vt_x_xmzzk");
      };
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done);
  EXPECT_EQ(reviews, 2);
  EXPECT_EQ(countOf("vt_f_khdzk_mx where dzflag = 1"), 0);
  EXPECT_EQ(
      scalar("select status from vt_f_khdzk where billno = '" + form->billno + "'").asInteger(), 1);
  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 0);
  EXPECT_EQ(countOf("vt_sys_billaudit_logs where auditstate = '复核'"), 0);
  EXPECT_EQ(form->control("cxLabel3").text, "已审核");
  EXPECT_TRUE(said("对账单复核失败"));
}

// Two review dialogs on one statement: the one confirmed second read the statement
// before the first wrote it, so it is refused and writes nothing, not even its log row.
TEST_F(Statement, AReviewDialogOpenedBeforeAnotherConfirmedWritesNothing) {
  auto form = statement({"XM001", "XH001", "XH003"});
  auto older = host::makeForm<Tkhdzkauditform>(nullptr, form->billno);
  ASSERT_TRUE(older->cdsResult.locate("bizbillno", Value(std::string("XH001"))));
  older->cdsResult.edit();
  older->cdsResult.fieldByName("dzflag").setValue(Value(true));
  older->cdsResult.post();
  reviewTicks = {"XM001", "XH003"};
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(flags(), "101");

  EXPECT_EQ(older->clickAction("actok"), host::Outcome::Done);
  EXPECT_NE(older->ModalResult, host::mrOK);
  EXPECT_TRUE(said("当前数据状态已改变，请刷新后重试."));
  EXPECT_EQ(flags(), "101");
  EXPECT_EQ(countOf("vt_f_khdzk_mx where dzflag = 1"), 2);
  EXPECT_EQ(countOf("vt_sys_billaudit_logs where auditstate = '复核'"), 1);
}

TEST_F(Statement, TickAllUntickAllAndTheHeaderToggle) {
  auto dialog =
      host::makeForm<Tkhdzkauditform>(nullptr, statement({"XM001", "XH001", "XH003"})->billno);
  EXPECT_EQ(dialog->caption, "客户对账单复核对账");
  auto ticked = [&] {
    int n = 0;
    for (dialog->cdsResult.first(); !dialog->cdsResult.eof(); dialog->cdsResult.next())
      n += dialog->cdsResult.fieldByName("dzflag").asBoolean() ? 1 : 0;
    return n;
  };
  ASSERT_EQ(dialog->cdsResult.recordCount(), 3);
  // The header toggles to none after ticking all (tag 1), then to all again.
  const std::pair<const char*, int> clicks[] = {{"actselectall", 3},
                                                {"selectedHeaderClick", 0},
                                                {"selectedHeaderClick", 3},
                                                {"actunselectall", 0}};
  for (const auto& [action, expected] : clicks) {
    EXPECT_EQ(dialog->clickAction(action), host::Outcome::Done) << action;
    EXPECT_EQ(ticked(), expected) << action;
  }
}

}  // namespace
