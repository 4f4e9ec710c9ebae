// The rule of the automatic backups, apart from any file or window: which backups to
// keep (the last 7 days that have one and the first backup of each of the last 4
// weeks), whether one is due (none made today), and the age the status bar shows,
// a warning once the last backup is more than 3 days old. Days are calendar dates.
#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace host {

using BackupDay = std::chrono::sys_days;

struct BackupAge {
  std::string text;  //!< "上次备份：今天", "上次备份：5 天前", "尚未备份"
  bool warning = false;
};

class BackupRotation {
 public:
  static constexpr int kDailyKept = 7;
  static constexpr int kWeeklyKept = 4;
  static constexpr int kWarnAfterDays = 3;

  //! The days among `days` whose backups stay; the others' go.
  static std::set<BackupDay> kept(const std::vector<BackupDay>& days);
  //! True when no backup was made on `today`.
  static bool due(std::optional<BackupDay> last, BackupDay today);
  static BackupAge age(std::optional<BackupDay> last, BackupDay today);
};

}  // namespace host
