// The host's services on a recording connection: rights, control rules and settings of
// the signed-in user; what the data services send and learn back; the host dialogs'
// stored choices; the scripted Ui's queued answers and transcript; SQL templates; the
// lookup plugs; and the same promises over the real embedded engine.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "dataset/client_data_set.h"
#include "db/embedded_connection.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_config_cache.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "services_test_host.h"

namespace {

using namespace host;
using core::Value;
using host_test::HostTest;

DialogReply answeredOK() {
  DialogReply r;
  r.result = mrOK;
  return r;
}

TEST_F(HostTest, RightsAreGrantedOnlyAsListedOrByStarAndARefusalSaysSo) {
  struct Case {
    bool all;
    std::set<std::string> codes;
    const char* asked;
    bool granted;
  } cases[] = {
      {true, {}, "1100_04", true},
      {false, {"1100_01"}, "1100_01", true},
      {false, {"1100_01"}, "1100_02", false},
      {false, {"1100"}, "1100_01", false},  // the root right does not imply its children
      {false, {}, "1100", false},
  };
  for (const Case& c : cases) {
    host.rights = {c.all, c.codes};
    EXPECT_EQ(TAuth::check(c.asked, 0), c.granted) << c.asked;
  }
  // A refusal shows the rights message, then aborts silently.
  host.rights = {false, {"1100_01"}};
  EXPECT_THROW(TAuth::requireRight("1100_03"), core::Abort);
  ASSERT_EQ(ui.transcript().size(), 1u);
  EXPECT_EQ(
      ui.transcript()[0],
      R"({"event":"message","type":2,"caption":"用户授权","text":"对不起，您没有该功能的操作权限，访问被拒绝。"})");

  EXPECT_NO_THROW(TAuth::requireRight("1100_01"));
  EXPECT_EQ(ui.transcript().size(), 1u);  // a granted right says nothing
}

TEST_F(HostTest, ControlRulesAndSettingsReadTheSession) {
  host.controlRules["maxjmje"] = "50";
  EXPECT_EQ(TAuth::controlRules("maxjmje"), "50");
  EXPECT_EQ(TAuth::controlRules("other"), "");

  struct Case {
    const char* text;
    bool isTrue;
  } cases[] = {{"1", true},  {"true", true}, {"True", true}, {"yes", true}, {"是", true},
               {"0", false}, {"", false},    {"2", false},   {"no", false}, {"false", false}};
  for (const Case& c : cases) {
    host.settings["zidongchuku"] = c.text;
    EXPECT_EQ(host::SysConfigCache().isTrue("zidongchuku"), c.isTrue) << c.text;
    EXPECT_EQ(host::SysConfigCache().get("zidongchuku"), c.text);
  }
  EXPECT_FALSE(host::SysConfigCache().isTrue("lxrzxuanze"));  // never set
}

TEST_F(HostTest, ExecSqlFailureKeepsTheRaisedMessageForLogAndUser) {
  conn.replyError("单据保存失败");
  EXPECT_FALSE(host::execSQL("begin tran ... commit"));
  EXPECT_EQ(host::lastExecSQLError(), "单据保存失败");
  ASSERT_FALSE(ui.logEntries().empty());
  EXPECT_EQ(ui.logEntries().back().second, "单据保存失败");

  EXPECT_TRUE(host::execSQL("select 1"));  // a later success forgets the failure
  EXPECT_EQ(host::lastExecSQLError(), "");
}

TEST_F(HostTest, StoreIdIsBoundWhenTheTextAsksForItAndNotGiven) {
  host::openDataJson("select * from t where orgid=:orgid and id=:id", {{"id", Value(3)}});
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].param("orgid"), Value("0001"));
  EXPECT_EQ(conn.batches[0].param("id"), Value(3));

  host::openDataJson("select * from t where orgid=:orgid", {{"orgid", Value("0009")}});
  EXPECT_EQ(conn.batches[1].param("orgid"), Value("0009"));  // the caller's value stands
  EXPECT_EQ(conn.batches[1].params.size(), 1u);

  host::execSQL("select 1");
  EXPECT_TRUE(conn.batches[2].params.empty());
}

