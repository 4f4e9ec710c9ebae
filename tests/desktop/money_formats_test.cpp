// Money as the clerk reads it in every window: each money box, grid cell and footer
// shows through the pattern of its kind, and the order windows show the kinds their
// fields are (header totals without decimals, settlement and selector amounts with four).
#include <QLineEdit>
#include <QRegularExpression>

#include <memory>
#include <vector>

#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "host/forms/money_format.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"
#include "plugs/coreapp/khkp/khsk_select_form.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "plugs/coreapp/khsk/khysk_select_form.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

using host::MoneyKind;

// What a number shown through `pattern` looks like, written out by hand for each kind
// so a wrong pattern or a pattern that is ignored both show.
QRegularExpression shapeOf(const std::string& pattern) {
  const std::pair<MoneyKind, const char*> shapes[] = {
      {MoneyKind::Amount, R"(^-?\d+\.\d{4}$)"},          {MoneyKind::WholeAmount, R"(^-?\d+$)"},
      {MoneyKind::SignedAmount, R"(^-?\d+\.\d{4}$)"},    {MoneyKind::Points, R"(^-?\d+\.\d{2}$)"},
      {MoneyKind::LedgerAmount, R"(^¥-?\d{1,3}(,\d{3})*\.\d{4}$)"}, {MoneyKind::Percent, R"(^-?\d+\.\d{2}%$)"}};
  for (const auto& [kind, shape] : shapes)
    if (pattern == host::moneyFormat(kind)) return QRegularExpression(QString::fromUtf8(shape));
  return QRegularExpression("^(?!)$");  // a pattern of no kind matches nothing
}

class MoneyFormats : public desktop_test::DemoSession {
 protected:
  // Every money box and money column of the window reads by a kind's pattern; returns
  // how many shown amounts were checked.
  int checkWindow(host::FormModel& form, const std::string& window) {
    desktop::FormView view(form);
    int checked = 0;
    for (host::Control* c : form.controls()) {
      if (c->kind == host::ControlKind::Grid) {
        if (desktop::GridView* grid = view.grid(c->name)) checked += checkGrid(*grid, window + "/" + c->name);
        continue;
      }
      if (c->kind != host::ControlKind::CurrencyEdit) continue;
      const std::string pattern = host::shownMoneyFormat(c->format);
      EXPECT_TRUE(host::isMoneyFormat(pattern)) << window << "/" << c->name << ": " << pattern;
      auto* edit = view.controlWidget(c->name) ? view.controlWidget(c->name)->findChild<QLineEdit*>() : nullptr;
      if (edit == nullptr || edit->text().isEmpty()) continue;
      EXPECT_TRUE(shapeOf(pattern).match(edit->text()).hasMatch())
          << window << "/" << c->name << " shows " << edit->text().toStdString();
      ++checked;
    }
    return checked;
  }

  static int checkGrid(desktop::GridView& grid, const std::string& where) {
    desktop::DataSetTableModel& m = *grid.model();
    int checked = 0;
    for (int c = 0; c < m.columnCount(); ++c) {
      if (!m.isMoneyColumn(c) || !m.column(c).visible) continue;
      const std::string pattern = m.displayPattern(c);
      EXPECT_TRUE(host::isMoneyFormat(pattern)) << where << "." << m.column(c).field << ": " << pattern;
      std::vector<QString> shown;
      for (int r = 0; r < m.rowCount(); ++r) shown.push_back(m.data(m.index(r, c)).toString());
      if (m.column(c).footer == "sum") shown.push_back(m.footerText(c));
      for (const QString& text : shown) {
        if (text.isEmpty()) continue;
        EXPECT_TRUE(shapeOf(pattern).match(text).hasMatch()) << where << "." << m.column(c).field << " shows "
                                                             << text.toStdString();
        ++checked;
      }
    }
    return checked;
  }

  // The shown text of a money box of a window.
  static QString boxText(desktop::FormView& view, const char* name) {
    QWidget* w = view.controlWidget(name);
    auto* edit = w != nullptr ? w->findChild<QLineEdit*>() : nullptr;
    return edit != nullptr ? edit->text() : QString("<no box>");
  }
};

