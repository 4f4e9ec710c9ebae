// ShopData::writeOrders: the orders of every day with their lines, staff, consumables
// and settlements. Included by shop_data.h only.
#pragma once

#include <chrono>

namespace bench {

inline void ShopData::writeOrders() {
  using namespace std::chrono;
  Statement order, line, staff, hc, settle;
  prepare(order,
          "insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, lxr, tel, jhrq, ck_id, kdr_id, ywy_id, "
          "flow_id, shfs_id, gcxmmc, zdzk, hjje, jmje, hjsk, status, ispay, zfflag, version, zzryinfo, hccb) values "
          "(?1, '0001', ?2, ?3, ?4, '现结', ?5, ?6, ?7, ?8, ?9, ?10, 0, 0, ?11, 1, ?12, 0, ?13, ?14, ?15, ?16, 1, ?17, 0)");
  prepare(line,
          "insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, gcxmmc) values "
          "(?1, '0001', ?2, ?3, ?4, 1, ?5, ?6, 1, ?7, ?7, 1, ?8, ?9)");
  prepare(staff, "insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc, jxjf, jxje) values "
                 "(?1, '0001', ?2, ?3, ?4, 100, ?5, ?6)");
  prepare(hc, "insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl, shsl) values "
              "(?1, '0001', ?2, ?3, ?4, 1, ?5, 0)");
  prepare(settle, "insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je, czy_id) values "
                  "('0001', ?1, ?2, ?3, ?4, 1, ?5, ?6)");
  const sys_days end = year{kEndYear} / kEndMonth / kEndDay;
  const sys_days first = end - days{365 * years_ - 1};
  long long serial = 0;
  for (sys_days day = first; day <= end; day += days{1}) {
    const year_month_day ymd{day};
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    const int count = pick(kOrdersPerYear / 365 - 20, kOrdersPerYear / 365 + 20);
    const bool recent = end - day < days{14};
    for (int n = 1; n <= count; ++n) {
      char billno[24], when[32], due[32];
      std::snprintf(billno, sizeof billno, "XM%.4s%.2s%.2s%04d", date, date + 5, date + 8, n);
      std::snprintf(when, sizeof when, "%s %02d:%02d:00.000", date, pick(8, 20), pick(0, 59));
      std::snprintf(due, sizeof due, "%s 18:00:00.000", date);
      const std::string uid = "O" + std::to_string(++serial);
      const int lines = pick(1, 7);
      long long total = 0;
      for (int l = 1; l <= lines; ++l) {
        const std::string lineUid = uid + "-" + std::to_string(l);
        const int qty = pick(1, 20);
        const long long price = pick(500, 30000);
        const long long amount = price * qty;
        total += amount;
        line.text(lineUid).text(billno).integer(pick(1, kItems)).real(qty).real(pick(5, 30) / 10.0)
            .real(pick(5, 30) / 10.0).real(money(price)).real(money(amount)).text("项目").run();
        staff.text("Z" + lineUid).text(billno).text(lineUid).integer(pick(1, kStaff)).real(qty)
            .real(money(amount / 10)).run();
        for (int c = pick(0, 2) + (pick(0, 12) == 0); c > 0; --c)
          hc.text("C" + lineUid + "-" + std::to_string(c)).text(billno).text(lineUid).integer(pick(1, kGoods))
              .real(pick(1, 10)).run();
      }
      const bool voided = pick(0, 99) == 0;
      const int status = recent ? pick(0, 3) : 3;
      order.text(uid).text(billno).text(when).integer(pick(1, customers())).text("联系人").text("13900000000")
          .text(due).integer(pick(1, kStores)).integer(pick(1, kStaff)).integer(pick(1, kStaff)).text("门头广告")
          .real(money(total)).real(status == 3 ? money(total) : 0).integer(status).integer(status == 3 ? 2 : 0)
          .integer(voided ? 1 : 0).text("员工").run();
      if (status == 3)
        settle.text("J" + uid).text(billno).integer(pick(1, 3)).text(when).real(money(total))
            .integer(pick(1, kStaff)).run();
      billnos_.push_back(billno);
    }
  }
}

}  // namespace bench