TEST_F(HostTest, CheckBillVersionComparesTheStoredVersion) {
  conn.replyRows({"version"}, {{Value(3)}});
  EXPECT_TRUE(host::checkBillVersion("vt_x_xmzzk", 12, 3));
  EXPECT_EQ(conn.batches[0].sql, "select version from vt_x_xmzzk where id = :id");
  EXPECT_EQ(conn.batches[0].param("id"), Value(std::int64_t{12}));

  conn.replyRows({"version"}, {{Value(4)}});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 3));  // someone changed it
  conn.replyRows({"version"}, {});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 3));  // deleted meanwhile
  conn.replyRows({"version"}, {{Value()}});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 0));  // null is not version 0
}

TEST_F(HostTest, TableAndKeyNamesThatAreNotPlainNamesAreRefused) {
  EXPECT_THROW(host::checkBillVersion("t; drop table x", 1, 1), host::HostError);
  EXPECT_THROW(host::getDataById("vt_b_ygbmk", 1, "id=1 or 1"), host::HostError);
  EXPECT_TRUE(conn.batches.empty());
  host::getDataById("dbo.vt_b_ygbmk", 5, "id");
  EXPECT_EQ(conn.batches[0].sql, "select * from dbo.vt_b_ygbmk where id = :id");
}

TEST_F(HostTest, RowsBecomeJsonWithEveryValueAsText) {
  conn.replyRows({"id", "name", "dj", "k", "memo", "name"},
                 {{Value(1), Value("a\"b"), Value(core::Currency::fromRaw(125000)), Value(2.5),
                   Value(), Value("x")}});
  std::string json = host::openDataJson("select ...");
  // the second "name" is renamed as the toolkit names a repeated field
  EXPECT_EQ(json, R"([{"id":"1","name":"a\"b","dj":")" +
                      Value(core::Currency::fromRaw(125000)).asText() +
                      R"(","k":"2.5","memo":"","name_1":"x"}])");

  conn.replyError("Invalid object name 'nope'.");
  EXPECT_THROW(host::openDataJson("select * from nope"), host::HostError);
}

TEST_F(HostTest, NewIdUsesTheSessionSourceOrAFreshGuid) {
  std::string a = host::newid(), b = host::newid();
  EXPECT_EQ(a.size(), 36u);
  EXPECT_NE(a, b);
  int n = 0;
  host.idSource = [&n] { return "ID" + std::to_string(++n); };
  EXPECT_EQ(host::newid(), "ID1");
  EXPECT_EQ(host::newid(), "ID2");
}

TEST_F(HostTest, DefaultCustomerIsStoredForTheOutletOnlyWhenChosen) {
  DialogReply r = answeredOK();
  r.kh_id = 42;
  ui.queueDialog("Tckbmkdefkhinfoform", r);
  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrOK);
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].param("kh_id"), core::Value(std::int64_t{42}));
  EXPECT_EQ(conn.batches[0].param("ck_id"), core::Value(std::int64_t{3}));
  EXPECT_EQ(conn.batches[0].param("orgid"), core::Value("0001"));

  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrCancel);  // unqueued: closed
  EXPECT_EQ(conn.batches.size(), 1u);

  r.kh_id = 7;
  ui.queueDialog("Tckbmkdefkhinfoform", r);
  conn.replyError("UPDATE failed");
  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrCancel);  // not stored: do not go on
  EXPECT_NE(ui.transcript().back().find("默认客户保存失败：UPDATE failed"), std::string::npos);
}

TEST_F(HostTest, BillOptionsAndReasonsComeBackFromTheDialogs) {
  DialogReply r = answeredOK();
  r.values = {{"newbill", "1"}, {"config", "{\"data\":{}}"}};
  ui.queueDialog("Tbilloptionsform", r);
  EXPECT_EQ(showBillOptions(nullptr, "{}", "1120"), mrOK);
  EXPECT_EQ(host.billOptionsOf("1120").newbill, "1");
  EXPECT_EQ(host.plugInfo["1120"], "{\"data\":{}}");
  EXPECT_EQ(host.billOptionsOf("1121").newbill, "0");

  std::string reason = "unchanged";
  EXPECT_FALSE(askReason(nullptr, "作废", reason));
  EXPECT_EQ(reason, "unchanged");
  r = answeredOK();
  r.text = "客户取消";
  ui.queueDialog("TAuditingDataForm", r);
  EXPECT_TRUE(askReason(nullptr, "作废", reason));
  EXPECT_EQ(reason, "客户取消");
}

