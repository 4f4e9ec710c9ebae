// The main window on the demo database: the ribbon offers the package's bill types, a
// bill editor opens as a page and goes when its tab is closed (the page control frees
// it); the clerk's keyboard in the customer box (Down opens the quick lookup with what
// was typed, Enter looks a typed code up or moves on) and a page with unsaved edits
// that asks before its tab closes (stay, discard).
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"

namespace {

using MainWindowTest = desktop_test::ShellSession;

TEST_F(MainWindowTest, RibbonOpensABillEditorAsAPageThatGoesWithItsTab) {
  ASSERT_NE(ribbon("1100"), nullptr);
  EXPECT_EQ(ribbon("1100")->text(), "项目订单");
  EXPECT_EQ(ribbon("服务项目查询"), nullptr);
  ribbon("1100")->trigger();
  ASSERT_EQ(window->pages()->count(), 1);
  EXPECT_EQ(window->pages()->tabText(0), "项目订单");
  ASSERT_EQ(host::PageControl().pages().size(), 1u);
  EXPECT_NE(window->pageView(*host::PageControl().pages().front()), nullptr);
  EXPECT_TRUE(window->grab().save(desktop_test::pictureFile("main_window.png")));
  Q_EMIT window->pages()->tabCloseRequested(0);
  EXPECT_EQ(window->pages()->count(), 0);
  EXPECT_TRUE(host::PageControl().pages().empty());
}

// The order page open in the main window with a new bill started; every question is
// answered from the test's queue.
class ClerkDesk : public desktop_test::ShellSession {
 protected:
  ClerkDesk() {
    ribbon("1100")->trigger();
    page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
    view = window->pageView(*page);
    QApplication::setActiveWindow(window.get());
    view->actionBar()->button("actAdd")->trigger();
  }

  QLineEdit* customerEditor() {
    QWidget* box = view->controlWidget("edtwldw");
    return box == nullptr ? nullptr : box->findChild<QLineEdit*>();
  }

  host::TBaseBillEditRibbonForm* page = nullptr;
  desktop::FormView* view = nullptr;
};

TEST_F(ClerkDesk, CustomerBoxLooksUpOnDownAndOnEnterAfterATypedCode) {
  QLineEdit* customer = customerEditor();
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

  customer->setFocus();
  customer->selectAll();
  QTest::keyClicks(customer, "C002");
  ui.queueLookup("客户会员快速查询", R"([{"id":"2","code":"C002","name":"蓝天会员"}])");
  QTest::keyClick(customer, Qt::Key_Return);
  EXPECT_TRUE(said(R"("caption":"客户会员快速查询","filter":"C002")"));
  EXPECT_EQ(page->control("edtwldw").tag, 2);
}

TEST_F(ClerkDesk, ClosingATabWithUnsavedEditsAsksFirst) {
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
