// The customer statement's review (复核): only on an audited statement not being edited,
// only with the "_07" right; the ticked bills become reconciled and the others not,
// every touched bill's version rises, one log row is written; reconciled bills leave
// the statement selector until the statement is un-audited; a failing batch changes
// nothing and logs nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "host/services/t_auth.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_form.h"
#include "write_off_session.h"

namespace {

using core::Value;
using plugs::coreapp::khsk::Tkhdzkauditform;
using plugs::coreapp::khsk::Tkhdzkform;

class StatementReview : public write_off_test::WriteOffSession {
 protected:
  StatementReview() {
    registerOnce("1117", &plugs::coreapp::khsk::registerKhdzkForm);
    query("insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) "
          "values ('0001', 'XH003', '2026-11-09', 1, 1, 200, 1)");
    ui.setModalRunner([this](host::FormModel& form) { return play(form); });
  }

  //! An audited statement of XM001, XH001 and XH003, open in an editor.
  std::unique_ptr<Tkhdzkform> auditedStatement() {
    auto form = openEditor<Tkhdzkform>("1117");
    EXPECT_EQ(form->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(plugs::coreapp::kCustomer.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
    EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(offered(*form, {"XM001", "XH001", "XH003"}).size(), 3u);
    EXPECT_EQ(form->clickAction("actSave"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! Opens the statement selector on `form`, ticks `numbers` and returns every bill listed.
  std::vector<std::string> offered(Tkhdzkform& form, std::vector<std::string> numbers) {
    picks = std::move(numbers);
    listed.clear();
    form.clickAction("actDetail_Add");
    return listed;
  }

  int versionOf(const char* table, const char* number) {
    return static_cast<int>(
        scalar(std::string("select version from ") + table + " where billno = '" + number + "'").asInteger());
  }

  std::vector<std::string> reviewTicks;  //!< bills the review dialog ticks before confirming
  bool confirm = true;                   //!< the review dialog presses "确认对账"
  std::function<void()> beforeConfirm;   //!< runs in the open dialog before "确认对账"
  int reviews = 0;                       //!< review dialogs shown
  std::vector<std::string> listed;       //!< bills the last selector listed

 private:
  int play(host::FormModel& form) {
    if (auto* review = dynamic_cast<Tkhdzkauditform*>(&form)) return playReview(*review);
    auto* selector = dynamic_cast<plugs::coreapp::TWriteOffSelectForm*>(&form);
    if (selector == nullptr) return host::mrCancel;
    selector->control("cbck").text.clear();
    selector->clickAction("cxButton3");
    auto& rows = selector->cdsResult;
    for (rows.first(); !rows.eof(); rows.next()) listed.push_back(rows.fieldByName("hxbillno").asString());
    for (const std::string& no : picks) {
      if (!rows.locate("hxbillno", Value(no))) continue;
      rows.edit();
      rows.fieldByName("selected").setValue(Value(true));
      rows.post();
    }
    selector->clickAction("actok");
    return selector->ModalResult;
  }

  int playReview(Tkhdzkauditform& review) {
    ++reviews;
    for (const std::string& no : reviewTicks) {
      EXPECT_TRUE(review.cdsResult.locate("bizbillno", Value(no))) << no;
      review.cdsResult.edit();
      review.cdsResult.fieldByName("dzflag").setValue(Value(true));
      review.cdsResult.fieldByName("beizhu").setValue(Value(std::string("已确认 50%")));
      review.cdsResult.post();
    }
    if (beforeConfirm) beforeConfirm();
    if (confirm) review.clickAction("actok");
    return review.ModalResult == host::mrOK ? host::mrOK : host::mrCancel;
  }
};

TEST_F(StatementReview, TwoOfThreeTickedBillsBecomeReconciledAndTheReviewIsLogged) {
  auto form = auditedStatement();
  const int orderVersion = versionOf("vt_x_xmzzk", "XM001");
  const int unticked = versionOf("vt_c_spch", "XH001");
  reviewTicks = {"XM001", "XH003"};
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done) << lastEvent();

  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 1);
  EXPECT_EQ(scalar("select dzflag from vt_c_spch where billno = 'XH003'").asInteger(), 1);
  EXPECT_EQ(scalar("select dzflag from vt_c_spch where billno = 'XH001'").asInteger(), 0);
  EXPECT_EQ(versionOf("vt_x_xmzzk", "XM001"), orderVersion + 1);
  EXPECT_EQ(versionOf("vt_c_spch", "XH001"), unticked + 1);
  EXPECT_EQ(scalar("select status from vt_f_khdzk where billno = '" + form->billno + "'").asInteger(), 2);
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk_mx where beizhu = '已确认 50%'").asInteger(), 2);
  const auto log = query("select modulecode, billtype, billno, auditmsg, auditstate from vt_sys_billaudit_logs "
                         "where auditstate = '复核'");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0][0].asText(), "1117");
  EXPECT_EQ(log[0][1].asText(), "客户对账单");
  EXPECT_EQ(log[0][2].asText(), form->billno);
  EXPECT_EQ(log[0][3].asText(), "复核对账单");
  // Reloaded as reviewed; not reviewed twice.
  EXPECT_EQ(form->control("cxLabel3").text, "已复核");
  EXPECT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Disabled);
}

TEST_F(StatementReview, ReconciledBillsLeaveTheSelectorUntilTheStatementIsUnaudited) {
  auto form = auditedStatement();
  reviewTicks = {"XM001"};
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done) << lastEvent();

