// The clerk's keyboard and unsaved bills in the shell: Down in the customer box opens
// the quick customer lookup with what was typed, Enter moves to the next field, and a
// page with unsaved edits asks before its tab closes it (stay, discard).
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/main_window.h"
#include "apps/coreapp-desktop/qt_ui.h"
#include "desktop/desktop_session.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"

namespace {

class ClerkDesk : public desktop_test::DemoSession {
 protected:
  ClerkDesk() {
    window = std::make_unique<desktop::MainWindow>(qtUi);
    host.ui = &ui;  // every question is answered from the test's queue
    window->findChild<QAction*>("1100")->trigger();
    page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
    view = window->pageView(*page);
    window->resize(1280, 800);
    window->show();
    QApplication::setActiveWindow(window.get());
  }
  ~ClerkDesk() override { window.reset(); }

  QLineEdit* editorOf(const char* control) {
    QWidget* box = view->controlWidget(control);
    return box == nullptr ? nullptr : box->findChild<QLineEdit*>();
  }

  desktop::QtUi qtUi;
  std::unique_ptr<desktop::MainWindow> window;
  host::TBaseBillEditRibbonForm* page = nullptr;
  desktop::FormView* view = nullptr;
};

TEST_F(ClerkDesk, DownInTheCustomerBoxOpensTheQuickLookupWithTheTypedText) {
  ASSERT_NE(page, nullptr);
  view->actionBar()->button("actAdd")->trigger();
  QLineEdit* customer = editorOf("edtwldw");
  ASSERT_NE(customer, nullptr);
  EXPECT_TRUE(customer->hasFocus());  // a new order starts with its customer
  EXPECT_EQ(page->controlText(page->control("edtbillno")), "");  // no placeholder number
  QTest::keyClicks(customer, "C00");
  ui.queueLookup("客户会员快速查询", R"([{"id":"1","code":"C001","name":"星光广告"}])");
  QTest::keyClick(customer, Qt::Key_Down);
  EXPECT_TRUE(said(R"({"event":"lookup","caption":"客户会员快速查询","filter":"C00")"));
  EXPECT_EQ(page->control("edtwldw").tag, 1);
  EXPECT_EQ(customer->text(), "C001");

  // Enter without typing moves on and asks nothing.
  const size_t events = ui.transcript().size();
  customer->setFocus();
  QTest::keyClick(customer, Qt::Key_Return);
  EXPECT_EQ(ui.transcript().size(), events);
  EXPECT_NE(QApplication::focusWidget(), customer);
}

TEST_F(ClerkDesk, EnterAfterATypedCodeLooksTheCustomerUp) {
  view->actionBar()->button("actAdd")->trigger();
  QLineEdit* customer = editorOf("edtwldw");
  customer->setFocus();
  QTest::keyClicks(customer, "C002");
  ui.queueLookup("客户会员快速查询", R"([{"id":"2","code":"C002","name":"蓝天会员"}])");
  QTest::keyClick(customer, Qt::Key_Return);
  EXPECT_TRUE(said(R"("caption":"客户会员快速查询","filter":"C002")"));
  EXPECT_EQ(page->control("edtwldw").tag, 2);
}

TEST_F(ClerkDesk, ClosingATabWithUnsavedEditsAsksFirst) {
  view->actionBar()->button("actAdd")->trigger();
  ui.queueLookup("客户会员查询", R"([{"id":"1","code":"C001","name":"星光广告"}])");
  view->run([&] { page->clickControl("edtwldw"); });
  ui.queueLookup("服务项目查询", R"([{"code":"XM003"}])");
  view->actionBar()->button("actDetail_Add")->trigger();
  ASSERT_TRUE(page->hasUnsavedChanges());

  ui.queueAnswer(host::mrCancel);
  Q_EMIT window->pages()->tabCloseRequested(0);
  EXPECT_TRUE(said("单据未保存，是否保存？"));
  EXPECT_EQ(window->pages()->count(), 1);  // stayed
  EXPECT_TRUE(page->editMode);

  const auto orders = [&] { return conn.execBatch("select count(*) from vt_x_xmzzk").resultSets.back().rows[0][0].asInteger(); };
  const std::int64_t before = orders();
  ui.queueAnswer(host::mrNo);
  Q_EMIT window->pages()->tabCloseRequested(0);
  EXPECT_EQ(window->pages()->count(), 0);  // discarded
  EXPECT_EQ(orders(), before);
}

}  // namespace
