// The receipt as a page of the shell, on the demo database: the customer box, the
// account grid and the write-off grid with its Chinese captions; the demo customer's
// open bills are picked in the source selector (played here, modal in the shell), and
// the saved receipt with both panels filled is rendered as a PNG for a person to look at.

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/simple_bill/write_off_bill_form.h"
#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace {

class ReceiptPage : public desktop_test::BillPageSession<plugs::coreapp::TWriteOffBillForm> {
 protected:
  void SetUp() override {
    openPage("1112");
    ui.setModalRunner([](host::FormModel& form) {
      auto& selector = dynamic_cast<plugs::coreapp::TWriteOffSelectForm&>(form);
      selector.control("cbck").text.clear();
      selector.clickAction("cxButton3");
      selector.clickAction("selectedHeaderClick");
      selector.clickAction("actok");
      return selector.ModalResult;
    });
  }

};

TEST_F(ReceiptPage, BothPanelsFilledSavedAndRendered) {
  for (const char* box : {"edtwldw", "cbck", "cbkdr", "edtjmje", "edthjje", "edthxje", "chkiskaipiao", "edtpiaono"})
    EXPECT_NE(view->controlWidget(box), nullptr) << box;
  view->actionBar()->button("actAdd")->trigger();
  ASSERT_TRUE(page->editMode);
  ui.queueLookup("客户会员查询", R"([{"id":"2","code":"C001","name":"华宇地产"}])");
  view->run([&] { page->clickControl("edtwldw"); });
  view->actionBar()->button("acthxmx_Add")->trigger();
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
  EXPECT_EQ(view->grid("cxghxmx")->model()->headerData(7, Qt::Horizontal).toString().toStdString(), "本次核销金额");

  view->actionBar()->button("actSave")->trigger();
  ASSERT_FALSE(page->billno.empty()) << (ui.transcript().empty() ? "" : ui.transcript().back());
  EXPECT_EQ(page->cdshxmx.recordCount(), bills);

  desktop_test::savePicture(*view, "receipt_bill.png");
}

}  // namespace
