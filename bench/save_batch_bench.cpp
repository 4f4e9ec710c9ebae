// A project order save side by side: (a) the embedded engine running the save batch
// of a new order with 100 lines, 200 staff and 200 consumable rows plus the
// performance, staff summary and total statements; (b) the same rows and updates
// written by hand with SQLite prepared statements in one transaction. The ratio a/b
// is what the engine costs over plain SQLite, also measured with both in turn in one
// benchmark (counters engine_ms, sqlite_ms, ratio), beside (c) the hand-written save
// with one statement a table for all its rows (together_ms, ratio_together), since
// the engine runs a kept batch's rows of one shape together. Also measures parse-and-run
// throughput of the batch text (bytes per second of T-SQL).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "db/embedded_connection.h"

namespace {

constexpr int kLines = 100;
constexpr int kStaff = 200;
constexpr int kConsumables = 200;

const char* kSchema =
    "create table vt_b_xmbmk(id int identity(1,1) primary key, code varchar(20), "
    "name varchar(50), jxbl float, scjf float)\n"
    "create table vt_b_ygbmk(id int identity(1,1) primary key, code varchar(20), name varchar(50))\n"
    "create table vt_x_xmzzk(id int identity(1,1) primary key, uid varchar(50), orgid varchar(10), "
    "billno varchar(50), billdate datetime, kh_id int, ck_id int, hjje money, jmje money, "
    "zzryinfo varchar(500))\n"
    "create table vt_x_xmzzk_mx(id int identity(1,1) primary key, uid varchar(50), "
    "orgid varchar(10), billno varchar(50), xm_id int, sl float, n float, x float, y float, "
    "old_dj money, dj money, zk float, je money, gcxmmc varchar(200))\n"
    "create table vt_x_xmzzk_mx_zzry(id int identity(1,1) primary key, uid varchar(50), "
    "orgid varchar(10), billno varchar(50), mx_uid varchar(50), yg_id int, perc float, "
    "jxjf float, jxje money)\n"
    "create table vt_x_xmzzk_mx_hc(id int identity(1,1) primary key, uid varchar(50), "
    "orgid varchar(10), billno varchar(50), mx_uid varchar(50), sp_id int, nsl float, "
    "sl float, shsl float)\n"
    "create index ix_mx on vt_x_xmzzk_mx(billno)\n"
    "create index ix_mx_uid on vt_x_xmzzk_mx(uid)\n"
    "create index ix_zzry on vt_x_xmzzk_mx_zzry(billno)\n"
    "create index ix_hc on vt_x_xmzzk_mx_hc(billno)\n"
    "create index ix_h on vt_x_xmzzk(billno)\n"
    "insert into vt_b_xmbmk(code, name, jxbl, scjf) values('X01', '写真', 10, 2)\n"
    "insert into vt_b_ygbmk(code, name) values('001', '张三')\n"
    "insert into vt_b_ygbmk(code, name) values('002', '李四')\n";

const char* kNumberProcedure =
    "create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), "
    "@tag varchar(20), @ck_id int, @billno varchar(50) output\nas\nbegin\n"
    "  set @billno = 'XM0001'\nend";

std::string lineUid(int i) { return "L" + std::to_string(i); }

// The batch exactly as the order editor builds it for a new order.
std::string saveBatch() {
  std::string b =
      "DECLARE @orgid varchar(50)\r\nDECLARE @category varchar(20)\r\nDECLARE @tag varchar(20)\r\n"
      "DECLARE @billno varchar(50)\r\nset @orgid = '0001'\r\nset @category = '1100'\r\n"
      "set @tag = 'A'\r\nbegin tran\r\nbegin try\r\n"
      "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,1, @billno OUTPUT\r\n"
      "set @billno = isnull(@billno, '')\r\nif @billno = '' raiserror('单据保存失败', 16, 1)\r\n"
      "insert into vt_x_xmzzk(uid,orgid,billno,billdate,kh_id,ck_id,hjje,jmje) "
      "values('H1','0001',@billno,'2024-01-05 10:00:00',1,1,0,0)\r\n";
  for (int i = 0; i < kLines; ++i) {
    b += "insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,x,y,old_dj,dj,zk,je,gcxmmc) "
         "values('" + lineUid(i) + "','0001',@billno,1," + std::to_string(i % 7 + 1) +
         ",1,1.2,0.8,20,18.5,1," + std::to_string(18.5 * (i % 7 + 1)) + ",'海报')\r\n";
  }
  for (int i = 0; i < kStaff; ++i) {
    b += "insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) values('Z" +
         std::to_string(i) + "','0001',@billno,'" + lineUid(i / 2) + "'," +
         std::to_string(i % 2 + 1) + ",50)\r\n";
  }
  for (int i = 0; i < kConsumables; ++i) {
    b += "insert into vt_x_xmzzk_mx_hc(uid,orgid,billno,mx_uid,sp_id,nsl,sl,shsl) values('C" +
         std::to_string(i) + "','0001',@billno,'" + lineUid(i / 2) + "'," + std::to_string(i) +
         ",1,2.5,0)\r\n";
  }
  b += "update vt_x_xmzzk_mx_zzry\r\nset jxjf = sl*n*scjf*perc/100,\r\n"
       "jxje = je*perc/100*jxbl/100\r\nfrom vt_x_xmzzk_mx_zzry t1\r\nleft join\r\n"
       "(select b1.uid, sl, n, x, y, old_dj, dj, zk,je, b2.jxbl, b2.scjf from vt_x_xmzzk_mx b1 "
       "left join vt_b_xmbmk b2 on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid\r\n"
       "where t1.orgid=@orgid and t1.billno = @billno\r\n"
       "declare @zzry varchar(max) \r\nset @zzry = ''  \r\n"
       "select @zzry = @zzry + max(t2.name) + ',' from vt_x_xmzzk_mx_zzry t1 left join "
       "vt_b_ygbmk t2 on t1.yg_id = t2.id where t1.orgid=@orgid and billno = @billno group by "
       "t1.yg_id \r\n"
       "update vt_x_xmzzk set zzryinfo = @zzry where orgid=@orgid and billno=@billno\r\n"
       "update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where billno = "
       "@billno) where orgid=@orgid and billno = @billno\r\n"
       "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\n"
       "raiserror('单据保存失败', 16, 1)\r\nend catch\r\nif (@@trancount>0) commit tran";
  return b;
}

// A fresh database file per benchmark run, removed afterwards.
class BenchDb {
 public:
  BenchDb() : path_("/tmp/coreapp_save_bench_" + std::to_string(getpid()) + ".db") {
    cleanup();
    conn_ = std::make_unique<db::EmbeddedConnection>(path_);
    check(conn_->execBatch(kSchema));
    check(conn_->execBatch(kNumberProcedure));
  }
  ~BenchDb() {
    conn_.reset();
    cleanup();
  }
  db::EmbeddedConnection& conn() { return *conn_; }
  static void check(const db::BatchResult& r) {
    if (!r.ok()) throw std::runtime_error(r.errorMessage());
  }
  // Empties the order tables between iterations so every save starts alike.
  void clear() {
    sqlite3_exec(conn_->handle(),
                 "delete from vt_x_xmzzk; delete from vt_x_xmzzk_mx; "
                 "delete from vt_x_xmzzk_mx_zzry; delete from vt_x_xmzzk_mx_hc;",
                 nullptr, nullptr, nullptr);
  }

