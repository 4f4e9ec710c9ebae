// The shop history generator: masters first (their ids as the database gives them, so
// the demo data may be there already), then day by day the orders of the day, every
// row handed to a sink. The random draws come in one fixed order whatever the sink, so
// a file and a server get the same rows for the same seed.
#include "schema/shop_history.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "schema/history_batch_sink.h"
#include "schema/history_sqlite_sink.h"

namespace schema {

namespace {

const TableShape kStores{"vt_b_ckbmk", "code, name", "orgid", "'0001'"};
const TableShape kStaff{"vt_b_ygbmk", "code, name", "orgid", "'0001'"};
const TableShape kItems{"vt_b_xmbmk", "code, name, price_sale", "orgid, minje, jjfs, k, jxbl, scjf",
                        "'0001', '0', '否', 1, 20, 1"};
const TableShape kGoods{"vt_b_spbmk", "code, name, pricein, pricesale", "orgid", "'0001'"};
const TableShape kCustomers{"vt_b_khbmk", "code, name, lxr, tel, addr", "orgid", "'0001'"};
const TableShape kOrders{"vt_x_xmzzk",
                         "uid, billno, billdate, kh_id, jhrq, ck_id, kdr_id, ywy_id, hjje, hjsk, status, ispay, zfflag",
                         "orgid, khlx, lxr, tel, gcxmmc, zdzk, jmje, version, zzryinfo, hccb",
                         "'0001', '现结', '联系人', '13900000000', '门头广告', 1, 0, 1, '员工', 0"};
const TableShape kMethods{"vt_b_jsfs", "code, name, isort", "orgid", "'0001'"};
// Every customer has a member card (password 123456, as the demo's card).
const TableShape kCards{"vt_b_khbmk_vip", "code, name, kh_id", "orgid, vip_id, pwd",
                        "'0001', 0, 'e10adc3949ba59abbe56e057f20f883e'"};
// The card ledger as a settlement by card writes it: a top-up before the use it pays for.
const TableShape kCardLedger{"vt_b_khbmk_vip_pay",
                             "ck_id, kh_id, card_id, createtime, czy_id, biztype, bizid, incje, decje, remark",
                             "orgid", "'0001'"};
const TableShape kSettlements{"vt_x_xmzzk_js", "uid, billno, jsfs_id, jssj, je, czy_id", "orgid, zh_id", "'0001', 1"};
const TableShape kLines{"vt_x_xmzzk_mx", "uid, billno, xm_id, sl, x, y, old_dj, dj, je", "orgid, n, k, zk, gcxmmc",
                        "'0001', 1, 1, 1, '项目'"};
const TableShape kLineStaff{"vt_x_xmzzk_mx_zzry", "uid, billno, mx_uid, yg_id, jxjf, jxje", "orgid, perc",
                            "'0001', 100"};
const TableShape kConsumables{"vt_x_xmzzk_mx_hc", "uid, billno, mx_uid, sp_id, sl", "orgid, nsl, shsl",
                              "'0001', 1, 0"};

std::string code(const char* prefix, long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%05lld", prefix, n);
  return buf;
}

Field money(long long cents) { return decimalField(cents, 2); }
Field tenths(long long n) { return decimalField(n, 1); }
Field whole(long long n) { return decimalField(n, 0); }  // a float or money column's whole number

// The ids of settlement methods "01" cash, "02" write-off and "03" member card; 0 where
// the database has none yet.
struct SettlementMethods {
  static constexpr const char* codes[3] = {"01", "02", "03"};
  long long ids[3] = {0, 0, 0};
};

SettlementMethods readMethods(db::Connection& connection) {
  SettlementMethods methods;
  const db::BatchResult result = connection.execBatch(
      "select code, id from vt_b_jsfs where orgid = '0001' and code in ('01', '02', '03')");
  if (!result.ok()) throw std::runtime_error(result.errorMessage());
  for (const auto& row : result.resultSets.at(0).rows)
    for (int i = 0; i < 3; ++i)
      if (row[0].asText() == SettlementMethods::codes[i]) methods.ids[i] = row[1].asInteger();
  return methods;
}

class Writer {
 public:
  Writer(HistorySink& sink, const ShopScale& scale, const HistoryProgress& progress,
         SettlementMethods methods)
      : sink_(sink), scale_(scale), progress_(progress), random_(scale.seed), methods_(methods) {}
  void masters();
  void everyDay();

