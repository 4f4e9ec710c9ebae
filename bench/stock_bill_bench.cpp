// A purchase bill of 1,000 lines side by side: (a) saved through the purchase editor
// (statements generated from the pending lines, the save batch run by the embedded
// engine) and audited through the common audit (stock moved by sp_sys_billaudit with
// its journal); (b) the same rows and stock movements written by hand with SQLite
// prepared statements in one transaction each. The ratios a/b are the cost of the
// form and engine over plain SQLite.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench_host.h"
#include "host/forms/bill_config.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/spjh/spjh_form.h"

namespace {

constexpr int kLines = 1000;
constexpr int kGoods = 50;

std::string goodsRows() {
  std::string sql =
      "insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')\n"
      "insert into vt_b_gysbmk(orgid, code, name) values ('0001', 'S001', '华彩纸业')\n";
  for (int i = 1; i <= kGoods; ++i)
    sql += "insert into vt_b_spbmk(orgid, code, name, pricein, pricesale) values ('0001', 'SP" + std::to_string(i) +
           "', '商品', " + std::to_string(i) + ".25, 10)\n";
  return sql;
}

std::string selection() {
  std::string rows = "[";
  for (int i = 0; i < kLines; ++i)
    rows += std::string(i ? "," : "") + "{\"id\":\"" + std::to_string(i % kGoods + 1) + "\",\"pricein\":\"" +
            std::to_string(i % kGoods + 1) + ".25\"}";
  return rows + "]";
}

struct PurchaseSession {
  PurchaseSession() : env(goodsRows()) {
    env.host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
    host::registerHostPlugs();
    if (host::plugsPool().plugbyName("1120") == nullptr) plugs::coreapp::spjh::registerSpjhForm();
  }

  // A new bill for supplier 1 with kLines lines, ready to save.
  std::unique_ptr<plugs::coreapp::spjh::Tspjhform> newBill() {
    auto form = std::make_unique<plugs::coreapp::spjh::Tspjhform>(nullptr, host::plugsPool().plugbyName("1120"));
    form->initialize();
    form->OpenBillData("");
    if (form->clickAction("actAdd") != host::Outcome::Done) throw std::runtime_error("actAdd refused");
    form->control("edtwldw").tag = 1;
    form->SelectedxmbmkToDetail(lines);
    return form;
  }

  bench::BenchHost env;
  std::string lines = selection();
};

void BM_PurchaseSave1000(benchmark::State& state) {
  PurchaseSession s;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = s.newBill();
    state.ResumeTiming();
    if (form->clickAction("actSave") != host::Outcome::Done) state.SkipWithError("save refused");
  }
}
BENCHMARK(BM_PurchaseSave1000)->Unit(benchmark::kMillisecond);

void BM_PurchaseAudit1000(benchmark::State& state) {
  PurchaseSession s;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = s.newBill();
    if (form->clickAction("actSave") != host::Outcome::Done) state.SkipWithError("save refused");
    state.ResumeTiming();
    if (form->clickAction("actAudit") != host::Outcome::Done) state.SkipWithError("audit refused");
  }
}
BENCHMARK(BM_PurchaseAudit1000)->Unit(benchmark::kMillisecond);

// ---- baseline: the same work by hand in SQLite -------------------------------------------

const char* kBaselineSchema =
    "create table spjh(id integer primary key, orgid text, billno text, gys_id int, ck_id int, hjje real,"
    " status int, version int);"
    "create unique index ux_spjh on spjh(orgid, billno);"
    "create table spjh_mx(id integer primary key, uid text, orgid text, billno text, sp_id int, sl real,"
    " zk real, dj real, je real);"
    "create unique index ux_spjh_mx on spjh_mx(uid); create index ix_spjh_mx on spjh_mx(orgid, billno);"
    "create table spkc(id integer primary key, orgid text, ck_id int, sp_id int, kcsl real, kcje real);"
    "create unique index ux_spkc on spkc(orgid, ck_id, sp_id);"
    "create table spls(id integer primary key, orgid text, category text, billno text, ck_id int, sp_id int,"
    " sl real, je real);";

