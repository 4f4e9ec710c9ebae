// The source snapshot is pinned by a read transaction opened before the first step: in
// WAL mode a reader never blocks a writer, so the clerks' saves go on between (and
// during) the steps, and the backup never restarts because another process wrote.
#include "db/file_backup.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "db/embedded_connection.h"
#include "db/file_checksum.h"
#include "db/storage_fault.h"

namespace db {
namespace {

namespace fs = std::filesystem;

// The copy's disk filled: told apart so the clerk reads it in their words.
struct DiskFull {};

void execOn(sqlite3* db, const char* sql, const std::string& what) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    if (sqlite3_errcode(db) == SQLITE_FULL) {
      sqlite3_free(err);
      throw DiskFull{};
    }
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw BackupError(what + ": " + msg);
  }
}

// Holds one read snapshot of the source for the life of the backup.
class SourceSnapshot {
 public:
  SourceSnapshot(sqlite3* db, const std::string& path) : db_(db) {
    execOn(db_, "BEGIN", "cannot read " + path);
    try {
      execOn(db_, "SELECT count(*) FROM sqlite_schema",
             "cannot read " + path);  // takes the snapshot now
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }
  ~SourceSnapshot() { sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); }
  SourceSnapshot(const SourceSnapshot&) = delete;
  SourceSnapshot& operator=(const SourceSnapshot&) = delete;

 private:
  sqlite3* db_;
};

// Copies every page of `source` into the file `partial`, step by step.
BackupReport copyPages(EmbeddedConnection& source, const std::string& partial,
                       const BackupOptions& options) {
  sqlite3* dest = nullptr;
  if (sqlite3_open_v2(partial.c_str(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) != SQLITE_OK) {
    std::string msg = dest ? sqlite3_errmsg(dest) : "out of memory";
    sqlite3_close(dest);
    throw BackupError("cannot write " + partial + ": " + msg);
  }
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> destGuard(dest, &sqlite3_close);
  BackupReport report;
  {
    SourceSnapshot snapshot(source.handle(), source.path());
    sqlite3_backup* backup = sqlite3_backup_init(dest, "main", source.handle(), "main");
    if (!backup) throw BackupError("cannot back up " + source.path() + ": " + sqlite3_errmsg(dest));
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
      rc = sqlite3_backup_step(backup, options.pagesPerStep);
      ++report.steps;
      report.pages = sqlite3_backup_pagecount(backup);
      if (options.progress)
        options.progress(report.pages - sqlite3_backup_remaining(backup), report.pages);
      if (rc != SQLITE_DONE) std::this_thread::sleep_for(options.pause);
    }
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_FULL) throw DiskFull{};
    if (rc != SQLITE_DONE)
      throw BackupError("cannot back up " + source.path() + ": " + sqlite3_errstr(rc));
  }
  // One self-contained file: the copy took the source's WAL mark with page 1.
  execOn(dest, "PRAGMA journal_mode=DELETE", "cannot finish " + partial);
  return report;
}

void removeQuietly(const std::string& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

}  // namespace

std::unique_ptr<EmbeddedConnection> openForChecking(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  char header[20] = {};
  const bool wal = in.read(header, sizeof header) && header[18] == 2;
  OpeningDamagedFile checking;  // a file marked damaged is what most needs checking
  if (wal)
    return std::make_unique<EmbeddedConnection>(file, EmbeddedConnection::Options{5000, false});
  return std::make_unique<EmbeddedConnection>(file, EmbeddedConnection::ReadOnly{});
}

std::vector<std::string> integrityProblems(EmbeddedConnection& connection) {
  std::vector<std::string> problems;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(connection.handle(), "PRAGMA integrity_check", -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
      problems.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  }
  if (rc != SQLITE_DONE) problems.emplace_back(sqlite3_errmsg(connection.handle()));
  sqlite3_finalize(st);
  if (problems.size() == 1 && problems.front() == "ok") problems.clear();
  return problems;
}

std::vector<std::string> integrityProblems(const std::string& file) {
  try {
    return integrityProblems(*openForChecking(file));
  } catch (const std::exception& e) {
    return {e.what()};
  }
}

int schemaVersionOfFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  char header[100] = {};
  if (!in.read(header, sizeof header) || std::string(header, 15) != "SQLite format 3") return -1;
  int version = 0;  // big-endian at offset 60
  for (int i = 60; i < 64; ++i) version = (version << 8) | static_cast<unsigned char>(header[i]);
  return version;
}

std::string diskFullBackupMessage(const std::string& out) {
  return "磁盘空间不足，备份 " + out +
         " 没有完成；未完成的备份文件已删除，此前的备份不受影响。请释放磁盘空间或另选有空间的"
         "文件夹后重新备份。";
}

BackupReport backupDatabase(EmbeddedConnection& source, const std::string& out,
                            const BackupOptions& options) {
  if (fs::exists(out))
    throw BackupError("The backup " + out + " already exists; choose another name.");
  const std::string partial = out + ".partial";
  removeQuietly(partial);
  try {
    BackupReport report = copyPages(source, partial, options);
    if (auto problems = integrityProblems(partial); !problems.empty())
      throw BackupError("the copy of " + source.path() +
                        " failed its integrity check: " + problems.front());
    report.sha256 = sha256OfFile(partial);
    fs::rename(partial, out);
    writeChecksumFile(out, report.sha256);
    if (readChecksumFile(out) != report.sha256 || sha256OfFile(out) != report.sha256)
      throw BackupError("the backup " + out + " reads back different from what was written");
    return report;
  } catch (const BackupError&) {
    for (const std::string& f : {partial, out, checksumFileOf(out)}) removeQuietly(f);
    throw;
  } catch (const DiskFull&) {
    for (const std::string& f : {partial, out, checksumFileOf(out)}) removeQuietly(f);
    throw BackupError(diskFullBackupMessage(out));
  } catch (const std::exception& e) {
    for (const std::string& f : {partial, out, checksumFileOf(out)}) removeQuietly(f);
    throw BackupError("cannot back up " + source.path() + " to " + out + ": " + e.what());
  }
}

std::string beforeRestoreName(const std::string& path) { return keptCopyName(path, "restore"); }

std::string keptCopyName(const std::string& path, const std::string& occasion) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = path + ".before-" + occasion + "-" + stamp;
  std::string name = base;
  for (int n = 2; fs::exists(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}

void verifyBackupChecksum(const std::string& backup) {
  if (!fs::is_regular_file(backup)) throw BackupError("The backup " + backup + " does not exist.");
  const std::string recorded = readChecksumFile(backup);
  if (recorded.empty())
    throw BackupError("The backup " + backup + " has no checksum file (" + checksumFileOf(backup) +
                      "), so it cannot be told whole; it was not restored.");
  if (sha256OfFile(backup) != recorded)
    throw BackupError(
        "The backup " + backup +
        " does not match its checksum: it is damaged or was changed after the backup; it was "
        "not restored.");
}

}  // namespace db
