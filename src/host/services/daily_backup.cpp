// DailyBackup: the day of a backup is read from its name, so a copied or touched file
// keeps its place in the rotation. A file copy goes through SQLite's online backup (clerks
// keep saving), a server database through pg_dump.
#include "host/services/daily_backup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/user_folder.h"
#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "db/pg_connection.h"
#include "db/server_backup.h"
#include "db/storage_fault.h"

namespace host {

namespace fs = std::filesystem;

namespace {

BackupDay dayOf(const core::DateTime& t) {
  using namespace std::chrono;
  return sys_days{year{t.year()} / month{static_cast<unsigned>(t.month())} /
                  day{static_cast<unsigned>(t.day())}};
}

// "YYYYMMDD" at the start of `text`, if it is a real date.
std::optional<BackupDay> parseDay(const std::string& text) {
  int y = 0;
  unsigned m = 0, d = 0;
  if (text.size() < 8 || std::sscanf(text.substr(0, 8).c_str(), "%4d%2u%2u", &y, &m, &d) != 3)
    return std::nullopt;
  const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{m},
                                        std::chrono::day{d}};
  if (!ymd.ok()) return std::nullopt;
  return std::chrono::sys_days{ymd};
}

std::string stampOf(BackupDay day) {
  const std::chrono::year_month_day ymd{day};
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%04d%02u%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return stamp;
}

std::string dataFolder() {
  const std::string data = core::userDataFolder();
  return data.empty() ? fs::current_path().string() : data;
}

std::string settingFile() { return (fs::path(dataFolder()) / "backup_folder.txt").string(); }

}  // namespace

DailyBackup::DailyBackup(std::string address, std::string folder, Clock clock)
    : address_(std::move(address)), folder_(std::move(folder)), clock_(std::move(clock)) {
  db::setBackupFolder(folder_);  // a damaged file's message names the newest backup here
  const bool server = db::isServerUri(address_);
  prefix_ = (server ? std::string("server") : fs::path(address_).stem().string()) + "-";
  extension_ = server ? ".dump" : ".db";
}

std::vector<BackupFile> DailyBackup::backups() const {
  std::vector<BackupFile> found;
  std::error_code error;  // a folder not made yet holds no backups
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix_, 0) != 0 || entry.path().extension() != extension_) continue;
    const std::string stamp = name.substr(prefix_.size());
    if (stamp.size() != 8 + extension_.size()) continue;
    if (auto day = parseDay(stamp)) found.push_back({entry.path().string(), *day});
  }
  std::sort(found.begin(), found.end(),
            [](const BackupFile& a, const BackupFile& b) { return a.day < b.day; });
  return found;
}

BackupDay DailyBackup::today() const { return dayOf(clock_()); }

// Any backup of this database whose name begins with its day counts, the daily ones and
// those made by hand, as long as its checksum says it was finished.
std::optional<BackupDay> DailyBackup::lastDay() const {
  std::optional<BackupDay> last;
  std::error_code error;  // a folder not made yet holds no backups
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix_, 0) != 0 || entry.path().extension() != extension_ ||
        !fs::exists(db::checksumFileOf(entry.path().string())))
      continue;
    if (auto day = parseDay(name.substr(prefix_.size())); day && (!last || *day > *last))
      last = day;
  }
  return last;
}

std::string DailyBackup::manualBackupName() const {
  return (fs::path(folder_) / (prefix_ + stampOf(today()) + "-手工备份" + extension_)).string();
}

bool DailyBackup::due() const { return BackupRotation::due(lastDay(), today()); }

BackupAge DailyBackup::age() const { return BackupRotation::age(lastDay(), today()); }

std::string DailyBackup::runIfDue(db::Connection& connection, const BackupProgress& progress) {
  if (!due()) return "";
  fs::create_directories(folder_);
  const std::string out = (fs::path(folder_) / (prefix_ + stampOf(today()) + extension_)).string();
  backupTo(connection, address_, out, progress);
  prune();
  return out;
}

void DailyBackup::backupTo(db::Connection& connection, const std::string& address,
                           const std::string& out, const BackupProgress& progress) {
  if (auto* file = dynamic_cast<db::EmbeddedConnection*>(&connection)) {
    db::BackupOptions options;
    options.progress = progress;
    db::backupDatabase(*file, out, options);
    return;
  }
  if (progress) progress(0, 1);  // pg_dump tells no steps: begun, then done
  db::dumpServerDatabase(address, out);
  if (progress) progress(1, 1);
}

void DailyBackup::prune() const {
  const std::vector<BackupFile> all = backups();
  std::vector<BackupDay> days;
  for (const BackupFile& b : all) days.push_back(b.day);
  const std::set<BackupDay> keep = BackupRotation::kept(days);
  for (const BackupFile& b : all) {
    if (keep.count(b.day)) continue;
    std::error_code ignored;  // a backup that cannot go now goes at a later sign-in
    fs::remove(b.path, ignored);
    fs::remove(db::checksumFileOf(b.path), ignored);
  }
}

std::string defaultBackupFolder() { return (fs::path(dataFolder()) / "backups").string(); }

std::string backupFolderSetting() {
  std::ifstream in(settingFile());
  std::string folder;
  if (in && std::getline(in, folder) && !folder.empty()) return folder;
  return defaultBackupFolder();
}

void setBackupFolderSetting(const std::string& folder) {
  std::error_code ignored;  // the file's open below says whether the folder is there
  fs::create_directories(dataFolder(), ignored);
  std::ofstream out(settingFile(), std::ios::trunc);
  if (!(out << folder << "\n")) throw std::runtime_error("无法保存备份位置：" + settingFile());
}

}  // namespace host
