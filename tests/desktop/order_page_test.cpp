// The project order as a page of the shell, on the demo database: the page is whatever
// the form model says (its grids, its actions), typing a quantity into the line grid
// runs the order's own recalculation, and a rendered page is written as a PNG under
// the build folder for a person to look at.
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "dataset/client_data_set.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"

namespace {

class OrderPage : public desktop_test::BillPageSession<> {
 protected:
  void SetUp() override {
    openPage("1100");
  }

  // A new order for the demo's agreement customer with two service lines, entered
  // through the page's own buttons as a clerk would.
  void enterOrder() {
    view->actionBar()->button("actAdd")->trigger();
    ASSERT_TRUE(page->editMode);
    ui.queueLookup("客户会员查询", R"([{"code":"C001"}])");
    view->run([&] { page->clickControl("edtwldw"); });
    ui.queueLookup("服务项目查询", R"([{"code":"XM003"},{"code":"XM004"}])");
    view->actionBar()->button("actDetail_Add")->trigger();
    ASSERT_EQ(page->cdsDetail.recordCount(), 2);
  }

};

TEST_F(OrderPage, ShowsTheFormsGridsAndActions) {
  ASSERT_NE(view->grid("cxgDetail"), nullptr);
  EXPECT_NE(view->grid("cxgzzry"), nullptr);
  EXPECT_NE(view->grid("cxghc"), nullptr);
  EXPECT_NE(view->controlWidget("edtwldw"), nullptr);
  // The product grid's code button belongs to its grid, not to the header.
  EXPECT_EQ(view->controlWidget("cxgcpmxcpcode"), nullptr);
  // A further grid's commands sit above that grid and in its right-click menu, not on the
  // bill's bar, so the bar's three deletes do not look alike.
  QAction* deleteConsumable = view->actionBar()->button("acthc_del");
  ASSERT_NE(deleteConsumable, nullptr);
  EXPECT_FALSE(view->actionBar()->actions().contains(deleteConsumable));
  EXPECT_TRUE(view->grid("cxghc")->table()->actions().contains(deleteConsumable));
  EXPECT_FALSE(view->grid("cxgzzry")->table()->actions().contains(deleteConsumable));
  EXPECT_TRUE(view->actionBar()->actions().contains(view->actionBar()->button("actDetail_Del")));
  // No bill open: saving is off, starting a new one is on.
  EXPECT_FALSE(view->actionBar()->button("actSave")->isEnabled());
  EXPECT_TRUE(view->actionBar()->button("actAdd")->isEnabled());
}

// The further grids share a tab widget: one page is drawn at a time, whatever the grids'
// own visible flags say after a refresh.
// The reminder reads as one sentence: "订单提醒 提前 [12] 小时", side by side in one row.
TEST_F(OrderPage, ReminderFieldsStayTogether) {
  view->resize(1280, 800);
  view->show();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  QWidget* check = view->controlWidget("chkddtx");
  QWidget* hours = view->controlWidget("edttxsj");
  QWidget* unit = view->controlWidget("lbltxsj");
  ASSERT_TRUE(check != nullptr && hours != nullptr && unit != nullptr);
  auto rect = [&](QWidget* w) { return QRect(w->mapTo(view.get(), QPoint(0, 0)), w->size()); };
  EXPECT_EQ(rect(check).center().y(), rect(hours).center().y());
  EXPECT_EQ(rect(hours).center().y(), rect(unit).center().y());
  EXPECT_LT(rect(check).right(), rect(hours).left());
  EXPECT_LT(rect(hours).right(), rect(unit).left());
  EXPECT_LT(rect(unit).right() - rect(check).left(), view->width() / 3);  // one cell, not three
}

TEST_F(OrderPage, TabPagesAreDrawnOneAtATime) {
  view->resize(1280, 800);
  view->show();
  view->refresh();
  QCoreApplication::processEvents();
  int drawn = 0;
  for (const char* grid : {"cxgcpmx", "cxgzzry", "cxghc"}) {
    ASSERT_NE(view->grid(grid), nullptr) << grid;
    drawn += view->grid(grid)->isVisible() ? 1 : 0;
  }
  EXPECT_EQ(drawn, 1);
}

TEST_F(OrderPage, CustomerButtonIsLiveOnlyWhileEditing) {
  auto button = [&](const char* control) {
    QWidget* box = view->controlWidget(control);
    return box == nullptr ? nullptr : box->findChild<QToolButton*>();
  };
  ASSERT_NE(button("edtwldw"), nullptr);
  ASSERT_NE(button("edtfiledir"), nullptr);
  view->refresh();
  EXPECT_FALSE(button("edtwldw")->isEnabled()) << "a read-only customer box";
  EXPECT_TRUE(button("edtfiledir")->isEnabled()) << "the bill's files can always be looked at";
  view->actionBar()->button("actAdd")->trigger();
  EXPECT_TRUE(button("edtwldw")->isEnabled());
}

TEST_F(OrderPage, TypingAQuantityRecalculatesTheLineAmount) {
  enterOrder();
  desktop::DataSetTableModel& lines = *view->grid("cxgDetail")->model();
  const int sl = columnOf(lines, "sl"), je = columnOf(lines, "je");
  QSignalSpy changed(&lines, &QAbstractItemModel::dataChanged);
  ASSERT_TRUE(lines.setData(lines.index(1, sl), "5"));
  const core::Currency dj = page->cdsDetail.fieldByName("dj").asCurrency();
  ASSERT_GT(dj.raw(), 0);
  EXPECT_EQ(page->cdsDetail.fieldByName("je").asCurrency(), dj * 5);
  EXPECT_EQ(lines.index(1, je).data().toString().toStdString(),
            (dj * 5).format(lines.column(je).format));
  bool amountReported = false;
  for (const QList<QVariant>& signal : changed) {
    const auto from = signal.at(0).value<QModelIndex>(), to = signal.at(1).value<QModelIndex>();
    amountReported |= from.row() <= 1 && to.row() >= 1 && from.column() <= je && to.column() >= je;
  }
  EXPECT_TRUE(amountReported);
  EXPECT_FALSE(view->grid("cxgDetail")->footer().isEmpty());
}

TEST_F(OrderPage, AnOpenCellEditorCountsForTheNextClick) {
  enterOrder();
  view->show();
  desktop::GridView& grid = *view->grid("cxgDetail");
  const QModelIndex cell = grid.model()->index(0, columnOf(*grid.model(), "sl"));
  grid.table()->setCurrentIndex(cell);
  grid.table()->edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(grid.table()->indexWidget(cell));
  ASSERT_NE(editor, nullptr);
  editor->setText("4");
  view->actionBar()->button("actSave")->trigger();  // the editor still open
  ASSERT_FALSE(page->billno.empty());
  page->cdsDetail.first();
  EXPECT_DOUBLE_EQ(page->cdsDetail.fieldByName("sl").asFloat(), 4.0);
}

// Keeps the toolkit's warnings of one test (a cell editor closed twice shows up here).
class WarningLog {
 public:
  WarningLog() { previous_ = qInstallMessageHandler(&WarningLog::keep); }
  ~WarningLog() { qInstallMessageHandler(previous_); }
  static QStringList& lines() {
    static QStringList kept;
    return kept;
  }

