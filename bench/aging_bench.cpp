// Receivable aging of 1,000 customers over 100,000 bills (50,000 orders, 50,000 sales
// bills), 50,000 settlement rows and 500,000 write-off ledger rows dated by 100,000
// receipts: (a) sp_sys_khyszl run by the embedded engine; (b) one hand-written SQLite
// query of the same buckets over the same rows, money in whole ten-thousandths. Both
// must give the same grand total; the ratio a/b is the cost of the engine.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "bench_host.h"
#include "sqlite_baseline.h"

namespace {

constexpr int kCustomers = 1000;
constexpr int kTotalColumn = 7;  // qkje, after kh_id, code, name and the four buckets

// Bill i (1-based) of each kind belongs to customer 1 + i % 1000 and is i % 397 days
// old on 2026-12-31; every tenth thousand is not owed (unprocessed orders, draft sales bills).
// Ledger row j pays 50 (300 every seventh row) of bill 1 + (j / 2) % 50000, an order
// when j is even, for receipt 1 + j % 100000.
const char* kEngineRows = R"sql(
create table bench_n(i int)
insert into bench_n values (0)
insert into bench_n values (1)
insert into bench_n values (2)
insert into bench_n values (3)
insert into bench_n values (4)
insert into bench_n values (5)
insert into bench_n values (6)
insert into bench_n values (7)
insert into bench_n values (8)
insert into bench_n values (9)
create table bench_seq(i int primary key)
insert into bench_seq(i)
  select a.i + 10 * b.i + 100 * c.i + 1000 * d.i + 10000 * e.i + 100000 * f.i + 1
  from bench_n a, bench_n b, bench_n c, bench_n d, bench_n e, bench_n f
begin tran
insert into vt_b_khbmk(orgid, code, name)
  select '0001', 'K' + cast(10000 + i as varchar(10)), '客户' + cast(i as varchar(10)) from bench_seq where i <= 1000
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status)
  select '0001', 'XM-' + cast(i as varchar(10)), dateadd(day, -(i % 397), '2026-12-31 10:00'), 1 + i % 1000, 1,
    1000 + i % 97, case when (i / 1000) % 10 = 0 then 0 else 2 end
  from bench_seq where i <= 50000
insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je)
  select '0001', 'JS-' + cast(i as varchar(10)), 'XM-' + cast(i as varchar(10)), 1,
    dateadd(day, 1 - i % 397, '2026-12-31 10:00'), 1, 100
  from bench_seq where i <= 50000
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, qtfy, bcsk, status)
  select '0001', 'XH-' + cast(i as varchar(10)), dateadd(day, -(i % 397), '2026-12-31 11:00'), 1 + i % 1000, 1,
    500 + i % 89, 10, (i % 3) * 10, case when (i / 1000) % 10 = 0 then 0 else 1 end
  from bench_seq where i <= 50000
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, hjje, status)
  select '0001', 'SK-' + cast(i as varchar(10)), dateadd(day, -(i % 300), '2026-12-31 12:00'), 1 + i % 1000, 1, 500, 1
  from bench_seq where i <= 100000
insert into vt_sys_hx_kh(orgid, uid, billno, biztype, hxbillid, hxbillno, bchx, zy)
  select '0001', 'HX-' + cast(i as varchar(10)), 'SK-' + cast(1 + i % 100000 as varchar(10)),
    case when i % 2 = 0 then '项目订单' else '销货单' end, 1 + (i / 2) % 50000, '',
    case when i % 7 = 0 then 300 else 50 end, '收款单核销'
  from bench_seq where i <= 500000
commit tran
)sql";

// The engine's grand total, in ten-thousandths, from the aging rows.
long long engineTotal(const db::BatchResult& r) {
  long long total = 0;
  if (!r.ok() || r.resultSets.empty()) return -1;
  for (const auto& row : r.resultSets.back().rows) total += row[kTotalColumn].asCurrency().raw();
  return total;
}

void BM_AgingEngine(benchmark::State& state) {
  bench::BenchHost env(kEngineRows);
  if (env.host.connection->execBatch("select count(*) from vt_sys_hx_kh")
          .resultSets.back()
          .rows[0][0]
          .asInteger() != 500000)
    state.SkipWithError("rows not made");
  db::BatchResult r;
  for (auto _ : state)
    r = env.conn.execBatch("exec sp_sys_khyszl @orgid = '0001', @rq = '2026-12-31'");
  if (!r.ok()) state.SkipWithError(r.errorMessage().c_str());
  state.counters["customers"] =
      r.resultSets.empty() ? 0 : static_cast<double>(r.resultSets.back().rows.size());
  state.counters["total"] = static_cast<double>(engineTotal(r)) / 10000.0;
}
BENCHMARK(BM_AgingEngine)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- baseline: the same aging as one hand-written SQLite query ----------------------------

const char* kBaselineSetup = R"sql(
create table khbmk(id integer primary key, code text, name text);
create table xmzzk(id integer primary key, orgid text, billno text, billdate text, kh_id int, hjje int,
  status int, zfflag int default 0);
create unique index ux_xmzzk on xmzzk(orgid, billno);
create table xmzzk_js(id integer primary key, orgid text, billno text, jssj text, je int);
create table spch(id integer primary key, orgid text, billno text, billdate text, kh_id int, hjje int, qtfy int,
  bcsk int, status int, zfflag int default 0);
