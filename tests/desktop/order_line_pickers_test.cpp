// The two pickers that draw on project order lines, as modal windows of the shell on the
// demo database: the import into an outsourced order and the pending-shipment list, each
// with its tick column and rows, rendered as PNGs under the build folder.
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"

namespace {

class OrderLinePickers : public desktop_test::DemoSession {
 protected:
  //! Renders `form` as desktop-screenshots/`name`; the tick column shows check boxes.
  void render(host::FormModel& form, const char* grid, const char* name) {
    desktop::FormView view(form);
    desktop::DataSetTableModel& rows = *view.grid(grid)->model();
    ASSERT_GT(rows.rowCount(), 0);
    EXPECT_EQ(rows.data(rows.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    desktop_test::savePicture(view, name, QSize(1100, 420));
  }
};

TEST_F(OrderLinePickers, ImportDialogWithTheDemoOrdersLines) {
  const db::BatchResult order = conn.execBatch("select billno from vt_x_xmzzk where status = 2");
  ASSERT_TRUE(order.ok() && !order.resultSets.back().rows.empty());
  auto dialog = host::makeForm<plugs::coreapp::xmwtk::Timportxmddmxform>(
      nullptr, order.resultSets.back().rows.front().front().asText());
  EXPECT_EQ(dialog->cdsMain.recordCount(), 3);
  dialog->clickControl("cxgMainselected");
  render(*dialog, "cxgMain", "import_order_lines.png");
}

TEST_F(OrderLinePickers, PendingShipmentListOfTheDemoCustomer) {
  const db::BatchResult customer = conn.execBatch("select id from vt_b_khbmk where code = 'C001'");
  ASSERT_TRUE(customer.ok());
  auto dialog = host::makeForm<plugs::coreapp::cpfh::Tchfhselectxmddmxform>(
      nullptr, "", 1, customer.resultSets.back().rows.front().front().asInteger());
  ASSERT_EQ(dialog->clickAction("actquery"), host::Outcome::Done);
  EXPECT_EQ(dialog->cdsResult.recordCount(), 3);
  dialog->clickControl("cxgResultselected");
  render(*dialog, "cxgResult", "pending_shipment.png");
}

}  // namespace
