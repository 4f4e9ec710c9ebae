// The shell's session: the demo database made on first start (and a missing chosen
// file refused, by the sign-in window too; an older file upgraded), the login lists
// read from the database, the sign-in that fills the host, rights from the command
// line, and the ribbon that lists only what the user may open, grouped by subsystem,
// never the host's own lookups.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

#include "apps/coreapp-desktop/first_run_dialog.h"
#include "apps/coreapp-desktop/login_dialog.h"
#include "apps/coreapp-desktop/ribbon_groups.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/operator_sign_in.h"

namespace {

using desktop_test::DemoSession;

// ---- 1. database and login ------------------------------------------------------------

TEST(Database, DemoIsMadeOnFirstStartAndAChosenFileMustExist) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string demo = dir.filePath("data/demo.db").toStdString();
  {
    auto conn = desktop::openDatabase(demo, true);
    EXPECT_FALSE(desktop::readLoginLists(*conn).stores.empty());
  }
  auto again = desktop::openDatabase(demo, false);  // now it exists
  EXPECT_FALSE(desktop::readLoginLists(*again).operators.empty());
  const std::string missing = dir.filePath("none.db").toStdString();
  EXPECT_THROW(desktop::openDatabase(missing, false), std::runtime_error);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(missing)));
  // The sign-in window refuses it with a message naming it and leaves nobody to sign in.
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  desktop::LoginDialog login(QString::fromStdString(missing), false);
  EXPECT_TRUE(shown.contains("none.db"));
  EXPECT_EQ(login.operatorId(), 0);
  EXPECT_EQ(login.takeConnection(), nullptr);
  // A server address is never taken for a file, not even with the demo asked for: an
  // unreachable server is told as such and nothing is made on disk.
  const std::string server = "postgresql:///shop?host=" + dir.filePath("no-server").toStdString();
  try {
    desktop::openDatabase(server, true);
    ADD_FAILURE() << "a server that is not there was opened";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("无法连接数据库服务器", 0), 0u) << e.what();
  }
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).filter("postgres").isEmpty());
}

// An empty database has nobody to sign in until the new shop's set-up, which refuses
// two different passwords, then leaves the owner to sign in with his.
TEST(Database, AnEmptyDatabaseIsSetUpByItsOwnerWhoSignsInWithHisPassword) {
  db::EmbeddedConnection empty(":memory:");
  schema::createDatabase(empty, false);
  EXPECT_THROW(desktop::readLoginLists(empty), std::runtime_error);
  desktop::FirstRunDialog firstRun(empty);
  auto typeInto = [&](const char* name, const char* text) {
    firstRun.findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
  };
  typeInto("shop", "鑫彩图文");
  typeInto("owner", "王店主");
  typeInto("password", "owner-pw");
  typeInto("password2", "owner-pv");
  EXPECT_FALSE(firstRun.setUp());
  EXPECT_EQ(firstRun.findChild<QLabel*>("note")->text(), QString("两次输入的密码不一致"));
  typeInto("password2", "owner-pw");
  desktop_test::savePicture(firstRun, "first_run.png", firstRun.sizeHint());
  ASSERT_TRUE(firstRun.setUp()) << firstRun.findChild<QLabel*>("note")->text().toStdString();
  EXPECT_TRUE(firstRun.findChild<QLineEdit*>("password")->text().isEmpty());
  const desktop::LoginLists lists = desktop::readLoginLists(empty);
  ASSERT_EQ(lists.operators.size(), 1u);
  EXPECT_EQ(lists.orgName, "鑫彩图文");
  EXPECT_EQ(desktop::checkPassword(empty, lists, lists.operators.front().id, "owner-pw"),
            host::SignInStep::SignedIn);
  EXPECT_THROW((void)desktop::checkPassword(empty, lists, lists.operators.front().id, "owner-pv"),
               host::SignInRefused);
}

