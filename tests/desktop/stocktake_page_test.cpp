// The stocktake as a page of the shell, on the demo database: goods picked into the
// grid arrive with their book quantity, a count typed into the grid's cell gives the
// difference and its remark in the same row, the processing button follows the bill's
// state, and the counted page is rendered as a PNG under the build folder.

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"

namespace {

class StocktakePage : public desktop_test::BillPageSession<> {
 protected:
  void SetUp() override {
    openPage("1127");
  }

  QString cell(int row, const std::string& field) {
    desktop::DataSetTableModel& m = *view->grid("cxgDetail")->model();
    for (int c = 0; c < m.columnCount(); ++c)
      if (m.column(c).field == field) return m.index(row, c).data().toString();
    ADD_FAILURE() << "no column " << field;
    return {};
  }

  bool type(int row, const std::string& field, const QString& text) {
    desktop::DataSetTableModel& m = *view->grid("cxgDetail")->model();
    for (int c = 0; c < m.columnCount(); ++c)
      if (m.column(c).field == field) return m.setData(m.index(row, c), text);
    ADD_FAILURE() << "no column " << field;
    return false;
  }

};

TEST_F(StocktakePage, CountedStocktakeRendersToAPicture) {
  EXPECT_FALSE(view->actionBar()->button("acttosy")->isEnabled());
  view->actionBar()->button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("商品信息查询",
                 R"([{"id":"1","code":"SP001","name":"外光喷绘布","itemno":"3.2m×50m 440g","baseunit":"卷"},)"
                 R"({"id":"3","code":"SP003","name":"300g铜版纸","itemno":"787×1092mm","baseunit":"张"},)"
                 R"({"id":"4","code":"SP004","name":"A4过塑膜","itemno":"7丝 100张/包","baseunit":"包"}])");
  view->actionBar()->button("actDetail_Add")->trigger();
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

  view->actionBar()->button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << (ui.transcript().empty() ? "" : ui.transcript().back());
  view->actionBar()->button("actAudit")->trigger();
  view->refresh();
  EXPECT_TRUE(view->actionBar()->button("acttosy")->isEnabled());

  desktop_test::savePicture(*view, "stocktake.png");
}

}  // namespace