 private:
  void cleanup() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
  }
  std::string path_;
  std::unique_ptr<db::EmbeddedConnection> conn_;
};

// One save through the engine, out of line so that callgrind counts exactly the saves.
[[gnu::noinline]] db::BatchResult engineSave(db::EmbeddedConnection& conn, const std::string& batch) {
  return conn.execBatch(batch);
}

// A save a timed iteration, the table emptied between saves out of the timing.
void timeEngineSaves(benchmark::State& state, BenchDb& db, const std::string& batch) {
  for (auto _ : state) {
    auto r = engineSave(db.conn(), batch);
    if (!r.ok()) state.SkipWithError(r.errorMessage().c_str());
    state.PauseTiming();
    db.clear();
    state.ResumeTiming();
  }
}

void BM_EngineSaveBatch(benchmark::State& state) {
  BenchDb db;
  std::string batch = saveBatch();
  timeEngineSaves(state, db, batch);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * batch.size()));
}

// `head` followed by `row` `rows` times, comma-separated.
std::string repeated(const char* head, const char* row, int rows) {
  std::string sql = head;
  for (int r = 0; r < rows; ++r) sql += (r ? ", " : "") + std::string(row);
  return sql;
}

// Hand-written: the same rows through prepared statements, and the same three
// computed updates in SQLite's own dialect, in one IMMEDIATE transaction. A statement
// a row, or (`together`) one statement a table writing all its rows.
struct Prepared {
  explicit Prepared(sqlite3* db, bool together = false) : db(db), together(together) {
    const int lines = together ? kLines : 1, staffRows = together ? kStaff : 1;
    const int hcRows = together ? kConsumables : 1;
    header = prepare("insert into vt_x_xmzzk(uid,orgid,billno,billdate,kh_id,ck_id,hjje,jmje) "
                     "values('H1','0001',?1,'2024-01-05 10:00:00.000',1,1,0,0)");
    line = prepare(repeated("insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,x,y,old_dj,dj,zk,je,"
                            "gcxmmc) values",
                            "(?,'0001',?,1,?,1,1.2,0.8,20,18.5,1,?,'海报')", lines).c_str());
    staff = prepare(repeated("insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) values",
                             "(?,'0001',?,?,?,50)", staffRows).c_str());
    hc = prepare(repeated("insert into vt_x_xmzzk_mx_hc(uid,orgid,billno,mx_uid,sp_id,nsl,sl,shsl) values",
                          "(?,'0001',?,?,?,1,2.5,0)", hcRows).c_str());
    perf = prepare("update vt_x_xmzzk_mx_zzry set jxjf = t2.sl*t2.n*t2.scjf*perc/100, "
                   "jxje = round(t2.je*perc/100*t2.jxbl/100, 4) from (select b1.uid, sl, n, je, "
                   "b2.jxbl, b2.scjf from vt_x_xmzzk_mx b1 left join vt_b_xmbmk b2 on b1.xm_id = "
                   "b2.id) t2 where vt_x_xmzzk_mx_zzry.mx_uid = t2.uid and "
                   "vt_x_xmzzk_mx_zzry.orgid='0001' and vt_x_xmzzk_mx_zzry.billno = ?1");
    summary = prepare("update vt_x_xmzzk set zzryinfo = (select group_concat(name || ',', '') "
                      "from (select max(t2.name) name from vt_x_xmzzk_mx_zzry t1 left join "
                      "vt_b_ygbmk t2 on t1.yg_id = t2.id where t1.orgid='0001' and billno = ?1 "
                      "group by t1.yg_id)) where orgid='0001' and billno = ?1");
    total = prepare("update vt_x_xmzzk set hjje = (select sum(je) from vt_x_xmzzk_mx where "
                    "billno = ?1) where orgid='0001' and billno = ?1");
  }
  ~Prepared() {
    for (auto* s : {header, line, staff, hc, perf, summary, total}) sqlite3_finalize(s);
  }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db));
    }
    return s;
  }
  void run(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_reset(s);
  }
  void text(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  // Row i's markers start at at(i, markers a row); the statement runs after its last row.
  int at(int i, int markers) const { return together ? i * markers + 1 : 1; }
  void rowDone(sqlite3_stmt* s, int i, int rows) {
    if (!together || i == rows - 1) run(s);
  }
  void save() {
    const std::string billno = "XM0001";
    sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr);
    text(header, 1, billno);
    run(header);
    for (int i = 0; i < kLines; ++i) {
      const int m = at(i, 4);
      text(line, m, lineUid(i));
      text(line, m + 1, billno);
      sqlite3_bind_int(line, m + 2, i % 7 + 1);
      sqlite3_bind_double(line, m + 3, 18.5 * (i % 7 + 1));
      rowDone(line, i, kLines);
    }
    for (int i = 0; i < kStaff; ++i) {
      const int m = at(i, 4);
      text(staff, m, "Z" + std::to_string(i));
      text(staff, m + 1, billno);
      text(staff, m + 2, lineUid(i / 2));
      sqlite3_bind_int(staff, m + 3, i % 2 + 1);
      rowDone(staff, i, kStaff);
    }
    for (int i = 0; i < kConsumables; ++i) {
      const int m = at(i, 4);
      text(hc, m, "C" + std::to_string(i));
      text(hc, m + 1, billno);
      text(hc, m + 2, lineUid(i / 2));
      sqlite3_bind_int(hc, m + 3, i);
      rowDone(hc, i, kConsumables);
    }
    for (auto* s : {perf, summary, total}) {
      text(s, 1, billno);
      run(s);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  }
  sqlite3* db;
  bool together;
  sqlite3_stmt *header, *line, *staff, *hc, *perf, *summary, *total;
};

