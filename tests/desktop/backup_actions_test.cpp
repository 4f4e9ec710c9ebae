// The desktop's backups: signing in with no backup made today puts one in the folder
// the owner chose and the status bar tells its age, turning to a warning once the last
// backup is more than 3 days old (pictured); 检查 lists what it found.
#include <unistd.h>

#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <cstdlib>
#include <filesystem>

#include "db/file_checksum.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"

namespace {

namespace fs = std::filesystem;

class BackupActionsTest : public desktop_test::ShellSession {
 protected:
  BackupActionsTest() {
    fs::remove_all(root_);
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data) savedData_ = data;
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);  // the settings file goes here
    host::setBackupFolderSetting((root_ / "chosen").string());
    window->backups().setAddress((root_ / "shop.db").string());
    window->backups().setClock([this] { return now; });
  }
  ~BackupActionsTest() override {
    if (savedData_.empty())
      ::unsetenv("XDG_DATA_HOME");
    else
      ::setenv("XDG_DATA_HOME", savedData_.c_str(), 1);
    fs::remove_all(root_);
  }
  QLabel* age() { return window->statusBar()->findChild<QLabel*>("backupAge"); }

  const fs::path root_ =
      fs::temp_directory_path() / ("desktop_backups_" + std::to_string(::getpid()));
  std::string savedData_;
  core::DateTime now = core::DateTime::fromParts(2026, 11, 30, 8, 45);
};

TEST_F(BackupActionsTest, FirstSignInOfTheDayBacksUpIntoTheChosenFolderAndTheStatusBarTellsItsAge) {
  const fs::path today = root_ / "chosen" / "shop-20261130.db";
  window->backups().showAge();
  ASSERT_NE(age(), nullptr);
  EXPECT_EQ(age()->text(), "尚未备份");
  window->backups().backUpOnSignIn();
  ASSERT_TRUE(fs::exists(today));
  EXPECT_TRUE(fs::exists(db::checksumFileOf(today.string())));
  EXPECT_EQ(age()->text(), "上次备份：今天");
  EXPECT_TRUE(age()->styleSheet().isEmpty());
  const auto written = fs::last_write_time(today);
  now = now.addMillis(3 * 3600 * 1000);  // signing in again later the same day
  window->backups().backUpOnSignIn();
  EXPECT_EQ(fs::last_write_time(today), written);
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "chosen"), fs::directory_iterator()), 2);

  now = now.addDays(3);
  window->backups().showAge();
  EXPECT_EQ(age()->text(), "上次备份：3 天前");
  EXPECT_TRUE(age()->styleSheet().isEmpty());
  now = now.addDays(1);
  window->backups().showAge();
  EXPECT_EQ(age()->text(), "上次备份：4 天前，请备份");
  EXPECT_FALSE(age()->styleSheet().isEmpty());
  QApplication::processEvents();  // the status bar's layout takes the longer text
  desktop_test::savePicture(*window, "status_bar_backup_warning.png");
  desktop_test::savePicture(*window->statusBar(), "status_bar_backup_warning_line.png",
                            QSize(1280, window->statusBar()->sizeHint().height()));
}

TEST_F(BackupActionsTest, TheDataMenuChecksTheOpenDatabaseAndListsWhatItFound) {
  QStringList menus;
  for (QAction* a : window->menuBar()->actions()) menus << a->text();
  EXPECT_TRUE(menus.contains("数据"));
  for (const char* name : {"actBackup", "actRestore", "actCheck", "actBackupFolder"})
    EXPECT_NE(window->findChild<QAction*>(name), nullptr) << name;
  const auto altered =
      conn.execBatch("select billno from vt_x_xmzzk where id = (select min(id) from vt_x_xmzzk)");
  ASSERT_TRUE(altered.ok() && !altered.resultSets.at(0).rows.empty());
  const QString billno = QString::fromStdString(altered.resultSets[0].rows[0][0].asText());
  ASSERT_TRUE(conn.execBatch("update vt_x_xmzzk set hjje = hjje + 1 where billno = '" +
                             billno.toStdString() + "'")
                  .ok());
  window->findChild<QAction*>("actCheck")->trigger();
  auto* list = window->findChild<QListWidget*>("violations");
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->count(), 1);
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  EXPECT_EQ(lines.filter(billno).size(), 1) << lines.join("\n").toStdString();
  list->window()->close();
}

}  // namespace