// Every page (a new bill started), then every order and picker window over a saved order.
TEST_F(MoneyFormats, EveryPageAndWindowShowsMoneyByItsKind) {
  const std::string billno = saveDemoOrder();
  ASSERT_FALSE(billno.empty());
  int checked = 0;
  // Every page, the order among them, with a new bill started.
  std::vector<const char*> pages(std::begin(desktop_test::kPageCodes), std::end(desktop_test::kPageCodes));
  pages.push_back("1100");
  for (const char* code : pages) {
    host::PageControl().clear();
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    host::FormModel* page = host::PageControl().activePage();
    ASSERT_NE(page, nullptr) << code;
    if (auto* bill = dynamic_cast<host::TBaseBillEditRibbonForm*>(page)) bill->clickAction("actAdd");
    checked += checkWindow(*page, code);
  }
  EXPECT_GT(checked, 0);  // the walk saw shown amounts, not only empty boxes
  host::PageControl().clear();
  namespace p = plugs::coreapp;
  const std::int64_t store = lists.stores.front().id;
  const std::int64_t customer = 1, supplier = 1;
  auto processing = std::make_unique<p::xmzzk::Txmzzkworkform>(nullptr, host::plugsPool().plugbyName("1101"));
  processing->initialize();
  processing->OpenBillData(billno);
  std::vector<std::pair<std::string, std::unique_ptr<host::FormModel>>> windows;
  windows.emplace_back("settlement", host::makeForm<p::xmzzk::Tjiesuanform>(nullptr, billno));
  windows.emplace_back("order selector", host::makeForm<p::xmzzk::Txmzzkselectform>(nullptr, true));
  windows.emplace_back("processing", std::move(processing));
  windows.emplace_back("order lines to ship", host::makeForm<p::cpfh::Tchfhselectxmddmxform>(nullptr, "", store, customer));
  windows.emplace_back("receipts", host::makeForm<p::khkp::Tkhskselectform>(nullptr, customer, store, ""));
  windows.emplace_back("bills to write off", host::makeForm<p::khsk::Tkhskhxselectform>(nullptr, customer, store, ""));
  windows.emplace_back("advance receipts", host::makeForm<p::khsk::Tkhyskselectform>(nullptr, customer, store, ""));
  windows.emplace_back("supplier bills", host::makeForm<p::gysfk::Tgysfkhxselectform>(nullptr, supplier, store, ""));
  checked = 0;
  for (auto& [name, form] : windows) checked += checkWindow(*form, name);
  EXPECT_GE(checked, 10);  // the saved order's amounts were among them (settlement boxes, lines, lists)
}

TEST_F(MoneyFormats, OrderWindowsShowTheirFieldsKinds) {
  const std::string billno = saveDemoOrder();
  auto* order = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_NE(order, nullptr);
  const core::Currency total = order->cdsMaster.fieldByName("hjje").value().asCurrency();
  ASSERT_GT(total, core::Currency());
  {
    desktop::FormView view(*order);  // the header's totals are read at a glance: no decimals
    EXPECT_EQ(boxText(view, "edthjje").toStdString(), total.format("0"));
    EXPECT_EQ(boxText(view, "edtwjje").toStdString(), total.format("0"));
    desktop::DataSetTableModel& staff = *view.grid("cxgzzry")->model();
    for (int c = 0; c < staff.columnCount(); ++c)
      if (staff.column(c).field == "perc") {
        EXPECT_EQ(staff.displayPattern(c), "0.00%");
      }
  }
  auto settlement = host::makeForm<plugs::coreapp::xmzzk::Tjiesuanform>(nullptr, billno);
  {
    desktop::FormView view(*settlement);
    EXPECT_EQ(boxText(view, "edthjje").toStdString(), total.format("0.0000"));
    EXPECT_EQ(boxText(view, "edtwjje").toStdString(), total.format("0.0000"));
  }
  auto selector = host::makeForm<plugs::coreapp::xmzzk::Txmzzkselectform>(nullptr, true);
  ASSERT_TRUE(selector->cdsMain.locate("billno", core::Value(billno)));
  desktop::FormView view(*selector);
  desktop::DataSetTableModel& list = *view.grid("cxgMain")->model();
  const int row = list.currentRow();
  for (int c = 0; c < list.columnCount(); ++c)
    if (list.column(c).field == "hjje") {
      EXPECT_EQ(list.data(list.index(row, c)).toString().toStdString(), total.format("0.0000"));
    }
}

}  // namespace