void BM_HandWrittenSqlite(benchmark::State& state) {
  BenchDb db;
  Prepared p(db.conn().handle());
  for (auto _ : state) {
    p.save();
    state.PauseTiming();
    db.clear();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_EngineSaveBatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandWrittenSqlite)->Unit(benchmark::kMillisecond);

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The saves in turn within each iteration, each on its own database, so the ratios
// (engine CPU time over hand-written CPU time) are measured under the same load: over
// a statement a row (ratio) and over one statement a table (ratio_together).
void BM_EngineOverHandWritten(benchmark::State& state) {
  BenchDb engineDb;
  BenchDb handDb;
  BenchDb togetherDb;
  Prepared p(handDb.conn().handle());
  Prepared together(togetherDb.conn().handle(), true);
  std::string batch = saveBatch();
  double engine = 0, hand = 0, handTogether = 0;
  for (auto _ : state) {
    double t0 = cpuSeconds();
    auto r = engineDb.conn().execBatch(batch);
    double t1 = cpuSeconds();
    p.save();
    double t2 = cpuSeconds();
    together.save();
    double t3 = cpuSeconds();
    if (!r.ok()) state.SkipWithError(r.errorMessage().c_str());
    engine += t1 - t0;
    hand += t2 - t1;
    handTogether += t3 - t2;
    state.PauseTiming();
    engineDb.clear();
    handDb.clear();
    togetherDb.clear();
    state.ResumeTiming();
  }
  auto n = static_cast<double>(state.iterations());
  state.counters["engine_ms"] = engine / n * 1e3;
  state.counters["sqlite_ms"] = hand / n * 1e3;
  state.counters["together_ms"] = handTogether / n * 1e3;
  state.counters["ratio"] = hand > 0 ? engine / hand : 0;
  state.counters["ratio_together"] = handTogether > 0 ? engine / handTogether : 0;
}
BENCHMARK(BM_EngineOverHandWritten)->Unit(benchmark::kMillisecond);

// Fixed runs for counting instructions under callgrind (bench/save_batch_callgrind.sh),
// each side after one save of its own: the hand-written statements are prepared before
// their first save, so the engine's first save (parse, translate, prepare) is left out
// of the count as well.
void BM_EngineSaveBatchWarm(benchmark::State& state) {
  BenchDb db;
  const std::string batch = saveBatch();
  BenchDb::check(db.conn().execBatch(batch));
  db.clear();
  timeEngineSaves(state, db, batch);
}

void BM_HandWrittenSqliteWarm(benchmark::State& state) {
  BenchDb db;
  Prepared p(db.conn().handle());
  p.save();
  db.clear();
  for (auto _ : state) {
    p.save();
    state.PauseTiming();
    db.clear();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_EngineSaveBatch)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandWrittenSqlite)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineSaveBatchWarm)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandWrittenSqliteWarm)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
