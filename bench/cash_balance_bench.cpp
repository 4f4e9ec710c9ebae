// Account balances side by side: (a) the embedded engine reading vt_v_zhye (the T-SQL
// view over every audited money movement) for the store; (b) the same sums written by
// hand as one SQLite query over the same tables, prepared once. Both run on one
// database of 2,000 audited transfers, 1,000 income and 1,000 expense bills of two
// lines each, 1,000 receipts, 1,000 payments and 2,000 order settlement lines over
// eight accounts. The ratio a/b is what the view and the engine cost over plain SQLite.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "db/embedded_connection.h"
#include "schema/schema_script.h"

namespace {

constexpr int kAccounts = 8;

void exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string why = err ? err : "sqlite error";
    sqlite3_free(err);
    throw std::runtime_error(why);
  }
}

// Bills of one kind, `count` of them with `lines` lines, audited, rows written through
// SQLite directly so the set-up stays quick.
void fillBills(sqlite3* db, const std::string& table, const std::string& lineColumns, int count, int lines,
               const std::string& header = "") {
  for (int b = 0; b < count; ++b) {
    const std::string no = table + std::to_string(b);
    exec(db, "insert into " + table + "(orgid, billno, status" + (header.empty() ? "" : ", zh_id") +
                 ") values ('0001', '" + no + "', 1" +
                 (header.empty() ? "" : ", " + std::to_string(b % kAccounts + 1)) + ")");
    for (int l = 0; l < lines; ++l)
      exec(db, "insert into " + table + "_mx(uid, orgid, billno, " + lineColumns + ", je) values ('" + no + "-" +
                   std::to_string(l) + "', '0001', '" + no + "', " + std::to_string((b + l) % kAccounts + 1) +
                   (lineColumns.find(',') != std::string::npos ? ", " + std::to_string((b + l + 3) % kAccounts + 1)
                                                               : "") +
                   ", " + std::to_string(10 + b % 97) + ".25)");
  }
}

class BalanceDb {
 public:
  BalanceDb() : path_("/tmp/coreapp_balance_bench_" + std::to_string(getpid()) + ".db") {
    cleanup();
    conn_ = std::make_unique<db::EmbeddedConnection>(path_);
    schema::createDatabase(*conn_, false);
    sqlite3* db = conn_->handle();
    exec(db, "begin");
    for (int a = 1; a <= kAccounts; ++a)
      exec(db, "insert into vt_b_zhbmk(orgid, code, name) values ('0001', '0" + std::to_string(a) + "', '账户" +
                   std::to_string(a) + "')");
    fillBills(db, "vt_f_zjzz", "ozh_id, izh_id", 2000, 2);
    fillBills(db, "vt_f_srdj", "sr_id", 1000, 2, "zh");
    fillBills(db, "vt_f_fydj", "fy_id", 1000, 2, "zh");
    fillBills(db, "vt_f_khsk", "zh_id", 1000, 1);
    fillBills(db, "vt_f_gysfk", "zh_id", 1000, 1);
    for (int i = 0; i < 2000; ++i)
      exec(db, "insert into vt_x_xmzzk_js(orgid, uid, billno, zh_id, je) values ('0001', 'js" + std::to_string(i) +
                   "', 'XM" + std::to_string(i / 2) + "', " + std::to_string(i % kAccounts + 1) + ", 12.5)");
    exec(db, "commit");
  }
  ~BalanceDb() {
    conn_.reset();
    cleanup();
  }
  db::EmbeddedConnection& conn() { return *conn_; }

 private:
  void cleanup() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
  }
  std::string path_;
  std::unique_ptr<db::EmbeddedConnection> conn_;
};

void BM_EngineBalanceView(benchmark::State& state) {
  BalanceDb db;
  const std::string sql = "select zh_id, zh_name, srje, zcje, ye from vt_v_zhye where orgid = '0001' order by zh_id";
  for (auto _ : state) {
    const db::BatchResult r = db.conn().execBatch(sql);
    if (!r.ok() || r.resultSets.back().rows.size() != kAccounts) state.SkipWithError("unexpected balances");
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_EngineBalanceView)->Unit(benchmark::kMicrosecond);

// Hand-written: the movements summed per account in SQLite's own dialect (money as
// REAL, as the engine stores it), one prepared statement stepped to the end.
void BM_SqliteBalanceQuery(benchmark::State& state) {
  BalanceDb db;
  const char* sql =
      "select zh.id, zh.name, ifnull(m.i, 0), ifnull(m.o, 0), ifnull(m.i, 0) - ifnull(m.o, 0) "
      "from vt_b_zhbmk zh left join (select orgid, zh_id, sum(i) i, sum(o) o from ("
      " select h.orgid, l.zh_id, l.je i, 0 o from vt_f_khsk_mx l join vt_f_khsk h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      " union all select h.orgid, l.zh_id, 0, l.je from vt_f_gysfk_mx l join vt_f_gysfk h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      " union all select orgid, zh_id, je, 0 from vt_x_xmzzk_js"
      " union all select h.orgid, l.ozh_id, 0, l.je from vt_f_zjzz_mx l join vt_f_zjzz h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      " union all select h.orgid, l.izh_id, l.je, 0 from vt_f_zjzz_mx l join vt_f_zjzz h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      " union all select h.orgid, h.zh_id, l.je, 0 from vt_f_srdj_mx l join vt_f_srdj h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      " union all select h.orgid, h.zh_id, 0, l.je from vt_f_fydj_mx l join vt_f_fydj h on h.orgid = l.orgid and h.billno = l.billno where h.status = 1"
      ") group by orgid, zh_id) m on m.orgid = zh.orgid and m.zh_id = zh.id where zh.orgid = '0001' order by zh.id";
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db.conn().handle(), sql, -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db.conn().handle()));
  for (auto _ : state) {
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_double(stmt, 4));
      ++rows;
    }
    sqlite3_reset(stmt);
    if (rows != kAccounts) state.SkipWithError("unexpected balances");
  }
  sqlite3_finalize(stmt);
}
BENCHMARK(BM_SqliteBalanceQuery)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
