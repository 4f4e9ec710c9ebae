// The customer source selector's list for a customer with 10,000 open bills (5,000
// project orders, 5,000 sales bills; ledger rows for half of them, settlement payments
// for a quarter of the orders) among as many bills of other customers: (a) "查询" in
// Tkhskhxselectform (the list query run by the embedded engine, the rows loaded into
// the result dataset); (b) one equivalent hand-written SQLite query over the same rows
// and indexes. The ratio a/b is the cost of the engine and the dataset.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench_host.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"

namespace {

constexpr int kBills = 5000;  // per kind and customer

// Customer 1 and 2 each get kBills orders and kBills sales bills; every other bill of
// customer 1 has a ledger row of another receipt, every fourth order a payment.
const char* kRows = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C02', '分店')
declare @i int
set @i = 1
begin tran
while @i <= 5000
begin
  insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XM1-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 1, 1 + @i % 2, 100 + @i % 50, 2)
  insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, qtfy, bcsk, status) values ('0001', 'XH1-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 1, 1 + @i % 2, 200 + @i % 30, 5, 10, 1)
  insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XM2-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 2, 1, 100, 2)
  insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XH2-' + cast(@i as varchar(10)), dateadd(minute, @i, '2026-01-01'), 2, 1, 200, 1)
  set @i = @i + 1
end
insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, bchx)
  select orgid, 'SK-OLD', '项目订单', id, billno, 20 from vt_x_xmzzk where kh_id = 1 and id % 2 = 0
insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, bchx)
  select orgid, 'SK-OLD', '销货单', id, billno, 30 from vt_c_spch where kh_id = 1 and id % 2 = 0
insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, je)
  select orgid, 'js' + billno, billno, 1, 10 from vt_x_xmzzk where kh_id = 1 and id % 4 = 1
commit tran
)sql";

struct SelectorSession {
  SelectorSession() : env(kRows) {
    const db::BatchResult r = env.conn.execBatch("select count(*) from vt_x_xmzzk");
    if (!r.ok() || r.resultSets.back().rows[0][0].asInteger() != 2 * kBills) throw std::runtime_error("rows missing");
  }
  bench::BenchHost env;
};

void BM_CustomerSelectorList10000(benchmark::State& state) {
  SelectorSession s;
  auto form = host::makeForm<plugs::coreapp::khsk::Tkhskhxselectform>(nullptr, 1, 0, "SK-NEW");
  s.env.conn.spent = {};
  for (auto _ : state) {
    if (form->clickAction("cxButton3") != host::Outcome::Done) state.SkipWithError("list refused");
  }
  if (form->cdsResult.recordCount() != 2 * kBills) state.SkipWithError("wrong number of bills listed");
  state.counters["bills"] = form->cdsResult.recordCount();
  // Wall time of the batch alone (engine and SQLite), per run; the rest is the dataset.
  state.counters["batch_ms"] = benchmark::Counter(
      std::chrono::duration<double, std::milli>(s.env.conn.spent).count() / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_CustomerSelectorList10000)->Unit(benchmark::kMillisecond);

// ---- baseline: one hand-written query over the same rows in plain SQLite ----------------

const char* kBaselineSchema = R"sql(
create table ckbmk(id integer primary key, orgid text, code text, name text, isdel int default 0);
create table xmzzk(id integer primary key, orgid text, billno text, billdate text, kh_id int, ck_id int,
  hjje real, status int, zfflag int default 0, version int default 0);
create index ix_xmzzk_kh on xmzzk(kh_id);
create unique index ux_xmzzk on xmzzk(orgid, billno);
create table spch(id integer primary key, orgid text, billno text, billdate text, kh_id int, ck_id int,
  hjje real, qtfy real default 0, bcsk real default 0, status int, version int default 0);
create index ix_spch_kh on spch(kh_id);
create table xmzzk_js(id integer primary key, orgid text, uid text, billno text, je real);
create index ix_js on xmzzk_js(orgid, billno);
create table hx_kh(id integer primary key, orgid text, billno text, biztype text, hxbillid int, bchx real);
create index ix_hx on hx_kh(hxbillid, biztype);
)sql";

