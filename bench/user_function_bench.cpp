// A trivial scalar user-defined function over 10,000 rows: (a) `dbo.net(price, pct)` in
// the select list, (b) the same expression written inline in the query, both through
// the embedded engine on one database, in turn in each iteration. The counters
// function_ms, inline_ms and ratio (a/b, CPU time) are what calling the function costs.
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

const char* kCalled = "select id, dbo.net(price, pct) as net from lines";
const char* kInline = "select id, price * (100 - pct) / 100 as net from lines";

void BM_ScalarFunctionOverInlineExpression(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  double called = 0, inlined = 0;
  {
    tsql::Engine eng(db);
    if (!eng.run(kSetup).ok() || !eng.run(kFunction).ok()) state.SkipWithError("setup failed");
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
BENCHMARK(BM_ScalarFunctionOverInlineExpression)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
