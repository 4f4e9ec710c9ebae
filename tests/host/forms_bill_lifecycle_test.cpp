// The bill editor base driven through a whole bill life on the embedded engine: the
// order in which it calls a subclass's hooks, the rights each action needs, the version
// guards of audit and print, and an audit whose extra SQL fails.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "forms_test_database.h"
#include "host/forms/page_control.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"

namespace {

using host::Outcome;
using host::TDemoBillForm;

// The demonstration bill with every hook writing its name into a log first.
class HookLogBill : public TDemoBillForm {
 public:
  using TDemoBillForm::TDemoBillForm;
  std::vector<std::string> log;
  std::string extraAuditSql;  // replaces the audit's extra SQL when set
  std::function<void()> beforeAuditSql;
  std::function<void()> beforeSave;  // runs once the save is confirmed, before its batch

  void BeforeAppend() override { note("BeforeAppend"), TDemoBillForm::BeforeAppend(); }
  bool CheckBillError(std::string& m) override { return note("CheckBillError"), TDemoBillForm::CheckBillError(m); }
  void fillMasterData() override { note("fillMasterData"), TDemoBillForm::fillMasterData(); }
  void OpenBillData(const std::string& n) override { note("OpenBillData"), TDemoBillForm::OpenBillData(n); }
  int Insert_() override { return note("Insert_"), TDemoBillForm::Insert_(); }
  int Update_() override {
    note("Update_");
    if (beforeSave) beforeSave();
    return TDemoBillForm::Update_();
  }
  int delete_() override { return note("delete_"), TDemoBillForm::delete_(); }
  int AuditingData_0() override { return note("AuditingData_0"), TDemoBillForm::AuditingData_0(); }
  int AuditingData_1() override { return note("AuditingData_1"), TDemoBillForm::AuditingData_1(); }
  void opendataEx(const std::string& n) override { note("opendataEx"), TDemoBillForm::opendataEx(n); }
  void ComponentReadOnly(bool ro) override {
    note(ro ? "ComponentReadOnly(true)" : "ComponentReadOnly(false)"), TDemoBillForm::ComponentReadOnly(ro);
  }
  void cdsMasterAfterInsert(dataset::ClientDataSet& ds) override {
    note("cdsMasterAfterInsert"), TDemoBillForm::cdsMasterAfterInsert(ds);
  }
  void actEditExecute(host::Action& a) override { note("actEditExecute"), TDemoBillForm::actEditExecute(a); }
  void generateSqlAuditing_1(std::string& sql) override {
    note("generateSqlAuditing_1");
    TDemoBillForm::generateSqlAuditing_1(sql);
    if (!extraAuditSql.empty()) sql = extraAuditSql;
    if (beforeAuditSql) beforeAuditSql();
  }
  void generateSqlAuditing_0(std::string& sql) override {
    note("generateSqlAuditing_0"), TDemoBillForm::generateSqlAuditing_0(sql);
  }

  //! The log since the last call, one hook per line.
  std::string take() {
    std::string out;
    for (const std::string& s : log) out += s + "\n";
    log.clear();
    return out;
  }

 private:
  void note(const char* hook) { log.push_back(hook); }
};

class BillLifeTest : public forms_test::FormsTest {
 protected:
  BillLifeTest() {
    item.code = "9901";
    item.caption = "演示单据";
    form = host::makeForm<HookLogBill>(nullptr, &item);
    form->OpenBillData("");
    form->take();
  }

  // A new bill with one line of goods 1 (12.5 each, quantity 2) from supplier 1.
  void enterNewBill() {
    ASSERT_EQ(form->clickAction("actAdd"), Outcome::Done);
    form->control("edtwldw").tag = 1;
    form->SelectedxmbmkToDetail(R"([{"id":"1","code":"S01","name":"铜版纸","itemno":"A4","baseunit":"包","pricein":"12.5"}])");
    form->cdsDetail.edit();
    form->cdsDetail.fieldByName("sl").setValue(core::Value(2.0));
    form->cdsDetail.post();
  }

  void saveNewBill() {
    enterNewBill();
    ASSERT_EQ(form->clickAction("actSave"), Outcome::Done);
    ASSERT_TRUE(form->hasBill());
  }