const char* kBaselineRows = R"sql(
insert into ckbmk(orgid, code, name) values ('0001', 'C01', '总店'), ('0001', 'C02', '分店');
with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000)
insert into xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status)
  select '0001', 'XM1-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 1, 1 + i % 2, 100 + i % 50, 2 from n
  union all select '0001', 'XM2-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 2, 1, 100, 2 from n;
with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000)
insert into spch(orgid, billno, billdate, kh_id, ck_id, hjje, qtfy, bcsk, status)
  select '0001', 'XH1-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 1, 1 + i % 2, 200 + i % 30, 5, 10, 1 from n
  union all select '0001', 'XH2-' || i, datetime('2026-01-01', '+' || i || ' minutes'), 2, 1, 200, 0, 0, 1 from n;
insert into hx_kh(orgid, billno, biztype, hxbillid, bchx) select orgid, 'SK-OLD', '项目订单', id, 20 from xmzzk where kh_id = 1 and id % 2 = 0;
insert into hx_kh(orgid, billno, biztype, hxbillid, bchx) select orgid, 'SK-OLD', '销货单', id, 30 from spch where kh_id = 1 and id % 2 = 0;
insert into xmzzk_js(orgid, uid, billno, je) select orgid, 'js' || billno, billno, 10 from xmzzk where kh_id = 1 and id % 4 = 1;
)sql";

// The same list: orders (settled = payments + other bills' ledger rows) and audited
// sales bills (settled = bcsk + ledger rows), open rest not 0, oldest first.
const char* kBaselineQuery = R"sql(
select 0 as selected, * from (
  select '项目订单' as biztype, t1.id as hxbillid, t1.billno as hxbillno, t1.version as hxversion,
         t1.billdate as hxbilldate, ifnull(t1.hjje, 0) as hjje,
         ifnull((select sum(je) from xmzzk_js js where js.orgid = ?1 and js.billno = t1.billno), 0)
         + ifnull((select sum(bchx) from hx_kh h where h.hxbillid = t1.id and h.biztype = '项目订单'
                   and h.orgid = ?1 and h.billno <> ?3), 0) as hxje_ok, t2.name as ck_name
    from xmzzk t1 join ckbmk t2 on t1.ck_id = t2.id
    where t1.orgid = ?1 and t1.zfflag = 0 and t1.kh_id = ?2 and t2.orgid = ?1 and t2.isdel = 0 and ifnull(t1.hjje, 0) <> 0
  union all
  select '销货单', t1.id, t1.billno, t1.version, t1.billdate, ifnull(t1.hjje, 0) + ifnull(t1.qtfy, 0),
         ifnull(t1.bcsk, 0) + ifnull((select sum(bchx) from hx_kh h where h.hxbillid = t1.id and h.biztype = '销货单'
                   and h.orgid = ?1 and h.billno <> ?3), 0), t2.name
    from spch t1 join ckbmk t2 on t1.ck_id = t2.id
    where t1.orgid = ?1 and t1.kh_id = ?2 and t1.status = 1 and t2.orgid = ?1 and t2.isdel = 0 and ifnull(t1.hjje, 0) <> 0)
where hjje - hxje_ok <> 0 order by hxbilldate
)sql";

struct Baseline {
  Baseline() {
    sqlite3_open(":memory:", &db);
    exec(kBaselineSchema);
    exec(kBaselineRows);
    if (sqlite3_prepare_v2(db, kBaselineQuery, -1, &query, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~Baseline() {
    sqlite3_finalize(query);
    sqlite3_close(db);
  }
  void exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
  // Runs the list and reads every column of every row, as a caller would.
  int list() {
    sqlite3_bind_text(query, 1, "0001", -1, SQLITE_STATIC);
    sqlite3_bind_int(query, 2, 1);
    sqlite3_bind_text(query, 3, "SK-NEW", -1, SQLITE_STATIC);
    int rows = 0;
    while (sqlite3_step(query) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(query); ++c) benchmark::DoNotOptimize(sqlite3_column_text(query, c));
      ++rows;
    }
    sqlite3_reset(query);
    return rows;
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
};

void BM_HandWrittenSelectorList10000(benchmark::State& state) {
  Baseline b;
  int rows = 0;
  for (auto _ : state) rows = b.list();
  if (rows != 2 * kBills) state.SkipWithError("wrong number of bills listed");
  state.counters["bills"] = rows;
}
BENCHMARK(BM_HandWrittenSelectorList10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
