// Every bill editor of the package opens as a page of the shell on the demo database,
// starts a new bill with its header boxes and line grid shown, and is rendered to
// build/desktop-screenshots/bill_<code>.png (1280 x 800) and bill_<code>_1600.png
// (1600 x 1000) for a person to look at, with its main commands in view at both sizes.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "desktop/desktop_session.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"

namespace {

class EveryBillPage : public desktop_test::DemoSession {};

TEST_F(EveryBillPage, OpensStartsANewBillAndRenders) {
  const char* codes[] = {"1102", "1105", "1110", "1111", "1112", "1113", "1114", "1115", "1116",
                         "1117", "1118", "1120", "1121", "1122", "1123", "1124", "1125", "1126", "1127"};
  const QString folder = QDir(COREAPP_BINARY_DIR).filePath("desktop-screenshots");
  QDir().mkpath(folder);
  for (const char* code : codes) {
    host::TPlugItem* item = host::plugsPool().plugbyName(code);
    ASSERT_NE(item, nullptr) << code;
    item->create(nullptr, "");
    auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << code;
    {
      desktop::FormView view(*page);
      view.actionBar()->button("actAdd")->trigger();
      EXPECT_TRUE(page->editMode) << code;
      EXPECT_NE(view.grid("cxgDetail"), nullptr) << code;
      EXPECT_NE(view.controlWidget("edtbilldate"), nullptr) << code;
      for (const QSize size : {QSize(1280, 800), QSize(1600, 1000)}) {
        view.resize(size);
        view.show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        // The bill's main commands are on the bar, not behind its overflow button.
        for (const char* name : {"actclose", "actSave", "actCancel", "actAudit", "actPrint"}) {
          QAction* action = view.actionBar()->button(name);
          ASSERT_NE(action, nullptr) << code << " " << name;
          QWidget* button = view.actionBar()->widgetForAction(action);
          EXPECT_TRUE(button != nullptr && button->isVisible()) << code << " " << name << " at " << size.width();
        }
        const QString suffix = size.width() == 1280 ? "" : QString("_%1").arg(size.width());
        const QString file = QDir(folder).filePath(QString("bill_%1%2.png").arg(code, suffix));
        QFile::remove(file);
        ASSERT_TRUE(view.grab().save(file)) << code;
        EXPECT_GT(QFileInfo(file).size(), 0) << code;
      }
    }
    host::PageControl().clear();
  }
}

}  // namespace
