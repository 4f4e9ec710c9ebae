// Shipment of a 1,000-line completed order side by side: (a) through the package — the
// pending-shipment list queried by its selector, and a 1,000-line shipment bill audited
// through the editor (its statement adds every line's quantity to the order line);
// (b) the same query and update written by hand with SQLite prepared statements. The
// ratios a/b are the cost of the form and the engine over plain SQLite. Opening the
// saved bill is measured alone, as the audit reloads it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench_host.h"
#include "host/forms/bill_config.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/cpfh/cpfh_form.h"

namespace {

constexpr int kLines = 1000;

std::string orderRows() {
  std::string sql =
      "insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')\n"
      "insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C001', '华宇地产')\n"
      "insert into vt_b_xmbmk(orgid, code, name, price_in) values ('0001', 'XM001', '喷绘', 10)\n"
      "insert into vt_x_xmzzk(orgid, billno, kh_id, status, zfflag, ck_id) values ('0001', 'DD1', 1, 2, 0, 1)\n";
  for (int i = 0; i < kLines; ++i)
    sql += "insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, fhsl_ok) values ('u" + std::to_string(i) +
           "', '0001', 'DD1', 1, 1, 10, 0)\n";
  return sql;
}

struct ShipmentSession {
  ShipmentSession() : env(orderRows()) {
    env.host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
    host::registerHostPlugs();
    if (host::plugsPool().plugbyName("1105") == nullptr) plugs::coreapp::cpfh::registerCpfhForm();
  }

  //! Every open order line, as the selector hands them back when all are ticked.
  std::string pendingLines() {
    auto selector = host::makeForm<plugs::coreapp::cpfh::Tchfhselectxmddmxform>(nullptr, "", 1, 1);
    if (selector->clickAction("actquery") != host::Outcome::Done) throw std::runtime_error("query refused");
    selector->clickControl("cxgResultselected");
    selector->clickAction("actok");
    return selector->FselectedData;
  }

  //! A saved shipment bill of every open line, one quantity each.
  std::unique_ptr<plugs::coreapp::cpfh::Tcpfhform> savedBill(const std::string& picked) {
    auto form = std::make_unique<plugs::coreapp::cpfh::Tcpfhform>(nullptr, host::plugsPool().plugbyName("1105"));
    form->initialize();
    form->OpenBillData("");
    if (form->clickAction("actAdd") != host::Outcome::Done) throw std::runtime_error("actAdd refused");
    form->control("edtwldw").tag = 1;
    form->addPickedLines(picked);
    for (form->cdsDetail.first(); !form->cdsDetail.eof(); form->cdsDetail.next()) {
      form->cdsDetail.edit();
      form->cdsDetail.fieldByName("fhsl").setValue(core::Value(1.0));
      form->cdsDetail.post();
    }
    if (form->clickAction("actSave") != host::Outcome::Done) throw std::runtime_error("save refused");
    return form;
  }

