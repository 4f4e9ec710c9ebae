// A scalar user-defined function over 10,000 rows: (a) the function in the select list,
// (b) the same expression written inline in the query, both through the embedded engine
// on one database, in turn in each iteration. The counters function_ms, inline_ms and
// ratio (a/b, CPU time) are what calling the function costs: `dbo.net` is written into
// the query; `dbo.net_loop`, the same value from a loop, runs in the interpreter once
// per distinct argument list (30 of them by `pct`, 10,000 by `price, pct`), also from
// inside a correlated subquery.
#include "engine_beside_sqlite.h"

namespace {

constexpr std::size_t kRows = 10000;

const char* kSetup = R"sql(
create table digits(d int)
insert into digits values (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)
create table lines(id int primary key, price money, pct int)
insert into lines(id, price, pct)
  select n, 1 + n % 500 + (n % 100) / 100.0, n % 30
  from (select a.d + 10 * b.d + 100 * c.d + 1000 * e.d as n
        from digits a, digits b, digits c, digits e) as s
)sql";

const char* kFunction =
    "create function dbo.net(@price money, @pct int) returns money as "
    "begin return @price * (100 - @pct) / 100 end";

const char* kLoopFunction =
    "create function dbo.net_loop(@price money, @pct int) returns money as "
    "begin declare @i int = 0, @net money = @price "
    "while @i < 1 begin set @net = @price * (100 - @pct) / 100 set @i = @i + 1 end "
    "return @net end";

void compareWithInline(benchmark::State& state, const char* function, const char* kCalled, const char* kInline) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  double called = 0, inlined = 0;
  {
    tsql::Engine eng(db);
    if (!eng.run(kSetup).ok() || !eng.run(function).ok()) state.SkipWithError("setup failed");
    bool calledFirst = true;  // the order alternates, so neither side gains by going first
    for (auto _ : state) {
      tsql::BatchResult a, b;
      double t0 = cpuSeconds(), tA = 0, tB = 0;
      if (calledFirst) {
        a = eng.run(kCalled);
        tA = cpuSeconds();
        b = eng.run(kInline);
        tB = cpuSeconds();
        called += tA - t0;
        inlined += tB - tA;
      } else {
        b = eng.run(kInline);
        tB = cpuSeconds();
        a = eng.run(kCalled);
        tA = cpuSeconds();
        inlined += tB - t0;
        called += tA - tB;
      }
      calledFirst = !calledFirst;
      if (!a.ok() || !b.ok() || a.resultSets.back().rows.size() != kRows ||
          a.resultSets.back().rows != b.resultSets.back().rows)
        state.SkipWithError("the two queries disagree");
    }
  }
  sqlite3_close(db);
  auto n = static_cast<double>(state.iterations());
  state.counters["function_ms"] = called / n * 1e3;
  state.counters["inline_ms"] = inlined / n * 1e3;
  state.counters["ratio"] = inlined > 0 ? called / inlined : 0;
}
void BM_ScalarFunctionOverInlineExpression(benchmark::State& state) {
  compareWithInline(state, kFunction, "select id, dbo.net(price, pct) as net from lines",
                    "select id, price * (100 - pct) / 100 as net from lines");
}
BENCHMARK(BM_ScalarFunctionOverInlineExpression)->Unit(benchmark::kMillisecond);

void BM_LoopFunctionOf30Values(benchmark::State& state) {
  compareWithInline(state, kLoopFunction, "select id, dbo.net_loop(100, pct) as net from lines",
                    "select id, cast(100 * (100 - pct) / 100 as money) as net from lines");
}
BENCHMARK(BM_LoopFunctionOf30Values)->Unit(benchmark::kMillisecond);

void BM_LoopFunctionOf10000Values(benchmark::State& state) {
  compareWithInline(state, kLoopFunction, "select id, dbo.net_loop(price, pct) as net from lines",
                    "select id, price * (100 - pct) / 100 as net from lines");
}
BENCHMARK(BM_LoopFunctionOf10000Values)->Unit(benchmark::kMillisecond);

// The loop function in a correlated subquery, its arguments a column of each side: its
// argument lists are read over both FROMs joined (30 distinct ones).
void BM_LoopFunctionInCorrelatedSubquery(benchmark::State& state) {
  compareWithInline(state, kLoopFunction,
                    "select l.id, (select dbo.net_loop(d.d, l.pct) from digits d where d.d = l.id % 10) as net "
                    "from lines l",
                    "select l.id, (select cast(d.d as money) * (100 - l.pct) / 100 from digits d "
                    "where d.d = l.id % 10) as net from lines l");
}
BENCHMARK(BM_LoopFunctionInCorrelatedSubquery)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
