// A goods bill as a page of the shell, on the demo database: the purchase bill shows its
// supplier box and header combos, its line grid takes the shipped columns with Chinese
// captions, typing a quantity into a line follows the bill's own arithmetic, and the
// saved bill is rendered as a PNG under the build folder for a person to look at.

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/simple_bill/stock_bill_form.h"

namespace {

class PurchasePage : public desktop_test::BillPageSession<plugs::coreapp::TStockBillForm> {
 protected:
  void SetUp() override {
    openPage("1120");
  }

};

TEST_F(PurchasePage, TwoLinesEnteredSavedAndRendered) {
  for (const char* box : {"edtwldw", "cbck", "cbkdr", "cbrklx", "cbzh", "edtbcfk"})
    EXPECT_NE(view->controlWidget(box), nullptr) << box;
  view->actionBar()->button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("供应商信息查询", R"([{"code":"G001"}])");
  view->run([&] { page->clickControl("edtwldw"); });
  ui.queueLookup("商品信息查询", R"([{"code":"SP003"},{"code":"SP005"}])");
  view->actionBar()->button("actDetail_Add")->trigger();
  ASSERT_EQ(page->cdsDetail.recordCount(), 2);

  desktop::DataSetTableModel& lines = *view->grid("cxgDetail")->model();
  EXPECT_EQ(lines.headerData(columnOf(lines, "sp_name"), Qt::Horizontal).toString().toStdString(), "商品名称");
  ASSERT_TRUE(lines.setData(lines.index(0, columnOf(lines, "sl")), "500"));
  page->cdsDetail.first();
  const core::Currency dj = page->cdsDetail.fieldByName("dj").asCurrency();
  EXPECT_EQ(page->cdsDetail.fieldByName("je").asCurrency(), dj * 500);

  view->actionBar()->button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << (ui.transcript().empty() ? "" : ui.transcript().back());
  EXPECT_EQ(page->control("edtwldw").text, "G001");

  desktop_test::savePicture(*view, "purchase_bill.png");
}

}  // namespace
