// SignInGate: the phone view's sign-in with the shop's own operators and password hashes.
// The server only reads the database, so the failure count lives here, in memory, with
// the desktop's rule (five failures in a row lock the operator for fifteen minutes); a
// lock the desktop kept in the database is honoured as well. Thread safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "apps/coreapp/serve/read_only_database.h"
#include "apps/coreapp/serve/session_store.h"
#include "core/password_hasher.h"

namespace serve {

class SignInGate {
 public:
  using Clock = std::function<core::DateTime()>;

  SignInGate(ReadOnlyDatabase& db, std::string orgid,
             core::PasswordHasher hasher = core::PasswordHasher::production(),
             Clock clock = &core::DateTime::now);

  //! The operator named by `who` (his code, else his name) with his rights and store
  //! when `password` is his. Throws host::SignInRefused with the user's message: the
  //! one refusal text for an unknown operator or a wrong password, the lock text while
  //! locked. A database that has no password for him refuses him too: the phone view
  //! never signs in without one. Throws std::runtime_error when the database fails.
  WebUser check(std::string_view who, std::string_view password);

 private:
  std::int64_t operatorId(std::string_view who);
  void refuseWhileLocked(std::int64_t czy_id, const core::Value& keptUntil);
  void countFailure(std::int64_t czy_id);
  WebUser readUser(std::int64_t czy_id);

  struct Failures {
    int count = 0;
    std::int64_t lockedUntil = 0;  // milliseconds
  };

  ReadOnlyDatabase& db_;
  std::string orgid_;
  core::PasswordHasher hasher_;
  Clock clock_;
  std::mutex mutex_;
  std::map<std::int64_t, Failures> failures_;
};

}  // namespace serve
