// Client dataset speed: loading 100,000 rows of ten columns from an engine result set
// against merely copying the same values into std::vectors (row vectors, and one
// vector per column), and switching a per-line filter over 20,000 staff rows the way
// a line's afterScroll does (filter off, set the text, filter on).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "dataset/client_data_set.h"

namespace {

using core::Currency;
using core::DateTime;
using core::Value;
using core::ValueType;

std::string guid(std::uint64_t n) {
  std::uint64_t h = n * 0x9E3779B97F4A7C15ull;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(h >> 32),
                static_cast<unsigned>((h >> 16) & 0xFFFF), static_cast<unsigned>(h & 0xFFFF),
                static_cast<unsigned>(n & 0xFFFF), static_cast<unsigned long long>(n));
  return buf;
}

// Ten columns the way order lines look: keys, texts, quantities, money, a date, a flag.
const tsql::ResultSet& orderLines() {
  static const tsql::ResultSet rs = [] {
    tsql::ResultSet r;
    r.columns = {{"id", ValueType::Integer, 0},   {"uid", ValueType::Text, 36},
                 {"billno", ValueType::Text, 20}, {"xm_id", ValueType::Integer, 0},
                 {"sl", ValueType::Float, 0},     {"x", ValueType::Float, 0},
                 {"dj", ValueType::Currency, 0},  {"je", ValueType::Currency, 0},
                 {"rq", ValueType::DateTime, 0},  {"minje", ValueType::Boolean, 0}};
    r.rows.reserve(100000);
    for (int i = 0; i < 100000; ++i)
      r.rows.push_back({i, guid(static_cast<std::uint64_t>(i)), "XM2024" + std::to_string(i / 10),
                        i % 500, 1.0 + i % 7, 0.5 * (i % 5), Currency::fromRaw(12345 + i),
                        Currency::fromRaw(98765 + i),
                        DateTime::fromParts(2024, 1 + i % 12, 1 + i % 28, i % 24), i % 2 == 0});
    return r;
  }();
  return rs;
}

void copyRows(benchmark::State& state) {
  const tsql::ResultSet& rs = orderLines();
  for (auto _ : state) {
    std::vector<std::vector<Value>> rows = rs.rows;
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(copyRows)->Unit(benchmark::kMillisecond);

void copyColumns(benchmark::State& state) {
  const tsql::ResultSet& rs = orderLines();
  for (auto _ : state) {
    std::vector<std::vector<Value>> columns(rs.columns.size());
    for (auto& c : columns) c.reserve(rs.rows.size());
    for (const auto& row : rs.rows)
      for (size_t c = 0; c < row.size(); ++c) columns[c].push_back(row[c]);
    benchmark::DoNotOptimize(columns.data());
  }
}
BENCHMARK(copyColumns)->Unit(benchmark::kMillisecond);

void loadDataSet(benchmark::State& state) {
  const tsql::ResultSet& rs = orderLines();
  for (auto _ : state) {
    dataset::ClientDataSet ds("cdsDetail");
    ds.loadFrom(rs);
    benchmark::DoNotOptimize(ds.recordCount());
  }
}
BENCHMARK(loadDataSet)->Unit(benchmark::kMillisecond);

// Both in one loop so the ratio comes from the same conditions.
void loadVersusCopy(benchmark::State& state) {
  const tsql::ResultSet& rs = orderLines();
  using Clock = std::chrono::steady_clock;
  double load = 0, copy = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    {
      std::vector<std::vector<Value>> rows = rs.rows;
      benchmark::DoNotOptimize(rows.data());
    }
    auto t1 = Clock::now();
    {
      dataset::ClientDataSet ds("cdsDetail");
      ds.loadFrom(rs);
      benchmark::DoNotOptimize(ds.recordCount());
    }
    auto t2 = Clock::now();
    copy += std::chrono::duration<double, std::milli>(t1 - t0).count();
    load += std::chrono::duration<double, std::milli>(t2 - t1).count();
  }
  state.counters["copy_ms"] = copy / static_cast<double>(state.iterations());
  state.counters["load_ms"] = load / static_cast<double>(state.iterations());
  state.counters["load/copy"] = load / copy;
}
BENCHMARK(loadVersusCopy)->Unit(benchmark::kMillisecond);

// 20,000 staff rows over 5,000 lines (four per line); one iteration = one switch.
void switchLineFilter(benchmark::State& state) {
  tsql::ResultSet rs;
  rs.columns = {{"uid", ValueType::Text, 36},    {"mx_uid", ValueType::Text, 36},
                {"orgid", ValueType::Text, 10},  {"yg_id", ValueType::Integer, 0},
                {"perc", ValueType::Float, 0},   {"jxje", ValueType::Currency, 0},
                {"jxjf", ValueType::Currency, 0}};
  std::vector<std::string> lines;
  for (int l = 0; l < 5000; ++l) lines.push_back(guid(1000000u + static_cast<std::uint64_t>(l)));
  for (int i = 0; i < 20000; ++i)
    rs.rows.push_back({guid(static_cast<std::uint64_t>(i)), lines[static_cast<size_t>(i % 5000)],
                       "0001", i % 40, 25.0, Currency::fromInt(i % 100), Currency::fromInt(0)});
  dataset::ClientDataSet staff("cdszzry");
  staff.loadFrom(std::move(rs));
  size_t line = 0;
  for (auto _ : state) {
    staff.setFiltered(false);
    staff.setFilter("mx_uid='" + lines[line] + "'");
    staff.setFiltered(true);
    benchmark::DoNotOptimize(staff.recordCount());
    line = (line + 7) % lines.size();
  }
  if (staff.recordCount() != 4) state.SkipWithError("a line should show four staff rows");
}
BENCHMARK(switchLineFilter)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