TEST_F(HostTest, MessageBoxesAnswerFromTheQueueOrWithOk) {
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

TEST_F(HostTest, LookupReturnsQueuedRowsCompletedFromTheCandidates) {
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

TEST_F(HostTest, HostDialogsCloseWithTheQueuedReplyOrCancel) {
  DialogReply reply;
  reply.result = mrOK;
  reply.text = "客户要求";
  ui.queueDialog("TAuditingDataForm", reply);
  EXPECT_EQ(ui.hostDialog("TAuditingDataForm", {}).text, "客户要求");
  EXPECT_EQ(ui.hostDialog("TAuditingDataForm", {}).result, mrCancel);
  EXPECT_EQ(ui.transcript()[0], R"({"event":"dialog","class":"TAuditingDataForm","result":1})");
  EXPECT_EQ(ui.transcript()[1], R"({"event":"dialog","class":"TAuditingDataForm","result":2})");
}

TEST_F(HostTest, DrawerLogAndPrintEvents) {
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

TEST_F(HostTest, FailingDrawerCommandIsReportedAndNotCountedAsOpen) {
  host.moneyBoxCommand = "exit 3";
  openMoneyBox();
  ASSERT_EQ(ui.transcript().size(), 1u);
  EXPECT_NE(ui.transcript()[0].find(R"("type":1)"), std::string::npos);
  host.moneyBoxCommand = "true";
  openMoneyBox();
  EXPECT_EQ(ui.transcript().back(), R"({"event":"drawer"})");
}

TEST_F(HostTest, StoreIdBecomesAQuotedLiteralAndOtherMarkersStay) {
  struct Case {
    const char* orgid;
    const char* sql;
    const char* expected;
  } cases[] = {
      {"0001", "select * from t where orgid=:orgid", "select * from t where orgid='0001'"},
      {"0001", "where orgid = :orgid and billno=:billno and x=%d",
       "where orgid = '0001' and billno=:billno and x=%d"},
      // a quote in the store id is doubled: the literal cannot end early
      {"A'B", "where orgid=:orgid", "where orgid='A''B'"},
      {"1", "exec p @orgid=:orgid,@b=:orgid", "exec p @orgid='1',@b='1'"},
      // a longer marker that merely starts with :orgid is someone else's
      {"1", "x=:orgid2 and y=:orgid_x and z=:orgid)", "x=:orgid2 and y=:orgid_x and z='1')"},
      {"1", "no markers", "no markers"},
  };
  for (const Case& c : cases) {
    host.login.orgid = c.orgid;
    EXPECT_EQ(sqlTemplate(c.sql), c.expected) << c.sql;
  }
}

TEST_F(HostTest, KeyOfThePlugConfigurationOrItsDefaultYieldsItsText) {
  host.plugInfo["1100"] =
      R"({"sqltemplates":{"hist":"select 1 where orgid=:orgid"},
          "data":{"master":{"sql":"select * from vt_x_xmzzk where orgid=:orgid and billno=:billno"}}})";
  EXPECT_EQ(sqlTemplate("hist", "1100"), "select 1 where orgid='0001'");
  EXPECT_EQ(sqlTemplate("data.master.sql", "1100"),
            "select * from vt_x_xmzzk where orgid='0001' and billno=:billno");
  // not a key of the document (or no plug named): the text is SQL itself
  EXPECT_EQ(sqlTemplate("data.detail.sql", "1100"), "data.detail.sql");
  EXPECT_EQ(sqlTemplate("hist"), "hist");
  EXPECT_EQ(sqlTemplate("select :orgid", "1100"), "select '0001'");
  // Default documents answer when the session has none.
  host.defaultPlugInfo = [](std::string_view code) {
    return code == "1120" ? std::string(R"({"sqltemplates":{"k":"select :orgid"}})")
                          : std::string();
  };
  EXPECT_EQ(sqlTemplate("k", "1120"), "select '0001'");
  EXPECT_EQ(host::getplugInfo("1121"), "");
  host.plugInfo["1120"] = "{}";  // the user's own document wins over the default
  EXPECT_EQ(sqlTemplate("k", "1120"), "k");
}

// Lookup plugs: the filter text is bound, never written into the query; the Ui chooses
// among what the query found.
class LookupPlugTest : public HostTest {
 protected:
  void SetUp() override {
    plugsPool().clear();
    registerHostPlugs();
  }
  void TearDown() override { plugsPool().clear(); }

  std::string select(const std::string& caption, const std::string& filter,
                     const std::string& options = "") {
    TPlugItem* item = plugsPool().plugbyName(caption);
    if (item == nullptr) throw std::logic_error("no plug " + caption);
    return item->selectData(nullptr, filter, options);
  }
};

TEST_F(LookupPlugTest, EveryCaptionIsRegisteredOnce) {
  registerHostPlugs();  // a second call adds nothing
  for (const std::string& caption : hostLookupCaptions()) {
    ASSERT_NE(plugsPool().plugbyName(caption), nullptr) << caption;
    EXPECT_TRUE(isHostPlug(caption));
  }
  EXPECT_EQ(plugsPool().items().size(), hostLookupCaptions().size() + 2);  // + 新客户, 新供应商
  EXPECT_NE(plugsPool().plugbyName("新客户"), nullptr);
  EXPECT_FALSE(isHostPlug("项目订单"));
}

TEST_F(LookupPlugTest, FilterWithAQuoteIsBoundNotWrittenIntoTheText) {
  for (const std::string& caption :
       {std::string("服务项目查询"), std::string("商品信息查询"), std::string("员工信息查询"),
        std::string("客户会员查询"), std::string("供应商信息查询")}) {
    conn.batches.clear();
    select(caption, "a'b");
    ASSERT_EQ(conn.batches.size(), 1u) << caption;
    EXPECT_EQ(conn.batches[0].sql.find("a'b"), std::string::npos) << caption;
    EXPECT_EQ(conn.batches[0].param("key"), core::Value("a'b"));
    EXPECT_EQ(conn.batches[0].param("pat"), core::Value("%a'b%"));
    EXPECT_EQ(conn.batches[0].param("orgid"), core::Value("0001"));
  }
}

TEST_F(LookupPlugTest, MultiOptionAndCandidatesReachTheUi) {
  struct Spy : ScriptedUi {
    LookupRequest seen;
    std::string lookup(const LookupRequest& r) override {
      seen = r;
      return R"([{"id":"1"}])";
    }
  } spy;
  host.ui = &spy;
  conn.replyRows({"id", "code", "name"}, {{core::Value(1), core::Value("001"), core::Value("王")}});
  EXPECT_EQ(select("员工信息查询", "", R"({"model":"multi"})"), R"([{"id":"1"}])");
  EXPECT_TRUE(spy.seen.multi);
  EXPECT_EQ(spy.seen.candidates.rows.size(), 1u);
  select("员工信息查询", "", "");
  EXPECT_FALSE(spy.seen.multi);
  select("客户联系人查询", "12");  // the filter is the customer id
  EXPECT_EQ(conn.batches.back().param("kh_id"), core::Value(std::int64_t{12}));
  select("客户联系人查询", "x");  // not a number: no customer
  EXPECT_EQ(conn.batches.back().param("kh_id"), core::Value(std::int64_t{0}));
}

TEST_F(LookupPlugTest, RequirementsLookupGivesTheChosenTextsOneALine) {
  ui.queueLookup("制作要求查询", R"([{"id":"1","name":"覆亮膜"},{"id":"2","name":"打孔"}])");
  EXPECT_EQ(select("制作要求查询", ""), "覆亮膜\r\n打孔");
  EXPECT_EQ(select("制作要求查询", ""), "");  // cancelled
}

TEST_F(LookupPlugTest, NewCustomerAddsTheEnteredRow) {
  DialogReply reply;
  reply.result = mrOK;
  reply.values = {{"code", "C9"}, {"name", "新店's"}, {"tel", "123"}};
  ui.queueDialog("Tkhbmkeditform", reply);
  plugsPool().plugbyName("新客户")->create(nullptr, "");
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].sql.find("新店"), std::string::npos);
  EXPECT_EQ(conn.batches[0].param("name"), core::Value("新店's"));
  EXPECT_EQ(conn.batches[0].param("code"), core::Value("C9"));

  reply.values = {};
  reply.text = "只有名称";  // a dialog answered with one text gives the name
  ui.queueDialog("Tgysbmkeditform", reply);
  plugsPool().plugbyName("新供应商")->create(nullptr, "");
  ASSERT_EQ(conn.batches.size(), 3u);  // the next free code, then the insert
  EXPECT_EQ(conn.batches[2].param("name"), core::Value("只有名称"));
  EXPECT_EQ(conn.batches[2].param("code"), core::Value("GYS0001"));  // empty table: id 1

  reply.text.clear();
  reply.values = {{"code", "C10"}};  // no name: refused before anything is written
  ui.queueDialog("Tkhbmkeditform", reply);
  plugsPool().plugbyName("新客户")->create(nullptr, "");
  EXPECT_EQ(conn.batches.size(), 3u);
  EXPECT_NE(ui.transcript().back().find("请输入客户名称"), std::string::npos);
}