 private:
  long long pick(long long from, long long to) { return std::uniform_int_distribution<long long>(from, to)(random_); }
  long long any(const std::vector<long long>& ids) { return ids[static_cast<std::size_t>(pick(0, static_cast<long long>(ids.size()) - 1))]; }
  std::vector<long long> addMasters(const TableShape& shape, const std::vector<Row>& rows) {
    rows_ += static_cast<long long>(rows.size());
    return sink_.addMasters(shape, rows);
  }
  void add(const TableShape& shape, Row row) {
    ++rows_;
    sink_.add(shape, std::move(row));
  }
  void dayDone(const std::chrono::year_month_day& day, bool lastOfAll);
  void order(const std::string& date, int n, bool recent);
  long long lines(const std::string& uid, const char* billno);
  void methods();
  void cardUse(std::size_t customer, long long store, long long clerk, const char* when,
               const char* billno, long long amount);

  HistorySink& sink_;
  ShopScale scale_;
  const HistoryProgress& progress_;
  std::mt19937 random_;
  long long serial_ = 0, rows_ = 0;
  SettlementMethods methods_;
  std::vector<long long> stores_, staff_, items_, goods_, customers_, cards_;
  std::vector<long long> balances_;  //!< each card's balance in cents, as its ledger sums
};

// The three settlement methods the orders use; the ones the database lacks are added.
void Writer::methods() {
  const char* const names[] = {"现结", "减免", "会员卡"};
  std::vector<Row> missing;
  for (int i = 0; i < 3; ++i)
    if (methods_.ids[i] == 0)
      missing.push_back(
          {textField(SettlementMethods::codes[i]), textField(names[i]), integerField(3 - i)});
  const std::vector<long long> added = addMasters(kMethods, missing);
  for (int i = 0, next = 0; i < 3; ++i)
    if (methods_.ids[i] == 0) methods_.ids[i] = added[static_cast<std::size_t>(next++)];
}

void Writer::masters() {
  std::vector<Row> stores, staff, items, goods, customers;
  for (int i = 1; i <= 3; ++i) stores.push_back({textField(code("S", i)), textField("门店" + std::to_string(i))});
  for (int i = 1; i <= 40; ++i) staff.push_back({textField(code("Y", i)), textField("员工" + std::to_string(i))});
  for (int i = 1; i <= 200; ++i)
    items.push_back({textField(code("XM", i)), textField("项目" + std::to_string(i)), whole(pick(5, 300))});
  for (int i = 1; i <= 300; ++i)
    goods.push_back({textField(code("SP", i)), textField("材料" + std::to_string(i)), money(pick(50, 5000)),
                     whole(pick(1, 80))});
  for (int i = 1; i <= scale_.customersPerYear * scale_.years; ++i)
    customers.push_back({textField(code("K", i)), textField("客户" + std::to_string(i)),
                         textField("联系人" + std::to_string(i)), textField(std::to_string(13900000000LL + i)),
                         textField("地址" + std::to_string(i))});
  stores_ = addMasters(kStores, stores);
  staff_ = addMasters(kStaff, staff);
  items_ = addMasters(kItems, items);
  goods_ = addMasters(kGoods, goods);
  customers_ = addMasters(kCustomers, customers);
  std::vector<Row> cards;
  for (std::size_t i = 0; i < customers_.size(); ++i)
    cards.push_back({textField(code("VIP", static_cast<long long>(i) + 1)),
                     textField("会员卡" + std::to_string(i + 1)), integerField(customers_[i])});
  cards_ = addMasters(kCards, cards);
  balances_.assign(cards_.size(), 0);
  methods();
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
    dayDone(ymd, day == last);
  }
  sink_.finish();
}

// A batch may end here; a month's end is reported once its rows are written.
void Writer::dayDone(const std::chrono::year_month_day& day, bool lastOfAll) {
  using namespace std::chrono;
  sink_.dayDone();
  if (lastOfAll || year_month_day{sys_days{day} + days{1}}.month() != day.month()) {
    char month[16];
    std::snprintf(month, sizeof month, "%04d-%02u", static_cast<int>(day.year()), static_cast<unsigned>(day.month()));
    sink_.monthDone(month);
    if (progress_.monthWritten) progress_.monthWritten(month, rows_);
  }
  if (progress_.stopRequested && progress_.stopRequested()) throw HistoryStopped();
}

void Writer::order(const std::string& date, int n, bool recent) {
  char billno[24], when[32], due[32];
  std::snprintf(billno, sizeof billno, "XM%.4s%.2s%.2s%04d", date.c_str(), date.c_str() + 5, date.c_str() + 8, n);
  std::snprintf(when, sizeof when, "%s %02lld:%02lld:00.000", date.c_str(), pick(8, 20), pick(0, 59));
  std::snprintf(due, sizeof due, "%s 18:00:00.000", date.c_str());
  const std::string uid = "O" + std::to_string(++serial_);
  const long long total = lines(uid, billno);
  const long long status = recent ? pick(0, 3) : 3;
  const auto customer =
      static_cast<std::size_t>(pick(0, static_cast<long long>(customers_.size()) - 1));
  const long long store = any(stores_);
  // braced lists are evaluated left to right: the draws keep their order
  add(kOrders,
      {textField(uid), textField(billno), textField(when), integerField(customers_[customer]),
       textField(due), integerField(store), integerField(any(staff_)), integerField(any(staff_)),
       money(total), money(status == 3 ? total : 0), integerField(status),
       integerField(status == 3 ? 2 : 0), integerField(pick(0, 99) == 0 ? 1 : 0)});
  if (status != 3) return;
  const auto method = static_cast<std::size_t>(pick(0, 2));
  const long long clerk = any(staff_);
  add(kSettlements, {textField("J" + uid), textField(billno), integerField(methods_.ids[method]),
                     textField(when), money(total), integerField(clerk)});
  if (method == 2) cardUse(customer, store, clerk, when, billno, total);
}

// A card pays only from its balance: when it falls short the customer tops it up first,
// in whole thousands of yuan, as a clerk takes the money at the counter.
void Writer::cardUse(std::size_t customer, long long store, long long clerk, const char* when,
                     const char* billno, long long amount) {
  const long long card = cards_[customer], kh = customers_[customer];
  long long& balance = balances_[customer];
  if (balance < amount) {
    const long long topUp = (amount - balance + 99999) / 100000 * 100000;
    add(kCardLedger, {integerField(store), integerField(kh), integerField(card), textField(when),
                      integerField(clerk), textField("充值"), integerField(0), money(topUp),
                      money(0), textField("充值")});
    balance += topUp;
  }
  add(kCardLedger, {integerField(store), integerField(kh), integerField(card), textField(when),
                    integerField(clerk), textField("消费"), billIdField("vt_x_xmzzk", billno),
                    money(0), money(amount), textField("")});
  balance -= amount;
}

// The order's lines, each with its staff row and 0 to 3 consumables; the total in cents.
long long Writer::lines(const std::string& uid, const char* billno) {
  long long total = 0;
  for (long long l = 1, count = pick(1, 7); l <= count; ++l) {
    const std::string lineUid = uid + "-" + std::to_string(l);
    const long long qty = pick(1, 20), price = pick(500, 30000), amount = price * qty;
    total += amount;
    add(kLines, {textField(lineUid), textField(billno), integerField(any(items_)), whole(qty), tenths(pick(5, 30)),
                 tenths(pick(5, 30)), money(price), money(price), money(amount)});
    add(kLineStaff, {textField("Z" + lineUid), textField(billno), textField(lineUid), integerField(any(staff_)),
                     whole(qty), money(amount / 10)});
    for (long long c = pick(0, 2) + (pick(0, 12) == 0); c > 0; --c)
      add(kConsumables, {textField("C" + lineUid + "-" + std::to_string(c)), textField(billno), textField(lineUid),
                         integerField(any(goods_)), whole(pick(1, 10))});
  }
  return total;
}

void write(HistorySink& sink, const ShopScale& scale, const HistoryProgress& progress,
           SettlementMethods methods) {
  Writer writer(sink, scale, progress, methods);
  writer.masters();
  writer.everyDay();
}

void exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK) return;
  std::string msg = err ? err : sqlite3_errmsg(db);
  sqlite3_free(err);
  throw std::runtime_error(msg);
}

}  // namespace

void addShopHistory(db::EmbeddedConnection& connection, const ShopScale& scale,
                    const HistoryProgress& progress) {
  const SettlementMethods methods = readMethods(connection);
  sqlite3* db = connection.handle();
  exec(db, "begin immediate");
  try {
    SqliteHistorySink sink(db);
    write(sink, scale, progress, methods);
    exec(db, "commit");
  } catch (...) {
    sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);  // the error that matters is the one thrown
    throw;
  }
  exec(db, "analyze");
}

void addShopHistoryInBatches(db::Connection& connection, const ShopScale& scale,
                             const HistoryProgress& progress) {
  const SettlementMethods methods = readMethods(connection);
  BatchHistorySink sink(connection);
  write(sink, scale, progress, methods);
}

}  // namespace schema
