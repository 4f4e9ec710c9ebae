// BackupActions: the main window's 数据 menu — 备份 (now, to a file the user names),
// 恢复 (from a backup, after asking: the replaced database is kept and named, then
// reopened), 检查 (integrity and the books' invariants, each violation a line of a
// list), 备份位置 (the daily backups' folder) — the daily backup on the first sign-in of
// the day, and the last backup's age in the status bar, a warning after 3 days. The
// work is below the shell (host/services/daily_backup.h, db/file_*.h, schema/book_checks.h).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "host/services/daily_backup.h"

class QLabel;
class QMainWindow;
class QMenu;
class QProgressDialog;

namespace desktop {

class QtUi;

class BackupActions : public QObject {
 public:
  //! Closes the database, runs `whileClosed`, opens it again as the host's connection
  //! (main.cpp owns the connection); rethrows what `whileClosed` threw.
  using Reopen = std::function<void(const std::function<void()>& whileClosed)>;

  BackupActions(QMainWindow& window, QtUi& ui);

  //! The database's file or postgresql:// address (default: the open file's path).
  void setAddress(std::string address) { address_ = std::move(address); }
  void setReopen(Reopen reopen, std::function<bool()> closePages);
  void setClock(host::DailyBackup::Clock clock) { clock_ = std::move(clock); }
  void addMenu(QMenu& menu);

  //! Makes today's backup when none is there yet, showing its progress; then the age.
  void backUpOnSignIn();
  void backUpTo(const QString& out);
  //! Asks first; refuses a damaged backup; names the kept database afterwards.
  void restoreFrom(const QString& backup);
  //! Checks the open database and lists every problem in a window.
  void check();
  void showAge();
  QLabel* ageLabel() const { return age_; }

 private:
  std::string address() const;
  host::DailyBackup daily() const;
  //! A progress window for one backup; it goes when the returned pointer does.
  std::unique_ptr<QProgressDialog> progressWindow(const QString& title);
  void fail(const char* caption, const std::exception& e);

  QMainWindow& window_;
  QtUi& ui_;
  QLabel* age_;
  std::string address_;
  Reopen reopen_;
  std::function<bool()> closePages_;
  host::DailyBackup::Clock clock_ = &core::DateTime::now;
};

}  // namespace desktop
