// Rights, control rules and settings of the signed-in user.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "host/services/sys_config_cache.h"
#include "host/services/t_auth.h"
#include "services_test_host.h"

namespace {

using host::TAuth;
using host_test::HostTest;

class AuthTest : public HostTest {};

TEST_F(AuthTest, RightsAreGrantedOnlyAsListedOrByStar) {
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
}

TEST_F(AuthTest, RefusalShowsTheRightsMessageThenAbortsSilently) {
  host.rights = {false, {"1100_01"}};
  EXPECT_THROW(TAuth::requireRight("1100_03"), core::Abort);
  ASSERT_EQ(ui.transcript().size(), 1u);
  EXPECT_EQ(
      ui.transcript()[0],
      R"({"event":"message","type":2,"caption":"用户授权","text":"对不起，您没有该功能的操作权限，访问被拒绝。"})");

  EXPECT_NO_THROW(TAuth::requireRight("1100_01"));
  EXPECT_EQ(ui.transcript().size(), 1u);  // a granted right says nothing
}

TEST_F(AuthTest, ControlRulesAndSettingsReadTheSession) {
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

}  // namespace
