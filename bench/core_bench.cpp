// Core value types under load: money rounding from doubles (with the tie check)
// against a plain llround baseline, Currency display patterns, Format on an SQL
// text, and reading a 500-row selection text.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/currency.h"
#include "core/format.h"
#include "core/json.h"

namespace {

std::vector<double> amounts() {
  std::vector<double> v;
  for (int i = 0; i < 1000; ++i) v.push_back(i * 0.00015 + (i % 7) * 12.3456789);
  return v;
}

void BM_CurrencyFromDouble(benchmark::State& state) {
  const auto values = amounts();
  for (auto _ : state) {
    for (double d : values) benchmark::DoNotOptimize(core::Currency::fromDouble(d));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_CurrencyFromDouble);

// Baseline: round half away from zero with no tie handling at all.
void BM_PlainLlround(benchmark::State& state) {
  const auto values = amounts();
  for (auto _ : state) {
    for (double d : values)
      benchmark::DoNotOptimize(std::llroundl(static_cast<long double>(d) * 10000));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_PlainLlround);

void BM_CurrencyFormatGrouped(benchmark::State& state) {
  const core::Currency c = core::Currency::fromRaw(-12345678910);
  for (auto _ : state) benchmark::DoNotOptimize(c.format("¥,0.0000;¥-,0.0000"));
}
BENCHMARK(BM_CurrencyFormatGrouped);

void BM_FormatSqlText(benchmark::State& state) {
  const std::vector<core::Value> args = {3, 9, core::Currency::fromRaw(125000), "'remark'"};
  for (auto _ : state) {
    benchmark::DoNotOptimize(core::Format("values(:orgid,%d,%d,getdate(),%d,'消费',%d,%0.8f,%s)",
                                          {args[0], args[1], args[0], args[1], args[2], args[3]}));
  }
}
BENCHMARK(BM_FormatSqlText);

void BM_ParseSelection(benchmark::State& state) {
  std::vector<core::JsonRow> rows;
  for (int i = 0; i < 500; ++i) {
    rows.emplace_back(
        std::vector<std::pair<std::string, std::string>>{{"id", std::to_string(i)},
                                                         {"code", "XM" + std::to_string(i)},
                                                         {"name", "写真喷绘"},
                                                         {"price", "12.50"},
                                                         {"baseunit", "平方米"}});
  }
  const std::string text = core::buildJsonArray(rows);
  for (auto _ : state) benchmark::DoNotOptimize(core::parseSelection(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseSelection);

}  // namespace

BENCHMARK_MAIN();
