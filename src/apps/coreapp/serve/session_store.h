// SessionStore: the signed-in phone sessions of `coreapp serve`, kept in memory only (the
// server never writes to the shop's database). A session is a random token in a cookie;
// it ends when signed out, after kIdleMinutes without a request, or kMaxHours after the
// sign-in, whichever comes first. Thread safe: every request thread shares one store.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "core/date_time.h"

namespace serve {

//! Who a session belongs to and what he may read.
struct WebUser {
  std::int64_t czy_id = 0;
  std::string code, name;
  bool allRights = false;        //!< "*"
  std::set<std::string> rights;  //!< plug codes ("1130") when not allRights
  std::int64_t ownStore = 0;     //!< the operator's store (0 = none)
  //! True when he holds the right with this code.
  bool has(const std::string& code) const { return allRights || rights.count(code) > 0; }
  //! True when his reports may cover every store; otherwise only ownStore.
  bool everyStore() const { return allRights || ownStore == 0; }
};

class SessionStore {
 public:
  using Clock = std::function<core::DateTime()>;
  static constexpr int kIdleMinutes = 30;
  static constexpr int kMaxHours = 12;
  //! Sessions kept at once; the oldest goes first, so a flood of sign-ins cannot
  //! grow the server without bound.
  static constexpr std::size_t kMaxSessions = 1000;

  explicit SessionStore(Clock clock = &core::DateTime::now) : clock_(std::move(clock)) {}

  //! A new session for `user`; its token (64 hex digits from the system's random bytes).
  std::string open(const WebUser& user);
  //! The user of a live session (and its idle time starts again), or nothing.
  std::optional<WebUser> find(const std::string& token);
  //! Ends the session; nothing when there is none.
  void close(const std::string& token);

 private:
  struct Entry {
    WebUser user;
    std::int64_t opened = 0, lastSeen = 0;  // milliseconds
  };
  void dropExpired(std::int64_t now);

  Clock clock_;
  std::mutex mutex_;
  std::map<std::string, Entry> sessions_;
};

}  // namespace serve
