// The project order as a page of the shell, on the demo database: the page is whatever
// the form model says (its grids, its actions), typed cells run the order's own
// recalculation, the saved order is rendered as a PNG for a person to look at; and what
// a clerk must (not) see in a saved order's settlement, processing and printed order.
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include "apps/coreapp-desktop/list_cell_editor.h"
#include "apps/coreapp-desktop/print_preview.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

class OrderPage : public desktop_test::BillPageSession<> {
 protected:
  void SetUp() override { openPage("1100"); }

  // A new order for the demo's agreement customer with two service lines, entered
  // through the page's own buttons as a clerk would.
  void enterOrder() {
    button("actAdd")->trigger();
    ASSERT_TRUE(page->editMode);
    ui.queueLookup("客户会员查询", R"([{"code":"C001"}])");
    view->run([&] { page->clickControl("edtwldw"); });
    ui.queueLookup("服务项目查询", R"([{"code":"XM003"},{"code":"XM004"}])");
    button("actDetail_Add")->trigger();
    ASSERT_EQ(page->cdsDetail.recordCount(), 2);
  }

  // The cell editor of a line's `field`, opened as a click on the cell does.
  QLineEdit* openEditor(int row, const char* field) {
    QTableView& table = *view->grid("cxgDetail")->table();
    const QModelIndex at = grid().index(row, columnOf(grid(), field));
    table.setCurrentIndex(at);
    table.edit(at);
    return qobject_cast<QLineEdit*>(table.indexWidget(at));
  }
};

TEST_F(OrderPage, CommandsAndButtonsFollowTheEditMode) {
  EXPECT_NE(view->grid("cxgzzry"), nullptr);
  EXPECT_NE(view->controlWidget("edtwldw"), nullptr);
  // The product grid's code button belongs to its grid, not to the header.
  EXPECT_EQ(view->controlWidget("cxgcpmxcpcode"), nullptr);
  // A further grid's commands sit above that grid and in its right-click menu, not on the
  // bill's bar, so the bar's three deletes do not look alike.
  QAction* deleteConsumable = button("acthc_del");
  ASSERT_NE(deleteConsumable, nullptr);
  EXPECT_FALSE(view->actionBar()->actions().contains(deleteConsumable));
  EXPECT_TRUE(view->grid("cxghc")->table()->actions().contains(deleteConsumable));
  EXPECT_FALSE(view->grid("cxgzzry")->table()->actions().contains(deleteConsumable));
  EXPECT_TRUE(view->actionBar()->actions().contains(button("actDetail_Del")));
  // No bill open: saving is off, starting a new one is on, the customer box is read-only.
  EXPECT_FALSE(button("actSave")->isEnabled());
  EXPECT_TRUE(button("actAdd")->isEnabled());
  auto boxButton = [&](const char* control) {
    QWidget* box = view->controlWidget(control);
    return box == nullptr ? nullptr : box->findChild<QToolButton*>();
  };
  ASSERT_NE(boxButton("edtwldw"), nullptr);
  ASSERT_NE(boxButton("edtfiledir"), nullptr);
  view->refresh();
  EXPECT_FALSE(boxButton("edtwldw")->isEnabled()) << "a read-only customer box";
  EXPECT_TRUE(boxButton("edtfiledir")->isEnabled()) << "the bill's files can always be looked at";
  desktop::GridView& products = *view->grid("cxgcpmx");
  EXPECT_FALSE(products.addRowAction()->isEnabled());

  enterOrder();
  EXPECT_TRUE(boxButton("edtwldw")->isEnabled());
  ASSERT_TRUE(products.addRowAction()->isEnabled());
  products.addRowAction()->trigger();
  EXPECT_EQ(page->findDataSet("cdscpmx")->recordCount(), 1);
  EXPECT_EQ(products.model()->rowCount(), 1);
  products.deleteRowAction()->trigger();
  EXPECT_EQ(products.model()->rowCount(), 0);
}

