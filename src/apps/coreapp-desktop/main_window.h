// MainWindow: the host's main window — a ribbon of the registered plug items grouped
// by subsystem (only those the user may open), the page control in which each bill
// editor opens as a closable page, a status line and a debug-log panel. Opening an
// item runs its creator; editors land in the host's page control (PageControl()) and
// are shown from there, modal windows are shown by the Ui while the creator runs. A page
// that a form opens from its own action (账户余额, 对账明细, the loss and gain bill after
// 处理盘点单) is announced by the page control and shown once that action is over.
// Needs a current host (HostScope) for its whole life.
#pragma once

#include <QMainWindow>
#include <map>
#include <string>

#include "apps/coreapp-desktop/backup_actions.h"

class QPlainTextEdit;
class QTabWidget;

namespace host {
class TBaseForm;
class TPlugItem;
}  // namespace host

namespace desktop {

class ConnectionWatch;
class FormView;
class QtUi;

class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(QtUi& ui, QWidget* parent = nullptr);
  ~MainWindow() override;

  //! Runs the item's creator as a click in the ribbon does, then shows new pages.
  void openItem(host::TPlugItem& item, const std::string& billno = {});
  //! Shows pages the page control got, drops pages that closed.
  void syncPages();
  //! Shows the pages the page control got that have no view yet; the last one becomes
  //! the current page and takes the focus.
  void showNewPages();
  //! The page control's widget.
  QTabWidget* pages() const { return pages_; }
  //! The view of an open page, or null.
  FormView* pageView(const host::TBaseForm& form) const;
  //! The 数据 menu's backup, restore and check, and the backup age in the status bar.
  BackupActions& backups() { return *backups_; }
  //! How a restore reopens the database; the window closes its pages first.
  void setReopen(BackupActions::Reopen reopen);
  //! After the server connection came back: every open bill editor re-reads its bill
  //! unless the clerk has unsaved edits in it.
  void rereadBills();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildRibbon();
  void closePage(int index);
  //! Asks every page with unsaved edits (CloseQuery); false when one of them stays.
  bool queryClosePages();
  void closeAllPages();

  QtUi& ui_;
  QTabWidget* pages_;
  QPlainTextEdit* log_;
  BackupActions* backups_;
  ConnectionWatch* link_ = nullptr;  //!< on a server database only
  std::map<const host::TBaseForm*, FormView*> views_;
};

}  // namespace desktop
