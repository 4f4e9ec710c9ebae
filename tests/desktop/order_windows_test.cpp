// What a clerk must (not) see in a saved order's other windows: the settlement window's
// one kind of entry and its account drop-down, the processing window and the printed
// order. Their pictures, and the selector listing the order, are EveryWindow's.
#include <QComboBox>
#include <QTableView>
#include <QTextDocument>

#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "apps/coreapp-desktop/print_preview.h"
#include "desktop/desktop_session.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

class OrderWindows : public desktop_test::DemoSession {
 protected:
  void TearDown() override { host::PageControl().clear(); }
};

TEST_F(OrderWindows, SettlementWindowShowsOneKindOfEntryAtATime) {
  const std::string billno = saveDemoOrder();
  ASSERT_FALSE(billno.empty());
  auto form = host::makeForm<plugs::coreapp::xmzzk::Tjiesuanform>(nullptr, billno);
  EXPECT_TRUE(form->control("edtxj_je").visible);
  EXPECT_FALSE(form->control("edtjm_je").visible);
}

// The account of a settlement line is picked from the store's accounts, not typed.
TEST_F(OrderWindows, SettlementAccountCellIsADropDownOfTheAccounts) {
  const std::string billno = saveDemoOrder();
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

TEST_F(OrderWindows, ProcessingWindowOfTheSavedOrder) {
  const std::string billno = saveDemoOrder();
  plugs::coreapp::xmzzk::Txmzzkworkform form(nullptr, host::plugsPool().plugbyName("1101"));
  form.initialize();
  form.OpenBillData(billno);
  EXPECT_EQ(form.cdsDetail.recordCount(), 1);
  EXPECT_FALSE(form.hasUnsavedChanges());  // opening changes nothing
}

TEST_F(OrderWindows, PrintedOrderPreview) {
  const std::string billno = saveDemoOrder();
  auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done);
  ASSERT_FALSE(ui.prints().empty());
  desktop::PrintPreview preview(QString::fromStdString(ui.prints().back().file), "项目订单");
  const QString text = preview.document()->toPlainText();
  EXPECT_TRUE(text.contains(QString::fromUtf8("项目名称")));
  EXPECT_FALSE(text.contains("billno"));
}

}  // namespace