// The further grids share a tab widget: one is drawn at a time, whatever the grids' own
// visible flags say after a refresh. The reminder reads as one sentence,
// "订单提醒 提前 [12] 小时", side by side in one row.
TEST_F(OrderPage, TabPagesAndTheReminderLayout) {
  view->resize(1280, 800);
  view->show();
  view->refresh();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  int drawn = 0;
  for (const char* name : {"cxgcpmx", "cxgzzry", "cxghc"}) {
    ASSERT_NE(view->grid(name), nullptr) << name;
    drawn += view->grid(name)->isVisible() ? 1 : 0;
  }
  EXPECT_EQ(drawn, 1);
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

// A typed quantity recalculates the line's amount; the saved order is pictured.
TEST_F(OrderPage, TypingAQuantityRecalculatesTheLineAmountAndTheOrderSaves) {
  enterOrder();
  const int je = columnOf(grid(), "je");
  QSignalSpy changed(&grid(), &QAbstractItemModel::dataChanged);
  ASSERT_TRUE(type(1, "sl", "5"));
  const core::Currency dj = page->cdsDetail.fieldByName("dj").asCurrency();
  ASSERT_GT(dj.raw(), 0);
  EXPECT_EQ(page->cdsDetail.fieldByName("je").asCurrency(), dj * 5);
  EXPECT_EQ(cell(1, "je").toStdString(), (dj * 5).format(grid().column(je).format));
  bool amountReported = false;
  for (const QList<QVariant>& signal : changed) {
    const auto from = signal.at(0).value<QModelIndex>(), to = signal.at(1).value<QModelIndex>();
    amountReported |= from.row() <= 1 && to.row() >= 1 && from.column() <= je && to.column() >= je;
  }
  EXPECT_TRUE(amountReported);
  EXPECT_FALSE(view->grid("cxgDetail")->footer().isEmpty());
  button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  EXPECT_FALSE(button("actSave")->isEnabled());
  desktop_test::savePicture(*view, "project_order.png");
}

// The sizes keep their captions 长 and 宽 and say their unit (centimetres, what the
// area divisor is made for) as a tooltip and, on reaching the cell, in the status bar.
TEST_F(OrderPage, SizeColumnsSayTheirUnitInTooltipAndStatusBar) {
  enterOrder();
  struct StatusTips : QObject {
    QStringList seen;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::StatusTip) seen << static_cast<QStatusTipEvent*>(e)->tip();
      return false;
    }
  } tips;
  view->installEventFilter(&tips);
  QTableView& table = *view->grid("cxgDetail")->table();
  for (const char* field : {"x", "y"}) {
    SCOPED_TRACE(field);
    const int c = columnOf(grid(), field);
    EXPECT_EQ(grid().headerData(c, Qt::Horizontal).toString(),
              field == std::string("x") ? "长" : "宽");
    const QString unit = grid().headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
    EXPECT_TRUE(unit.contains("厘米")) << unit.toStdString();
    EXPECT_EQ(grid().index(0, c).data(Qt::ToolTipRole).toString(), unit);
    table.setCurrentIndex(grid().index(0, c));
    ASSERT_FALSE(tips.seen.isEmpty());
    EXPECT_EQ(tips.seen.last(), unit);
  }
  EXPECT_TRUE(grid().headerData(columnOf(grid(), "sl"), Qt::Horizontal, Qt::ToolTipRole).isNull());
}

