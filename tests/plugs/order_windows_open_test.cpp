// Settlement and order processing opened from the ribbon (no bill number) first let the
// clerk pick an order; a cancelled pick opens nothing, and an empty settlement can
// neither be confirmed nor open the cash drawer.
#include <gtest/gtest.h>

#include "host/plug/t_plugs_pool.h"
#include "jiesuan_session.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

using plugs::coreapp::xmzzk::Tjiesuanform;
using plugs::coreapp::xmzzk::Txmzzkselectform;
using plugs::coreapp::xmzzk::Txmzzkworkform;

class OrderWindowsOpen : public jiesuan_test::SettlementSession {
 protected:
  OrderWindowsOpen() {
    if (host::plugsPool().plugbyName("1101") == nullptr)
      plugs::coreapp::xmzzk::registerXmzzkWorkForm();
    rows("insert into vt_x_xmzzk(orgid, uid, billno, kh_id, hjje, status) values "
         "('0001', 'o4', 'JS004', 1, 40, 0)");
    rows("update vt_x_xmzzk set billdate = getdate()");  // within the picker's last month
  }

  // Picks `billno` in the selector (none: cancels it) and records the windows shown.
  void pickInSelector(const std::string& billno) {
    ui.setModalRunner([this, billno](host::FormModel& shown) {
      shownClasses += shown.className() + " ";
      if (auto* picker = dynamic_cast<Txmzzkselectform*>(&shown)) {
        if (billno.empty() || !picker->cdsMain.locate("billno", core::Value(billno)))
          picker->clickAction("actcancel");
        else
          picker->clickAction("actselect");
        return picker->ModalResult == host::mrNone ? host::mrCancel : picker->ModalResult;
      }
      if (auto* pay = dynamic_cast<Tjiesuanform*>(&shown)) openedBillno = pay->billno;
      if (auto* work = dynamic_cast<Txmzzkworkform*>(&shown)) openedBillno = work->billno;
      return host::mrCancel;
    });
  }

  void open(const char* code) { host::plugsPool().plugbyName(code)->create(nullptr, ""); }

  std::string shownClasses;
  std::string openedBillno;
};

TEST_F(OrderWindowsOpen, SettlementFromTheRibbonOpensThePickedOrder) {
  pickInSelector("JS002");
  open("1100_07");
  EXPECT_EQ(shownClasses, "Txmzzkselectform Tjiesuanform ");
  EXPECT_EQ(openedBillno, "JS002");

  shownClasses.clear();
  pickInSelector("");
  open("1100_07");
  EXPECT_EQ(shownClasses, "Txmzzkselectform ");  // cancelled: no settlement window
}

TEST_F(OrderWindowsOpen, ProcessingFromTheRibbonListsOnlyOpenOrders) {
  pickInSelector("JS001");  // completed: not listed, so nothing is chosen
  open("1101");
  EXPECT_EQ(shownClasses, "Txmzzkselectform ");

  shownClasses.clear();
  pickInSelector("JS004");
  open("1101");
  EXPECT_EQ(shownClasses, "Txmzzkselectform Txmzzkworkform ");
  EXPECT_EQ(openedBillno, "JS004");
}

TEST_F(OrderWindowsOpen, SettlementWithoutAnOrderCannotConfirmOrOpenTheDrawer) {
  auto form = openDialog("NOSUCH");
  EXPECT_EQ(form->clickAction("actok"), host::Outcome::Disabled);
  EXPECT_EQ(form->clickAction("actok_print"), host::Outcome::Disabled);
  EXPECT_FALSE(said("\"event\":\"drawer\""));
}

}  // namespace
