// The main window on the demo database with the Qt Ui: the ribbon offers the package's
// bill types and a bill editor opens as a page and goes when its tab is closed (the page
// control frees it). A modal item's own window is EveryWindow.AdHocBill's.
#include "apps/coreapp-desktop/main_window.h"

#include <QAction>
#include <QTabWidget>

#include "apps/coreapp-desktop/qt_ui.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"

namespace {

class MainWindowTest : public desktop_test::DemoSession {
 protected:
  MainWindowTest() {
    qtUi.previewPrints = false;
    host.ui = &qtUi;
    window = std::make_unique<desktop::MainWindow>(qtUi);
  }
  ~MainWindowTest() override {
    window.reset();
    host.ui = &ui;
  }

  QAction* ribbonButton(const char* code) { return window->findChild<QAction*>(code); }

  desktop::QtUi qtUi;
  std::unique_ptr<desktop::MainWindow> window;
};

TEST_F(MainWindowTest, RibbonOffersTheBillTypes) {
  ASSERT_NE(ribbonButton("1100"), nullptr);
  EXPECT_EQ(ribbonButton("1100")->text(), "项目订单");
  EXPECT_EQ(window->findChild<QAction*>("服务项目查询"), nullptr);
}

TEST_F(MainWindowTest, BillEditorOpensAsAPageAndClosesWithItsTab) {
  ribbonButton("1100")->trigger();
  ASSERT_EQ(window->pages()->count(), 1);
  EXPECT_EQ(window->pages()->tabText(0), "项目订单");
  ASSERT_EQ(host::PageControl().pages().size(), 1u);
  EXPECT_NE(window->pageView(*host::PageControl().pages().front()), nullptr);
  // The whole window, for a person to look at (not compared).
  window->resize(1280, 800);
  window->show();
  EXPECT_TRUE(window->grab().save(desktop_test::pictureFile("main_window.png")));
  Q_EMIT window->pages()->tabCloseRequested(0);
  EXPECT_EQ(window->pages()->count(), 0);
  EXPECT_TRUE(host::PageControl().pages().empty());
}

}  // namespace
