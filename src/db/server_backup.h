// Backup and restore of a server database with the installed PostgreSQL's own tools:
// pg_dump in the custom format (a consistent snapshot; clerks keep saving), pg_restore
// in one transaction (a failure midway changes nothing). The same checksum file as a
// file backup sits beside the dump, and a restore first dumps the database it replaces.
#pragma once

#include <string>

namespace db {

//! Dumps the server database `uri` to `out` (which must not exist), verifies that
//! pg_restore can read it and writes its checksum beside it. Throws BackupError.
std::string dumpServerDatabase(const std::string& uri, const std::string& out);

//! Refuses a dump without a matching checksum or that pg_restore cannot read; else
//! dumps the current database beside the backup as PLACE.before-restore-<time> (PLACE
//! as PgConnection::placeName; the name is returned, with its checksum beside it) and
//! restores the backup over it in one transaction. Throws BackupError.
std::string restoreServerDatabase(const std::string& uri, const std::string& from);

//! The refusal part of restoreServerDatabase alone. Throws BackupError.
void verifyServerBackup(const std::string& backup);

}  // namespace db
