// Each bill page and picker of the shell on the demo database, driven through its own
// buttons and cells as a clerk does (lines typed or picked, saved, audited, reviewed),
// then rendered as a PNG under build/desktop-screenshots for a person to look at.
#include <QAction>
#ifdef COREAPP_CHARTS
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#endif
#include <QDateEdit>
#include <QImage>
#include <QHeaderView>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#ifdef COREAPP_CHARTS
#include "apps/coreapp-desktop/chart_view.h"
#endif
#include "apps/coreapp-desktop/ribbon_groups.h"
#include "dataset/client_data_set.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/bill_list_form.h"
#include "host/forms/chart_spec.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_form.h"
#include "plugs/coreapp/khzl/khwlmx_form.h"
#include "plugs/coreapp/khzl/khyszl_report.h"
#include "plugs/coreapp/report/report_catalog.h"
#include "plugs/coreapp/report/report_page.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"
#include "plugs/coreapp/simple_bill/write_off_bill_form.h"
#include "plugs/coreapp/simple_bill/write_off_select_form.h"
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace {

namespace p = plugs::coreapp;
using TransferPage = desktop_test::BillPageSession<>;
using IncomePage = desktop_test::BillPageSession<>;
using StocktakePage = desktop_test::BillPageSession<>;
using PurchasePage = desktop_test::BillPageSession<p::TStockBillForm>;
using ReceiptPage = desktop_test::BillPageSession<p::TWriteOffBillForm>;
using StatementPage = desktop_test::BillPageSession<p::khsk::Tkhdzkform>;
using AgingPage = desktop_test::BillPageSession<p::TReportPage>;
using OrderLinePickers = desktop_test::DemoSession;
using ReportPages = desktop_test::BillPageSession<p::TReportPage>;

// The fund transfer: two lines typed into the grid (accounts keyed into the cells by code
// or the start of a name, Tab through the empty 结算方式 leaving it empty), saved,
// audited, and the account balances opened as a page.
TEST_F(TransferPage, TwoLinesSaveAuditAndRenderToAPicture) {
  ASSERT_NO_FATAL_FAILURE(openPage("1114"));
  button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ASSERT_NE(button("actDetail_Add"), nullptr);
  EXPECT_FALSE(button("actDetail_Add")->isVisible()) << "lines are typed into the grid";
  // The grid's own row holds 添加行 (Ins) and the line actions, beside its right-click menu.
  desktop::GridView* lineGrid = view->grid("cxgDetail");
  std::vector<QAction*> rowButtons;
  for (QToolButton* b : lineGrid->findChildren<QToolButton*>())
    if (b->isVisibleTo(view.get())) rowButtons.push_back(b->defaultAction());
  for (QAction* wanted : {lineGrid->addRowAction(), button("actDetail_Del")})
    EXPECT_NE(std::find(rowButtons.begin(), rowButtons.end(), wanted), rowButtons.end())
        << wanted->text().toStdString();
  EXPECT_TRUE(lineGrid->table()->actions().contains(lineGrid->addRowAction()));
  EXPECT_EQ(grid().column(0).field, "ozh_name");
  EXPECT_FALSE(grid().column(0).items.empty());
  // Keyed: a code, a name's beginning (the list's first entry is 支付宝收款, of 会员卡).
  const char* lines[][3] = {{"01", "工商", "500"}, {"微", "02", "250"}};
  view->refresh();
  EXPECT_TRUE(view->grid("cxgDetail")->addRowAction()->isVisible());
  for (int row = 0; row < 2; ++row) {
    ASSERT_TRUE(view->grid("cxgDetail")->addRowAction()->isEnabled());
    view->grid("cxgDetail")->addRowAction()->trigger();
    ASSERT_EQ(grid().rowCount(), row + 1);
    ASSERT_NO_FATAL_FAILURE(keyIn(row, "ozh_name", lines[row][0]));
    ASSERT_NO_FATAL_FAILURE(keyIn(row, "izh_name", lines[row][1]));
    ASSERT_NO_FATAL_FAILURE(keyIn(row, "jsfs_name", ""));
    ASSERT_TRUE(type(row, "je", lines[row][2]));
  }
  EXPECT_EQ(cell(0, "ozh_name").toStdString(), "现金");
  EXPECT_EQ(cell(1, "ozh_name").toStdString(), "微信收款");
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(cell(row, "izh_name").toStdString(), "工商银行基本户") << row;
    EXPECT_EQ(cell(row, "jsfs_name").toStdString(), "") << row;
  }
  button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  EXPECT_EQ(page->cdsMaster.fieldByName("hjje").asCurrency(), core::Currency::fromInt(750));
  button("actAudit")->trigger();
  EXPECT_EQ(page->masterStatus(), 1) << lastEvent();
  EXPECT_TRUE(said("\"event\":\"drawer\""));
  desktop_test::savePicture(*view, "cash_transfer.png");

  // The bank holds the demo advance receipt of 1,000 and the 750 transferred in.
  button("actZhye")->trigger();
  host::TBaseForm* balances = host::PageControl().activePage();
  ASSERT_NE(balances, nullptr);
  EXPECT_EQ(balances->caption, "账户余额");
  dataset::ClientDataSet& rows = *balances->findDataSet("cdsZhye");
  ASSERT_TRUE(rows.locate("zh_name", core::Value("工商银行基本户")));
  EXPECT_EQ(rows.fieldByName("ye").asCurrency(), core::Currency::fromInt(1750));
}