  std::string lastEvent() const { return ui.transcript().empty() ? "" : ui.transcript().back(); }

  //! The stored bill's "status/version".
  std::string statusAndVersion() {
    return scalar("select cast(status as varchar(5)) + '/' + cast(version as varchar(5)) from vt_c_qtrk");
  }

  host::TPlugItem item;
  std::unique_ptr<HookLogBill> form;
};

TEST_F(BillLifeTest, HooksRunInTheOrderSubclassesRelyOn) {
  form->OpenBillData("");
  EXPECT_EQ(form->take(), "OpenBillData\nopendataEx\nComponentReadOnly(true)\n");

  enterNewBill();
  EXPECT_EQ(form->take(), "cdsMasterAfterInsert\nBeforeAppend\nComponentReadOnly(false)\n");

  ASSERT_EQ(form->clickAction("actSave"), Outcome::Done);
  EXPECT_EQ(form->take(),
            "CheckBillError\nInsert_\nOpenBillData\nopendataEx\nfillMasterData\nComponentReadOnly(true)\n");

  ASSERT_EQ(form->clickAction("actEdit"), Outcome::Done);
  EXPECT_EQ(form->take(), "actEditExecute\nComponentReadOnly(false)\n");
  form->cdsMaster.edit();
  form->cdsMaster.fieldByName("zy").setValue(core::Value("改过"));
  ASSERT_EQ(form->clickAction("actSave"), Outcome::Done);
  EXPECT_EQ(form->take(),
            "CheckBillError\nUpdate_\nOpenBillData\nopendataEx\nfillMasterData\nComponentReadOnly(true)\n");

  ASSERT_EQ(form->clickAction("actAudit"), Outcome::Done);
  EXPECT_EQ(form->take(),
            "AuditingData_1\ngenerateSqlAuditing_1\nOpenBillData\nopendataEx\nfillMasterData\nComponentReadOnly(true)\n");
  ASSERT_EQ(form->clickAction("actAudit_0"), Outcome::Done);
  EXPECT_EQ(form->take(),
            "AuditingData_0\ngenerateSqlAuditing_0\nOpenBillData\nopendataEx\nfillMasterData\nComponentReadOnly(true)\n");
  ASSERT_EQ(form->clickAction("actDel"), Outcome::Done);
  EXPECT_EQ(form->take(), "delete_\nOpenBillData\nopendataEx\nComponentReadOnly(true)\n");
}

TEST_F(BillLifeTest, SavedBillCarriesTheIssuedNumberLinesAndTotal) {
  saveNewBill();
  EXPECT_EQ(form->billno, "A9901-1");
  EXPECT_EQ(scalar("select count(*) from vt_c_qtrk_mx where billno = 'A9901-1'"), "1");
  EXPECT_EQ(scalar("select hjje from vt_c_qtrk where billno = 'A9901-1'"), "25");
  EXPECT_EQ(form->cdsMaster.fieldByName("gys_name").asString(), "华美纸业");
  EXPECT_FALSE(form->editMode);
  EXPECT_EQ(ui.transcript().back(),
            R"({"event":"message","type":3,"caption":"提示","text":"是否确认保存该单据？","answer":"OK"})");
}

TEST_F(BillLifeTest, SaveIsRefusedWithoutLinesOrSupplierAndWhenNotConfirmed) {
  ASSERT_EQ(form->clickAction("actAdd"), Outcome::Done);
  EXPECT_EQ(form->clickAction("actSave"), Outcome::Aborted);
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"单据无明细，不能保存"})");
  ASSERT_EQ(form->clickAction("actCancel"), Outcome::Done);

  enterNewBill();
  form->control("edtwldw").tag = 0;
  EXPECT_EQ(form->clickAction("actSave"), Outcome::Aborted);
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"请选择往来单位."})");

  form->control("edtwldw").tag = 1;
  ui.queueAnswer(host::mrCancel);
  EXPECT_EQ(form->clickAction("actSave"), Outcome::Aborted);
  EXPECT_EQ(scalar("select count(*) from vt_c_qtrk"), "0");
  EXPECT_TRUE(form->editMode);
}

