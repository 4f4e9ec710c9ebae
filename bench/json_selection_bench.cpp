// A lookup selection (a JSON array of n objects, every value text) read by T-SQL on the
// embedded file: OPENJSON ... WITH into typed columns summed, and FOR JSON PATH writing
// the rows back, as n grows from 100 to 3200. Each is one pass over the text (the
// complexity counter reports the fit), the selection handed in as a host parameter.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "tsql/engine.h"

namespace {

std::string selection(int n) {
  std::string s = "[";
  for (int i = 0; i < n; ++i) {
    s += i ? "," : "";
    s += R"({"id":")" + std::to_string(i) + R"(","code":"XM)" + std::to_string(i) +
         R"(","name":"海报 \"A3\"","price_in":")" + std::to_string(i % 97) + R"(.25","sl":"2"})";
  }
  return s + "]";
}

void run(benchmark::State& state, const char* batch) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  {
    tsql::Engine engine(db);
    tsql::Params params{{"sel", core::Value(selection(static_cast<int>(state.range(0))))}};
    for (auto _ : state) {
      tsql::BatchResult r = engine.run(batch, params);
      if (!r.ok()) throw std::runtime_error(r.errorMessage());
      benchmark::DoNotOptimize(r.resultSets.data());
    }
  }
  sqlite3_close(db);
  state.SetComplexityN(state.range(0));
}

void BM_OpenJsonWith(benchmark::State& state) {
  run(state,
      "select count(*), sum(price_in * sl) from openjson(:sel) "
      "with (id int, code varchar(20), name nvarchar(50), price_in money, sl float)");
}
BENCHMARK(BM_OpenJsonWith)
    ->RangeMultiplier(2)
    ->Range(100, 3200)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_ForJsonPath(benchmark::State& state) {
  run(state,
      "select id as 'item.id', code as 'item.code', price_in from openjson(:sel) "
      "with (id int, code varchar(20), price_in money) order by id for json path");
}
BENCHMARK(BM_ForJsonPath)
    ->RangeMultiplier(2)
    ->Range(100, 3200)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
