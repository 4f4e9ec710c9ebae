// A stocktake of 5,000 goods lines on the embedded database: filling the book stock of
// every picked line (one sp_sys_getspkcbyid per line, the difference rule on each), and
// processing the audited stocktake into a loss and gain bill (one batch, then the
// stocktake reloaded). Each is measured beside the same work written by hand as
// prepared SQLite statements on the same database in the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "host/forms/bill_config.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/sppd/sppd_form.h"
#include "plugs/coreapp/spsy/spsy_form.h"
#include "schema/schema_script.h"

namespace {

constexpr int kLines = 5000;

// 5,000 goods; four in five have a book quantity in store 1, the rest none. Stocktake
// PD1 counts all of them (audited, not processed).
std::string stockData() {
  std::string sql = "insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')\n";
  for (int i = 1; i <= kLines; ++i) {
    const std::string n = std::to_string(i);
    sql += "insert into vt_b_spbmk(orgid, code, name, pricein) values ('0001', 'SP" + n + "', '商品" + n + "', 2)\n";
    if (i % 5 != 0)
      sql += "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0001', 1, " + n + ", " +
             std::to_string(i % 40) + ", 10)\n";
    sql += "insert into vt_c_sppd_mx(uid, orgid, billno, sp_id, kcsl, pdsl, yksl, beizhu) values ('U" + n +
           "', '0001', 'PD1', " + n + ", 3, 2, -1, '盘亏')\n";
  }
  return sql + "insert into vt_c_sppd(orgid, billno, ck_id, kdr_id, status, isDone) values ('0001', 'PD1', 1, 1, 1, 0)\n";
}

void check(const db::BatchResult& r) {
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
}

struct Session {
  Session() {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 1, "001", "王敏"};
    host.rights.all = true;
    host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
    schema::createDatabase(conn, false);
    check(conn.execBatch("begin tran\n" + stockData() + "commit tran"));
    host::registerHostPlugs();
    if (host::plugsPool().plugbyName("1126") == nullptr) plugs::coreapp::spsy::registerSpsyForm();
    if (host::plugsPool().plugbyName("1127") == nullptr) plugs::coreapp::sppd::registerSppdForm();
    form = std::make_unique<plugs::coreapp::sppd::Tsppdform>(nullptr, host::plugsPool().plugbyName("1127"));
    form->initialize();
    form->OpenBillData("");
  }

  //! The goods lookup's answer for every goods item.
  static std::string selection() {
    std::string rows = "[";
    for (int i = 1; i <= kLines; ++i)
      rows += std::string(i > 1 ? "," : "") + "{\"id\":\"" + std::to_string(i) + "\",\"code\":\"SP" +
              std::to_string(i) + "\",\"name\":\"商品\"}";
    return rows + "]";
  }

  //! Takes the processing back: no loss and gain bill, PD1 unprocessed.
  void unprocess() {
    check(conn.execBatch("delete from vt_c_spsy\ndelete from vt_c_spsy_mx\nupdate vt_c_sppd set isDone = 0"));
    host::PageControl().clear();
  }

  db::EmbeddedConnection conn{":memory:"};
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
  std::unique_ptr<plugs::coreapp::sppd::Tsppdform> form;
};

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  return s;
}

void BM_StocktakeFillBookStock(benchmark::State& state) {
  Session s;
  const std::string rows = Session::selection();
  for (auto _ : state) {
    state.PauseTiming();
    s.form->action("actAdd").execute();
    state.ResumeTiming();
    s.form->SelectedxmbmkToDetail(rows);
    if (s.form->cdsDetail.recordCount() != kLines) state.SkipWithError("lines missing");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

// By hand: one prepared book-stock query per goods item, the difference and its remark
// kept in a plain vector of lines.
void BM_StocktakeFillBookStockSqlite(benchmark::State& state) {
  Session s;
  sqlite3_stmt* q = prepare(s.conn.handle(),
                            "select ifnull(sum(kcsl), 0) from vt_c_spkc where orgid = ? and ck_id = ? and sp_id = ?");
  struct Line {
    int spId;
    double kcsl, yksl;
    std::string beizhu;
  };
  for (auto _ : state) {
    std::vector<Line> lines;
    for (int i = 1; i <= kLines; ++i) {
      sqlite3_bind_text(q, 1, "0001", -1, SQLITE_STATIC);
      sqlite3_bind_int(q, 2, 1);
      sqlite3_bind_int(q, 3, i);
      sqlite3_step(q);
      const double kcsl = sqlite3_column_double(q, 0);
      sqlite3_reset(q);
      lines.push_back({i, kcsl, -kcsl, kcsl > 0 ? "盘亏" : ""});
    }
    benchmark::DoNotOptimize(lines.data());
  }
  sqlite3_finalize(q);
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_StocktakeProcess(benchmark::State& state) {
  Session s;
  for (auto _ : state) {
    state.PauseTiming();
    s.unprocess();
    s.form->OpenBillData("PD1");
    state.ResumeTiming();
    s.form->action("acttosy").execute();
    if (!s.form->cdsMaster.fieldByName("isDone").asBoolean()) state.SkipWithError("not processed");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

// By hand: the same number, header, lines and mark in one transaction; the stocktake's
// lines read back as the reload does.
void BM_StocktakeProcessSqlite(benchmark::State& state) {
  Session s;
  sqlite3* db = s.conn.handle();
  const char* batch =
      "begin immediate;"
      "insert into vt_c_spsy(orgid, billno, billdate, kdr_id, status, remark, ck_id, zy, pdbillno) "
      "select orgid, 'SY' || (select count(*) + 1 from vt_c_spsy), datetime('now'), kdr_id, 0, remark, ck_id, zy, "
      "billno from vt_c_sppd where billno = 'PD1';"
      "insert into vt_c_spsy_mx(orgid, uid, billno, sp_id, sl, dj, je, beizhu) "
      "select orgid, lower(hex(randomblob(16))), 'SY1', sp_id, yksl, 0, 0, beizhu from vt_c_sppd_mx "
      "where billno = 'PD1';"
      "update vt_c_sppd set version = version + 1, isDone = 1 where billno = 'PD1';"
      "commit;";
  sqlite3_stmt* reload = prepare(db, "select * from vt_c_sppd_mx where orgid = '0001' and billno = 'PD1' order by id");
  for (auto _ : state) {
    state.PauseTiming();
    s.unprocess();
    state.ResumeTiming();
    if (sqlite3_exec(db, batch, nullptr, nullptr, nullptr) != SQLITE_OK) state.SkipWithError(sqlite3_errmsg(db));
    int rows = 0;
    while (sqlite3_step(reload) == SQLITE_ROW) ++rows;
    sqlite3_reset(reload);
    if (rows != kLines) state.SkipWithError("reload");
  }
  sqlite3_finalize(reload);
  state.SetItemsProcessed(state.iterations() * kLines);
}

BENCHMARK(BM_StocktakeFillBookStock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StocktakeFillBookStockSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StocktakeProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StocktakeProcessSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
