// A new shop from its first run to its operators: the first run's rows in one
// transaction (and nothing when refused), sign-in with the password, the lock after
// five failures kept in the database and lifted by time (a test clock) or a reset, a
// database without any password that only its owner enters (to set his own first),
// and the rights page (plug 1190): a clerk without its rights can neither open it nor
// save, the owner grants per action and resets a password.
#include <gtest/gtest.h>

#include "bill_session.h"
#include "core/abort.h"
#include "host/forms/page_control.h"
#include "host/services/first_run.h"
#include "host/services/operator_sign_in.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"
#include "plugs/coreapp/yhqx/yhqx_form.h"

namespace {

using core::Value;
using host::OperatorSignIn;

// Cheap hashes in the same format; the page itself hashes as the program does.
const core::PasswordHasher kTestHasher = core::PasswordHasher::forTests(1000);

class NewShop : public bill_test::BillSession {
 protected:
  NewShop() : BillSession("select 1") {
    host::runFirstRun(conn, {"鑫彩 O'Neil 图文", "总店", "王店主", "owner-pw"}, kTestHasher);
    // A clerk of the first store who may open and add project orders.
    query("insert into vt_b_ygbmk(orgid, code, name, ck_id) values ('0001', '002', '小李', 1)");
    clerk = scalar("select id from vt_b_ygbmk where code = '002'").asInteger();
    query("insert into vt_sys_user_rights(orgid, czy_id, rightcode) values ('0001', " +
          std::to_string(clerk) + ", '1100'), ('0001', " + std::to_string(clerk) + ", '1100_01')");
    signIns().setPassword(clerk, "clerk-pw");
  }

  OperatorSignIn signIns() {
    return OperatorSignIn(conn, "0001", kTestHasher, [this] { return now; });
  }

  //! The refusal of `password` for operator `czy_id` ("" when it was taken, kSetsOwn
  //! when he is let in only to set his own password first).
  std::string refusal(std::int64_t czy_id, const std::string& password) {
    try {
      return signIns().check(czy_id, password) == host::SignInStep::SignedIn ? "" : kSetsOwn;
    } catch (const host::SignInRefused& e) {
      return e.what();
    }
  }

  static constexpr const char* kSetsOwn = "(sets his own password first)";
  core::DateTime now = core::DateTime::fromParts(2026, 3, 2, 9, 0);
  std::int64_t clerk = 0;
};

TEST_F(NewShop, FirstRunMakesTheBranchStoreAndOwnerWithEveryRight) {
  EXPECT_FALSE(host::needsFirstRun(conn));
  EXPECT_EQ(rowTexts("select orgid, name from vt_sys_org"),
            std::vector<std::string>{"0001|鑫彩 O'Neil 图文"});
  EXPECT_EQ(rowTexts("select id, code, name from vt_b_ckbmk"),
            std::vector<std::string>{"1|01|总店"});
  EXPECT_EQ(rowTexts("select e.code, e.name, e.ck_id, r.rightcode from vt_b_ygbmk e join "
                     "vt_sys_user_rights r on r.czy_id = e.id where e.code = '001'"),
            std::vector<std::string>{"001|王店主|1|*"});
  EXPECT_EQ(countOf("vt_sys_config"), 3);
  // Only the hash is kept; the owner signs in with his password.
  EXPECT_EQ(countOf("vt_sys_user_login where pwdhash like '%owner-pw%'"), 0);
  EXPECT_EQ(refusal(1, "owner-pw"), "");
}

TEST_F(NewShop, FirstRunIsRefusedWholeOnAShopThatHasABranchOrOnBadInput) {
  const auto tables = {"vt_sys_org",         "vt_b_ckbmk",        "vt_b_ygbmk",
                       "vt_sys_user_rights", "vt_sys_user_login", "vt_sys_config"};
  std::vector<std::int64_t> before;
  for (const char* t : tables) before.push_back(countOf(t));
  struct Case {
    host::FirstRunInput input;
    const char* message;
  };
  for (const Case& c :
       {Case{{"另一家", "总店", "张三", "secret1"}, "数据库中已有分店资料"},
        Case{{"另一家", "总店", "张三", "12345"}, "密码至少6位"},
        Case{{"  ", "总店", "张三", "secret1"}, "请输入店名"},
        Case{{"另一家", "总店", std::string(51 * 3, 'x'), "secret1"}, "店主姓名不能超过50个字"}}) {
    try {
      host::runFirstRun(conn, c.input, kTestHasher);
      ADD_FAILURE() << "taken: " << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  std::vector<std::int64_t> after;
  for (const char* t : tables) after.push_back(countOf(t));
  EXPECT_EQ(after, before);
}

TEST_F(NewShop, WrongUserOrPasswordGetOneMessage) {
  const std::string refused(host::kSignInRefusedText);
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "");
  EXPECT_EQ(refusal(clerk, "owner-pw"), refused);
  EXPECT_EQ(refusal(999, "clerk-pw"), refused);  // nobody with that id
  query("update vt_b_ygbmk set isdel = 1 where id = " + std::to_string(clerk));
  EXPECT_EQ(refusal(clerk, "clerk-pw"), refused);  // a disabled employee signs in no more
}

TEST_F(NewShop, FiveFailuresInARowLockUntilTheTimeIsUp) {
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(refusal(clerk, "guess"), host::kSignInRefusedText) << i;
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "");  // a success starts the count again
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(refusal(clerk, "guess"), host::kSignInRefusedText) << i;
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "");
  for (int i = 1; i <= 5; ++i) refusal(clerk, "guess");
  // Locked: even the right password is refused, by a new sign-in object (as after a
  // restart) too, until fifteen minutes have passed; the owner is not affected.
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "密码错误次数过多，该操作员已被锁定，请15分钟后再试");
  now = now.addMillis(14 * 60 * 1000 + 1);
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "密码错误次数过多，该操作员已被锁定，请1分钟后再试");
  EXPECT_EQ(refusal(1, "owner-pw"), "");
  now = now.addMillis(60 * 1000);
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "");
  // After the lock the count starts from nothing; a reset lifts a lock at once.
  for (int i = 1; i <= 4; ++i) refusal(clerk, "guess");
  EXPECT_EQ(refusal(clerk, "clerk-pw"), "");
  for (int i = 1; i <= 5; ++i) refusal(clerk, "guess");
  signIns().setPassword(clerk, "new-pass");
  EXPECT_EQ(refusal(clerk, "new-pass"), "");
  EXPECT_THROW(signIns().setPassword(clerk, "short"), std::runtime_error);
}