TEST_F(BillLifeTest, EveryGuardedActionNeedsItsRight) {
  struct Case {
    const char* action;
    const char* right;
    bool needsAuditedBill;
  } cases[] = {{"actAdd", "9901_01", false},   {"actEdit", "9901_02", false},
               {"actDel", "9901_03", false},   {"actAudit", "9901_04", false},
               {"actAudit_0", "9901_05", true}, {"actPrint", "9901_06", false}};
  saveNewBill();
  std::set<std::string> all;
  for (const Case& c : cases) all.insert(c.right);
  for (const Case& c : cases) {
    host.rights = {true, {}};
    if (c.needsAuditedBill) {
      ASSERT_EQ(form->clickAction("actAudit"), Outcome::Done);
    }
    std::set<std::string> granted = all;
    granted.erase(c.right);
    host.rights = {false, granted};
    std::string before = statusAndVersion();
    EXPECT_EQ(form->clickAction(c.action), Outcome::Aborted) << c.action;
    EXPECT_EQ(lastEvent(),
              R"({"event":"message","type":2,"caption":"用户授权","text":"对不起，您没有该功能的操作权限，访问被拒绝。"})")
        << c.action;
    EXPECT_EQ(statusAndVersion(), before) << c.action;
    EXPECT_FALSE(form->editMode) << c.action;
    host.rights = {true, {}};
    if (c.needsAuditedBill) {
      ASSERT_EQ(form->clickAction("actAudit_0"), Outcome::Done);
    }
  }
}

TEST_F(BillLifeTest, AuditAndUnAuditMoveStatusMarksAndVersionTogether) {
  saveNewBill();
  ASSERT_EQ(form->clickAction("actAudit"), Outcome::Done);
  EXPECT_EQ(scalar("select cast(status as varchar(5)) + '/' + cast(shy_id as varchar(5)) + '/' + cast(version as varchar(5)) from vt_c_qtrk"),
            "1/1/1");
  EXPECT_EQ(scalar("select count(*) from vt_sys_billaudit_logs where auditstate = '审核'"), "1");
  // One button reads 草稿, the un-audit; the audit action keeps its caption and rests.
  form->updateActions();
  EXPECT_EQ(form->action("actAudit").caption, "审核");
  EXPECT_EQ(form->action("actAudit_0").caption, "草稿");
  EXPECT_TRUE(form->action("actAudit_0").visible);
  EXPECT_EQ(form->clickAction("actAudit"), Outcome::Disabled);
  EXPECT_EQ(form->clickAction("actEdit"), Outcome::Disabled);
  EXPECT_EQ(form->clickAction("actDel"), Outcome::Disabled);

  ASSERT_EQ(form->clickAction("actAudit_0"), Outcome::Done);
  EXPECT_EQ(scalar("select cast(status as varchar(5)) + '/' + cast(shy_id as varchar(5)) + '/' + cast(version as varchar(5)) from vt_c_qtrk"),
            "0/0/2");
  // Both ran the database's audit procedure for this bill, audit first.
  EXPECT_EQ(scalar("select min(orgid + '/' + category + '/' + billno + '/' + cast(audit as varchar(1))) + ' ' + "
                   "max(orgid + '/' + category + '/' + billno + '/' + cast(audit as varchar(1))) from stock_audit_calls"),
            "0001/9901/" + form->billno + "/0 0001/9901/" + form->billno + "/1");
  EXPECT_EQ(scalar("select count(*) from vt_c_qtrk where auditdate is null"), "1");
}

TEST_F(BillLifeTest, AuditWhoseExtraSqlFailsChangesNothing) {
  saveNewBill();
  // a run-time error the batch's CATCH sees (an unknown table would pass it by)
  form->extraAuditSql = "insert into vt_c_qtrk(billno) values(cast('x' as int))";
  EXPECT_EQ(form->clickAction("actAudit"), Outcome::Aborted);
  EXPECT_EQ(statusAndVersion(), "0/0");
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"单据审核失败"})");
}

TEST_F(BillLifeTest, StaleBillIsReloadedBeforeAuditAndPrint) {
  saveNewBill();
  for (const char* act : {"actAudit", "actPrint", "actEdit"}) {
    ASSERT_TRUE(conn.execBatch("update vt_c_qtrk set version = version + 1, zy = '别人改的'").ok());
    EXPECT_EQ(form->clickAction(act), Outcome::Aborted) << act;
    EXPECT_EQ(lastEvent(),
              R"({"event":"message","type":2,"caption":"提示","text":"当前数据状态已改变，已为您刷新数据，请重试."})")
        << act;
    EXPECT_EQ(form->cdsMaster.fieldByName("zy").asString(), "别人改的") << act;  // reloaded
    EXPECT_EQ(scalar("select status from vt_c_qtrk"), "0") << act;
  }
}

