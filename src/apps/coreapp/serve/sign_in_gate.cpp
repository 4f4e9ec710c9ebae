// SignInGate: a locked operator is refused before his password is hashed; an unknown one
// costs one hash like a known one, so neither the answer nor its time tells them apart.
#include "apps/coreapp/serve/sign_in_gate.h"

#include "host/services/operator_sign_in.h"

namespace serve {

namespace {

constexpr std::int64_t kMinuteMs = 60 * 1000;
constexpr std::int64_t kUnknown = -1;

[[noreturn]] void refuse() { throw host::SignInRefused(std::string(host::kSignInRefusedText)); }

}  // namespace

SignInGate::SignInGate(ReadOnlyDatabase& db, std::string orgid, core::PasswordHasher hasher,
                       Clock clock)
    : db_(db), orgid_(std::move(orgid)), hasher_(hasher), clock_(std::move(clock)) {}

WebUser SignInGate::check(std::string_view who, std::string_view password) {
  const std::int64_t czy_id = operatorId(who);
  const db::ResultSet rs = db_.query(
      "select l.pwdhash, l.lockuntil from vt_sys_user_login l where l.orgid = :orgid and "
      "l.czy_id = :czy_id",
      {{"orgid", core::Value(orgid_)}, {"czy_id", core::Value(czy_id)}});
  if (czy_id == kUnknown || rs.rows.empty()) {
    (void)hasher_.hash(password);  // the same work as a wrong password of a known operator
    refuse();
  }
  refuseWhileLocked(czy_id, rs.rows.front()[1]);
  if (!hasher_.verify(password, rs.rows.front()[0].asText())) {
    countFailure(czy_id);
    refuse();
  }
  {
    std::lock_guard lock(mutex_);
    failures_.erase(czy_id);
  }
  return readUser(czy_id);
}

// A code is unique within the branch; a name is taken only when no code matches.
std::int64_t SignInGate::operatorId(std::string_view who) {
  const db::ResultSet rs = db_.query(
      "select id from vt_b_ygbmk where orgid = :orgid and isnull(isdel, 0) = 0 and "
      "(code = :who or name = :who) order by case when code = :who then 0 else 1 end, id",
      {{"orgid", core::Value(orgid_)}, {"who", core::Value(std::string(who))}});
  return rs.rows.empty() ? kUnknown : rs.rows.front()[0].asInteger();
}

void SignInGate::refuseWhileLocked(std::int64_t czy_id, const core::Value& keptUntil) {
  const std::int64_t now = clock_().millis();
  std::int64_t until = keptUntil.isNull() ? 0 : keptUntil.asDateTime().millis();
  {
    std::lock_guard lock(mutex_);
    auto it = failures_.find(czy_id);
    if (it != failures_.end()) until = std::max(until, it->second.lockedUntil);
  }
  if (until > now) throw host::SignInRefused(host::signInLockedText(until - now));
}

void SignInGate::countFailure(std::int64_t czy_id) {
  std::lock_guard lock(mutex_);
  Failures& f = failures_[czy_id];
  if (++f.count < host::OperatorSignIn::kMaxFailures) return;
  f.count = 0;
  f.lockedUntil = clock_().millis() + host::OperatorSignIn::kLockMinutes * kMinuteMs;
}

WebUser SignInGate::readUser(std::int64_t czy_id) {
  const db::Params key = {{"orgid", core::Value(orgid_)}, {"czy_id", core::Value(czy_id)}};
  const db::ResultSet who = db_.query(
      "select code, name, isnull(ck_id, 0) from vt_b_ygbmk where orgid = :orgid and id = :czy_id",
      key);
  if (who.rows.empty()) refuse();
  WebUser user;
  user.czy_id = czy_id;
  user.code = who.rows.front()[0].asText();
  user.name = who.rows.front()[1].asText();
  user.ownStore = who.rows.front()[2].asInteger();
  for (const auto& row : db_.query("select rightcode from vt_sys_user_rights where orgid = "
                                   ":orgid and czy_id = :czy_id",
                                   key)
                             .rows) {
    const std::string code = row[0].asText();
    code == "*" ? void(user.allRights = true) : void(user.rights.insert(code));
  }
  return user;
}

}  // namespace serve