// The income bill's 结算账户 box is keyed as a list cell is: a code or a name's beginning
// (an input method's Chinese) picks that account and its id; Tab through it untouched
// keeps the account (the list's first entry is 支付宝收款).
TEST_F(IncomePage, AccountBoxTakesACodeOrANameBeginningAndKeepsItsValueOnTab) {
  ASSERT_NO_FATAL_FAILURE(openPage("1111"));
  button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  const host::Control& box = page->control("cbzh");
  const struct {
    const char* typed;
    const char* account;
  } keyed[] = {{"02", "工商银行基本户"},
               {"", "工商银行基本户"},
               {"03", "微信收款"},
               {"工商", "工商银行基本户"},
               {"", "工商银行基本户"}};
  for (const auto& k : keyed) {
    ASSERT_NO_FATAL_FAILURE(keyInBox("cbzh", QString::fromUtf8(k.typed)));
    EXPECT_EQ(page->cdsMaster.fieldByName("zh_name").asString(), k.account) << k.typed;
    const auto at = std::find(box.items.begin(), box.items.end(), std::string(k.account));
    ASSERT_NE(at, box.items.end()) << k.account;
    EXPECT_EQ(page->cdsMaster.fieldByName("zh_id").asInteger(), box.itemIds[at - box.items.begin()])
        << k.typed;
  }
}

// The stocktake: picked goods arrive with their book quantity, a typed count gives the
// difference and its remark in the same row, processing follows the bill's state.
TEST_F(StocktakePage, CountedStocktakeRendersToAPicture) {
  ASSERT_NO_FATAL_FAILURE(openPage("1127"));
  EXPECT_FALSE(button("acttosy")->isEnabled());
  button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("商品信息查询",
                 R"([{"id":"1","code":"SP001","name":"外光喷绘布","itemno":"3.2m×50m 440g","baseunit":"卷"},)"
                 R"({"id":"3","code":"SP003","name":"300g铜版纸","itemno":"787×1092mm","baseunit":"张"},)"
                 R"({"id":"4","code":"SP004","name":"A4过塑膜","itemno":"7丝 100张/包","baseunit":"包"}])");
  button("actDetail_Add")->trigger();
  ASSERT_EQ(page->cdsDetail.recordCount(), 3);
  EXPECT_EQ(cell(1, "kcsl").toDouble(), 2000.0);
  ASSERT_TRUE(type(0, "pdsl", "4"));
  ASSERT_TRUE(type(1, "pdsl", "2000"));
  ASSERT_TRUE(type(2, "pdsl", "32"));
  EXPECT_EQ(cell(0, "yksl").toDouble(), -1.0);
  EXPECT_EQ(cell(0, "beizhu"), "盘亏");
  EXPECT_EQ(cell(1, "beizhu"), "");
  EXPECT_EQ(cell(2, "yksl").toDouble(), 2.0);
  EXPECT_EQ(cell(2, "beizhu"), "盘盈");
  button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  button("actAudit")->trigger();
  view->refresh();
  EXPECT_TRUE(button("acttosy")->isEnabled());
  desktop_test::savePicture(*view, "stocktake.png");
}

