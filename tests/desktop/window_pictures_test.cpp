// The clerk's other windows rendered to pictures for a person to look at (not
// compared): a saved order's settlement and processing windows, the order selector
// and the printed order in its preview. Each also checks what a clerk must (not) see there.
#include <QCoreApplication>
#include <QComboBox>
#include <QDir>
#include <QTableView>
#include <QTextDocument>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "apps/coreapp-desktop/print_preview.h"
#include "desktop/desktop_session.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

class WindowPictures : public desktop_test::DemoSession {
 protected:
  // A saved order of the demo's first customer with one service line.
  std::string saveOrder() {
    host::plugsPool().plugbyName("1100")->create(nullptr, "");
    auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
    EXPECT_NE(page, nullptr);
    if (page == nullptr) return {};
    page->clickAction("actAdd");
    ui.queueLookup("客户会员查询", R"([{"code":"C001"}])");
    page->clickControl("edtwldw");
    ui.queueLookup("服务项目查询", R"([{"code":"XM003"}])");
    page->clickAction("actDetail_Add");
    page->clickAction("actSave");
    return page->billno;
  }

  static QString picture(const char* name) {
    const QString folder = QDir(COREAPP_BINARY_DIR).filePath("desktop-screenshots");
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
  }

  static void render(host::FormModel& form, const char* file, QSize size) {
    desktop::FormView view(form);
    view.resize(size);
    view.show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);  // settle the layouts first
    EXPECT_TRUE(view.grab().save(picture(file)));
  }

  void TearDown() override { host::PageControl().clear(); }
};

TEST_F(WindowPictures, SettlementWindowShowsOneKindOfEntryAtATime) {
  const std::string billno = saveOrder();
  ASSERT_FALSE(billno.empty());
  auto form = host::makeForm<plugs::coreapp::xmzzk::Tjiesuanform>(nullptr, billno);
  EXPECT_TRUE(form->control("edtxj_je").visible);
  EXPECT_FALSE(form->control("edtjm_je").visible);
  render(*form, "settlement.png", QSize(1000, 680));
}

// The account of a settlement line is picked from the store's accounts, not typed.
TEST_F(WindowPictures, SettlementAccountCellIsADropDownOfTheAccounts) {
  const std::string billno = saveOrder();
  auto form = host::makeForm<plugs::coreapp::xmzzk::Tjiesuanform>(nullptr, billno);
  desktop::FormView view(*form);
  view.show();
  view.run([&] { form->clickAction("actadd"); });  // a cash line in the preset account
  ASSERT_EQ(form->cdsjiesuan.recordCount(), 1);
  desktop::GridView& lines = *view.grid("cxgjiesuan");
  int account = -1;
  for (int c = 0; c < lines.model()->columnCount(); ++c)
    if (lines.model()->column(c).field == "zh_name") account = c;
  ASSERT_GE(account, 0);
  const QModelIndex cell = lines.model()->index(0, account);
  lines.table()->setCurrentIndex(cell);
  lines.table()->edit(cell);
  auto* box = qobject_cast<QComboBox*>(lines.table()->indexWidget(cell));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isEditable());
  EXPECT_EQ(box->count(), static_cast<int>(form->control("cbbxj_zh").items.size()));
  EXPECT_EQ(box->currentText().toStdString(), form->control("cbbxj_zh").items.front());
}

TEST_F(WindowPictures, OrderSelectorListsTheSavedOrder) {
  const std::string billno = saveOrder();
  auto form = host::makeForm<plugs::coreapp::xmzzk::Txmzzkselectform>(nullptr, true);
  EXPECT_TRUE(form->cdsMain.locate("billno", core::Value(billno)));  // beside the demo's own orders
  render(*form, "order_selector.png", QSize(1000, 500));
}

TEST_F(WindowPictures, ProcessingWindowOfTheSavedOrder) {
  const std::string billno = saveOrder();
  plugs::coreapp::xmzzk::Txmzzkworkform form(nullptr, host::plugsPool().plugbyName("1101"));
  form.initialize();
  form.OpenBillData(billno);
  EXPECT_EQ(form.cdsDetail.recordCount(), 1);
  EXPECT_FALSE(form.hasUnsavedChanges());  // opening changes nothing
  render(form, "order_processing.png", QSize(1000, 680));
}

TEST_F(WindowPictures, PrintedOrderPreview) {
  const std::string billno = saveOrder();
  auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done);
  ASSERT_FALSE(ui.prints().empty());
  desktop::PrintPreview preview(QString::fromStdString(ui.prints().back().file), "项目订单");
  const QString text = preview.document()->toPlainText();
  EXPECT_TRUE(text.contains(QString::fromUtf8("项目名称")));
  EXPECT_FALSE(text.contains("billno"));
  preview.resize(900, 700);
  preview.show();
  EXPECT_TRUE(preview.grab().save(picture("printed_order.png")));
}

}  // namespace
