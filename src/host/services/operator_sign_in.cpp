// OperatorSignIn: a locked operator is refused before his password is even hashed, so
// guessing during the lock costs nothing and learns nothing. An unknown operator costs
// one hash like a known one, so the time taken does not tell them apart either.
#include "host/services/operator_sign_in.h"

#include "db/connection.h"
#include "host/services/whole_batch.h"

namespace host {

namespace {

tsql::ResultSet query(db::Connection& db, std::string_view sql, const db::Params& params) {
  db::BatchResult r = db.execBatch(sql, params);
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return r.resultSets.empty() ? tsql::ResultSet{} : std::move(r.resultSets.back());
}

constexpr std::int64_t kMinuteMs = 60 * 1000;

// The operator who may sign in without a password: one with every right (or the
// rights page, so he can set the others' next), while nobody has a password at all.
constexpr std::string_view kPasswordlessOwner =
    " from vt_b_ygbmk e where e.orgid = :orgid and e.id = :czy_id and isnull(e.isdel, 0) = 0 "
    "and exists (select 1 from vt_sys_user_rights r where r.orgid = e.orgid and r.czy_id = e.id "
    "and r.rightcode in ('*', :root)) and not exists (select 1 from vt_sys_user_login)";

}  // namespace

std::string signInLockedText(std::int64_t msLeft) {
  const std::int64_t minutes = (msLeft + kMinuteMs - 1) / kMinuteMs;
  return "密码错误次数过多，该操作员已被锁定，请" + std::to_string(minutes) + "分钟后再试";
}

OperatorSignIn::OperatorSignIn(db::Connection& db, std::string orgid, core::PasswordHasher hasher,
                               Clock clock)
    : db_(db), orgid_(std::move(orgid)), hasher_(hasher), clock_(std::move(clock)) {}

SignInStep OperatorSignIn::check(std::int64_t czy_id, std::string_view password) {
  const db::Params key = {{"orgid", core::Value(orgid_)}, {"czy_id", core::Value(czy_id)}};
  const tsql::ResultSet rs =
      query(db_,
            "select l.pwdhash, l.lockuntil from vt_sys_user_login l join vt_b_ygbmk e on "
            "e.id = l.czy_id and e.orgid = l.orgid where l.orgid = :orgid and l.czy_id = :czy_id "
            "and isnull(e.isdel, 0) = 0",
            key);
  if (rs.rows.empty()) {
    if (isPasswordlessOwner(czy_id)) return SignInStep::SetOwnPassword;
    (void)hasher_.hash(password);  // the same work as a wrong password of a known operator
    throw SignInRefused(std::string(kSignInRefusedText));
  }
  const core::Value& until = rs.rows.front()[1];
  const std::int64_t now = clock_().millis();
  if (!until.isNull() && until.asDateTime().millis() > now)
    throw SignInRefused(signInLockedText(until.asDateTime().millis() - now));
  if (!hasher_.verify(password, rs.rows.front()[0].asText())) {
    countFailure(czy_id);
    throw SignInRefused(std::string(kSignInRefusedText));
  }
  query(db_,
        "update vt_sys_user_login set failcount = 0, lockuntil = null where orgid = :orgid and "
        "czy_id = :czy_id",
        key);
  return SignInStep::SignedIn;
}

bool OperatorSignIn::isPasswordlessOwner(std::int64_t czy_id) {
  const tsql::ResultSet rs = query(db_, "select count(*)" + std::string(kPasswordlessOwner),
                                   {{"orgid", core::Value(orgid_)},
                                    {"czy_id", core::Value(czy_id)},
                                    {"root", core::Value(std::string(kRightsPageRight))}});
  return !rs.rows.empty() && rs.rows.front()[0].asInteger() > 0;
}

// The rule is asked again in the insert itself, so a second owner who got past check()
// before the first one's password was kept is refused rather than let in.
void OperatorSignIn::setOwnPassword(std::int64_t czy_id, std::string_view password) {
  requireAcceptable(password);
  const tsql::ResultSet rs =
      query(db_,
            "insert into vt_sys_user_login(orgid, czy_id, pwdhash, failcount, pwdtime) select "
            ":orgid, e.id, :pwdhash, 0, :now" +
                std::string(kPasswordlessOwner) + "\nselect @@rowcount",
            {{"orgid", core::Value(orgid_)},
             {"czy_id", core::Value(czy_id)},
             {"root", core::Value(std::string(kRightsPageRight))},
             {"pwdhash", core::Value(hasher_.hash(password))},
             {"now", core::Value(clock_())}});
  if (rs.rows.empty() || rs.rows.front()[0].asInteger() != 1)
    throw SignInRefused(std::string(kSignInRefusedText));
}

// The count and the lock change in one transaction, so two counters failing at once
// cannot both miss the fifth failure.
void OperatorSignIn::countFailure(std::int64_t czy_id) {
  const core::DateTime until = clock_().addMillis(kLockMinutes * kMinuteMs);
  query(
      db_,
      wholeOrNothing(
          "begin tran\n"
          "update vt_sys_user_login set failcount = isnull(failcount, 0) + 1 where orgid = :orgid "
          "and czy_id = :czy_id\n"
          "update vt_sys_user_login set failcount = 0, lockuntil = :until where orgid = :orgid and "
          "czy_id = :czy_id and failcount >= :most\n"
          "commit tran"),
      {{"orgid", core::Value(orgid_)},
       {"czy_id", core::Value(czy_id)},
       {"until", core::Value(until)},
       {"most", core::Value(std::int64_t{kMaxFailures})}});
}

void OperatorSignIn::requireAcceptable(std::string_view password) {
  if (password.size() < kMinPasswordLength)
    throw std::runtime_error("密码至少" + std::to_string(kMinPasswordLength) + "位");
}

void OperatorSignIn::setPassword(std::int64_t czy_id, std::string_view password) {
  requireAcceptable(password);
  const std::string hash = hasher_.hash(password);
  query(db_,
        wholeOrNothing("begin tran\n"
                       "delete from vt_sys_user_login where orgid = :orgid and czy_id = :czy_id\n"
                       "insert into vt_sys_user_login(orgid, czy_id, pwdhash, failcount, pwdtime) "
                       "values (:orgid, :czy_id, :pwdhash, 0, :now)\n"
                       "commit tran"),
        {{"orgid", core::Value(orgid_)},
         {"czy_id", core::Value(czy_id)},
         {"pwdhash", core::Value(hash)},
         {"now", core::Value(clock_())}});
}

}  // namespace host