TEST_F(BillLifeTest, AuditBatchGuardCatchesAChangeAfterTheCheck) {
  saveNewBill();
  form->beforeAuditSql = [this] { conn.execBatch("update vt_c_qtrk set version = version + 1"); };
  EXPECT_EQ(form->clickAction("actAudit"), Outcome::Aborted);
  EXPECT_EQ(lastEvent(),
            R"({"event":"message","type":2,"caption":"提示","text":"当前数据状态已改变，请刷新后重试."})");
  EXPECT_EQ(statusAndVersion(), "0/1");
}

// Two windows edit one bill; the other one saves quantity 25 while this one holds 30,
// either before this one's save or between its check and its batch. The save of 30 is
// refused and writes nothing, this window keeps showing 30 until the clerk reloads,
// and a second try stays refused until then.
TEST_F(BillLifeTest, SaveNeverOverwritesASaveMadeSinceTheWindowReadTheBill) {
  saveNewBill();
  auto other = host::makeForm<HookLogBill>(nullptr, &item);
  auto typeQuantity = [](HookLogBill& window, double sl) {
    ASSERT_EQ(window.clickAction("actEdit"), Outcome::Done);
    window.cdsDetail.edit();
    window.cdsDetail.fieldByName("sl").setValue(core::Value(sl));
    window.cdsDetail.post();
  };
  const std::string stale =
      R"({"event":"message","type":2,"caption":"提示","text":"当前数据状态已改变，已为您刷新数据，请重试."})";
  for (const bool insideTheSave : {false, true}) {
    SCOPED_TRACE(insideTheSave ? "saved inside this save" : "saved before this save");
    other->OpenBillData(form->billno);
    typeQuantity(*form, 30);
    typeQuantity(*other, 25);
    auto otherSaves = [&] { ASSERT_EQ(other->clickAction("actSave"), Outcome::Done); };
    if (insideTheSave) {
      form->beforeSave = otherSaves;
      ui.queueAnswer(host::mrOK);  // this window's save confirmation
      ui.queueAnswer(host::mrOK);  // the other window's, asked inside it
    } else {
      otherSaves();
    }
    ui.queueAnswer(host::mrCancel);  // keep the edits instead of reloading
    const std::size_t mark = ui.transcript().size();
    EXPECT_EQ(form->clickAction("actSave"), Outcome::Aborted);
    EXPECT_EQ(std::count(ui.transcript().begin() + mark, ui.transcript().end(), stale), 1);
    EXPECT_EQ(scalar("select cast(sl as int) from vt_c_qtrk_mx"), "25");
    EXPECT_TRUE(form->editMode);
    EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 30);
    form->beforeSave = nullptr;

    ui.queueAnswer(host::mrOK);  // the second try: reload this time
    EXPECT_EQ(form->clickAction("actSave"), Outcome::Aborted);
    EXPECT_EQ(scalar("select cast(sl as int) from vt_c_qtrk_mx"), "25");
    EXPECT_FALSE(form->editMode);
    EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 25);
  }
}

TEST_F(BillLifeTest, ActionsFollowEditModeAndNewBillsStampTheirWorkingNumber) {
  auto enabled = [this] {
    std::string out;
    for (const host::ActionView& a : form->describe().actions)
      if (a.enabled) out += a.name + " ";
    return out;
  };
  EXPECT_EQ(enabled(), "actclose actAdd actprev actnext actlist ");
  ASSERT_EQ(form->clickAction("actAdd"), Outcome::Done);
  EXPECT_EQ(enabled(), "actclose actSave actCancel actDetail_Add ");
  EXPECT_TRUE(form->control("edtzy").readOnly == false);
  ASSERT_EQ(form->clickAction("actCancel"), Outcome::Done);
  EXPECT_FALSE(form->editMode);
  EXPECT_TRUE(form->control("edtzy").readOnly);
  EXPECT_TRUE(form->control("edthjje").readOnly);
  // A new bill stamps its working number on header and lines.
  enterNewBill();
  const std::string work = form->workBillno;
  EXPECT_FALSE(work.empty());
  EXPECT_EQ(form->cdsMaster.fieldByName("billno").asString(), work);
  EXPECT_EQ(form->cdsDetail.fieldByName("billno").asString(), work);
  EXPECT_EQ(form->cdsDetail.fieldByName("orgid").asString(), "0001");
  EXPECT_FALSE(form->cdsDetail.fieldByName("uid").asString().empty());
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), core::Currency::fromInt(25));
}

}  // namespace