// The purchase bill: supplier box and header combos, the shipped line columns with
// Chinese captions, a typed quantity following the bill's own arithmetic.
TEST_F(PurchasePage, TwoLinesEnteredSavedAndRendered) {
  ASSERT_NO_FATAL_FAILURE(openPage("1120"));
  for (const char* box : {"edtwldw", "cbck", "cbkdr", "cbrklx", "cbzh", "edtbcfk"})
    EXPECT_NE(view->controlWidget(box), nullptr) << box;
  button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("供应商信息查询", R"([{"code":"G001"}])");
  view->run([&] { page->clickControl("edtwldw"); });
  ui.queueLookup("商品信息查询", R"([{"code":"SP003"},{"code":"SP005"}])");
  button("actDetail_Add")->trigger();
  ASSERT_EQ(page->cdsDetail.recordCount(), 2);
  EXPECT_EQ(grid().headerData(columnOf(grid(), "sp_name"), Qt::Horizontal).toString().toStdString(), "商品名称");
  ASSERT_TRUE(type(0, "sl", "500"));
  page->cdsDetail.first();
  const core::Currency dj = page->cdsDetail.fieldByName("dj").asCurrency();
  EXPECT_EQ(page->cdsDetail.fieldByName("je").asCurrency(), dj * 500);
  button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  EXPECT_EQ(page->control("edtwldw").text, "G001");
  desktop_test::savePicture(*view, "purchase_bill.png");
}

// The receipt: the customer's open bills picked in the source selector (played here,
// modal in the shell), paid in full from the account grid, saved with both panels.
TEST_F(ReceiptPage, BothPanelsFilledSavedAndRendered) {
  ASSERT_NO_FATAL_FAILURE(openPage("1112"));
  ui.setModalRunner([](host::FormModel& form) {
    auto& selector = dynamic_cast<p::TWriteOffSelectForm&>(form);
    selector.control("cbck").text.clear();
    selector.clickAction("cxButton3");
    selector.clickAction("selectedHeaderClick");
    selector.clickAction("actok");
    return selector.ModalResult;
  });
  for (const char* box : {"edtwldw", "cbck", "cbkdr", "edtjmje", "edthjje", "edthxje", "chkiskaipiao", "edtpiaono"})
    EXPECT_NE(view->controlWidget(box), nullptr) << box;
  button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("客户会员查询", R"([{"id":"2","code":"C001","name":"华宇地产"}])");
  view->run([&] { page->clickControl("edtwldw"); });
  button("acthxmx_Add")->trigger();
  const int bills = page->cdshxmx.recordCount();
  ASSERT_GE(bills, 3);  // the customer's open orders and sales bill of the demo data
  core::Currency open;
  for (page->cdshxmx.first(); !page->cdshxmx.eof(); page->cdshxmx.next()) open += page->cdshxmx.fieldByName("hxje").asCurrency();
  view->run([&] {
    page->cdsDetail.append();
    page->cdsDetail.fieldByName("zh_name").setValue(core::Value(std::string("现金")));
    page->cdsDetail.fieldByName("je").setValue(core::Value(open));
    page->cdsDetail.post();
  });
  EXPECT_EQ(grid("cxghxmx").headerData(7, Qt::Horizontal).toString().toStdString(), "本次核销金额");
  button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  EXPECT_EQ(page->cdshxmx.recordCount(), bills);
  desktop_test::savePicture(*view, "receipt_bill.png");
}

