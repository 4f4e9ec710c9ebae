// TAuth: the user's rights and control rules. check() only tests; requireRight() is
// the refusal every action uses: the rights message under "用户授权", then a silent
// abort of the running action.
#pragma once

#include <string>
#include <string_view>

namespace host {

//! The refusal every rights check shows.
constexpr std::string_view kNoRightText = "对不起，您没有该功能的操作权限，访问被拒绝。";
//! Caption of the rights refusal.
constexpr std::string_view kNoRightCaption = "用户授权";

class TAuth {
 public:
  //! True when the user holds the right `code` ("1100_01"); `flag` is 0 everywhere.
  static bool check(std::string_view code, int flag = 0);
  //! The value text of a control rule ("maxjmje"); "" when the user has none.
  static std::string controlRules(std::string_view name);
  //! check(); when refused shows the rights message (information box, caption
  //! "用户授权") and throws the silent abort.
  static void requireRight(std::string_view code);
};

}  // namespace host