 private:
  static void keep(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg) lines() << text;
  }
  QtMessageHandler previous_;
};

TEST_F(OrderPage, TabAndEnterMoveToTheNextEditableCellAndNumbersOnly) {
  enterOrder();
  view->resize(1280, 800);
  view->show();
  WarningLog::lines().clear();
  WarningLog warnings;
  desktop::GridView& grid = *view->grid("cxgDetail");
  QTableView& table = *grid.table();
  const int sl = columnOf(*grid.model(), "sl");
  const QModelIndex cell = grid.model()->index(0, sl);
  table.setCurrentIndex(cell);
  table.edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(table.indexWidget(cell));
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "a3b");  // letters do not go into a number cell
  EXPECT_EQ(editor->text(), "3");
  QTest::keyClick(editor, Qt::Key_Tab);
  page->cdsDetail.first();
  EXPECT_DOUBLE_EQ(page->cdsDetail.fieldByName("sl").asFloat(), 3.0);
  const QModelIndex next = table.currentIndex();
  EXPECT_EQ(next.row(), 0);
  EXPECT_GT(next.column(), sl);
  EXPECT_TRUE(grid.model()->flags(next) & Qt::ItemIsEditable);
  EXPECT_NE(table.indexWidget(next), nullptr);  // its editor is open
  EXPECT_TRUE(WarningLog::lines().isEmpty()) << WarningLog::lines().join("\n").toStdString();

  // Enter on the last editable cell of a row goes on to the next row.
  QWidget* open = table.indexWidget(next);
  int last = grid.model()->columnCount() - 1;
  while (last > 0 && !(grid.model()->flags(grid.model()->index(0, last)) & Qt::ItemIsEditable)) --last;
  QTest::keyClick(open, Qt::Key_Escape);
  const QModelIndex end = grid.model()->index(0, last);
  table.setCurrentIndex(end);
  table.edit(end);
  ASSERT_NE(table.indexWidget(end), nullptr);
  QTest::keyClick(table.indexWidget(end), Qt::Key_Return);
  QCoreApplication::processEvents();  // the delegate closes on Enter from the event loop
  EXPECT_EQ(table.currentIndex().row(), 1);
}

TEST_F(OrderPage, GridRowCommandsFollowTheEditMode) {
  desktop::GridView& products = *view->grid("cxgcpmx");
  EXPECT_FALSE(products.addRowAction()->isEnabled());  // no bill being edited
  enterOrder();
  ASSERT_TRUE(products.addRowAction()->isEnabled());
  products.addRowAction()->trigger();
  EXPECT_EQ(page->findDataSet("cdscpmx")->recordCount(), 1);
  EXPECT_EQ(products.model()->rowCount(), 1);
  products.deleteRowAction()->trigger();
  EXPECT_EQ(products.model()->rowCount(), 0);
}

TEST_F(OrderPage, SavedOrderRendersToAPicture) {
  enterOrder();
  auto& lines = *view->grid("cxgDetail")->model();
  ASSERT_TRUE(lines.setData(lines.index(0, columnOf(lines, "sl")), "3"));
  view->actionBar()->button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << (ui.transcript().empty() ? "" : ui.transcript().back());
  EXPECT_FALSE(view->actionBar()->button("actSave")->isEnabled());

  desktop_test::savePicture(*view, "project_order.png");
}

}  // namespace
