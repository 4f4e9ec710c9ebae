// BackupRotation: a week runs Monday to Sunday; its first backup is the weekly one, so a
// weekly backup never changes once its week has begun.
#include "host/services/backup_rotation.h"

#include <algorithm>
#include <map>

namespace host {

std::set<BackupDay> BackupRotation::kept(const std::vector<BackupDay>& days) {
  const std::set<BackupDay> distinct(days.begin(), days.end());
  std::set<BackupDay> keep;
  int daily = 0;
  for (auto it = distinct.rbegin(); it != distinct.rend() && daily < kDailyKept; ++it, ++daily)
    keep.insert(*it);
  std::map<BackupDay, BackupDay> firstOfWeek;  // by the week's Monday
  for (BackupDay day : distinct) {
    const BackupDay monday =
        day - (std::chrono::weekday{day} - std::chrono::Monday);  // weekday difference is 0..6
    firstOfWeek.emplace(monday, day);
  }
  int weekly = 0;
  for (auto it = firstOfWeek.rbegin(); it != firstOfWeek.rend() && weekly < kWeeklyKept;
       ++it, ++weekly)
    keep.insert(it->second);
  return keep;
}

bool BackupRotation::due(std::optional<BackupDay> last, BackupDay today) {
  return !last || *last < today;
}

BackupAge BackupRotation::age(std::optional<BackupDay> last, BackupDay today) {
  if (!last) return {"尚未备份", true};
  const long long days = (today - *last).count();
  if (days <= 0) return {"上次备份：今天", false};
  if (days == 1) return {"上次备份：昨天", false};
  const std::string text = "上次备份：" + std::to_string(days) + " 天前";
  return days > kWarnAfterDays ? BackupAge{text + "，请备份", true} : BackupAge{text, false};
}

}  // namespace host
