// A report query run by the embedded engine beside the same report written by hand for
// SQLite, in turn in each iteration on their own in-memory databases; the counters
// engine_ms, sqlite_ms and ratio (engine / hand, CPU time) are the engine's cost.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstddef>
#include <ctime>

#include "sqlite_baseline.h"
#include "tsql/engine.h"

//! The process's CPU time in seconds.
inline double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

//! Every row read as the caller would: the hand-written side touches each of `columns`.
inline long long readAll(sqlite3_stmt* stmt, int columns) {
  long long sum = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW)
    for (int c = 0; c < columns; ++c) sum += sqlite3_column_int64(stmt, c);
  sqlite3_reset(stmt);
  return sum;
}

//! The engine's `report` (after `setup`) beside SQLite's `handReport` (after
//! `handSetup`); the engine's last result set must have `rows` rows.
inline void measureBesideSqlite(benchmark::State& state, const char* setup, const char* report,
                                const char* handSetup, const char* handReport, std::size_t rows) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  double engine = 0, hand = 0;
  {
    tsql::Engine eng(db);
    if (!eng.run(setup).ok()) state.SkipWithError("the setup failed");
    SqliteBaseline base(handSetup, handReport);
    const int columns = sqlite3_column_count(base.stmt);
    for (auto _ : state) {
      const double t0 = cpuSeconds();
      auto r = eng.run(report);
      const double t1 = cpuSeconds();
      benchmark::DoNotOptimize(readAll(base.stmt, columns));
      const double t2 = cpuSeconds();
      if (!r.ok() || r.resultSets.back().rows.size() != rows) state.SkipWithError("the report failed");
      engine += t1 - t0;
      hand += t2 - t1;
    }
  }
  sqlite3_close(db);
  const auto n = static_cast<double>(state.iterations());
  state.counters["engine_ms"] = engine / n * 1e3;
  state.counters["sqlite_ms"] = hand / n * 1e3;
  state.counters["ratio"] = hand > 0 ? engine / hand : 0;
}