// A database kept before operators had passwords: whoever holds every right (or the
// rights page) is let in whatever he types, only to set his own password first; the
// others are refused as usual. From the first password on, nobody gets in without one.
TEST_F(NewShop, WithoutAnyPasswordOnlyTheOwnerGetsInAndSetsHisOwnFirst) {
  query("insert into vt_b_ygbmk(orgid, code, name, ck_id) values ('0001', '003', '张经理', 1)");
  const std::int64_t manager = scalar("select id from vt_b_ygbmk where code = '003'").asInteger();
  query("insert into vt_sys_user_rights(orgid, czy_id, rightcode) values ('0001', " +
        std::to_string(manager) + ", '1190')");
  query("delete from vt_sys_user_login");
  const std::string refused(host::kSignInRefusedText);
  struct Case {
    std::int64_t czy_id;
    const char* typed;
    std::string before, after;  // before and after the owner set his password
  };
  const std::vector<Case> cases = {
      {1, "", kSetsOwn, refused},     {1, "owner-pw", kSetsOwn, refused},
      {1, "owner-new", kSetsOwn, ""}, {manager, "", kSetsOwn, refused},
      {clerk, "", refused, refused},  {clerk, "clerk-pw", refused, refused},
      {999, "", refused, refused}};
  for (const Case& c : cases) EXPECT_EQ(refusal(c.czy_id, c.typed), c.before) << c.czy_id;
  // Asking writes nothing; the clerk cannot take the owner's way, nor a short password.
  EXPECT_THROW(signIns().setOwnPassword(clerk, "clerk-new"), host::SignInRefused);
  EXPECT_THROW(signIns().setOwnPassword(1, "short"), std::runtime_error);
  EXPECT_EQ(countOf("vt_sys_user_login"), 0);
  signIns().setOwnPassword(1, "owner-new");
  for (const Case& c : cases) EXPECT_EQ(refusal(c.czy_id, c.typed), c.after) << c.czy_id;
  // The manager let in a moment ago cannot set his own now: the owner does, on the page.
  EXPECT_THROW(signIns().setOwnPassword(manager, "manager-pw"), host::SignInRefused);
  EXPECT_EQ(countOf("vt_sys_user_login"), 1);
}

// ---- the rights page ---------------------------------------------------------------------

class RightsPage : public NewShop {
 protected:
  RightsPage() {
    // The tree lists what the pool holds: the order and the sales bill beside the page.
    registerOnce("1100", &plugs::coreapp::xmzzk::registerXmzzkForm);
    registerOnce("1121", &plugs::coreapp::spch::registerSpchForm);
    registerOnce(plugs::coreapp::yhqx::kRightsPlugCode, &plugs::coreapp::yhqx::registerYhqxForm);
  }
  ~RightsPage() override { host::PageControl().clear(); }

