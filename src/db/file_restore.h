// Restoring a database file from a backup made by backupDatabase: the backup is
// refused unless its checksum matches, SQLite finds it whole and its schema is one this
// program knows. It is copied beside the live file first and only then renamed over
// it, so a failure midway leaves the live file as it was; the file it replaces is kept
// under FILE.before-restore-YYYYMMDD-HHMMSS.
#pragma once

#include <string>

namespace db {

struct RestoreReport {
  std::string keptAs;  //!< where the replaced file went ("" when there was none)
};

//! Throws BackupError (refusal or failure); the live file is then untouched.
RestoreReport restoreDatabase(const std::string& file, const std::string& from);

//! Refuses a backup that is damaged (checksum missing or different, integrity check
//! failed) or of a newer schema, by throwing BackupError naming the backup.
void verifyBackup(const std::string& backup);

}  // namespace db