struct Baseline {
  Baseline() {
    sqlite3_open(":memory:", &db);
    exec(kBaselineSchema);
  }
  ~Baseline() { sqlite3_close(db); }
  void exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
    return s;
  }
  static void run(sqlite3_stmt* s) {
    sqlite3_step(s);
    sqlite3_reset(s);
  }

  void save(const std::string& billno) {
    exec("begin immediate");
    sqlite3_stmt* head = prepare("insert into spjh(orgid, billno, gys_id, ck_id, status, version) values('0001', ?1, 1, 1, 0, 0)");
    sqlite3_bind_text(head, 1, billno.c_str(), -1, SQLITE_TRANSIENT);
    run(head);
    sqlite3_finalize(head);
    sqlite3_stmt* line = prepare("insert into spjh_mx(uid, orgid, billno, sp_id, sl, zk, dj, je) values(?1, '0001', ?2, ?3, 1, 1, ?4, ?4)");
    for (int i = 0; i < kLines; ++i) {
      const std::string uid = billno + "-" + std::to_string(i);
      sqlite3_bind_text(line, 1, uid.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(line, 2, billno.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(line, 3, i % kGoods + 1);
      sqlite3_bind_double(line, 4, i % kGoods + 1.25);
      run(line);
    }
    sqlite3_finalize(line);
    sqlite3_stmt* total = prepare("update spjh set hjje = (select sum(je) from spjh_mx where billno = ?1) where billno = ?1");
    sqlite3_bind_text(total, 1, billno.c_str(), -1, SQLITE_TRANSIENT);
    run(total);
    sqlite3_finalize(total);
    exec("commit");
  }

  // Status change, journal rows per line, stock rows made and moved per goods item.
  void audit(const std::string& billno) {
    exec("begin immediate");
    sqlite3_stmt* st = prepare("update spjh set status = 1, version = version + 1 where billno = ?1");
    sqlite3_bind_text(st, 1, billno.c_str(), -1, SQLITE_TRANSIENT);
    run(st);
    sqlite3_finalize(st);
    sqlite3_stmt* journal = prepare(
        "insert into spls(orgid, category, billno, ck_id, sp_id, sl, je) select '0001', '1120', ?1, 1, sp_id, sl, je"
        " from spjh_mx where orgid = '0001' and billno = ?1");
    sqlite3_bind_text(journal, 1, billno.c_str(), -1, SQLITE_TRANSIENT);
    run(journal);
    sqlite3_finalize(journal);
    sqlite3_stmt* stock = prepare(
        "insert into spkc(orgid, ck_id, sp_id, kcsl, kcje) select '0001', 1, sp_id, sum(sl), sum(je) from spjh_mx"
        " where orgid = '0001' and billno = ?1 group by sp_id on conflict(orgid, ck_id, sp_id) do update set"
        " kcsl = kcsl + excluded.kcsl, kcje = kcje + excluded.kcje");
    sqlite3_bind_text(stock, 1, billno.c_str(), -1, SQLITE_TRANSIENT);
    run(stock);
    sqlite3_finalize(stock);
    exec("commit");
  }

  sqlite3* db = nullptr;
  int next = 0;
};

void BM_HandWrittenSave1000(benchmark::State& state) {
  Baseline b;
  for (auto _ : state) b.save("B" + std::to_string(b.next++));
}
BENCHMARK(BM_HandWrittenSave1000)->Unit(benchmark::kMillisecond);

void BM_HandWrittenAudit1000(benchmark::State& state) {
  Baseline b;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string billno = "B" + std::to_string(b.next++);
    b.save(billno);
    state.ResumeTiming();
    b.audit(billno);
  }
}
BENCHMARK(BM_HandWrittenAudit1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
