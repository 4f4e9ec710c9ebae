// MainWindow: ribbon tabs of large tool buttons, the page tabs, the status line. A page
// that closes from its own action is removed after the event that closed it has
// returned (never from inside its own handler), then the page control frees it.
#include "apps/coreapp-desktop/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "apps/coreapp-desktop/connection_watch.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/qt_ui.h"
#include "apps/coreapp-desktop/ribbon_groups.h"
#include "core/abort.h"
#include "db/pg_connection.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"

namespace desktop {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

MainWindow::MainWindow(QtUi& ui, QWidget* parent) : QMainWindow(parent), ui_(ui) {
  const host::SysAuth& login = host::currentHost().login;
  setWindowTitle("coreapp - " + qs(login.name));
  resize(1280, 800);
  auto* ribbon = new QToolBar(this);
  ribbon->setMovable(false);
  ribbon->addWidget(buildRibbon());
  addToolBar(Qt::TopToolBarArea, ribbon);
  pages_ = new QTabWidget(this);
  pages_->setTabsClosable(true);
  pages_->setDocumentMode(true);
  connect(pages_, &QTabWidget::tabCloseRequested, this, [this](int index) { closePage(index); });
  setCentralWidget(pages_);
  auto* dock = new QDockWidget("调试日志", this);
  log_ = new QPlainTextEdit(dock);
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(2000);
  dock->setWidget(log_);
  addDockWidget(Qt::BottomDockWidgetArea, dock);
  dock->hide();
  QMenu* system = menuBar()->addMenu("系统");
  system->addAction(dock->toggleViewAction());
  system->addAction("退出", this, &QWidget::close);
  backups_ = new BackupActions(*this, ui_);
  backups_->addMenu(*menuBar()->addMenu("数据"));
  statusBar()->showMessage("操作员：" + qs(login.code) + " " + qs(login.name));
  host::Host& host = host::currentHost();
  if (dynamic_cast<db::PgConnection*>(host.connection) != nullptr) {
    link_ = new ConnectionWatch(*this, host.db(), [this] { rereadBills(); });
    host.reconnect = [this] { return link_->reconnectNow(); };
  }
  ui_.setMainWindow(this);
  ui_.onStatus = [this](const QString& text) { statusBar()->showMessage(text, 8000); };
  ui_.onLog = [this](std::string_view tag, std::string_view text) {
    log_->appendPlainText("[" + qs(tag) + "] " + qs(text));
  };
  // The page's creator is still running when it is announced (its bill not yet opened):
  // the view is made after the event that opened it, when the page holds its data.
  host::PageControl().onPageAdded = [this](host::TBaseForm&) {
    QTimer::singleShot(0, this, [this] { showNewPages(); });
  };
}

MainWindow::~MainWindow() {
  if (link_) host::currentHost().reconnect = nullptr;
  host::PageControl().onPageAdded = nullptr;
  closeAllPages();
  ui_.onStatus = nullptr;
  ui_.onLog = nullptr;
  ui_.setMainWindow(nullptr);
}

QWidget* MainWindow::buildRibbon() {
  auto* tabs = new QTabWidget;
  const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
  for (const RibbonGroup& group :
       ribbonGroups(host::plugsPool().items(), host::currentHost().rights)) {
    auto* bar = new QToolBar(tabs);
    // Small icons beside the captions keep the ribbon low, leaving the height to the bill.
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    for (host::TPlugItem* item : group.items) {
      QAction* open = bar->addAction(icon, qs(item->caption));
      open->setObjectName(qs(item->code));
      connect(open, &QAction::triggered, this, [this, item] { openItem(*item); });
    }
    tabs->addTab(bar, qs(group.caption));
  }
  return tabs;
}

void MainWindow::openItem(host::TPlugItem& item, const std::string& billno) {
  try {
    item.create(nullptr, billno);
  } catch (const core::Abort&) {
    // The creator refused and has said why (no store, dialog cancelled).
  } catch (const std::exception& e) {
    ui_.messageBox(e.what(), "错误", host::mtError, host::mbOK);
  }
  syncPages();
}

void MainWindow::rereadBills() {
  for (int i = 0; i < pages_->count(); ++i) {
    auto* view = static_cast<FormView*>(pages_->widget(i));
    auto* bill = dynamic_cast<host::TBaseBillEditRibbonForm*>(&view->form());
    // as a user event: a failure (the server gone again) is shown, the view refreshed
    if (bill != nullptr && !bill->isClosed()) view->run([bill] { bill->rereadAfterReconnect(); });
  }
}

void MainWindow::syncPages() {
  host::TPageControl& control = host::PageControl();
  for (int i = pages_->count() - 1; i >= 0; --i) {
    auto* view = static_cast<FormView*>(pages_->widget(i));
    auto* form = dynamic_cast<host::TBaseForm*>(&view->form());
    if (form == nullptr || !form->isClosed()) continue;
    pages_->removeTab(i);
    views_.erase(form);
    delete view;  // before the page control frees the form it watches
  }
  control.releaseClosed();
  showNewPages();
}

// Only adds: a page closed meanwhile may still be inside its own handler (a message box
// of that handler runs this), so pages are dropped by syncPages alone.
void MainWindow::showNewPages() {
  FormView* last = nullptr;
  for (host::TBaseForm* form : host::PageControl().pages()) {
    if (form->isClosed() || views_.count(form)) continue;
    auto* view = new FormView(*form);
    view->onFinished = [this] { QTimer::singleShot(0, this, [this] { syncPages(); }); };
    views_[form] = view;
    pages_->addTab(view, windowTitleOf(form->caption));
    last = view;
  }
  if (last == nullptr) return;
  pages_->setCurrentWidget(last);
  last->setFocus(Qt::OtherFocusReason);
}

void MainWindow::setReopen(BackupActions::Reopen reopen) {
  backups_->setReopen(std::move(reopen), [this] {
    if (!queryClosePages()) return false;
    closeAllPages();
    return true;
  });
}

FormView* MainWindow::pageView(const host::TBaseForm& form) const {
  auto it = views_.find(&form);
  return it == views_.end() ? nullptr : it->second;
}

void MainWindow::closePage(int index) {
  auto* view = static_cast<FormView*>(pages_->widget(index));
  if (auto* form = dynamic_cast<host::TBaseForm*>(&view->form()))
    view->run([form] {
      if (!form->CloseQuery()) throw core::Abort();  // the clerk stays in the bill
      form->Close();
    });
  syncPages();
}

bool MainWindow::queryClosePages() {
  for (int i = 0; i < pages_->count(); ++i) {
    auto* view = static_cast<FormView*>(pages_->widget(i));
    auto* form = dynamic_cast<host::TBaseForm*>(&view->form());
    if (form == nullptr || !form->hasUnsavedChanges()) continue;
    pages_->setCurrentIndex(i);
    bool mayClose = false;
    view->run([&] { mayClose = form->CloseQuery(); });
    if (!mayClose) return false;
  }
  return true;
}

void MainWindow::closeAllPages() {
  while (pages_->count() > 0) {
    QWidget* view = pages_->widget(0);
    pages_->removeTab(0);
    delete view;
  }
  views_.clear();
  host::PageControl().clear();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!queryClosePages()) {
    event->ignore();
    return;
  }
  closeAllPages();
  event->accept();
}

}  // namespace desktop
