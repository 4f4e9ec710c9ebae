// VersionGuard: the guard is one batch with the save, not a check before it, so no
// other save can come between the test and the write on either backend. T-SQL's nested
// transactions do the rest: the save batch's own COMMIT only lowers @@trancount, and
// its CATCH's ROLLBACK takes the raised version back with everything else.
#include "host/services/version_guard.h"

#include <cctype>
#include <utility>

#include "core/strings.h"
#include "host/services/data_services.h"

namespace host {

namespace {

thread_local VersionGuard* active = nullptr;

bool plainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
  return true;
}

}  // namespace

VersionGuard::VersionGuard(VersionedRow row) : row_(std::move(row)), outer_(active) {
  if (!plainName(row_.table)) throw HostError("不是有效的表名称：" + row_.table);
  active = this;
}

VersionGuard::~VersionGuard() { active = outer_; }

std::string VersionGuard::guarded(std::string_view batch) {
  if (active == nullptr) return std::string(batch);
  const VersionedRow& r = active->row_;
  const std::string stale = "'" + std::string(kStaleBatchMessage) + "'";
  const std::string raise = "update " + r.table +
                            " set version=version+1 where id=" + std::to_string(r.id) +
                            " and version=" + std::to_string(r.version);
  // The guard's own failure (a busy file, say) reads as the save's failure, never as
  // the database's words or as a change by another window.
  return core::join(
      {"begin tran", "begin try", raise, "if @@rowcount = 0 raiserror(" + stale + ", 16, 1)",
       "end try", "begin catch", "if @@trancount>0 rollback tran",
       "if error_message() = " + stale + " raiserror(" + stale + ", 16, 1)",
       "else raiserror('单据保存失败', 16, 1)", "return", "end catch", std::string(batch),
       "if @@trancount>0 commit tran"},
      "\r\n");
}

void VersionGuard::finished(bool ok, std::string_view error) {
  if (active == nullptr) return;
  if (ok)
    ++active->row_.version;
  else if (error == kStaleBatchMessage)
    active->stale_ = true;
}

}  // namespace host