create table khsk(id integer primary key, orgid text, billno text, billdate text);
create unique index ux_khsk on khsk(orgid, billno);
create table hx_kh(id integer primary key, orgid text, billno text, biztype text, hxbillid int, bchx int);
create table seq(i integer primary key);
with recursive n(i) as (select 1 union all select i + 1 from n where i < 500000) insert into seq select i from n;
insert into khbmk(code, name) select 'K' || (10000 + i), '客户' || i from seq where i <= 1000;
insert into xmzzk(orgid, billno, billdate, kh_id, hjje, status)
  select '0001', 'XM-' || i, datetime('2026-12-31 10:00', '-' || (i % 397) || ' days'), 1 + i % 1000,
    (1000 + i % 97) * 10000, case when (i / 1000) % 10 = 0 then 0 else 2 end from seq where i <= 50000;
insert into xmzzk_js(orgid, billno, jssj, je)
  select '0001', 'XM-' || i, datetime('2026-12-31 10:00', (1 - i % 397) || ' days'), 100 * 10000
  from seq where i <= 50000;
insert into spch(orgid, billno, billdate, kh_id, hjje, qtfy, bcsk, status)
  select '0001', 'XH-' || i, datetime('2026-12-31 11:00', '-' || (i % 397) || ' days'), 1 + i % 1000,
    (500 + i % 89) * 10000, 10 * 10000, (i % 3) * 10 * 10000, case when (i / 1000) % 10 = 0 then 0 else 1 end
  from seq where i <= 50000;
insert into khsk(orgid, billno, billdate)
  select '0001', 'SK-' || i, datetime('2026-12-31 12:00', '-' || (i % 300) || ' days') from seq where i <= 100000;
insert into hx_kh(orgid, billno, biztype, hxbillid, bchx)
  select '0001', 'SK-' || (1 + i % 100000), case when i % 2 = 0 then 'o' else 's' end, 1 + (i / 2) % 50000,
    case when i % 7 = 0 then 300 else 50 end * 10000 from seq;
)sql";

// The same work the procedure does, written for SQLite by hand: what the ledger paid
// per bill id (rows of receipts dated after the day left out), settlement rows up to
// the day, each owed bill's rest, bucketed by age.
const char* kBaselineQuery = R"sql(
with late(billno) as (select billno from khsk where orgid = '0001' and billdate >= date(?1, '+1 day')),
paidxm(id, je) as (select hxbillid, sum(bchx) from hx_kh
  where orgid = '0001' and biztype = 'o' and billno not in late group by hxbillid),
paidxh(id, je) as (select hxbillid, sum(bchx) from hx_kh
  where orgid = '0001' and biztype = 's' and billno not in late group by hxbillid),
js(billno, je) as (select billno, sum(je) from xmzzk_js
  where orgid = '0001' and jssj < date(?1, '+1 day') group by billno),
bills(kh_id, ts, qk) as (
  select o.kh_id, cast(julianday(?1) - julianday(date(o.billdate)) as int), o.hjje - ifnull(js.je, 0) - ifnull(p.je, 0)
  from xmzzk o left join js on js.billno = o.billno left join paidxm p on p.id = o.id
  where o.orgid = '0001' and o.zfflag = 0 and o.status in (2, 3) and o.hjje <> 0 and o.billdate < date(?1, '+1 day')
  union all
  select s.kh_id, cast(julianday(?1) - julianday(date(s.billdate)) as int), s.hjje + s.qtfy - s.bcsk - ifnull(p.je, 0)
  from spch s left join paidxh p on p.id = s.id
  where s.orgid = '0001' and s.zfflag = 0 and s.status = 1 and s.hjje <> 0 and s.billdate < date(?1, '+1 day')
)
select b.kh_id, c.code, c.name,
  sum(case when ts <= 30 then qk else 0 end), sum(case when ts > 30 and ts <= 60 then qk else 0 end),
  sum(case when ts > 60 and ts <= 90 then qk else 0 end), sum(case when ts > 90 then qk else 0 end), sum(qk)
from bills b left join khbmk c on c.id = b.kh_id where qk <> 0 group by b.kh_id, c.code, c.name order by c.code
)sql";

struct Baseline : SqliteBaseline {
  Baseline() : SqliteBaseline(kBaselineSetup, kBaselineQuery) {}
  //! Runs the aging; returns the customers listed and adds up the grand total.
  int aging(long long& total) {
    sqlite3_bind_text(stmt, 1, "2026-12-31", -1, SQLITE_STATIC);
    int rows = 0;
    total = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      total += sqlite3_column_int64(stmt, 7);
      ++rows;
    }
    sqlite3_reset(stmt);
    return rows;
  }
};

void BM_AgingHandWritten(benchmark::State& state) {
  Baseline b;
  int rows = 0;
  long long total = 0;
  for (auto _ : state) rows = b.aging(total);
  if (rows != kCustomers) state.SkipWithError("wrong number of customers");
  state.counters["customers"] = rows;
  state.counters["total"] = static_cast<double>(total) / 10000.0;
}
BENCHMARK(BM_AgingHandWritten)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
