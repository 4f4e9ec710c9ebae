// The phone view's sessions: a token opens a session for its user until he signs out,
// stays idle too long or the session grows too old, whichever comes first.
#include "apps/coreapp/serve/session_store.h"

#include <gtest/gtest.h>

namespace {

using serve::SessionStore;
using serve::WebUser;

constexpr std::int64_t kMinute = 60 * 1000;

struct FakeClock {
  std::int64_t ms = core::DateTime::fromParts(2026, 12, 1, 9).millis();
  SessionStore::Clock clock() {
    return [this] { return core::DateTime::fromMillis(ms); };
  }
};

WebUser owner() {
  WebUser u;
  u.czy_id = 1;
  u.name = "王敏";
  u.allRights = true;
  return u;
}

TEST(SessionStore, ATokenFindsItsUserUntilSignOutIdleTimeOrAge) {
  FakeClock t;
  SessionStore store(t.clock());
  const std::string a = store.open(owner()), b = store.open(owner());
  EXPECT_EQ(a.size(), 64u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(a, b);
  ASSERT_TRUE(store.find(a).has_value());
  EXPECT_EQ(store.find(a)->name, "王敏");
  EXPECT_FALSE(store.find(a + "0").has_value());
  EXPECT_FALSE(store.find("").has_value());

  store.close(b);
  EXPECT_FALSE(store.find(b).has_value());

  // Used every 29 minutes it lives on; then 30 idle minutes end it.
  for (int i = 0; i < 3; ++i) {
    t.ms += 29 * kMinute;
    EXPECT_TRUE(store.find(a).has_value()) << i;
  }
  t.ms += 30 * kMinute;
  EXPECT_FALSE(store.find(a).has_value());

  // Never idle, it still ends 12 hours after the sign-in.
  const std::string c = store.open(owner());
  for (int i = 0; i < 24; ++i) t.ms += 29 * kMinute, (void)store.find(c);
  EXPECT_TRUE(store.find(c).has_value());  // 11 h 36 min
  t.ms += 25 * kMinute;
  EXPECT_FALSE(store.find(c).has_value());
}

TEST(SessionStore, KeepsABoundedNumberDroppingTheOldestFirst) {
  FakeClock t;
  SessionStore store(t.clock());
  const std::string first = store.open(owner());
  t.ms += 1000;
  const std::string second = store.open(owner());
  for (std::size_t i = 2; i < SessionStore::kMaxSessions; ++i) (void)store.open(owner());
  EXPECT_TRUE(store.find(first).has_value());
  t.ms += 1000;
  (void)store.open(owner());
  EXPECT_FALSE(store.find(first).has_value());
  EXPECT_TRUE(store.find(second).has_value());
}

}  // namespace
