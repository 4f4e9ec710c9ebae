// The phone view's sign-in on a read-only database: the shop's own hashes, five failures
// in a row lock the operator for fifteen minutes (counted by the server, since it writes
// nothing), a lock kept by the desktop holds too, and what he may read comes along.
#include "apps/coreapp/serve/sign_in_gate.h"

#include <gtest/gtest.h>

#include "host/services/operator_sign_in.h"
#include "serve/serve_db.h"

namespace {

constexpr std::int64_t kMinute = 60 * 1000;
const core::PasswordHasher kHasher = core::PasswordHasher::forTests(1000);

class SignInGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = servetest::demoCopy("gate");
    db::EmbeddedConnection w(path);
    host::OperatorSignIn(w, "0001", kHasher).setPassword(3, "zhangli-pw");
    host::OperatorSignIn(w, "0001", kHasher).setPassword(2, "liqiang-pw");
    ro = std::make_unique<serve::ReadOnlyDatabase>(path);
    gate = std::make_unique<serve::SignInGate>(*ro, "0001", kHasher,
                                               [this] { return core::DateTime::fromMillis(now); });
  }
  std::string refusal(std::string_view who, std::string_view password) {
    try {
      (void)gate->check(who, password);
      return "signed in";
    } catch (const host::SignInRefused& e) {
      return e.what();
    }
  }
  std::string path;
  std::int64_t now = core::DateTime::fromParts(2026, 12, 1, 9).millis();
  std::unique_ptr<serve::ReadOnlyDatabase> ro;
  std::unique_ptr<serve::SignInGate> gate;
};

TEST_F(SignInGateTest, ByCodeOrNameWithHisRightsAndStore) {
  const serve::WebUser byCode = gate->check("002", "liqiang-pw");
  EXPECT_EQ(byCode.name, "李强");
  EXPECT_FALSE(byCode.allRights);
  EXPECT_TRUE(byCode.has("1130"));
  EXPECT_TRUE(byCode.has("1135"));
  EXPECT_FALSE(byCode.has("1137"));
  EXPECT_NE(byCode.ownStore, 0);
  EXPECT_FALSE(byCode.everyStore());
  EXPECT_EQ(gate->check("李强", "liqiang-pw").czy_id, byCode.czy_id);
  EXPECT_TRUE(gate->check("003", "zhangli-pw").czy_id == 3);
  // Unknown, wrong and empty all read the same.
  for (const auto& [who, pw] : std::vector<std::pair<std::string, std::string>>{
           {"999", "liqiang-pw"}, {"002", "zhangli-pw"}, {"002", ""}, {"' or 1=1 --", "x"}})
    EXPECT_EQ(refusal(who, pw), host::kSignInRefusedText) << who;
}

TEST_F(SignInGateTest, FiveFailuresLockForFifteenMinutesWithoutWritingTheDatabase) {
  for (int i = 0; i < host::OperatorSignIn::kMaxFailures; ++i)
    EXPECT_EQ(refusal("003", "wrong-pw"), host::kSignInRefusedText) << i;
  EXPECT_EQ(refusal("003", "zhangli-pw"), host::signInLockedText(15 * kMinute));
  EXPECT_EQ(refusal("002", "liqiang-pw"), "signed in");  // only he is locked
  now += 14 * kMinute;
  EXPECT_EQ(refusal("003", "zhangli-pw"), host::signInLockedText(kMinute));
  now += kMinute;
  EXPECT_EQ(refusal("003", "zhangli-pw"), "signed in");
  // A success starts the count again: four more failures do not lock.
  for (int i = 0; i < host::OperatorSignIn::kMaxFailures - 1; ++i) (void)refusal("003", "bad");
  EXPECT_EQ(refusal("003", "zhangli-pw"), "signed in");

  db::EmbeddedConnection r(path);
  const auto rs =
      r.execBatch("select sum(isnull(failcount, 0)), count(lockuntil) from vt_sys_user_login");
  ASSERT_TRUE(rs.ok());
  EXPECT_EQ(rs.resultSets[0].rows[0][0].asInteger(), 0);
  EXPECT_EQ(rs.resultSets[0].rows[0][1].asInteger(), 0);
}

TEST_F(SignInGateTest, ALockTheDesktopKeptHoldsToo) {
  {
    db::EmbeddedConnection w(path);
    ASSERT_TRUE(
        w.execBatch("update vt_sys_user_login set lockuntil = :until where czy_id = 2",
                    {{"until", core::Value(core::DateTime::fromMillis(now + 10 * kMinute))}})
            .ok());
  }
  EXPECT_EQ(refusal("002", "liqiang-pw"), host::signInLockedText(10 * kMinute));
  now += 10 * kMinute;
  EXPECT_EQ(refusal("002", "liqiang-pw"), "signed in");
}

}  // namespace