// Tab and Enter move to the next editable cell; number cells take numbers only.
TEST_F(OrderPage, TabAndEnterMoveToTheNextEditableCellAndNumbersOnly) {
  enterOrder();
  view->resize(1280, 800);
  view->show();
  desktop_test::WarningLog warnings;
  QTableView& table = *view->grid("cxgDetail")->table();
  QLineEdit* editor = openEditor(0, "sl");
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "a3b");  // letters do not go into a number cell
  EXPECT_EQ(editor->text(), "3");
  QTest::keyClick(editor, Qt::Key_Tab);
  page->cdsDetail.first();
  EXPECT_DOUBLE_EQ(page->cdsDetail.fieldByName("sl").asFloat(), 3.0);
  const QModelIndex next = table.currentIndex();
  EXPECT_EQ(next.row(), 0);
  EXPECT_GT(next.column(), columnOf(grid(), "sl"));
  EXPECT_TRUE(grid().flags(next) & Qt::ItemIsEditable);
  EXPECT_NE(table.indexWidget(next), nullptr);  // its editor is open
  EXPECT_TRUE(warnings.lines().isEmpty()) << warnings.lines().join("\n").toStdString();

  // Enter on the last editable cell of a row goes on to the next row.
  QTest::keyClick(table.indexWidget(next), Qt::Key_Escape);
  int last = grid().columnCount() - 1;
  while (last > 0 && !(grid().flags(grid().index(0, last)) & Qt::ItemIsEditable)) --last;
  const QModelIndex end = grid().index(0, last);
  table.setCurrentIndex(end);
  table.edit(end);
  ASSERT_NE(table.indexWidget(end), nullptr);
  QTest::keyClick(table.indexWidget(end), Qt::Key_Return);
  QCoreApplication::processEvents();  // the delegate closes on Enter from the event loop
  EXPECT_EQ(table.currentIndex().row(), 1);
}

TEST_F(OrderPage, AnOpenCellEditorCountsForTheNextClick) {
  enterOrder();
  view->show();
  QLineEdit* editor = openEditor(0, "sl");
  ASSERT_NE(editor, nullptr);
  editor->setText("4");
  button("actSave")->trigger();  // the editor still open
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  page->cdsDetail.first();
  EXPECT_DOUBLE_EQ(page->cdsDetail.fieldByName("sl").asFloat(), 4.0);
}

using OrderWindows = desktop_test::DemoSession;

// Settlement shows one kind of entry at a time; a line's account is picked from the
// store's accounts in the cell's drop-down.
TEST_F(OrderWindows, SettlementEntryAndItsAccountDropDown) {
  const std::string billno = saveDemoOrder();
  ASSERT_FALSE(billno.empty());
  auto form = host::makeForm<plugs::coreapp::xmzzk::Tjiesuanform>(nullptr, billno);
  EXPECT_TRUE(form->control("edtxj_je").visible);
  EXPECT_FALSE(form->control("edtjm_je").visible);
  desktop::FormView view(*form);
  view.show();
  view.run([&] { form->clickAction("actadd"); });  // a cash line in the preset account
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 1);
  desktop::GridView& lines = *view.grid("cxgjiesuan");
  int account = -1;
  for (int c = 0; c < lines.model()->columnCount(); ++c)
    if (lines.model()->column(c).field == "zh_name") account = c;
  ASSERT_GE(account, 0);
  const QModelIndex at = lines.model()->index(0, account);
  lines.table()->setCurrentIndex(at);
  lines.table()->edit(at);
  auto* box = dynamic_cast<desktop::ListCellEditor*>(lines.table()->indexWidget(at));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text().toStdString(), form->control("cbbxj_zh").items.front());
  QTest::keyClick(box, Qt::Key_Down);  // the drop-down: every account, the line's own highlighted
  EXPECT_EQ(box->offered().size(), static_cast<qsizetype>(form->control("cbbxj_zh").items.size()));
  ASSERT_GE(box->highlightedRow(), 0);
  EXPECT_EQ(box->offered()[box->highlightedRow()].toStdString(), form->control("cbbxj_zh").items.front());
}

// The processing window opens the saved order's line unchanged; the printed order names
// its lines and keeps field names off paper.
TEST_F(OrderWindows, ProcessingWindowAndPrintedOrder) {
  const std::string billno = saveDemoOrder();
  auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  plugs::coreapp::xmzzk::Txmzzkworkform form(nullptr, host::plugsPool().plugbyName("1101"));
  form.initialize();
  form.OpenBillData(billno);
  EXPECT_EQ(form.cdsDetail.recordCount(), 1);
  EXPECT_FALSE(form.hasUnsavedChanges());  // opening changes nothing
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done);
  ASSERT_FALSE(ui.prints().empty());
  desktop::PrintPreview preview(QString::fromStdString(ui.prints().back().file), "项目订单");
  const QString text = preview.document()->toPlainText();
  EXPECT_TRUE(text.contains(QString::fromUtf8("项目名称")));
  EXPECT_FALSE(text.contains("billno"));
}

}  // namespace
