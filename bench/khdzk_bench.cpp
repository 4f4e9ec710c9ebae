// Opening a customer statement of 2,000 lines (1,000 project orders, 1,000 sales bills):
// (a) the statement editor's open (header and the line query run by the embedded
// engine, the rows loaded into the detail dataset); (b) one equivalent hand-written
// SQLite query over the same rows and indexes. The ratio a/b is the cost of the engine
// and the dataset.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench_host.h"
#include "sqlite_baseline.h"
#include "host/forms/bill_config.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/khsk/khdzk_form.h"

namespace {

constexpr int kPerKind = 1000;

const char* kRows = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C02', '分店')
insert into vt_f_khdzk(orgid, billno, kh_id, ck_id, status) values ('0001', 'DZ-1', 1, 1, 0)
declare @i int
set @i = 1
begin tran
while @i <= 1000
begin
  insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, gcxmmc, hjje, hjsk, status) values ('0001', 'XM-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 1, 1 + @i % 2, '工程' + cast(@i as varchar(10)), 100 + @i % 50, 20, 2)
  insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XH-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 1, 1 + @i % 2, 200 + @i % 30, 1)
  set @i = @i + 1
end
insert into vt_f_khdzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu)
  select 'o' + billno, orgid, 'DZ-1', '项目订单', id, 0, '' from vt_x_xmzzk
insert into vt_f_khdzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu)
  select 's' + billno, orgid, 'DZ-1', '销货单', id, 0, '' from vt_c_spch
commit tran
)sql";

void BM_OpenStatement2000(benchmark::State& state) {
  bench::BenchHost env(kRows);
  env.host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
  if (host::plugsPool().plugbyName("1117") == nullptr) plugs::coreapp::khsk::registerKhdzkForm();
  auto form = std::make_unique<plugs::coreapp::khsk::Tkhdzkform>(nullptr, host::plugsPool().plugbyName("1117"));
  form->initialize();
  env.conn.spent = {};
  for (auto _ : state) form->OpenBillData("DZ-1");
  if (form->cdsDetail.recordCount() != 2 * kPerKind) state.SkipWithError("wrong number of lines");
  state.counters["lines"] = form->cdsDetail.recordCount();
  state.counters["batch_ms"] = benchmark::Counter(
      std::chrono::duration<double, std::milli>(env.conn.spent).count() / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_OpenStatement2000)->Unit(benchmark::kMillisecond);

// ---- baseline: one hand-written query over the same rows in plain SQLite ----------------

const char* kBaselineSetup = R"sql(
create table ckbmk(id integer primary key, code text, name text);
create table xmzzk(id integer primary key, orgid text, billno text, billdate text, ck_id int, gcxmmc text,
  hjje real, hjsk real);
create table spch(id integer primary key, orgid text, billno text, billdate text, ck_id int, hjje real);
create table dzk_mx(id integer primary key, uid text, orgid text, billno text, biztype text, bizid int,
  dzflag int, beizhu text);
create index ix_dzk_mx on dzk_mx(orgid, billno);
insert into ckbmk(code, name) values ('C01', '总店'), ('C02', '分店');
with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000)
insert into xmzzk(orgid, billno, billdate, ck_id, gcxmmc, hjje, hjsk)
  select '0001', 'XM-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 1 + i % 2, '工程' || i, 100 + i % 50, 20 from n;
with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000)
insert into spch(orgid, billno, billdate, ck_id, hjje)
  select '0001', 'XH-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 1 + i % 2, 200 + i % 30 from n;
insert into dzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu)
  select 'o' || billno, orgid, 'DZ-1', '项目订单', id, 0, '' from xmzzk;
insert into dzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu)
  select 's' || billno, orgid, 'DZ-1', '销货单', id, 0, '' from spch;
)sql";

// The same lines: each bill's number, date, store, amount, received (orders only), owed.
const char* kBaselineQuery = R"sql(
select t1.id, t1.orgid, t1.uid, t1.billno, t1.bizid, coalesce(o.billno, s.billno) bizbillno,
       coalesce(o.billdate, s.billdate) bizbilldate, t1.biztype, coalesce(o.ck_id, s.ck_id) ck_id, o.gcxmmc,
       coalesce(o.hjje, s.hjje, 0) hjje, ifnull(o.hjsk, 0) jsje,
       coalesce(o.hjje, s.hjje, 0) - ifnull(o.hjsk, 0) qkje, t1.dzflag, t1.beizhu, c.code ck_code, c.name ck_name
from dzk_mx t1
  left join xmzzk o on t1.biztype = '项目订单' and o.orgid = t1.orgid and o.id = t1.bizid
  left join spch s on t1.biztype = '销货单' and s.orgid = t1.orgid and s.id = t1.bizid
  left join ckbmk c on c.id = coalesce(o.ck_id, s.ck_id)
where t1.orgid = ?1 and t1.billno = ?2 order by bizbilldate
)sql";

struct Baseline : SqliteBaseline {
  Baseline() : SqliteBaseline(kBaselineSetup, kBaselineQuery) {}
  int lines() {
    sqlite3_bind_text(stmt, 1, "0001", -1, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, "DZ-1", -1, SQLITE_STATIC);
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
      ++rows;
    }
    sqlite3_reset(stmt);
    return rows;
  }
};

void BM_HandWrittenStatementLines2000(benchmark::State& state) {
  Baseline b;
  int rows = 0;
  for (auto _ : state) rows = b.lines();
  if (rows != 2 * kPerKind) state.SkipWithError("wrong number of lines");
  state.counters["lines"] = rows;
}
BENCHMARK(BM_HandWrittenStatementLines2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
