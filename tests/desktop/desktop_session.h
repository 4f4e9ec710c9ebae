// A desktop test session: the demo database in memory, the demo operator signed in
// through the shell's own sign-in, a scripted Ui that answers lookups and records
// every message, and the package's plug items registered; pages are closed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <memory>
#include <string>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "apps/coreapp-desktop/main_window.h"
#include "apps/coreapp-desktop/qt_ui.h"
#include "apps/coreapp-desktop/session.h"
#include "db/embedded_connection.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/package.h"
#include "schema/schema_script.h"

namespace desktop_test {

//! Every plug that opens as a page (the bills and the receivable aging report, 1119),
//! the order (1100) aside.
inline constexpr const char* kPageCodes[] = {
    "1102", "1105", "1110", "1111", "1112", "1113", "1114", "1115", "1116", "1117", "1118",
    "1119", "1120", "1121", "1122", "1123", "1124", "1125", "1126", "1127", "1130", "1131",
    "1132", "1133", "1134", "1135", "1136", "1137", "1138", "1190", "1201", "1202", "1203",
    "1204", "1205", "1206", "1207", "1208", "1209", "1210", "1211", "1212", "1213", "1214", "1215"};

//! Keeps the toolkit's warnings (and worse) while it lives, starting empty: a model
//! checker's complaint or a cell editor closed twice shows up here.
class WarningLog {
 public:
  WarningLog() {
    lines().clear();
    previous_ = qInstallMessageHandler(&WarningLog::keep);
  }
  ~WarningLog() { qInstallMessageHandler(previous_); }
  static QStringList& lines() {
    static QStringList kept;
    return kept;
  }

 private:
  static void keep(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) lines() << text;
  }
  QtMessageHandler previous_;
};

class DemoSession : public ::testing::Test {
 protected:
  DemoSession() : conn(":memory:") {
    schema::createDatabase(conn, true);
    host::registerHostPlugs();
    plugs::coreapp::initializePackage();
    host.ui = &ui;
    lists = desktop::readLoginLists(conn);
    desktop::signIn(host, conn, lists, lists.stores.front().id, lists.operators.front().id,
                    desktop::parseRights("*"));
  }
  ~DemoSession() override { host::PageControl().clear(); }

  //! True when some transcript event contains `fragment`.
  bool said(const std::string& fragment) const {
    for (const std::string& e : ui.transcript())
      if (e.find(fragment) != std::string::npos) return true;
    return false;
  }
  std::string lastEvent() const { return ui.transcript().empty() ? "" : ui.transcript().back(); }

  //! A saved order of the demo's first customer with one service line (answered by the
  //! scripted Ui whatever the host's Ui is); its number.
  std::string saveDemoOrder() {
    host::Ui* shown = host.ui;
    host.ui = &ui;
    host::plugsPool().plugbyName("1100")->create(nullptr, "");
    auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
    EXPECT_NE(page, nullptr);
    if (page != nullptr) {
      page->clickAction("actAdd");
      ui.queueLookup("客户会员查询", R"([{"code":"C001"}])");
      page->clickControl("edtwldw");
      ui.queueLookup("服务项目查询", R"([{"code":"XM003"}])");
      page->clickAction("actDetail_Add");
      page->clickAction("actSave");
    }
    host.ui = shown;
    return page == nullptr ? "" : page->billno;
  }

  db::EmbeddedConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  desktop::LoginLists lists;
  host::HostScope scope{host};
};

//! A page of one plug opened in the shell on the demo database, with its view.
template <class Form = host::TBaseBillEditRibbonForm>
class BillPageSession : public DemoSession {
 protected:
  //! Opens plug `code` (bill `billno`) as a page and shows it in `view`; a page of
  //! another class fails.
  void openPage(const char* code, const std::string& billno = "") {
    host::plugsPool().plugbyName(code)->create(nullptr, billno);
    page = dynamic_cast<Form*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << code;
    view = std::make_unique<desktop::FormView>(*page);
  }
  void TearDown() override { view.reset(); }

  QAction* button(const char* action) { return view->actionBar()->button(action); }
  desktop::DataSetTableModel& grid(const char* name = "cxgDetail") {
    return *view->grid(name)->model();
  }

  //! The column of `field` in a grid's model (0, and a failure, when there is none).
  static int columnOf(desktop::DataSetTableModel& m, const std::string& field) {
    for (int c = 0; c < m.columnCount(); ++c)
      if (m.column(c).field == field) return c;
    ADD_FAILURE() << "no column " << field;
    return 0;
  }
  //! The shown text of a line's cell, and a text typed into it as a clerk would.
  QString cell(int row, const std::string& field) {
    return grid().index(row, columnOf(grid(), field)).data().toString();
  }
  bool type(int row, const std::string& field, const QString& text) {
    return grid().setData(grid().index(row, columnOf(grid(), field)), text);
  }
  //! Keys `text` into the line's cell through the grid's own cell editor (an input
  //! method's text for Chinese), then Tab; the next cell's editor that Tab opened is
  //! left with Esc.
  void keyIn(int row, const std::string& field, const QString& text) {
    QTableView* table = view->grid("cxgDetail")->table();
    const QModelIndex at = grid().index(row, columnOf(grid(), field));
    table->setCurrentIndex(at);
    table->edit(at);
    QWidget* editor = table->indexWidget(at);
    ASSERT_NE(editor, nullptr) << field;
    typeKeys(editor, text);
    QTest::keyClick(editor, Qt::Key_Tab);
    if (QWidget* next = table->indexWidget(table->currentIndex());
        next != nullptr && next != editor)
      QTest::keyClick(next, Qt::Key_Escape);
  }

  //! Tabs into a header box, keys `text` (an input method's text for Chinese), then Tab.
  void keyInBox(const char* control, const QString& text) {
    QWidget* box = view->controlWidget(control);
    ASSERT_NE(box, nullptr) << control;
    QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box, &tabbedIn);
    typeKeys(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
  }
  static void typeKeys(QWidget* to, const QString& text) {
    for (const QChar ch : text) {
      if (ch.unicode() < 128) {
        QTest::keyClick(to, ch.toLatin1());
        continue;
      }
      QInputMethodEvent typed;  // Chinese comes from an input method
      typed.setCommitString(QString(ch));
      QApplication::sendEvent(to, &typed);
    }
  }

  Form* page = nullptr;
  std::unique_ptr<desktop::FormView> view;
};

//! The main window over the demo session with the shell's own Ui beside the scripted
//! one; the host answers from the scripted Ui until a test hands it `qtUi`.
class ShellSession : public DemoSession {
 protected:
  ShellSession() : window(std::make_unique<desktop::MainWindow>(qtUi)) {
    qtUi.setMainWindow(window.get());
    window->resize(1280, 800);
    window->show();
  }
  ~ShellSession() override {
    window.reset();
    host.ui = &ui;
  }

  QAction* ribbon(const char* code) { return window->findChild<QAction*>(code); }

  desktop::QtUi qtUi;
  std::unique_ptr<desktop::MainWindow> window;
};

}  // namespace desktop_test