// Cancel and close never drop typed edits silently: the clerk saves, discards or stays.
TEST_F(BillLifeTest, UnsavedEditsAskBeforeCancelOrClose) {
  const std::string ask =
      R"({"event":"message","type":3,"caption":"提示","text":"单据未保存，是否保存？","answer":)";
  ASSERT_EQ(form->clickAction("actAdd"), Outcome::Done);
  EXPECT_FALSE(form->hasUnsavedChanges());  // only the defaults: nothing to lose
  ASSERT_EQ(form->clickAction("actCancel"), Outcome::Done);

  enterNewBill();
  ui.queueAnswer(host::mrCancel);  // stay
  EXPECT_EQ(form->clickAction("actCancel"), Outcome::Aborted);
  EXPECT_EQ(lastEvent(), ask + R"("Cancel"})");
  EXPECT_TRUE(form->editMode);
  EXPECT_EQ(form->cdsDetail.recordCount(), 1);
  ui.queueAnswer(host::mrCancel);
  EXPECT_EQ(form->clickAction("actclose"), Outcome::Aborted);
  EXPECT_FALSE(form->isClosed());

  ui.queueAnswer(host::mrNo);  // discard
  EXPECT_EQ(form->clickAction("actCancel"), Outcome::Done);
  EXPECT_FALSE(form->editMode);
  EXPECT_EQ(scalar("select count(*) from vt_c_qtrk"), "0");

  enterNewBill();
  ui.queueAnswer(host::mrYes);  // save, then close
  ui.queueAnswer(host::mrOK);   // the save's own confirmation
  EXPECT_EQ(form->clickAction("actclose"), Outcome::Done);
  EXPECT_TRUE(form->isClosed());
  EXPECT_EQ(scalar("select count(*) from vt_c_qtrk_mx"), "1");
}

TEST_F(BillLifeTest, RefusedSaveOnCloseKeepsTheBillOpen) {
  enterNewBill();
  form->control("edtwldw").tag = 0;  // no supplier: the save is refused
  ui.queueAnswer(host::mrYes);
  EXPECT_EQ(form->clickAction("actclose"), Outcome::Aborted);
  EXPECT_FALSE(form->isClosed());
  EXPECT_TRUE(form->editMode);
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"请选择往来单位."})");
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("sl").setValue(core::Value(3.0));  // typed, not yet posted
  EXPECT_TRUE(form->hasUnsavedChanges());
}

// A bill editor a form opens from its own action lands in the page control, which tells
// the shell of it as it is added (once), so it shows without waiting for a ribbon click.
TEST_F(BillLifeTest, APageOpenedFromAFormsActionIsAnnounced) {
  saveNewBill();
  item.formClass = {
      "HookLogBill", [this](host::Owner owner) {
        return std::unique_ptr<host::FormModel>(std::make_unique<HookLogBill>(owner, &item));
      }};
  item.creator = host::billEditorCreator();
  std::vector<host::TBaseForm*> announced;
  host::PageControl().onPageAdded = [&](host::TBaseForm& page) { announced.push_back(&page); };
  form->addAction("actAgain", "再开本单").onExecute = [this](host::Action&) {
    item.create(form.get(), form->billno);
  };
  EXPECT_EQ(form->clickAction("actAgain"), Outcome::Done) << lastEvent();
  host::PageControl().onPageAdded = nullptr;
  ASSERT_EQ(announced.size(), 1u);
  ASSERT_EQ(announced.front(), host::PageControl().activePage());
  EXPECT_EQ(dynamic_cast<HookLogBill&>(*announced.front()).billno,
            form->billno);  // opened by its creator
}
