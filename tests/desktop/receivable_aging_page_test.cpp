// The receivable aging as a page of the shell on the demo database: opened from the
// 往来 ribbon group, read as of a fixed day through the page's buttons, a customer's
// statement opened from it, both rendered as PNGs under the build folder for a person.
#include <QAction>
#include <QDateEdit>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "apps/coreapp-desktop/ribbon_groups.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/khzl/khwlmx_form.h"
#include "plugs/coreapp/khzl/khyszl_form.h"

namespace {

class AgingPage : public desktop_test::DemoSession {
 protected:
  void TearDown() override { host::PageControl().clear(); }
};

TEST_F(AgingPage, OpensFromTheRibbonReadsAsOfADayAndOpensAStatement) {
  bool inGroup = false;
  for (const desktop::RibbonGroup& g :
       desktop::ribbonGroups(host::plugsPool().items(), desktop::parseRights("*")))
    for (const host::TPlugItem* item : g.items)
      inGroup = inGroup || (item->code == "1119" && g.caption == "往来");
  EXPECT_TRUE(inGroup);

  host::plugsPool().plugbyName("1119")->create(nullptr, "");
  auto* page = dynamic_cast<plugs::coreapp::khzl::Tkhyszlform*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  desktop::FormView view(*page);
  page->control("edtrq").text = "2026-12-31";
  view.refresh();
  auto* day = qobject_cast<QDateEdit*>(view.controlWidget("edtrq"));
  ASSERT_NE(day, nullptr);
  EXPECT_EQ(day->date(), QDate(2026, 12, 31));
  view.actionBar()->button("actRef")->trigger();
  desktop::DataSetTableModel& rows = *view.grid("cxgZl")->model();
  ASSERT_EQ(rows.rowCount(), 3);  // C001, C004, C005
  EXPECT_EQ(rows.data(rows.index(2, 1)).toString(), QString("城东物业"));
  desktop_test::savePicture(view, "receivable_aging.png");

  page->cdsZl.last();
  view.actionBar()->button("actMx")->trigger();
  auto* statement =
      dynamic_cast<plugs::coreapp::khzl::Tkhwlmxform*>(host::PageControl().activePage());
  ASSERT_NE(statement, nullptr);
  statement->control("edtrq1").text = "2026-09-01";
  desktop::FormView statementView(*statement);
  statementView.actionBar()->button("actRef")->trigger();
  desktop::DataSetTableModel& lines = *statementView.grid("cxgMx")->model();
  ASSERT_GE(lines.rowCount(), 2);
  statement->cdsMx.last();
  EXPECT_EQ(statement->cdsMx.fieldByName("ye").asCurrency(),
            page->cdsZl.fieldByName("qkje").asCurrency());
  desktop_test::savePicture(statementView, "customer_running_balance.png");
}

}  // namespace
