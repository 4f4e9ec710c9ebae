// Restore order: verify the backup, copy it beside the live file, check the copy's
// checksum, move the live file aside (after folding its WAL into it, which also tells
// whether anyone still has it open), then rename the copy into place.
#include "db/file_restore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "db/storage_fault.h"

namespace db {
namespace {

namespace fs = std::filesystem;

void syncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Folds the live file's WAL into it; a file someone still reads or writes is refused.
void quiesceLiveFile(const std::string& file) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, &sqlite3_close);
  if (rc != SQLITE_OK) throw BackupError("cannot open " + file + ": " + sqlite3_errmsg(db));
  sqlite3_busy_timeout(db, 2000);
  sqlite3_stmt* st = nullptr;
  int busy = 1;
  if (sqlite3_prepare_v2(db, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    busy = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  if (busy != 0)
    throw BackupError(
        "The database " + file +
        " is in use: close every coreapp window and program using it, then restore again. "
        "Nothing was changed.");
}

// A file found damaged may not checkpoint at all, so it is kept as it lies, its WAL and
// journal beside it under the kept name, for whoever tries to recover it later.
void moveAside(const std::string& file, const std::string& kept) {
  const bool damaged = fs::exists(damageMarkerOf(file));
  if (!damaged) quiesceLiveFile(file);
  fs::rename(file, kept);
  std::error_code ignored;  // emptied by the checkpoint; SQLite makes them anew
  for (const char* side : {"-wal", "-shm", "-journal"}) {
    if (damaged && fs::exists(file + side)) fs::rename(file + side, kept + side, ignored);
    fs::remove(file + side, ignored);
  }
}

}  // namespace

void verifyBackup(const std::string& backup) {
  verifyBackupChecksum(backup);
  const int version = schemaVersionOfFile(backup);
  if (version < 0)
    throw BackupError("The backup " + backup + " is not a coreapp database; it was not restored.");
  if (version > EmbeddedConnection::kSchemaVersion)
    throw BackupError("The backup " + backup + " was made by a newer coreapp (schema " +
                      std::to_string(version) + "; this one knows up to " +
                      std::to_string(EmbeddedConnection::kSchemaVersion) +
                      "); restore it with that newer coreapp.");
  if (auto problems = integrityProblems(backup); !problems.empty())
    throw BackupError("The backup " + backup + " fails SQLite's integrity check (" +
                      problems.front() + "); it was not restored.");
}

RestoreReport restoreDatabase(const std::string& file, const std::string& from) {
  verifyBackup(from);
  const std::string copy = file + ".restoring";
  RestoreReport report;
  try {
    fs::copy_file(from, copy, fs::copy_options::overwrite_existing);
    syncPath(copy, O_RDONLY);
    if (sha256OfFile(copy) != readChecksumFile(from))
      throw BackupError("the copy of " + from + " beside " + file +
                        " came out different; nothing was changed");
    if (fs::exists(file)) {
      report.keptAs = beforeRestoreName(file);
      moveAside(file, report.keptAs);
    }
    fs::rename(copy, file);
    clearDamageMark(file);  // the file in place now is the backup, checked whole
  } catch (const std::exception& e) {
    std::error_code ignored;
    fs::remove(copy, ignored);
    if (!report.keptAs.empty() && !fs::exists(file)) fs::rename(report.keptAs, file, ignored);
    if (dynamic_cast<const BackupError*>(&e)) throw;
    throw BackupError("cannot restore " + file + " from " + from + ": " + e.what());
  }
  syncPath(fs::path(file).parent_path().empty() ? "." : fs::path(file).parent_path().string(),
           O_RDONLY);
  return report;
}

}  // namespace db
