// The shop history writer: masters first (their ids kept as SQLite gives them, so the
// demo data may be there already), then day by day the orders of the day.
#include "schema/shop_history.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace schema {

namespace {

// A prepared statement filled left to right.
class Insert {
 public:
  Insert(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~Insert() { sqlite3_finalize(stmt_); }
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;
  Insert& text(const std::string& v) {
    sqlite3_bind_text(stmt_, next_++, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Insert& integer(long long v) {
    sqlite3_bind_int64(stmt_, next_++, v);
    return *this;
  }
  Insert& real(double v) {
    sqlite3_bind_double(stmt_, next_++, v);
    return *this;
  }
  //! Runs it; the new row's id.
  long long run() {
    if (sqlite3_step(stmt_) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    next_ = 1;
    return sqlite3_last_insert_rowid(db_);
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int next_ = 1;
};

std::string code(const char* prefix, long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%05lld", prefix, n);
  return buf;
}

double money(long long cents) { return static_cast<double>(cents) / 100.0; }

class Writer {
 public:
  Writer(sqlite3* db, const ShopScale& scale)
      : db_(db), scale_(scale), random_(scale.seed),
        head_(db, "insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, lxr, tel, jhrq, ck_id, kdr_id, "
                  "ywy_id, gcxmmc, zdzk, hjje, jmje, hjsk, status, ispay, zfflag, version, zzryinfo, hccb) values "
                  "(?1, '0001', ?2, ?3, ?4, '现结', '联系人', '13900000000', ?5, ?6, ?7, ?8, '门头广告', 1, ?9, 0, ?10, "
                  "?11, ?12, ?13, 1, '员工', 0)"),
        settle_(db, "insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je, czy_id) values "
                    "('0001', ?1, ?2, ?3, ?4, 1, ?5, ?6)"),
        line_(db, "insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, gcxmmc) "
                  "values (?1, '0001', ?2, ?3, ?4, 1, ?5, ?6, 1, ?7, ?7, 1, ?8, '项目')"),
        staffRow_(db, "insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc, jxjf, jxje) values "
                      "(?1, '0001', ?2, ?3, ?4, 100, ?5, ?6)"),
        consumable_(db, "insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl, shsl) values "
                        "(?1, '0001', ?2, ?3, ?4, 1, ?5, 0)") {}
  void masters();
  void everyDay();

 private:
  long long pick(long long from, long long to) { return std::uniform_int_distribution<long long>(from, to)(random_); }
  long long any(const std::vector<long long>& ids) { return ids[static_cast<std::size_t>(pick(0, static_cast<long long>(ids.size()) - 1))]; }
  void order(const std::string& date, int n, bool recent);
  long long lines(const std::string& uid, const char* billno);

  sqlite3* db_;
  ShopScale scale_;
  std::mt19937 random_;
  long long serial_ = 0;
  std::vector<long long> stores_, staff_, items_, goods_, customers_;
  Insert head_, settle_, line_, staffRow_, consumable_;
};

void Writer::masters() {
  Insert store(db_, "insert into vt_b_ckbmk(orgid, code, name) values ('0001', ?1, ?2)");
  Insert staff(db_, "insert into vt_b_ygbmk(orgid, code, name) values ('0001', ?1, ?2)");
  Insert item(db_, "insert into vt_b_xmbmk(orgid, code, name, price_sale, minje, jjfs, k, jxbl, scjf) "
                   "values ('0001', ?1, ?2, ?3, '0', '否', 1, 20, 1)");
  Insert goods(db_, "insert into vt_b_spbmk(orgid, code, name, pricein, pricesale) values ('0001', ?1, ?2, ?3, ?4)");
  Insert customer(db_, "insert into vt_b_khbmk(orgid, code, name, lxr, tel, addr) values ('0001', ?1, ?2, ?3, ?4, ?5)");
  for (int i = 1; i <= 3; ++i) stores_.push_back(store.text(code("S", i)).text("门店" + std::to_string(i)).run());
  for (int i = 1; i <= 40; ++i) staff_.push_back(staff.text(code("Y", i)).text("员工" + std::to_string(i)).run());
  for (int i = 1; i <= 200; ++i)
    items_.push_back(item.text(code("XM", i)).text("项目" + std::to_string(i)).real(static_cast<double>(pick(5, 300))).run());
  for (int i = 1; i <= 300; ++i)
    goods_.push_back(goods.text(code("SP", i)).text("材料" + std::to_string(i)).real(money(pick(50, 5000)))
                         .real(static_cast<double>(pick(1, 80))).run());
  for (int i = 1; i <= scale_.customersPerYear * scale_.years; ++i)
    customers_.push_back(customer.text(code("K", i)).text("客户" + std::to_string(i)).text("联系人" + std::to_string(i))
                             .text(std::to_string(13900000000LL + i)).text("地址" + std::to_string(i)).run());
}

// Every day of the years up to the last one gets about ordersPerYear / 365 orders; the
// last two weeks' orders are still open in all states, older ones are settled.
void Writer::everyDay() {
  using namespace std::chrono;
  const sys_days last = year{2026} / 11 / 30;
  const sys_days first = last - days{365 * scale_.years - 1};
  const long long perDay = scale_.ordersPerYear / 365;
  for (sys_days day = first; day <= last; day += days{1}) {
    const year_month_day ymd{day};
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    const long long count = pick(perDay - perDay / 4, perDay + perDay / 4);
    for (int n = 1; n <= count; ++n) order(date, n, last - day < days{14});
  }
}

void Writer::order(const std::string& date, int n, bool recent) {
  char billno[24], when[32], due[32];
  std::snprintf(billno, sizeof billno, "XM%.4s%.2s%.2s%04d", date.c_str(), date.c_str() + 5, date.c_str() + 8, n);
  std::snprintf(when, sizeof when, "%s %02lld:%02lld:00.000", date.c_str(), pick(8, 20), pick(0, 59));
  std::snprintf(due, sizeof due, "%s 18:00:00.000", date.c_str());
  const std::string uid = "O" + std::to_string(++serial_);
  const long long total = lines(uid, billno);
  const long long status = recent ? pick(0, 3) : 3;
  head_.text(uid).text(billno).text(when).integer(any(customers_)).text(due).integer(any(stores_)).integer(any(staff_))
      .integer(any(staff_)).real(money(total)).real(status == 3 ? money(total) : 0).integer(status)
      .integer(status == 3 ? 2 : 0).integer(pick(0, 99) == 0 ? 1 : 0).run();
  if (status != 3) return;
  settle_.text("J" + uid).text(billno).integer(pick(1, 3)).text(when).real(money(total)).integer(any(staff_)).run();
}

// The order's lines, each with its staff row and 0 to 3 consumables; the total in cents.
long long Writer::lines(const std::string& uid, const char* billno) {
  long long total = 0;
  for (long long l = 1, count = pick(1, 7); l <= count; ++l) {
    const std::string lineUid = uid + "-" + std::to_string(l);
    const long long qty = pick(1, 20), price = pick(500, 30000), amount = price * qty;
    total += amount;
    line_.text(lineUid).text(billno).integer(any(items_)).real(static_cast<double>(qty)).real(static_cast<double>(pick(5, 30)) / 10)
        .real(static_cast<double>(pick(5, 30)) / 10).real(money(price)).real(money(amount)).run();
    staffRow_.text("Z" + lineUid).text(billno).text(lineUid).integer(any(staff_)).real(static_cast<double>(qty))
        .real(money(amount / 10)).run();
    for (long long c = pick(0, 2) + (pick(0, 12) == 0); c > 0; --c)
      consumable_.text("C" + lineUid + "-" + std::to_string(c)).text(billno).text(lineUid).integer(any(goods_))
          .real(static_cast<double>(pick(1, 10))).run();
  }
  return total;
}

void exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK) return;
  std::string msg = err ? err : sqlite3_errmsg(db);
  sqlite3_free(err);
  throw std::runtime_error(msg);
}

}  // namespace

void addShopHistory(db::EmbeddedConnection& connection, const ShopScale& scale) {
  sqlite3* db = connection.handle();
  exec(db, "begin immediate");
  try {
    Writer writer(db, scale);
    writer.masters();
    writer.everyDay();
    exec(db, "commit");
  } catch (...) {
    sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);  // the error that matters is the one thrown
    throw;
  }
  exec(db, "analyze");
}

}  // namespace schema
