// The automatic daily backup of the open database: its backups in the folder the
// owner chose (named <database>-YYYYMMDD, a file copy ".db" or a server dump ".dump",
// each with its checksum beside it), today's made on the first sign-in of the day and
// the ones BackupRotation lets go removed. The clock is injected, so tests move days.
// The folder setting is a one-line file in the user's data folder.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "host/services/backup_rotation.h"

namespace db {
class Connection;
}  // namespace db

namespace host {

struct BackupFile {
  std::string path;
  BackupDay day;
};

//! After each step of a backup: the pages (or steps) done of the total.
using BackupProgress = std::function<void(int done, int total)>;

class DailyBackup {
 public:
  using Clock = std::function<core::DateTime()>;

  //! The backups of the database at `address` (its file, or a postgresql:// address)
  //! in `folder`.
  DailyBackup(std::string address, std::string folder, Clock clock = &core::DateTime::now);

  const std::string& folder() const { return folder_; }
  //! This database's daily backups in the folder, oldest first (what the rotation keeps).
  std::vector<BackupFile> backups() const;
  //! The name offered for a backup made by hand today: dated, so it counts for the age
  //! shown and for today's backup, but outside the rotation, which never removes it.
  std::string manualBackupName() const;
  BackupDay today() const;
  bool due() const;
  BackupAge age() const;
  //! Makes today's backup through `connection` when due, then removes the backups the
  //! rotation lets go. The new backup's path, or "" when none was due. Throws
  //! db::BackupError (nothing removed then).
  std::string runIfDue(db::Connection& connection, const BackupProgress& progress = {});
  //! A backup of `connection` (the database at `address`) to `out`, which must not exist.
  static void backupTo(db::Connection& connection, const std::string& address,
                       const std::string& out, const BackupProgress& progress = {});

 private:
  std::optional<BackupDay> lastDay() const;
  void prune() const;

  std::string address_, folder_, prefix_, extension_;
  Clock clock_;
};

//! The user's data folder's "backups", where backups go until the owner chooses.
std::string defaultBackupFolder();
//! The folder the owner chose (kept in the user's data folder), else the default.
std::string backupFolderSetting();
//! Keeps `folder` as the backup folder. Throws std::runtime_error when it cannot be kept.
void setBackupFolderSetting(const std::string& folder);

}  // namespace host
