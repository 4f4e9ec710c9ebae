// What keeping datetime2 and datetimeoffset as text costs on the database server: the
// same 10,000 ISO texts read by the server's own timestamp(3) cast (what datetime2 was
// before, losing digits past the millisecond), by tsql_datetime (datetime's ticks), and
// by the runtime's 100 ns functions (stored datetime2 and datetimeoffset texts, and
// the UTC instant that comparisons and ORDER BY use). Real time: the work is the server's.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "db/pg_connection.h"
#include "pg_bench_cluster.h"

namespace {

constexpr int kValues = 10000;

// One connection (the runtime installed on it) with the texts in a temporary table.
PGconn* withTexts() {
  static std::unique_ptr<db::PgConnection> conn = [] {
    auto c = std::make_unique<db::PgConnection>(pgbench::Cluster::uri());
    std::string fill = "CREATE TEMP TABLE texts AS SELECT '2024-01-01 10:00:00.' || lpad((g * 7919 % 10000000)::text, "
                       "7, '0') AS t FROM generate_series(1, " + std::to_string(kValues) + ") g";
    pgbench::must(c->handle(), fill.c_str());
    return c;
  }();
  return conn->handle();
}

// Every value converted and its text's length summed, so none is left unread.
void convertAll(benchmark::State& state, const std::string& expression) {
  PGconn* c = withTexts();
  std::string sql = "SELECT sum(length((" + expression + ")::text)) FROM texts";
  for (auto _ : state) pgbench::must(c, sql.c_str());
  state.SetItemsProcessed(state.iterations() * kValues);
}

void BM_TimestampCast(benchmark::State& state) { convertAll(state, "t::timestamp(3)"); }
void BM_DatetimeTicks(benchmark::State& state) { convertAll(state, "tsql_datetime(t)"); }
void BM_Datetime2Text(benchmark::State& state) { convertAll(state, "tsql_datetime2(t, 7)"); }
void BM_DatetimeoffsetText(benchmark::State& state) { convertAll(state, "tsql_datetimeoffset(t || ' +05:30', 7)"); }
void BM_OffsetInstant(benchmark::State& state) { convertAll(state, "tsql_dto_utc(t || ' +05:30')"); }

BENCHMARK(BM_TimestampCast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DatetimeTicks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Datetime2Text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DatetimeoffsetText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OffsetInstant)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
