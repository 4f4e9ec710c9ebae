// A cross-tab report: each customer's sales per quarter as four columns over 20,000
// orders of 200 customers, (a) written in T-SQL with PIVOT and run by the embedded
// engine, (b) the same report written by hand for SQLite (SUM of a CASE per quarter,
// GROUP BY the customer) over the same rows, money in whole ten-thousandths. Both run in
// turn in each iteration on their own databases; the counters engine_ms, sqlite_ms and
// ratio (a/b, CPU time) are the engine's cost.
#include "engine_beside_sqlite.h"

namespace {

constexpr int kCustomers = 200;

// Order i belongs to customer i % 200, falls in quarter i / 7 % 4 + 1 and comes to
// 10 + i % 97 plus i % 100 hundredths.
const char* kEngineSetup = R"sql(
create table digits(d int)
insert into digits values (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)
create table orders(id int primary key, cust int, quarter int, amount money)
insert into orders(id, cust, quarter, amount)
  select n, n % 200, n / 7 % 4 + 1, 10 + n % 97 + (n % 100) / 100.0
  from (select a.d + 10 * b.d + 100 * c.d + 1000 * e.d + 10000 * f.d as n
        from digits a, digits b, digits c, digits e, digits f) as s where n < 20000
)sql";

const char* kEngineReport = R"sql(
select cust, [1], [2], [3], [4]
from (select cust, quarter, amount from orders) as s
pivot (sum(amount) for quarter in ([1], [2], [3], [4])) as p
order by cust
)sql";

const char* kSqliteSetup = R"sql(
create table orders(id integer primary key, cust integer, quarter integer, units integer);
with recursive s(n) as (select 0 union all select n + 1 from s where n + 1 < 20000)
insert into orders select n, n % 200, n / 7 % 4 + 1, (10 + n % 97) * 10000 + (n % 100) * 100 from s;
)sql";

const char* kSqliteReport =
    "select cust, sum(case when quarter = 1 then units end), sum(case when quarter = 2 then units end), "
    "sum(case when quarter = 3 then units end), sum(case when quarter = 4 then units end) "
    "from orders group by cust order by cust";

void BM_PivotReportEngineOverSqlite(benchmark::State& state) {
  measureBesideSqlite(state, kEngineSetup, kEngineReport, kSqliteSetup, kSqliteReport, kCustomers);
}
BENCHMARK(BM_PivotReportEngineOverSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