// The demo draft statement audited and reviewed (the review dialog played: first line
// ticked, confirmed).
TEST_F(StatementPage, AuditReviewAndRenderToAPicture) {
  ASSERT_NO_FATAL_FAILURE(openPage("1117", "A1117202610250001"));
  ui.setModalRunner([](host::FormModel& form) {
    auto* review = dynamic_cast<p::khsk::Tkhdzkauditform*>(&form);
    if (review == nullptr) return host::mrCancel;
    review->cdsResult.first();
    review->cdsResult.edit();
    review->cdsResult.fieldByName("dzflag").setValue(core::Value(true));
    review->cdsResult.post();
    review->clickAction("actok");
    return review->ModalResult;
  });
  ASSERT_EQ(page->cdsDetail.recordCount(), 2);
  // Its lines come only from the selector: Insert adds no blank line, a line may go.
  button("actEdit")->trigger();
  ASSERT_TRUE(page->editMode);
  desktop::GridView& lines = *view->grid("cxgDetail");
  EXPECT_FALSE(lines.addRowAction()->isVisible());
  EXPECT_FALSE(lines.addRowAction()->isEnabled());
  EXPECT_TRUE(lines.deleteRowAction()->isEnabled());
  lines.addRowAction()->trigger();
  EXPECT_EQ(page->cdsDetail.recordCount(), 2);
  button("actCancel")->trigger();
  ASSERT_FALSE(page->editMode);
  QAction* review = button("actdzkaudit");
  ASSERT_NE(review, nullptr);
  EXPECT_FALSE(review->isEnabled()) << "a draft is not reviewed";
  button("actAudit")->trigger();
  ASSERT_EQ(page->masterStatus(), 1) << lastEvent();
  ASSERT_TRUE(review->isEnabled());
  review->trigger();
  EXPECT_EQ(page->masterStatus(), 2) << lastEvent();
  EXPECT_EQ(page->control("cxLabel3").text, "已复核");
  desktop_test::savePicture(*view, "customer_statement_reviewed.png");
}

// The receivable aging: in the 往来 ribbon group, read as of a fixed day, a customer's
// running statement opened from it ending on the aging's amount.
TEST_F(AgingPage, OpensFromTheRibbonReadsAsOfADayAndOpensAStatement) {
  bool inGroup = false;
  for (const desktop::RibbonGroup& g : desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("*")))
    for (const host::TPlugItem* item : g.items) inGroup = inGroup || (item->code == "1119" && g.caption == "往来");
  EXPECT_TRUE(inGroup);
  ASSERT_NO_FATAL_FAILURE(openPage("1119"));
  page->control("edtrq").text = "2026-12-31";
  view->refresh();
  auto* day = qobject_cast<QDateEdit*>(view->controlWidget("edtrq"));
  ASSERT_NE(day, nullptr);
  EXPECT_EQ(day->date(), QDate(2026, 12, 31));
  button("actRef")->trigger();
  ASSERT_EQ(grid("cxgReport").rowCount(), 3);  // C001, C004, C005
  EXPECT_EQ(grid("cxgReport").data(grid("cxgReport").index(2, 1)).toString(), QString("城东物业"));
  desktop_test::savePicture(*view, "receivable_aging.png");

  page->cdsReport.last();
  button("actMx")->trigger();
  auto* statement = dynamic_cast<p::khzl::Tkhwlmxform*>(host::PageControl().activePage());
  ASSERT_NE(statement, nullptr);
  statement->control("edtrq1").text = "2026-09-01";
  desktop::FormView statementView(*statement);
  statementView.actionBar()->button("actRef")->trigger();
  ASSERT_GE(statementView.grid("cxgMx")->model()->rowCount(), 2);
  statement->cdsMx.last();
  EXPECT_EQ(statement->cdsMx.fieldByName("ye").asCurrency(), page->cdsReport.fieldByName("qkje").asCurrency());
  desktop_test::savePicture(statementView, "customer_running_balance.png");
}