  auto next = openEditor<Tkhdzkform>("1117");
  ASSERT_EQ(next->clickAction("actAdd"), host::Outcome::Done);
  ui.queueLookup(plugs::coreapp::kCustomer.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
  ASSERT_EQ(next->clickControl("edtwldw"), host::Outcome::Done);
  EXPECT_EQ(offered(*next, {}), (std::vector<std::string>{"XH001", "XH003"}));

  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();  // un-audit
  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 0);
  const auto again = offered(*next, {});
  EXPECT_NE(std::find(again.begin(), again.end(), "XM001"), again.end());
}

TEST_F(StatementReview, DisabledOnADraftWhileEditingAndRefusedWithoutTheRight) {
  auto draft = openEditor<Tkhdzkform>("1117");
  ASSERT_EQ(draft->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(draft->clickAction("actdzkaudit"), host::Outcome::Disabled);  // editing, no row
  ui.queueLookup(plugs::coreapp::kCustomer.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
  ASSERT_EQ(draft->clickControl("edtwldw"), host::Outcome::Done);
  offered(*draft, {"XM001"});
  ASSERT_EQ(draft->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(draft->clickAction("actdzkaudit"), host::Outcome::Disabled);  // saved draft

  auto form = auditedStatement();
  host.rights.all = false;
  host.rights.codes = {"1117_01", "1117_02", "1117_03"};
  EXPECT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said(std::string(host::kNoRightText)));
  EXPECT_EQ(reviews, 0);
}

TEST_F(StatementReview, CancelOrAFailingBatchChangesAndLogsNothing) {
  auto form = auditedStatement();
  reviewTicks = {"XM001"};
  confirm = false;
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done);
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk_mx where dzflag = 1").asInteger(), 0);

  confirm = true;
  beforeConfirm = [this] {  // the batch's last statement fails when it runs (a view cannot be updated)
    query("drop table vt_c_spch");
    query("create view vt_c_spch as select id, dzflag, version from vt_x_xmzzk");
  };
  ASSERT_EQ(form->clickAction("actdzkaudit"), host::Outcome::Done);
  EXPECT_EQ(reviews, 2);
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk_mx where dzflag = 1").asInteger(), 0);
  EXPECT_EQ(scalar("select status from vt_f_khdzk where billno = '" + form->billno + "'").asInteger(), 1);
  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_sys_billaudit_logs where auditstate = '复核'").asInteger(), 0);
  EXPECT_EQ(form->control("cxLabel3").text, "已审核");
  EXPECT_TRUE(said("对账单复核失败"));
}

TEST_F(StatementReview, TickAllUntickAllAndTheHeaderToggle) {
  auto form = auditedStatement();
  auto dialog = host::makeForm<Tkhdzkauditform>(nullptr, form->billno);
  EXPECT_EQ(dialog->caption, "客户对账单复核对账");
  auto ticked = [&] {
    int n = 0;
    for (dialog->cdsResult.first(); !dialog->cdsResult.eof(); dialog->cdsResult.next())
      n += dialog->cdsResult.fieldByName("dzflag").asBoolean() ? 1 : 0;
    return n;
  };
  ASSERT_EQ(dialog->cdsResult.recordCount(), 3);
  EXPECT_EQ(dialog->clickAction("actselectall"), host::Outcome::Done);
  EXPECT_EQ(ticked(), 3);
  EXPECT_EQ(dialog->clickAction("selectedHeaderClick"), host::Outcome::Done);  // tag 1 after ticking all
  EXPECT_EQ(ticked(), 0);
  EXPECT_EQ(dialog->clickAction("selectedHeaderClick"), host::Outcome::Done);
  EXPECT_EQ(ticked(), 3);
  EXPECT_EQ(dialog->clickAction("actunselectall"), host::Outcome::Done);
  EXPECT_EQ(ticked(), 0);
}

}  // namespace
