// Backing up a live database file with SQLite's online backup API: a few pages per
// step and a short pause between steps, the source read from one snapshot (a read
// transaction held across the steps), so clerks keep saving throughout and the copy
// holds exactly the bills committed before it began. The copy is made beside its
// destination, verified (integrity check through the engine, checksum read back) and
// only then given its name, with its checksum file beside it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace db {

class EmbeddedConnection;

//! A backup, restore or verification that failed; the message says what and where.
class BackupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BackupOptions {
  int pagesPerStep = 64;                                //!< pages copied while the source is read
  std::chrono::milliseconds pause{5};                   //!< rest between steps
  std::function<void(int copied, int total)> progress;  //!< after each step
};

struct BackupReport {
  int pages = 0;       //!< pages in the copy
  int steps = 0;       //!< backup steps taken
  std::string sha256;  //!< the copy's checksum, also written beside it
};

//! What a backup that ran out of disk space says: nothing half-written is left at `out`
//! and the earlier backups are untouched.
std::string diskFullBackupMessage(const std::string& out);

//! Copies the database open on `source` to `out` (which must not exist yet).
//! Throws BackupError (diskFullBackupMessage when the disk filled); nothing is left at
//! `out` then.
BackupReport backupDatabase(EmbeddedConnection& source, const std::string& out,
                            const BackupOptions& options = {});

//! The name a restore keeps the replaced database under: `path` + ".before-restore-"
//! + the local time (YYYYMMDD-HHMMSS), with "-2", "-3" ... when that name is taken.
std::string beforeRestoreName(const std::string& path);
//! The same with another occasion in place of "restore" (an upgrade's "upgrade").
std::string keptCopyName(const std::string& path, const std::string& occasion);

//! Refuses, with a BackupError naming it, a backup that is missing or does not match the
//! checksum kept beside it (truncated, altered, or its checksum file gone).
void verifyBackupChecksum(const std::string& backup);

//! Opens an existing file for checking: a copy (rollback journal) read only, so its
//! bytes and checksum stay as they are; a live file (WAL) the usual way.
std::unique_ptr<EmbeddedConnection> openForChecking(const std::string& file);

//! SQLite's integrity check through the engine's connection (so its collations are
//! there); empty when the file is whole, else one text per problem.
std::vector<std::string> integrityProblems(EmbeddedConnection& connection);
//! The same for a file opened by openForChecking; a file that cannot be opened is a problem.
std::vector<std::string> integrityProblems(const std::string& file);

//! The schema generation kept in a file's header (its user_version).
int schemaVersionOfFile(const std::string& file);

}  // namespace db
