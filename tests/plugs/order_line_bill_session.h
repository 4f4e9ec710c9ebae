// A session for the bills drawn from project order lines (outsourced processing 1102,
// shipment 1105): the whole schema on an in-memory database, orders whose lines the
// tests reason about, a host with a scripted Ui, and helpers that drive an editor and
// the modal pickers it opens the way a clerk does.
#pragma once

#include <gtest/gtest.h>

#include "bill_session.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "host/forms/bill_config.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/cpfh/cpfh_form.h"
#include "plugs/coreapp/xmwtk/xmwtk_form.h"
#include "schema/schema_script.h"

namespace order_line_test {

// Ids are the identity values of a fresh database, in insert order.
//   store 1 总店; employee 1 王敏; supplier 1 G001; customers 1 C001, 2 C002
//   items 1 XM001 price_in 10, 2 XM002 price_in 18; delivery method 1 送货上门
//   DD1 C001 completed 10 days ago, lines 1..5:
//     1 XM001 sl 2 n 3 x 1.2 y 0.5 shipped 0     2 XM002 sl 2 n 5 shipped 4
//     3 XM001 sl 2 n 3 shipped 6 (all of it)     4 XM001 sl 2 n 3 shipped 5
//     5 XM002 sl 1 n 1 shipped null
//   line 6 on DD2 (C001, in production), 7 on DD3 (C001, completed but voided),
//   8 on DD4 (C002, completed), 9 on DD5 (C001, completed a year ago)
inline const char* kOrderData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_gysbmk(orgid, code, name) values ('0001', 'G001', '彩虹写真输出')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C001', '华宇地产')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C002', '蓝天教育')
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_in) values ('0001', 'XM001', '喷绘', '外光布', '平方米', 10)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_in) values ('0001', 'XM002', '展板', 'KT板', '块', 18)
insert into vt_b_shfs(orgid, code, name) values ('0001', '01', '送货上门')
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, status, zfflag, ck_id) values ('0001', 'DD1', dateadd(day, -10, getdate()), 1, 2, 0, 1)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, status, zfflag, ck_id) values ('0001', 'DD2', getdate(), 1, 1, 0, 1)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, status, zfflag, ck_id) values ('0001', 'DD3', getdate(), 1, 2, 1, 1)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, status, zfflag, ck_id) values ('0001', 'DD4', getdate(), 2, 2, 0, 1)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, status, zfflag, ck_id) values ('0001', 'DD5', dateadd(day, -365, getdate()), 1, 2, 0, 1)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, fhsl_ok, gcxmmc, beizhu) values ('u1', '0001', 'DD1', 1, 2, 3, 1.2, 0.5, 0, '横幅.cdr', '打扣眼')
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, fhsl_ok, gcxmmc) values ('u2', '0001', 'DD1', 2, 2, 5, 1, 1, 4, '展板.ai')
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, fhsl_ok) values ('u3', '0001', 'DD1', 1, 2, 3, 6)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, fhsl_ok) values ('u4', '0001', 'DD1', 1, 2, 3, 5)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, fhsl_ok) values ('u5', '0001', 'DD1', 2, 1, 1, null)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n) values ('u6', '0001', 'DD2', 1, 1, 1)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n) values ('u7', '0001', 'DD3', 1, 1, 1)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n) values ('u8', '0001', 'DD4', 1, 1, 1)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n) values ('u9', '0001', 'DD5', 1, 1, 1)
)sql";

class OrderLineSession : public bill_test::BillSession {
 protected:
  OrderLineSession() : BillSession(kOrderData) {
    registerOnce("1102", &plugs::coreapp::xmwtk::registerXmwtkForm);
    registerOnce("1105", &plugs::coreapp::cpfh::registerCpfhForm);
    ui.setModalRunner([this](host::FormModel& shown) {
      auto& dialog = dynamic_cast<host::TBaseForm&>(shown);
      if (onModal) onModal(dialog);
      return dialog.ModalResult == host::mrNone ? host::mrCancel : dialog.ModalResult;
    });
  }

  //! A new bill made out to counterparty `id` (supplier or customer, by the bill).
  void startBill(plugs::coreapp::TStockBillForm& form, int id = 1) {
    ASSERT_EQ(form.clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(form.stock.counterparty.lookup,
                   "[{\"id\":\"" + std::to_string(id) + "\",\"code\":\"X00" + std::to_string(id) + "\",\"name\":\"往来\"}]");
    ASSERT_EQ(form.clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
  }

  //! Ticks the visible rows `rows` (1-based) of a picker's dataset.
  static void tick(dataset::ClientDataSet& ds, const std::vector<int>& rows) {
    for (int row : rows) {
      ds.first();
      for (int i = 1; i < row; ++i) ds.next();
      ds.edit();
      ds.fieldByName("selected").setValue(core::Value(true));
      ds.post();
    }
  }

  //! Saves, confirming; fails the test when the save did not go through.
  void save(host::TBaseBillEditRibbonForm& form) { ASSERT_EQ(form.clickAction("actSave"), host::Outcome::Done) << lastEvent(); }

  std::function<void(host::TBaseForm&)> onModal;  //!< what the clerk does in a modal dialog
};

}  // namespace order_line_test
