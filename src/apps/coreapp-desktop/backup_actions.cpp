// BackupActions: every action reports its failure in a message box and leaves the
// database as it was; a restore closes the open pages first, since the bills they show
// are about to change under them.
#include "apps/coreapp-desktop/backup_actions.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "apps/coreapp-desktop/qt_ui.h"
#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_restore.h"
#include "db/pg_connection.h"
#include "db/server_backup.h"
#include "host/host.h"
#include "schema/book_checks.h"

namespace desktop {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The lines 检查 shows: integrity problems of a file first, then the books'.
QStringList problemsOf(db::Connection& connection) {
  QStringList lines;
  if (auto* file = dynamic_cast<db::EmbeddedConnection*>(&connection))
    for (const std::string& p : db::integrityProblems(*file)) lines << "数据库文件损坏\t" + qs(p);
  for (const schema::BookViolation& v : schema::checkBooks(connection))
    lines << qs(v.message) + "\t" + qs(v.bill) + "\t" + qs(v.detail);
  return lines;
}

host::BackupProgress reportTo(QProgressDialog& progress) {
  return [&progress](int done, int total) {
    progress.setMaximum(total);
    progress.setValue(done);
  };
}

}  // namespace

BackupActions::BackupActions(QMainWindow& window, QtUi& ui)
    : QObject(&window), window_(window), ui_(ui), age_(new QLabel(&window)) {
  age_->setObjectName("backupAge");
  window.statusBar()->addPermanentWidget(age_);
  showAge();
}

void BackupActions::setReopen(Reopen reopen, std::function<bool()> closePages) {
  reopen_ = std::move(reopen);
  closePages_ = std::move(closePages);
}

void BackupActions::addMenu(QMenu& menu) {
  menu.addAction("备份…", this,
                 [this] {
                   const QString name = qs(daily().manualBackupName());
                   const QString out = QFileDialog::getSaveFileName(&window_, "备份", name);
                   if (!out.isEmpty()) backUpTo(out);
                 })
      ->setObjectName("actBackup");
  menu.addAction("恢复…", this,
                 [this] {
                   const QString from = QFileDialog::getOpenFileName(
                       &window_, "恢复", qs(daily().folder()), "备份 (*.db *.dump);;所有文件 (*)");
                   if (!from.isEmpty()) restoreFrom(from);
                 })
      ->setObjectName("actRestore");
  menu.addAction("检查", this, [this] { check(); })->setObjectName("actCheck");
  menu.addAction("备份位置…", this,
                 [this] {
                   const QString folder = QFileDialog::getExistingDirectory(&window_, "备份位置",
                                                                            qs(daily().folder()));
                   if (folder.isEmpty()) return;
                   try {
                     host::setBackupFolderSetting(folder.toStdString());
                   } catch (const std::exception& e) {
                     fail("备份位置", e);
                   }
                   showAge();
                 })
      ->setObjectName("actBackupFolder");
}

std::string BackupActions::address() const {
  if (!address_.empty()) return address_;
  auto* file = dynamic_cast<db::EmbeddedConnection*>(host::currentHost().connection);
  return file ? file->path() : std::string();
}

host::DailyBackup BackupActions::daily() const {
  return host::DailyBackup(address(), host::backupFolderSetting(), clock_);
}

std::unique_ptr<QProgressDialog> BackupActions::progressWindow(const QString& title) {
  auto progress = std::make_unique<QProgressDialog>(title, QString(), 0, 0, &window_);
  progress->setObjectName("backupProgress");
  progress->setWindowModality(Qt::WindowModal);
  progress->setMinimumDuration(0);
  return progress;
}

void BackupActions::fail(const char* caption, const std::exception& e) {
  ui_.messageBox(e.what(), caption, host::mtError, host::mbOK);
}

void BackupActions::backUpOnSignIn() {
  try {
    host::DailyBackup backups = daily();
    if (!backups.due()) return showAge();
    const auto progress = progressWindow("正在自动备份…");
    backups.runIfDue(host::currentHost().db(), reportTo(*progress));
  } catch (const std::exception& e) {
    fail("自动备份", e);
  }
  showAge();
}

void BackupActions::backUpTo(const QString& out) {
  try {
    const auto progress = progressWindow("正在备份…");
    host::DailyBackup::backupTo(host::currentHost().db(), address(), out.toStdString(),
                                reportTo(*progress));
    ui_.messageBox("已备份到 " + out.toStdString(), "备份", host::mtInformation, host::mbOK);
  } catch (const std::exception& e) {
    fail("备份", e);
  }
  showAge();
}

void BackupActions::restoreFrom(const QString& backup) {
  const std::string from = backup.toStdString(), to = address();
  const bool server = db::isServerUri(to);
  try {
    server ? db::verifyServerBackup(from) : db::verifyBackup(from);
  } catch (const std::exception& e) {
    return fail("恢复", e);
  }
  if (!reopen_ || !closePages_) return;
  if (ui_.messageBox("用备份 " + from + " 替换当前数据库吗？\n替换前的数据库会保留一份。", "恢复",
                     host::mtConfirmation, host::mbYes | host::mbNo) != host::mrYes)
    return;
  if (!closePages_()) return;
  std::string kept;
  try {
    reopen_([&] {
      kept = server ? db::restoreServerDatabase(to, from) : db::restoreDatabase(to, from).keptAs;
    });
  } catch (const std::exception& e) {
    return fail("恢复", e);
  }
  ui_.messageBox("已从 " + from + " 恢复数据库。\n原数据库保留为：" + kept, "恢复",
                 host::mtInformation, host::mbOK);
  showAge();
}

void BackupActions::check() {
  QStringList lines;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lines = problemsOf(host::currentHost().db());
    QApplication::restoreOverrideCursor();
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    return fail("检查", e);
  }
  auto* dialog = new QDialog(&window_);
  dialog->setObjectName("checkResult");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(lines.isEmpty() ? "检查：没有发现问题"
                                         : QString("检查：%1 个问题").arg(lines.size()));
  auto* list = new QListWidget(dialog);
  list->setObjectName("violations");
  list->addItems(lines.isEmpty() ? QStringList{"数据库完好，账目一致。"} : lines);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(list);
  dialog->resize(720, 420);
  dialog->show();
}

void BackupActions::showAge() {
  const host::BackupAge age = daily().age();
  age_->setText(qs(age.text));
  age_->setStyleSheet(age.warning ? "color: white; background: #c62828; padding: 0 6px;" : "");
  age_->setMinimumWidth(age_->sizeHint().width());  // the status bar makes room for the whole text
  age_->setToolTip(qs(daily().folder()));
}

}  // namespace desktop