// The report pages: the 报表 ribbon group holds them in the catalogue's order; each reads
// its rows over the demo's autumn and is pictured (sales and margin with their charts
// beside the grid); a double click on a day sheet row
// that names an order opens that order in its own editor.
TEST_F(ReportPages, EachOpensFromTheReportGroupAndADoubleClickOpensTheBill) {
  std::vector<std::string> inGroup, codes;
  for (const desktop::RibbonGroup& g : desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("*")))
    for (const host::TPlugItem* item : g.items)
      if (g.caption == "报表") inGroup.push_back(item->code);
  for (const p::ReportSpec& spec : p::reportSpecs()) codes.push_back(spec.code);
  EXPECT_EQ(inGroup, codes);
  auto readPeriod = [&](const char* from, const char* to) {
    for (const p::ReportParam& param : page->spec().params)
      if (param.kind != p::ReportParamKind::Store && param.kind != p::ReportParamKind::Pick)
        page->control("edt" + param.name).text = param.kind == p::ReportParamKind::DateFrom ? from : to;
    view->refresh();
    button("actRef")->trigger();
  };
  for (const p::ReportSpec& spec : p::reportSpecs()) {
    SCOPED_TRACE(spec.name);
    ASSERT_NO_FATAL_FAILURE(openPage(spec.code.c_str()));
    readPeriod("2026-09-01", "2026-12-31");
    EXPECT_EQ(grid("cxgReport").columnCount(), static_cast<int>(spec.columns.size()));
    EXPECT_EQ(grid("cxgReport").rowCount(), page->cdsReport.recordCount());
#ifdef COREAPP_CHARTS
    // A report with charts draws them beside its grid from the rows just read.
    auto* charts = view->findChild<desktop::ChartView*>("cxgReport_charts");
    ASSERT_EQ(charts != nullptr, !spec.charts.empty());
    if (charts != nullptr) {
      ASSERT_EQ(charts->charts().size(), spec.charts.size());
      const auto bars = charts->charts().front()->chart()->series();
      ASSERT_EQ(bars.size(), 1);
      const auto* series = static_cast<QBarSeries*>(bars.front());
      EXPECT_EQ(series->count(), static_cast<int>(spec.charts.front().series.size()));
      EXPECT_EQ(series->barSets().front()->count(),
                static_cast<int>(
                    host::chartData(spec.charts.front(), page->cdsReport).categories.size()));
      EXPECT_GT(series->barSets().front()->count(), 0);
    }
#endif
    desktop_test::savePicture(*view, ("report_" + spec.name + ".png").c_str());
#ifdef COREAPP_CHARTS
    // Shown at 1280x800, the plot area holds bars: pixels of the first series' own colour
    // (the legend's marker, outside the plot area, has it too).
    if (charts != nullptr) {
      QChartView* chart = charts->charts().front();
      const QImage drawn = chart->grab().toImage();
      const QRect plot = chart->mapFromScene(chart->chart()->plotArea()).boundingRect() & drawn.rect();
      ASSERT_FALSE(plot.isEmpty());
      const QRgb bar =
          static_cast<QBarSeries*>(chart->chart()->series().front())->barSets().front()->color().rgb();
      int barPixels = 0;
      for (int y = plot.top(); y <= plot.bottom(); ++y)
        for (int x = plot.left(); x <= plot.right(); ++x) barPixels += drawn.pixel(x, y) == bar ? 1 : 0;
      EXPECT_GT(barPixels, 0) << "no bar drawn";
    }
#endif
  }
  ASSERT_NO_FATAL_FAILURE(openPage("1130"));
  readPeriod("2026-10-01", "2026-10-31");
  desktop::DataSetTableModel& rows = grid("cxgReport");
  int row = 0;
  while (row < rows.rowCount() && rows.index(row, columnOf(rows, "billno")).data().toString() != "A1100202610080001")
    ++row;
  ASSERT_LT(row, rows.rowCount());
  Q_EMIT view->grid("cxgReport")->table()->doubleClicked(rows.index(row, 0));
  auto* order = dynamic_cast<p::xmzzk::TxmzzkForm*>(host::PageControl().activePage());
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->billno, "A1100202610080001");
  // Every goods bill opens stock on hand; the shipment's lines are no goods.
  for (const char* code : {"1120", "1121", "1122", "1123", "1124", "1125", "1126", "1127", "1105"}) {
    SCOPED_TRACE(code);
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    host::FormModel* bill = host::PageControl().activePage();
    if (std::string(code) == "1105") {
      EXPECT_EQ(bill->findAction("actSpkc"), nullptr);
      continue;
    }
    ASSERT_NE(bill->findAction("actSpkc"), nullptr);
    EXPECT_EQ(bill->clickAction("actSpkc"), host::Outcome::Done);
    auto* onHand = dynamic_cast<p::TReportPage*>(host::PageControl().activePage());
    ASSERT_NE(onHand, nullptr);
    EXPECT_EQ(onHand->spec().caption, "库存查询");
    EXPECT_EQ(onHand->cdsReport.recordCount(), 8);  // the demo's opening stock rows
  }
}