// Over the real embedded engine: what the services promise holds for the SQL it runs.
class EngineServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"A'B", "A", 1, 7, "001", "王敏"};
    run("create table vt_b_xmbmk (id int identity(1,1) primary key, orgid varchar(20), code "
        "varchar(50),"
        " name varchar(200), itemno varchar(100), price_sale money default 0, isort int default 0,"
        " isdel bit default 0)");
    run("insert into vt_b_xmbmk(orgid, code, name, itemno, price_sale) values"
        "('A''B', 'X01', 'O''Brien写真', '', 12.5), ('A''B', 'X02', '喷绘', '', 3),"
        "('0002', 'X03', 'O''Brien其它店', '', 1)");
    run("create table vt_x_bill (id int identity(1,1) primary key, orgid varchar(20), version "
        "int)");
    run("insert into vt_x_bill(orgid, version) values('A''B', 2)");
    host::plugsPool().clear();
    host::registerHostPlugs();
  }
  void TearDown() override { host::plugsPool().clear(); }

  void run(const std::string& sql) {
    db::BatchResult r = conn.execBatch(sql, {});
    ASSERT_TRUE(r.ok()) << r.errorMessage() << "\n" << sql;
  }
  std::int64_t count(const std::string& table) {
    db::BatchResult r = conn.execBatch("select count(*) from " + table, {});
    return r.ok() ? r.resultSets.back().rows.front().front().asInteger() : -1;
  }

  db::EmbeddedConnection conn{":memory:"};
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

