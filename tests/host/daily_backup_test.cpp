// The automatic backups' rule (which backups stay, when one is due, the age shown and
// its warning) as tables of dates, and the daily run on a real file over weeks of an
// injected clock: the folder ends holding exactly the backups the rule keeps.
#include "host/services/daily_backup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "db/embedded_connection.h"
#include "db/file_checksum.h"

namespace {

using namespace std::chrono;
using host::BackupDay;
using host::BackupRotation;

// 2026-11-30 is a Monday.
BackupDay nov(int d) { return sys_days{year{2026} / November / day{static_cast<unsigned>(d)}}; }
BackupDay oct(int d) { return sys_days{year{2026} / October / day{static_cast<unsigned>(d)}}; }

TEST(BackupRotation, KeepsTheLastSevenDaysAndTheFirstOfTheLastFourWeeks) {
  struct Case {
    const char* what;
    std::vector<BackupDay> days;
    std::set<BackupDay> kept;
  };
  std::vector<BackupDay> everyDay;  // 2026-10-26 (a Monday) .. 2026-11-30
  for (BackupDay d = oct(26); d <= nov(30); d += days{1}) everyDay.push_back(d);
  const Case cases[] = {
      {"none", {}, {}},
      {"fewer than seven", {nov(3), nov(1)}, {nov(1), nov(3)}},
      {"one a day for five weeks",
       everyDay,
       {nov(24), nov(25), nov(26), nov(27), nov(28), nov(29), nov(30),  // the last seven
        nov(9), nov(16), nov(23)}},  // Mondays of the three weeks before; this week's is nov 30
      {"a shop closed for weeks keeps its last seven backups, not seven calendar days",
       {oct(1), oct(2), oct(5), oct(6), oct(7), oct(8), oct(9), oct(12), nov(30)},
       {oct(5), oct(6), oct(7), oct(8), oct(9), oct(12), nov(30), oct(1)}},
      {"the same day twice counts once", {nov(30), nov(30), nov(29)}, {nov(29), nov(30)}},
      {"a week's first backup stays though it is older than the week's others",
       {nov(4), nov(6), nov(7), nov(8), nov(9), nov(10), nov(11), nov(12), nov(13), nov(14)},
       {nov(8), nov(9), nov(10), nov(11), nov(12), nov(13), nov(14), nov(4)}},
  };
  for (const Case& c : cases) EXPECT_EQ(BackupRotation::kept(c.days), c.kept) << c.what;
}

TEST(BackupRotation, DueOnceADayAndTheAgeWarnsAfterThreeDays) {
  struct Case {
    std::optional<BackupDay> last;
    bool due;
    const char* text;
    bool warning;
  };
  const Case cases[] = {
      {std::nullopt, true, "尚未备份", true},
      {nov(30), false, "上次备份：今天", false},
      {nov(29), true, "上次备份：昨天", false},
      {nov(27), true, "上次备份：3 天前", false},
      {nov(26), true, "上次备份：4 天前，请备份", true},
      {oct(30), true, "上次备份：31 天前，请备份", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BackupRotation::due(c.last, nov(30)), c.due) << c.text;
    const host::BackupAge age = BackupRotation::age(c.last, nov(30));
    EXPECT_EQ(age.text, c.text);
    EXPECT_EQ(age.warning, c.warning) << c.text;
  }
}

TEST(DailyBackup, FirstSignInOfEachDayBacksUpAndTheFolderKeepsWhatTheRuleKeeps) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("daily_backup_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  const std::string file = (root / "shop.db").string();
  db::EmbeddedConnection connection(file);
  ASSERT_TRUE(connection.execBatch("create table t(a int) insert into t values (1)").ok());
  core::DateTime now = core::DateTime::fromParts(2026, 10, 26, 8, 30);
  host::DailyBackup daily(file, (root / "backups").string(), [&] { return now; });
  std::vector<BackupDay> made;
  for (int n = 0; n < 36; ++n, now = now.addDays(1)) {
    const std::string first = daily.runIfDue(connection);
    ASSERT_FALSE(first.empty()) << now.toString();
    EXPECT_TRUE(fs::exists(db::checksumFileOf(first)));
    EXPECT_EQ(daily.runIfDue(connection), "") << "a second sign-in the same day";
    made.push_back(daily.today());
  }
  std::set<BackupDay> inFolder;
  for (const host::BackupFile& b : daily.backups()) inFolder.insert(b.day);
  EXPECT_EQ(inFolder, BackupRotation::kept(made));
  EXPECT_EQ(inFolder.size(), 10u);
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "backups"), fs::directory_iterator()),
            20);  // each backup with its checksum, nothing else left behind
  now = now.addDays(4);
  EXPECT_TRUE(daily.age().warning);
  EXPECT_EQ(daily.age().text, "上次备份：5 天前，请备份");
  // A backup made by hand counts for today, and the rotation leaves it alone; one never
  // finished (no checksum) does not count.
  const std::string unfinished = (root / "backups" / "shop-29991231-x.db").string();
  fs::copy_file(file, unfinished);
  const std::string byHand = daily.manualBackupName();
  host::DailyBackup::backupTo(connection, file, byHand);
  EXPECT_FALSE(daily.age().warning);
  EXPECT_EQ(daily.age().text, "上次备份：今天");
  EXPECT_EQ(daily.runIfDue(connection), "");
  now = now.addDays(1);
  ASSERT_FALSE(daily.runIfDue(connection).empty());
  EXPECT_TRUE(fs::exists(byHand));
  fs::remove_all(root);
}

}  // namespace
