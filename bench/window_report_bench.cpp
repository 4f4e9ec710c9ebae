// A windowed report: running totals and the latest order per customer over 20,000
// orders of 200 customers, (a) written in T-SQL and run by the embedded engine, (b) the
// same query written by hand for SQLite over the same rows, money in whole
// ten-thousandths. Then the latest three orders of each customer as shops write it in
// T-SQL, CROSS APPLY (SELECT TOP (3) ...), beside the numbered rows SQLite is given by
// hand, and again with a correlation other than equality. Both run in turn in each
// iteration on their own databases; the
// counters engine_ms, sqlite_ms and ratio (a/b, CPU time) are the engine's cost.
#include "engine_beside_sqlite.h"

namespace {

constexpr int kOrders = 20000;

// Order i belongs to customer i % 200, is dated i / 7 days after 2024-01-01 and
// comes to 10 + i % 97 plus i % 100 hundredths.
const char* kEngineSetup = R"sql(
create table digits(d int)
insert into digits values (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)
create table orders(id int primary key, cust int, billdate datetime, amount money)
insert into orders(id, cust, billdate, amount)
  select n, n % 200, dateadd(day, n / 7, '2024-01-01'), 10 + n % 97 + (n % 100) / 100.0
  from (select a.d + 10 * b.d + 100 * c.d + 1000 * e.d + 10000 * f.d as n
        from digits a, digits b, digits c, digits e, digits f) as s where n < 20000
create table customers(id int primary key, name varchar(10))
insert into customers select id, 'c' + cast(id as varchar(5)) from orders where id < 200
)sql";

const char* kEngineReport = R"sql(
select cust, id, amount,
  sum(amount) over (partition by cust order by billdate, id rows unbounded preceding) as running,
  row_number() over (partition by cust order by billdate desc, id desc) as recent
from orders order by cust, billdate, id
)sql";

const char* kSqliteSetup = R"sql(
create table orders(id integer primary key, cust integer, billdate text, units integer);
with recursive s(n) as (select 0 union all select n + 1 from s where n + 1 < 20000)
insert into orders select n, n % 200, date('2024-01-01', '+' || (n / 7) || ' days') || ' 00:00:00.000',
  (10 + n % 97) * 10000 + (n % 100) * 100 from s;
create table customers(id integer primary key, name text);
insert into customers select id, 'c' || id from orders where id < 200;
)sql";

const char* kSqliteReport =
    "select cust, id, units, sum(units) over (partition by cust order by billdate, id rows "
    "unbounded preceding), "
    "row_number() over (partition by cust order by billdate desc, id desc) from orders order by "
    "cust, billdate, id";

void BM_WindowReportEngineOverSqlite(benchmark::State& state) {
  measureBesideSqlite(state, kEngineSetup, kEngineReport, kSqliteSetup, kSqliteReport, kOrders);
}
BENCHMARK(BM_WindowReportEngineOverSqlite)->Unit(benchmark::kMillisecond);

const char* kEngineLatest = R"sql(
select c.id, x.id, x.amount from customers c
cross apply (select top (3) o.id, o.amount from orders o where o.cust = c.id
             order by o.billdate desc, o.id desc) x
order by c.id, x.id
)sql";

const char* kSqliteLatest =
    "select c.id, o.id, o.units from customers c join (select id, cust, units, row_number() over "
    "(partition by cust order by billdate desc, id desc) as rn from orders) o on o.cust = c.id and "
    "o.rn <= 3 order by c.id, o.id";

void BM_LatestOrdersApplyEngineOverSqlite(benchmark::State& state) {
  measureBesideSqlite(state, kEngineSetup, kEngineLatest, kSqliteSetup, kSqliteLatest, 600);
}
BENCHMARK(BM_LatestOrdersApplyEngineOverSqlite)->Unit(benchmark::kMillisecond);

// The same, of each customer's orders after its own number times 50: a correlation
// other than equality under TOP, which the engine runs over the customers' distinct
// values joined back to them.
const char* kEngineLatestAfter = R"sql(
select c.id, x.id, x.amount from customers c
cross apply (select top (3) o.id, o.amount from orders o where o.cust = c.id and o.id > c.id * 50
             order by o.billdate desc, o.id desc) x
order by c.id, x.id
)sql";

const char* kSqliteLatestAfter =
    "select c.id, o.id, o.units from customers c join (select c2.id as cid, o.id, o.units, row_number() over "
    "(partition by c2.id order by o.billdate desc, o.id desc) as rn from customers c2 join orders o "
    "on o.cust = c2.id and o.id > c2.id * 50) o on o.cid = c.id and o.rn <= 3 order by c.id, o.id";

void BM_LatestOrdersAfterApplyEngineOverSqlite(benchmark::State& state) {
  measureBesideSqlite(state, kEngineSetup, kEngineLatestAfter, kSqliteSetup, kSqliteLatestAfter, 600);
}
BENCHMARK(BM_LatestOrdersAfterApplyEngineOverSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
