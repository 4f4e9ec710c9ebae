// coreapp db backup --db FILE --out BACKUP, db restore --db FILE --from BACKUP and
// db check --db FILE. The work is below the app (db/file_backup.h, db/file_restore.h,
// schema/book_checks.h); this file parses, prints and picks the exit code: 1 when the
// database or the copy failed, 2 for bad usage or a backup refused, 3 when a check
// found violations.
#include "apps/coreapp/cmd_db_safety.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_restore.h"
#include "db/pg_connection.h"
#include "db/server_backup.h"
#include "schema/book_checks.h"

namespace app {
namespace {

struct SafetyOptions {
  std::string file;
  std::string backup;
};

// Shown for a copy of more than this many pages (40 MB at SQLite's 4 KB pages).
constexpr int kProgressFromPages = 10000;

db::BackupOptions progressOnStderr(const std::string& file) {
  db::BackupOptions options;
  options.progress = [file, shown = -1](int copied, int total) mutable {
    if (total < kProgressFromPages || total == 0) return;
    const int tenth = copied * 10 / total;
    if (tenth == shown) return;
    shown = tenth;
    std::cerr << "coreapp db backup: " << file << " " << tenth * 10 << "% (" << copied << " of "
              << total << " pages)\n";
  };
  return options;
}

int runServerBackup(const SafetyOptions& o) {
  try {
    std::cout << o.backup << ": pg_dump custom format, sha256 "
              << db::dumpServerDatabase(o.file, o.backup) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "coreapp db backup: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int runServerRestore(const SafetyOptions& o) {
  try {
    db::verifyServerBackup(o.backup);
  } catch (const std::exception& e) {
    std::cerr << "coreapp db restore: " << e.what() << "\n";
    return 2;
  }
  try {
    const std::string kept = db::restoreServerDatabase(o.file, o.backup);
    std::cout << "restored the server database from " << o.backup
              << "; the replaced one is kept as " << kept << "\n";
  } catch (const std::exception& e) {
    std::cerr << "coreapp db restore: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int runBackup(const SafetyOptions& o) {
  if (std::filesystem::exists(o.backup)) {
    std::cerr << "coreapp db backup: " << o.backup << " already exists; choose another name\n";
    return 2;
  }
  if (db::isServerUri(o.file)) return runServerBackup(o);
  try {
    db::EmbeddedConnection source(o.file, {5000, false});
    const db::BackupReport report = db::backupDatabase(source, o.backup, progressOnStderr(o.file));
    std::cout << o.backup << ": " << report.pages << " pages in " << report.steps
              << " steps, sha256 " << report.sha256 << "\n";
  } catch (const db::ConnectionError& e) {
    std::cerr << "coreapp db backup: " << e.what() << "\n";
    return std::filesystem::exists(o.file) ? 1 : 2;
  } catch (const std::exception& e) {
    std::cerr << "coreapp db backup: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int runRestore(const SafetyOptions& o) {
  if (db::isServerUri(o.file)) return runServerRestore(o);
  try {
    db::verifyBackup(o.backup);
  } catch (const std::exception& e) {
    std::cerr << "coreapp db restore: " << e.what() << "\n";
    return 2;
  }
  try {
    const db::RestoreReport report = db::restoreDatabase(o.file, o.backup);
    std::cout << "restored " << o.file << " from " << o.backup;
    if (!report.keptAs.empty()) std::cout << "; the replaced file is kept as " << report.keptAs;
    std::cout << "\n";
  } catch (const std::exception& e) {
    std::cerr << "coreapp db restore: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

// Integrity first (a damaged file's other answers mean little), then the books.
int runCheck(const SafetyOptions& o) {
  std::unique_ptr<db::Connection> connection;
  int problems = 0;
  try {
    if (db::isServerUri(o.file)) {
      connection = std::make_unique<db::PgConnection>(o.file);
    } else {
      auto file = db::openForChecking(o.file);
      for (const std::string& p : db::integrityProblems(*file)) {
        std::cout << "integrity\t" << o.file << "\t" << p << "\n";
        ++problems;
      }
      connection = std::move(file);
    }
    for (const schema::BookViolation& v : schema::checkBooks(*connection)) {
      std::cout << v.check << "\t" << v.bill << "\t" << v.message << "\t" << v.detail << "\n";
      ++problems;
    }
  } catch (const std::exception& e) {
    std::cerr << "coreapp db check: " << e.what() << "\n";
    return 1;
  }
  if (problems == 0)
    std::cout << "ok\n";
  else
    std::cerr << "coreapp db check: " << problems << " problem(s) in " << o.file << "\n";
  return problems == 0 ? 0 : 3;
}

void addCommand(CLI::App& db, const char* name, const char* help, const char* fileHelp,
                const char* backupFlag, const char* backupHelp, int (*run)(const SafetyOptions&)) {
  auto options = std::make_shared<SafetyOptions>();
  auto* cmd = db.add_subcommand(name, help);
  cmd->add_option("--db", options->file, fileHelp)->required();
  if (backupFlag) cmd->add_option(backupFlag, options->backup, backupHelp)->required();
  cmd->callback([options, run] {
    if (int code = run(*options); code != 0) throw CLI::RuntimeError(code);
  });
}

}  // namespace

void setupDbSafety(CLI::App& db) {
  addCommand(
      db, "backup", "Copy a live database file while clerks keep saving, with a checksum beside it",
      "Database file to back up", "--out", "Backup file to write (must not exist)", runBackup);
  addCommand(db, "restore",
             "Replace a database file by a verified backup, keeping the replaced file",
             "Database file to replace", "--from", "Backup file made by db backup", runRestore);
  addCommand(
      db, "check", "Check a database file or backup: integrity and the books' own invariants",
      "Database file, backup or server database (postgresql://...)", nullptr, nullptr, runCheck);
}

}  // namespace app