  //! Opens the page as the current login; null when refused.
  plugs::coreapp::yhqx::Tyhqxform* open() {
    try {
      host::plugsPool().plugbyName("1190")->create(nullptr, "");
    } catch (const core::Abort&) {
      return nullptr;
    }
    return dynamic_cast<plugs::coreapp::yhqx::Tyhqxform*>(host::PageControl().activePage());
  }

  void signInAsClerk(std::set<std::string> rights) {
    host.login = {"0001", "A", 1, clerk, "002", "小李"};
    host.rights = {};
    host.rights.codes = std::move(rights);
  }

  std::vector<std::string> clerkRights() {
    return rowTexts("select rightcode from vt_sys_user_rights where czy_id = " +
                    std::to_string(clerk) + " order by rightcode");
  }

  //! Ticks the tree row of `code`.
  static void tick(plugs::coreapp::yhqx::Tyhqxform& page, const char* code, bool on) {
    ASSERT_TRUE(page.cdsQx.locate("code", Value(code))) << code;
    page.cdsQx.edit();
    page.cdsQx.fieldByName("qx").setValue(Value(on));
    page.cdsQx.post();
  }
};

TEST_F(RightsPage, AClerkWithoutItsRightsCanNeitherOpenItNorSave) {
  signInAsClerk({"1100", "1100_01"});
  EXPECT_EQ(open(), nullptr);
  EXPECT_TRUE(saidMessage(std::string(host::kNoRightText)));
  signInAsClerk({"1190"});  // may look, may not change
  auto* page = open();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->cdsYg.locate("id", Value(clerk)));
  tick(*page, "1121", true);
  EXPECT_EQ(page->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_EQ(page->clickAction("actPwd"), host::Outcome::Aborted);
  EXPECT_EQ(clerkRights(), (std::vector<std::string>{"1100", "1100_01"}));
}

TEST_F(RightsPage, TheOwnerGrantsPerActionOnATreeOfItems) {
  auto* page = open();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->cdsYg.locate("id", Value(clerk)));
  // The tree: every right first, then each item with its actions indented under it.
  ASSERT_TRUE(page->cdsQx.locate("code", Value("1100_01")));
  EXPECT_EQ(bill_test::BillSession::texts(page->cdsQx, "parent caption qx"), "1100|　　添加|True");
  ASSERT_TRUE(page->cdsQx.locate("code", Value("1121")));
  EXPECT_EQ(bill_test::BillSession::texts(page->cdsQx, "caption qx"), "销货单（1121）|False");
  EXPECT_EQ(page->cdsQx.fieldByName("parent").asString(), "");  // a root
  // Grant the sales bill's audit (its item comes along), take away adding orders.
  tick(*page, "1121_04", true);
  tick(*page, "1100_01", false);
  ASSERT_EQ(page->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(clerkRights(), (std::vector<std::string>{"1100", "1121", "1121_04"}));
  // "全部权限" saves as the one row "*".
  tick(*page, "*", true);
  ASSERT_EQ(page->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(clerkRights(), std::vector<std::string>{"*"});
  // The owner cannot shut himself out of this page.
  ASSERT_TRUE(page->cdsYg.locate("id", Value(1)));
  ASSERT_EQ(page->clickAction("actNone"), host::Outcome::Done);
  EXPECT_EQ(page->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("不能取消自己的用户权限管理权限"));
  EXPECT_EQ(rowTexts("select rightcode from vt_sys_user_rights where czy_id = 1"),
            std::vector<std::string>{"*"});
}

TEST_F(RightsPage, TheOwnerResetsAPasswordWhichIsNeverShown) {
  auto* page = open();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->cdsYg.locate("id", Value(clerk)));
  for (int i = 1; i <= 5; ++i) refusal(clerk, "guess");  // locked
  host::DialogReply tooShort;
  tooShort.result = host::mrOK;
  tooShort.text = "abc";
  ui.queueDialog("Tpasswordform", tooShort);
  EXPECT_EQ(page->clickAction("actPwd"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("密码至少6位"));
  host::DialogReply reset;
  reset.result = host::mrOK;
  reset.text = "fresh-secret";
  ui.queueDialog("Tpasswordform", reset);
  ASSERT_EQ(page->clickAction("actPwd"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(saidMessage("密码已重置"));
  // The page hashes as the program does: the program's sign-in takes the new password.
  EXPECT_EQ(OperatorSignIn(conn, "0001").check(clerk, "fresh-secret"), host::SignInStep::SignedIn);
  for (const std::string& event : ui.transcript())
    EXPECT_EQ(event.find("fresh-secret"), std::string::npos) << event;
  for (const auto& [tag, text] : ui.logEntries())
    EXPECT_EQ(text.find("fresh-secret"), std::string::npos) << tag;
}

}  // namespace