// The two pickers that draw on project order lines (the import into an outsourced order,
// the pending-shipment list): their rows, ticked all by the tick column's header, none
// added or deleted in the grid; an order number is read whole.
TEST_F(OrderLinePickers, ImportAndPendingShipmentTickTheirRows) {
  auto firstValue = [&](const char* sql) {
    const db::BatchResult r = conn.execBatch(sql);
    EXPECT_TRUE(r.ok() && !r.resultSets.back().rows.empty()) << sql;
    return r.ok() && !r.resultSets.back().rows.empty() ? r.resultSets.back().rows.front().front() : core::Value();
  };
  auto import = host::makeForm<p::xmwtk::Timportxmddmxform>(
      nullptr, firstValue("select billno from vt_x_xmzzk where status = 2").asText());
  EXPECT_EQ(import->cdsMain.recordCount(), 3);
  auto shipment = host::makeForm<p::cpfh::Tchfhselectxmddmxform>(
      nullptr, "", 1, firstValue("select id from vt_b_khbmk where code = 'C001'").asInteger());
  ASSERT_EQ(shipment->clickAction("actquery"), host::Outcome::Done);
  EXPECT_EQ(shipment->cdsResult.recordCount(), 3);
  struct Picker {
    host::FormModel& form;
    const char* grid;
    const char* picture;
  } pickers[] = {{*import, "cxgMain", "import_order_lines.png"}, {*shipment, "cxgResult", "pending_shipment.png"}};
  for (const Picker& picker : pickers) {
    SCOPED_TRACE(picker.picture);
    picker.form.clickControl(std::string(picker.grid) + "selected");
    desktop::FormView pickerView(picker.form);
    desktop::DataSetTableModel& rows = *pickerView.grid(picker.grid)->model();
    ASSERT_GT(rows.rowCount(), 0);
    EXPECT_EQ(rows.data(rows.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    desktop::GridView& grid = *pickerView.grid(picker.grid);
    for (QAction* change : {grid.addRowAction(), grid.deleteRowAction()}) {
      EXPECT_FALSE(change->isVisible());
      EXPECT_FALSE(change->isEnabled());
    }
    for (int c = 0; c < rows.columnCount(); ++c) {
      if (rows.column(c).field != "billno") continue;
      const QString number = rows.data(rows.index(0, c)).toString();
      EXPECT_GE(grid.table()->columnWidth(c), grid.table()->fontMetrics().horizontalAdvance(number))
          << number.toStdString();
    }
    desktop_test::savePicture(pickerView, picker.picture, QSize(1100, 420));
  }
}

// The bill list from the page's own button (Ctrl+L), rendered by the generic views: a
// header click sorts, a double click on a row opens that bill in the page.
TEST_F(ReceiptPage, BillListSortsByItsHeaderAndOpensTheDoubleClickedBill) {
  ASSERT_NO_FATAL_FAILURE(openPage("1112"));
  EXPECT_EQ(button("actlist")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
  std::string clicked;
  ui.setModalRunner([&](host::FormModel& form) {
    auto& list = dynamic_cast<host::TBillListForm&>(form);
    desktop::FormView listView(list);
    list.control("edtbt").text.clear();
    listView.actionBar()->button("actfilter")->trigger();
    QTableView* table = listView.grid("cxgMain")->table();
    desktop::DataSetTableModel& rows = *listView.grid("cxgMain")->model();
    EXPECT_GE(rows.rowCount(), 3);  // the demo's receipts
    const int billno = columnOf(rows, "billno");
    Q_EMIT table->horizontalHeader()->sectionClicked(billno);  // ascending by number
    Q_EMIT table->horizontalHeader()->sectionClicked(billno);  // and back: the newest number first
    clicked = rows.data(rows.index(1, billno)).toString().toStdString();
    EXPECT_GT(rows.data(rows.index(0, billno)).toString().toStdString(), clicked);
    desktop_test::savePicture(listView, "bill_list.png", QSize(1100, 420));
    Q_EMIT table->doubleClicked(rows.index(1, columnOf(rows, "zy")));
    return list.ModalResult;
  });
  button("actlist")->trigger();
  EXPECT_EQ(page->billno, clicked);
  ASSERT_FALSE(clicked.empty());
}

}  // namespace
