// What the clerk is told when the file under the database gives way (a full disk, a
// failed read or write, a damaged file), and how a damaged file is remembered until
// it is restored: a marker beside it, so the next start says what to do and names the
// newest backup instead of failing again on some later page.
#pragma once

#include <string>

#include "tsql/storage_fault.h"

namespace db {

//! Where the shop keeps its backups besides the database's own folder (set by the
//! desktop from its settings); searched for the newest backup.
void setBackupFolder(const std::string& folder);

//! The cause beside a failed batch's own text: what happened, that nothing was saved,
//! and what to do. `database` and `backupFolder` name the backup to restore from.
std::string storageFaultCause(tsql::StorageFault fault, const std::string& database);

//! The newest backup of a database: a file with its `.sha256` beside it, in the
//! database's own folder or in the backup folder; "" when there is none.
std::string newestBackup(const std::string& database);

//! What to do with a damaged database: restore the newest backup (named), or, with
//! none, check the file.
std::string damagedFileAdvice(const std::string& database);

//! The marker kept beside a database found damaged (FILE.damaged).
std::string damageMarkerOf(const std::string& database);
//! Leaves the marker (quietly: the clerk has already been told).
void markDamaged(const std::string& database);
//! Removes the marker: the file was restored.
void clearDamageMark(const std::string& database);
//! The message refusing a marked file ("" when it is not marked).
std::string damageMarkMessage(const std::string& database);

//! While one lives on this thread, a marked file opens (to be checked or backed up).
class OpeningDamagedFile {
 public:
  OpeningDamagedFile();
  ~OpeningDamagedFile();
  OpeningDamagedFile(const OpeningDamagedFile&) = delete;
  OpeningDamagedFile& operator=(const OpeningDamagedFile&) = delete;
  static bool active();
};

}  // namespace db
