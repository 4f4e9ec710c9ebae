// An order-processing session for the tests: the project order session's database and
// master data, plug 1101 registered, and one saved order to work on:
//   A110000001 for C001 (kh_id 1), version 0, status 1 (处理中)
//     line L1: XM002 (size ignored, tiers) sl 5 → dj 25, je 125;
//              staff 李强 (2) 60 %, 张丽 (3) 40 %
//     line L2: XM004 (area, line k 1) 2 × 1.5, sl 1, dj 500 → je 1500;
//              consumable SP001 0.5 per unit
#pragma once

#include <memory>
#include <string>

#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"
#include "xmzzk_session.h"

namespace xmzzk_test {

inline const char* kWorkOrder = R"sql(
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, lxr, tel, jhrq, status, version, hjje, gcxmmc, filedir)
  values ('H1', '0001', 'A110000001', '2026-03-05 14:30:00', 1, '签单', '周经理', '13800000001', '2026-03-08 17:00:00', 1, 0, 1625, '春季展会', '')
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je)
  values ('L1', '0001', 'A110000001', 2, 5, 1, 1, 1, 1, 30, 25, 1, 125)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je)
  values ('L2', '0001', 'A110000001', 4, 1, 1, 2, 1.5, 1, 500, 500, 1, 1500)
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Z1', '0001', 'A110000001', 'L1', 2, 60)
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Z2', '0001', 'A110000001', 'L1', 3, 40)
insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl, shsl) values ('C1', '0001', 'A110000001', 'L2', 1, 0.5, 0.5, 0)
)sql";

inline const std::string kWorkBillno = "A110000001";

class WorkSession : public OrderSession {
 protected:
  WorkSession() {
    const db::BatchResult r = conn.execBatch(kWorkOrder);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    registerOnce("1101", plugs::coreapp::xmzzk::registerXmzzkWorkForm);
  }

  //! A processing window on `billno`, created and opened as the plug's creator does.
  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkworkform> openWork(
      const std::string& billno = kWorkBillno) {
    return BillSession::openEditor<plugs::coreapp::xmzzk::Txmzzkworkform>("1101", billno);
  }
};

}  // namespace xmzzk_test
