// VersionGuard: keeps a save from overwriting a change made since the window read the
// bill. While a guard lives, every batch execSQL runs goes into one transaction with a
// statement that raises the row's `version` from the value the window read; when the
// row no longer has that value (another window saved or changed it) the batch writes
// nothing and fails with kStaleBatchMessage. The batch text itself is run unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

//! What a refused guarded batch raises: the stale-data words of a version guard.
inline constexpr std::string_view kStaleBatchMessage = "当前数据状态已改变，请刷新后重试.";

//! The header row a window read: its table, `id` and the `version` read with it.
struct VersionedRow {
  std::string table;
  std::int64_t id = 0;
  std::int64_t version = 0;
};

class VersionGuard {
 public:
  //! Guards the batches execSQL runs on this thread until destroyed. Throws HostError
  //! when `row.table` is not a plain table name.
  explicit VersionGuard(VersionedRow row);
  ~VersionGuard();
  VersionGuard(const VersionGuard&) = delete;
  VersionGuard& operator=(const VersionGuard&) = delete;

  //! True when a batch was refused because the row had changed.
  bool stale() const { return stale_; }

  //! The text execSQL runs for `batch`: the batch as is when no guard is active, else
  //! the guard, the batch, and a commit of the transaction the guard began. The batch
  //! must roll back and raise on its own failures, as every save batch does.
  static std::string guarded(std::string_view batch);
  //! Tells the active guard (if any) how its batch ended: a success raised the version
  //! by one, so a further batch expects the new value.
  static void finished(bool ok, std::string_view error);

 private:
  VersionedRow row_;
  bool stale_ = false;
  VersionGuard* outer_ = nullptr;
};

}  // namespace host
