// OperatorSignIn: checks an operator's password against the salted hash the branch keeps
// for him (vt_sys_user_login) and counts the failures: five in a row lock him for
// fifteen minutes, kept in the database so that restarting the program changes nothing.
// Also where a password is set or reset. Passwords pass through here and nowhere else;
// they are never written, logged or shown, only their hashes are bound into SQL.
// A database kept before operators had passwords holds none: its owner signs in once
// and sets his own before anything opens; from the first password on, nobody without.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "core/password_hasher.h"

namespace db {
class Connection;
}  // namespace db

namespace host {

//! The one refusal of a wrong operator or password: it does not say which was wrong.
constexpr std::string_view kSignInRefusedText = "用户名或密码错误";

//! The root right of the operators' rights page, where passwords are set for the others.
constexpr std::string_view kRightsPageRight = "1190";

//! The refusal of a locked operator, naming the minutes left (rounded up).
std::string signInLockedText(std::int64_t msLeft);

//! How a sign-in that was not refused goes on.
enum class SignInStep {
  SignedIn,        //!< the operator's password was right
  SetOwnPassword,  //!< no password kept yet: in only once setOwnPassword() took his
};

//! A refused sign-in; what() is the message for the user.
class SignInRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OperatorSignIn {
 public:
  using Clock = std::function<core::DateTime()>;
  //! Failed attempts in a row that lock an operator, and for how long.
  static constexpr int kMaxFailures = 5;
  static constexpr int kLockMinutes = 15;
  //! The shortest password set() takes.
  static constexpr std::size_t kMinPasswordLength = 6;

  //! Operators of branch `orgid` on `db`; `clock` tells the time of attempts and locks.
  OperatorSignIn(db::Connection& db, std::string orgid,
                 core::PasswordHasher hasher = core::PasswordHasher::production(),
                 Clock clock = &core::DateTime::now);

  //! SignedIn when `password` is the operator's and he is not locked (his failure count
  //! starts again). SetOwnPassword, whatever was typed, while the database keeps no
  //! password of anyone and he holds "*" or kRightsPageRight. Otherwise counts the
  //! failure and throws SignInRefused: kSignInRefusedText for an unknown operator, one
  //! without a password or a wrong password, the lock message while he is locked.
  //! Throws std::runtime_error when the database fails.
  [[nodiscard]] SignInStep check(std::int64_t czy_id, std::string_view password);

  //! The first password of the database, set by the operator check() answered
  //! SetOwnPassword. Throws SignInRefused (kSignInRefusedText) when that no longer
  //! holds (someone set a password meanwhile), std::runtime_error when it is too short.
  void setOwnPassword(std::int64_t czy_id, std::string_view password);

  //! Sets (or resets) the operator's password and lifts any lock. Throws
  //! std::runtime_error with the reason when the password is too short.
  void setPassword(std::int64_t czy_id, std::string_view password);
  //! Refuses a password that is too short ("密码至少6位").
  static void requireAcceptable(std::string_view password);

 private:
  void countFailure(std::int64_t czy_id);
  bool isPasswordlessOwner(std::int64_t czy_id);

  db::Connection& db_;
  std::string orgid_;
  core::PasswordHasher hasher_;
  Clock clock_;
};

}  // namespace host
