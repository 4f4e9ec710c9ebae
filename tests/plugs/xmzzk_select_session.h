// The order selector on a small store: the bill session's database and host with two
// outlets, a customer and orders of every status around a pinned "today"; its scripted
// Ui can run the picker modally.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "bill_session.h"
#include "core/date_time.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"

namespace xmzzk_select_test {

// "Today" for every selector test: the default bounds are 2026-02-15 .. 2026-03-15.
inline core::DateTime today() { return core::DateTime::fromParts(2026, 3, 15, 10, 30); }

// Outlets 1 总店 and 2 分店; customer 1 星光广告. Orders of store 0001 (billno, billdate,
// outlet, status, voided) chosen around the default bounds; one order of another store.
inline const char* kOrders = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C02', '分店')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C001', '星光广告')
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, status, zfflag, hjje, lxr, gcxmmc) values
  ('0001', 'A11002026021400001', '2026-02-14 23:59:59', 1, 1, 0, 0, 10, '周经理', '门头'),
  ('0001', 'A11002026021500001', '2026-02-15 00:00:00', 1, 1, 0, 0, 20, '周经理', '展板'),
  ('0001', 'A11002026031200002', '2026-03-12 09:00:00', 1, 2, 1, 0, 30.5, '周经理', '名片'),
  ('0001', 'A11002026031300003', '2026-03-13 11:00:00', 1, 1, 2, 0, 40, '周经理', '写真'),
  ('0001', 'A11002026031400004', '2026-03-14 12:00:00', 1, 2, 3, 0, 50, '周经理', '灯箱'),
  ('0001', 'A11002026031500005', '2026-03-15 23:59:59', 1, 1, 0, 0, 60, '周经理', '横幅'),
  ('0001', 'A11002026031600006', '2026-03-16 00:00:00', 1, 1, 0, 0, 70, '周经理', '易拉宝'),
  ('0001', 'A11002026031000007', '2026-03-10 08:00:00', 1, 1, 0, 1, 80, '周经理', '作废单'),
  ('0002', 'B11002026031000001', '2026-03-10 08:00:00', 1, 1, 0, 0, 90, '周经理', '别店')
)sql";

class SelectorSession : public bill_test::BillSession {
 protected:
  SelectorSession() : BillSession(kOrders) {
    core::DateTime::setClock([] { return today(); });
  }
  ~SelectorSession() override { core::DateTime::setClock({}); }

  //! A created picker (FormCreate has loaded the list with the default bounds).
  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkselectform> open(bool allStatus) {
    return host::makeForm<plugs::coreapp::xmzzk::Txmzzkselectform>(nullptr, allStatus);
  }

  //! The bill numbers the picker lists now.
  static std::set<std::string> listed(plugs::coreapp::xmzzk::Txmzzkselectform& form) {
    std::set<std::string> numbers;
    for (int r = 1; r <= form.cdsMain.recordCount(); ++r) {
      form.cdsMain.setRecNo(r);
      numbers.insert(form.cdsMain.fieldByName("billno").asString());
    }
    return numbers;
  }

  //! Sets a filter box as the user types it and clicks "查询".
  static void filter(plugs::coreapp::xmzzk::Txmzzkselectform& form, const char* box,
                     const std::string& text) {
    form.setControlText(form.control(box), text);
    EXPECT_EQ(form.clickAction("actfilter"), host::Outcome::Done);
  }
};

}  // namespace xmzzk_select_test
