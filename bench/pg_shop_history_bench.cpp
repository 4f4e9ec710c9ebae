// The shop history written, in rows per second: on a file straight into SQLite, on a
// file through the engine in batches, on the server through the engine in batches,
// and on the server with the same INSERT texts sent directly through libpq (the
// masters still through the engine, which reads their ids back). A year of a tenth of
// the default volume (about 43,000 rows) per iteration, on a freshly made schema.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <filesystem>
#include <memory>
#include <string>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_bench_cluster.h"
#include "schema/schema_script.h"
#include "schema/shop_history.h"

namespace {

const schema::ShopScale kScale{1, 3000, 200, 20261130};

// Sends plain INSERT batches to the server as they are (they are valid PostgreSQL
// too); the masters' batches, which are T-SQL, go through the engine.
class DirectInserts : public db::Connection {
 public:
  explicit DirectInserts(db::PgConnection& engine) : engine_(engine) {}
  db::BatchResult execBatch(std::string_view sql, const db::Params& params = {}) override {
    if (!sql.starts_with("insert")) return engine_.execBatch(sql, params);
    db::BatchResult result;
    PGresult* r = PQexec(engine_.handle(), std::string(sql).c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) result.errors.push_back({50000, 16, 1, 0, PQerrorMessage(engine_.handle())});
    PQclear(r);
    return result;
  }
  void beginUnit() override { engine_.beginUnit(); }
  std::string commitUnit() override { return engine_.commitUnit(); }
  void rollbackUnit() override { engine_.rollbackUnit(); }
  bool unitOpen() const override { return engine_.unitOpen(); }

 private:
  db::PgConnection& engine_;
};

// Runs the history once per iteration on `connection` after `fresh` made its schema.
template <class Fresh, class Write>
void measure(benchmark::State& state, Fresh fresh, Write write) {
  long long rows = 0;
  schema::HistoryProgress progress;
  progress.monthWritten = [&](const std::string&, long long written) { rows = written; };
  long long total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fresh();
    state.ResumeTiming();
    write(progress);
    total += rows;
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}

void fileRun(benchmark::State& state, bool inBatches) {
  const std::string path = "/tmp/coreapp_history_bench.db";
  std::unique_ptr<db::EmbeddedConnection> conn;
  auto fresh = [&] {
    conn.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    conn = std::make_unique<db::EmbeddedConnection>(path);
    schema::createDatabase(*conn, false);
  };
  measure(state, fresh, [&](const schema::HistoryProgress& p) {
    if (inBatches) schema::addShopHistoryInBatches(*conn, kScale, p);
    else schema::addShopHistory(*conn, kScale, p);
  });
  conn.reset();
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

void serverRun(benchmark::State& state, bool direct) {
  db::PgConnection conn(pgbench::Cluster::uri());
  DirectInserts plain(conn);
  auto fresh = [&] {
    conn.clearSchema();
    schema::createDatabase(conn, false);
  };
  measure(state, fresh, [&](const schema::HistoryProgress& p) {
    schema::addShopHistoryInBatches(direct ? static_cast<db::Connection&>(plain) : conn, kScale, p);
  });
}

void BM_HistoryOnFileDirectly(benchmark::State& state) { fileRun(state, false); }
void BM_HistoryOnFileInBatches(benchmark::State& state) { fileRun(state, true); }
void BM_HistoryOnServerInBatches(benchmark::State& state) { serverRun(state, false); }
void BM_HistoryOnServerInsertsThroughLibpq(benchmark::State& state) { serverRun(state, true); }

BENCHMARK(BM_HistoryOnFileDirectly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HistoryOnFileInBatches)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HistoryOnServerInBatches)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HistoryOnServerInsertsThroughLibpq)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
