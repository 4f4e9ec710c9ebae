// A shop-sized database for the benchmarks: `years` years of a busy print shop up to
// the end of November 2026, the same rows for the same seed every time. Per year about
// 30,000 orders, 120,000 order lines, 250,000 staff and consumable rows, 2,000 new
// customers and a settlement row for each settled order. The schema comes from
// schema::createDatabase; the rows are written straight into SQLite with prepared
// statements in the stored forms the engine uses (money rounded to 4 decimals,
// datetimes as "YYYY-MM-DD HH:MM:SS.000").
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "schema/schema_script.h"

namespace bench {

class ShopData {
 public:
  static constexpr int kOrdersPerYear = 30000;
  static constexpr int kCustomersPerYear = 2000;
  static constexpr int kStaff = 40;
  static constexpr int kItems = 200;
  static constexpr int kGoods = 300;
  static constexpr int kStores = 3;
  //! The last day with orders; the generated years end here.
  static constexpr int kEndYear = 2026, kEndMonth = 11, kEndDay = 30;

  ShopData(int years, unsigned seed) : years_(years), random_(seed) {}

  //! Creates `path` (which must not exist) with the schema and every row.
  void write(const std::string& path) {
    db::EmbeddedConnection conn(path);
    schema::createDatabase(conn, false);
    db_ = conn.handle();
    exec("begin immediate");
    writeMasters();
    writeOrders();
    exec("commit");
    exec("analyze");
  }

  //! Bill numbers of the orders written, in date order.
  const std::vector<std::string>& billnos() const { return billnos_; }

 private:
  struct Statement {
    sqlite3_stmt* stmt = nullptr;
    int next = 1;
    ~Statement() { sqlite3_finalize(stmt); }
    Statement& text(const std::string& v) {
      sqlite3_bind_text(stmt, next++, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
      return *this;
    }
    Statement& integer(long long v) {
      sqlite3_bind_int64(stmt, next++, v);
      return *this;
    }
    Statement& real(double v) {
      sqlite3_bind_double(stmt, next++, v);
      return *this;
    }
    void run() {
      if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(stmt)));
      sqlite3_reset(stmt);
      next = 1;
    }
  };

  void exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : "";
      sqlite3_free(err);
      throw std::runtime_error(msg);
    }
  }
  void prepare(Statement& s, const char* sql) {
    if (sqlite3_prepare_v2(db_, sql, -1, &s.stmt, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
  }
  int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
  static double money(long long cents) { return static_cast<double>(cents) / 100.0; }

  void writeMasters() {
    Statement store, staff, item, goods;
    prepare(store, "insert into vt_b_ckbmk(orgid, code, name) values ('0001', ?1, ?2)");
    prepare(staff, "insert into vt_b_ygbmk(orgid, code, name) values ('0001', ?1, ?2)");
    prepare(item, "insert into vt_b_xmbmk(orgid, code, name, price_sale, minje, jjfs, k, jxbl, scjf) "
                  "values ('0001', ?1, ?2, ?3, '0', '否', 1, 20, 1)");
    prepare(goods, "insert into vt_b_spbmk(orgid, code, name, pricein, pricesale) values ('0001', ?1, ?2, ?3, ?4)");
    for (int i = 1; i <= kStores; ++i) store.text("C0" + std::to_string(i)).text("门店" + std::to_string(i)).run();
    for (int i = 1; i <= kStaff; ++i) staff.text(code("Y", i)).text("员工" + std::to_string(i)).run();
    for (int i = 1; i <= kItems; ++i) item.text(code("XM", i)).text("项目" + std::to_string(i)).real(pick(5, 300)).run();
    for (int i = 1; i <= kGoods; ++i)
      goods.text(code("SP", i)).text("材料" + std::to_string(i)).real(money(pick(50, 5000))).real(pick(1, 80)).run();
    Statement customer;
    prepare(customer, "insert into vt_b_khbmk(orgid, code, name, lxr, tel, addr) values ('0001', ?1, ?2, ?3, ?4, ?5)");
    for (int i = 1; i <= customers(); ++i)
      customer.text(code("K", i)).text("客户" + std::to_string(i)).text("联系人" + std::to_string(i))
          .text("139" + std::to_string(10000000 + i)).text("地址" + std::to_string(i)).run();
  }

  int customers() const { return kCustomersPerYear * years_; }
  static std::string code(const char* prefix, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%05d", prefix, n);
    return buf;
  }

  void writeOrders();

  int years_;
  std::mt19937 random_;
  sqlite3* db_ = nullptr;
  std::vector<std::string> billnos_;
};

}  // namespace bench

#include "shop_data_orders.h"
