// The fund transfer as a page of the shell, on the demo database: two lines typed into
// the grid (accounts chosen from the cells' lists, no add-line button), saved and
// audited through the page's buttons, the account balances opened as a page of their
// own, and the transfer rendered as a PNG under the build folder for a person to see.
#include <QAction>

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

class TransferPage : public desktop_test::BillPageSession<> {
 protected:
  void SetUp() override {
    openPage("1114");
  }

  // One line added from the grid and its cells typed: out of, into, amount.
  void typeLine(int row, const char* from, const char* to, const char* amount) {
    desktop::GridView& grid = *view->grid("cxgDetail");
    grid.addRowAction()->trigger();
    desktop::DataSetTableModel& lines = *grid.model();
    ASSERT_EQ(lines.rowCount(), row + 1);
    ASSERT_TRUE(lines.setData(lines.index(row, columnOf(lines, "ozh_name")), from));
    ASSERT_TRUE(lines.setData(lines.index(row, columnOf(lines, "izh_name")), to));
    ASSERT_TRUE(lines.setData(lines.index(row, columnOf(lines, "je")), amount));
  }

  std::string lastEvent() const { return ui.transcript().empty() ? "" : ui.transcript().back(); }

};

TEST_F(TransferPage, TwoLinesSaveAuditAndRenderToAPicture) {
  view->actionBar()->button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  QAction* addLine = view->actionBar()->button("actDetail_Add");
  ASSERT_NE(addLine, nullptr);
  EXPECT_FALSE(addLine->isVisible()) << "lines are typed into the grid";
  const host::GridColumn& account = view->grid("cxgDetail")->model()->column(0);
  EXPECT_EQ(account.field, "ozh_name");
  EXPECT_FALSE(account.items.empty());
  typeLine(0, "现金", "工商银行基本户", "500");
  typeLine(1, "微信收款", "工商银行基本户", "250");
  view->actionBar()->button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << lastEvent();
  EXPECT_EQ(page->cdsMaster.fieldByName("hjje").asCurrency(), core::Currency::fromInt(750));
  view->actionBar()->button("actAudit")->trigger();
  EXPECT_EQ(page->masterStatus(), 1) << lastEvent();
  EXPECT_TRUE(said("\"event\":\"drawer\""));

  desktop_test::savePicture(*view, "cash_transfer.png");

  // The balances open as a page beside the bill: the bank holds the demo advance receipt
  // of 1,000 and the 750 transferred in.
  view->actionBar()->button("actZhye")->trigger();
  host::TBaseForm* balances = host::PageControl().activePage();
  ASSERT_NE(balances, nullptr);
  EXPECT_EQ(balances->caption, "账户余额");
  dataset::ClientDataSet& rows = *balances->findDataSet("cdsZhye");
  bool bankSeen = false;
  for (rows.first(); !rows.eof(); rows.next())
    if (rows.fieldByName("zh_name").asString() == "工商银行基本户") {
      bankSeen = true;
      EXPECT_EQ(rows.fieldByName("ye").asCurrency(), core::Currency::fromInt(1750));
    }
  EXPECT_TRUE(bankSeen);
}

}  // namespace