// A shop's file from before passwords (no sign-in table): opening it adds the table, and
// its first operator, who holds every right, is in only once he typed his own password
// twice in the masked dialog; from then on nobody is in without a password.
TEST(Database, AnOlderFileIsUpgradedAndItsOwnerSetsHisPasswordToSignIn) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.db");
  ASSERT_TRUE(desktop::openDatabase(path.toStdString(), true)
                  ->execBatch("drop table vt_sys_user_login")
                  .ok());
  desktop::LoginDialog login(path, false);
  ASSERT_NE(login.operatorId(), 0);
  QString note;
  QTimer::singleShot(0, [&] {
    auto* asked = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(asked, nullptr);
    ASSERT_EQ(asked->objectName(), QString("Tpasswordform"));
    note = asked->findChild<QLabel*>("note")->text();
    for (const char* name : {"password", "password2"}) {
      auto* box = asked->findChild<QLineEdit*>(name);
      EXPECT_EQ(box->echoMode(), QLineEdit::Password);
      box->setText("owner-new");
    }
    asked->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  login.trySignIn();
  EXPECT_FALSE(note.isEmpty());
  ASSERT_EQ(login.result(), QDialog::Accepted);
  const std::unique_ptr<db::Connection> conn = login.takeConnection();
  EXPECT_EQ(desktop::checkPassword(*conn, login.lists(), login.operatorId(), "owner-new"),
            host::SignInStep::SignedIn);
  // 004 holds every right too, but the way without a password is closed now.
  for (const desktop::LoginEntry& op : login.lists().operators) {
    if (op.code != "004") continue;
    EXPECT_THROW((void)desktop::checkPassword(*conn, login.lists(), op.id, ""),
                 host::SignInRefused);
  }
}

TEST_F(DemoSession, SignInTakesTheBranchStoreOperatorAndSettingsOrIsRefused) {
  const desktop::LoginEntry& op = lists.operators.front();
  EXPECT_EQ(host.login.orgid, lists.orgid);
  EXPECT_EQ(host.login.ck_id, lists.stores.front().id);
  EXPECT_EQ(host.login.czy_id, op.id);
  EXPECT_EQ(host.login.name, op.name);
  EXPECT_EQ(host.settings.at("jiaohuoriqi"), "3");
  EXPECT_TRUE(host.rights.has("1100_08"));
  // The branch's own settings override the defaults.
  ASSERT_TRUE(
      conn.execBatch(
              "insert into vt_sys_config(orgid, code, value) values (:orgid, 'jiaohuoriqi', '7')",
              {{"orgid", core::Value(lists.orgid)}})
          .ok());
  host::Host other;
  desktop::signIn(other, conn, lists, lists.stores.front().id, lists.operators.front().id, {});
  EXPECT_EQ(other.settings.at("jiaohuoriqi"), "7");
  EXPECT_EQ(other.settings.at("zidongchuku"), "1");
  // An unknown store or operator is refused.
  EXPECT_THROW(desktop::signIn(other, conn, lists, 999, lists.operators.front().id, {}),
               std::runtime_error);
  EXPECT_THROW(desktop::signIn(other, conn, lists, lists.stores.front().id, 999, {}),
               std::runtime_error);
}

TEST_F(DemoSession, RightsComeFromTheOperatorsRowsUnlessGiven) {
  auto operatorCoded = [&](const std::string& code) {
    for (const desktop::LoginEntry& op : lists.operators)
      if (op.code == code) return op.id;
    ADD_FAILURE() << "no operator " << code;
    return std::int64_t{0};
  };
  const std::int64_t counter = operatorCoded("001");
  const std::int64_t production = operatorCoded("002");
  host::Host other;
  desktop::signIn(other, conn, lists, lists.stores.front().id, counter);
  EXPECT_TRUE(other.rights.has("1100_07"));  // "*": everything
  desktop::signIn(other, conn, lists, lists.stores.front().id, production);
  EXPECT_TRUE(other.rights.has("1101_02"));
  EXPECT_FALSE(other.rights.has("1100_01"));
  const auto groups = desktop::ribbonGroups(host::plugsPool().items(), other.rights);
  for (const desktop::RibbonGroup& g : groups)
    for (const host::TPlugItem* item : g.items)
      EXPECT_TRUE(item->code == "1100" || item->code == "1101");
  // The command line narrows the rows, it never adds a right to them.
  desktop::signIn(other, conn, lists, lists.stores.front().id, production,
                  desktop::parseRights("1101,1121"));
  EXPECT_TRUE(other.rights.has("1101"));
  EXPECT_FALSE(other.rights.has("1121"));
  EXPECT_FALSE(other.rights.has("1100"));
  desktop::signIn(other, conn, lists, lists.stores.front().id, production,
                  desktop::parseRights("*"));
  EXPECT_FALSE(other.rights.has("1100_01"));
  desktop::signIn(other, conn, lists, lists.stores.front().id, counter,
                  desktop::parseRights("1121"));
  EXPECT_TRUE(other.rights.has("1121"));
  EXPECT_FALSE(other.rights.has("1100"));
  // An operator without rows may open nothing.
  ASSERT_TRUE(conn.execBatch("delete from vt_sys_user_rights where czy_id = :id",
                             {{"id", core::Value(production)}})
                  .ok());
  desktop::signIn(other, conn, lists, lists.stores.front().id, production);
  EXPECT_TRUE(desktop::ribbonGroups(host::plugsPool().items(), other.rights).empty());
}

TEST(Rights, FromTheCommandLine) {
  EXPECT_TRUE(desktop::parseRights("*").all);
  EXPECT_TRUE(desktop::parseRights("").all);
  const host::Rights some = desktop::parseRights("1100,1100_01,,1121");
  EXPECT_FALSE(some.all);
  EXPECT_EQ(some.codes, (std::set<std::string>{"1100", "1100_01", "1121"}));
}

// ---- 2. ribbon ---------------------------------------------------------------------

std::vector<std::string> captionsOf(const desktop::RibbonGroup& g) {
  std::vector<std::string> out;
  for (const host::TPlugItem* item : g.items) out.push_back(item->code);
  return out;
}

TEST_F(DemoSession, RibbonGroupsTheItemsTheUserMayOpen) {
  const auto all = desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("*"));
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().caption, "项目订单");
  for (const desktop::RibbonGroup& g : all)
    for (const host::TPlugItem* item : g.items)
      EXPECT_FALSE(host::isHostPlug(item->caption)) << item->caption;
  const auto none =
      desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("1100_01"));
  EXPECT_TRUE(none.empty());  // a child right alone opens nothing
  const auto orders =
      desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("1100"));
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(captionsOf(orders.front()), std::vector<std::string>{"1100"});
}

TEST(Ribbon, UnknownCodesGoToTheirOwnTab) {
  host::TPlugItem known, later, lookup;
  for (auto [item, code, caption] : {std::tuple{&known, "1121", "销货单"}, {&later, "2001", "新单据"}, {&lookup, "", "服务项目查询"}}) {
    item->code = code;
    item->caption = caption;
    item->creator = [](host::Owner, host::TPlugItem&, const std::string&, const std::string&,
                       const std::vector<std::string>&) {};
  }
  const auto groups = desktop::ribbonGroups({&later, &known, &lookup}, desktop::parseRights("*"));
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].caption, "商品");
  EXPECT_EQ(groups[1].caption, "其它");
  EXPECT_EQ(captionsOf(groups[1]), std::vector<std::string>{"2001"});
}

}  // namespace