  bench::BenchHost env;
};

void BM_PendingShipmentList1000(benchmark::State& state) {
  ShipmentSession s;
  auto selector = host::makeForm<plugs::coreapp::cpfh::Tchfhselectxmddmxform>(nullptr, "", 1, 1);
  for (auto _ : state)
    if (selector->clickAction("actquery") != host::Outcome::Done) state.SkipWithError("query refused");
  state.counters["rows"] = selector->cdsResult.recordCount();
}
BENCHMARK(BM_PendingShipmentList1000)->Unit(benchmark::kMillisecond);

void BM_ShipmentAudit1000(benchmark::State& state) {
  ShipmentSession s;
  auto form = s.savedBill(s.pendingLines());
  for (auto _ : state) {
    if (form->clickAction("actAudit") != host::Outcome::Done) state.SkipWithError("audit refused");
    state.PauseTiming();
    if (form->clickAction("actAudit_0") != host::Outcome::Done) state.SkipWithError("un-audit refused");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShipmentAudit1000)->Unit(benchmark::kMillisecond);

// Reopening the bill runs its line query, which joins every line with the bill's own
// audited quantities; the audit above reloads the bill the same way.
void BM_ShipmentOpen1000(benchmark::State& state) {
  ShipmentSession s;
  auto form = s.savedBill(s.pendingLines());
  const std::string billno = form->billno;
  for (auto _ : state) form->OpenBillData(billno);
  state.counters["rows"] = form->cdsDetail.recordCount();
}
BENCHMARK(BM_ShipmentOpen1000)->Unit(benchmark::kMillisecond);

// ---- baseline: the same work by hand in SQLite -------------------------------------------

struct Baseline {
  Baseline() {
    sqlite3_open(":memory:", &db);
    exec("create table xmzzk(id integer primary key, orgid text, billno text, kh_id int, status int, zfflag int);"
         "create table xmzzk_mx(id integer primary key, orgid text, billno text, xm_id int, sl real, n real,"
         " fhsl_ok real); create index ix_xmzzk_mx on xmzzk_mx(orgid, billno);"
         "create table cpfhk_mx(id integer primary key, orgid text, billno text, mx_id int, fhsl real);"
         "create index ix_cpfhk_mx on cpfhk_mx(orgid, billno);"
         "insert into xmzzk(orgid, billno, kh_id, status, zfflag) values ('0001', 'DD1', 1, 2, 0);");
    exec("begin");
    for (int i = 0; i < kLines; ++i) {
      exec("insert into xmzzk_mx(orgid, billno, xm_id, sl, n, fhsl_ok) values ('0001', 'DD1', 1, 1, 10, 0)");
      exec(("insert into cpfhk_mx(orgid, billno, mx_id, fhsl) values ('0001', 'FH1', " + std::to_string(i + 1) +
            ", 1)").c_str());
    }
    exec("commit");
  }
  ~Baseline() { sqlite3_close(db); }
  void exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
  void exec(const std::string& sql) { exec(sql.c_str()); }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
    return s;
  }
  sqlite3* db = nullptr;
};

void BM_HandWrittenPendingList1000(benchmark::State& state) {
  Baseline b;
  sqlite3_stmt* q = b.prepare(
      "select t2.*, t2.sl * t2.n - t2.fhsl_ok from xmzzk t1 join xmzzk_mx t2 on t1.orgid = t2.orgid and"
      " t1.billno = t2.billno where t1.orgid = '0001' and t1.kh_id = ?1 and t1.status = 2 and t1.zfflag = 0"
      " and t2.sl * t2.n > t2.fhsl_ok");
  int rows = 0;
  for (auto _ : state) {
    sqlite3_bind_int(q, 1, 1);
    rows = 0;
    while (sqlite3_step(q) == SQLITE_ROW) ++rows;
    sqlite3_reset(q);
  }
  sqlite3_finalize(q);
  state.counters["rows"] = rows;
}
BENCHMARK(BM_HandWrittenPendingList1000)->Unit(benchmark::kMillisecond);

void BM_HandWrittenShipmentAudit1000(benchmark::State& state) {
  Baseline b;
  sqlite3_stmt* move = b.prepare(
      "update xmzzk_mx set fhsl_ok = fhsl_ok + ?2 * t2.fhsl from (select mx_id, fhsl from cpfhk_mx where"
      " orgid = '0001' and billno = ?1) t2 where xmzzk_mx.id = t2.mx_id");
  auto run = [&](int sign) {
    b.exec("begin");
    sqlite3_bind_text(move, 1, "FH1", -1, SQLITE_STATIC);
    sqlite3_bind_int(move, 2, sign);
    sqlite3_step(move);
    sqlite3_reset(move);
    b.exec("commit");
  };
  for (auto _ : state) {
    run(1);
    state.PauseTiming();
    run(-1);
    state.ResumeTiming();
  }
  sqlite3_finalize(move);
}
BENCHMARK(BM_HandWrittenShipmentAudit1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