TEST_F(EngineServicesTest, LookupFilterWithAQuoteFindsTheRowAndChangesNothing) {
  struct Spy : host::ScriptedUi {
    tsql::ResultSet seen;
    std::string lookup(const host::LookupRequest& r) override {
      seen = r.candidates;
      return "";
    }
  } spy;
  host.ui = &spy;
  auto* plug = host::plugsPool().plugbyName("服务项目查询");
  plug->selectData(nullptr, "O'Brien", "");
  ASSERT_EQ(spy.seen.rows.size(), 1u);  // the other store's row stays out
  EXPECT_EQ(spy.seen.rows[0][3], Value("O'Brien写真"));

  plug->selectData(nullptr, "x'; delete from vt_b_xmbmk; --", "");
  EXPECT_TRUE(spy.seen.rows.empty());
  EXPECT_EQ(count("vt_b_xmbmk"), 3);

  plug->selectData(nullptr, "", "");
  EXPECT_EQ(spy.seen.rows.size(), 2u);  // no filter: the whole store
}

TEST_F(EngineServicesTest, TemplatedStoreIdWithAQuoteSelectsTheStore) {
  std::string json = host::openDataJson(
      host::sqlTemplate("select code from vt_b_xmbmk where orgid = :orgid order by code"));
  EXPECT_EQ(json, R"([{"code":"X01"},{"code":"X02"}])");
  dataset::ClientDataSet ds("cds");
  host::openDataToCDS(
      ds, "select code, price_sale from vt_b_xmbmk where orgid = :orgid and code = :code",
      {{"code", Value("X01")}});
  ASSERT_EQ(ds.recordCount(), 1);
  EXPECT_EQ(ds.fieldByName("price_sale").asCurrency(), core::Currency::fromRaw(125000));
}

TEST_F(EngineServicesTest, ExecSqlKeepsTheRaisedMessageAndVersionCheckReadsTheRow) {
  EXPECT_FALSE(
      host::execSQL("begin tran\nupdate vt_x_bill set version = version + 1\n"
                    "raiserror('单据保存失败', 16, 1)\nrollback tran"));
  EXPECT_EQ(host::lastExecSQLError(), "单据保存失败");
  EXPECT_TRUE(host::checkBillVersion("vt_x_bill", 1, 2));
  EXPECT_TRUE(host::execSQL("update vt_x_bill set version = version + 1 where id = 1"));
  EXPECT_FALSE(host::checkBillVersion("vt_x_bill", 1, 2));
  EXPECT_TRUE(host::checkBillVersion("vt_x_bill", 1, 3));
  EXPECT_FALSE(host::checkBillVersion("vt_x_bill", 99, 3));
}

}  // namespace
