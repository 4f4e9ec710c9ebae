// The owner's reports on the shared server: the same three-year shop (the same seed) made
// once per run in the benchmark's own cluster through the engine's batches, as
// `coreapp db init --scale 3` makes it, with the four accounts and the server's statistics
// taken; each report's procedure through the engine on the server for one month and for
// the three years, beside the same report through the engine on the embedded file in the
// same run. Real time: the server does its work in a process of its own.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "db/pg_connection.h"
#include "pg_bench_cluster.h"
#include "report_shop.h"

namespace {

using namespace reportbench;

db::PgConnection& server() {
  static const std::unique_ptr<db::PgConnection> conn = [] {
    auto c = std::make_unique<db::PgConnection>(pgbench::Cluster::uri());
    c->clearSchema();
    schema::createDatabase(*c, false);
    schema::HistoryProgress progress;
    progress.monthWritten = [](const std::string& month, long long rows) {
      std::fprintf(stderr, "\rthe server's shop: %s, %lld rows", month.c_str(), rows);
    };
    schema::addShopHistoryInBatches(*c, kShop, progress);
    std::fputc('\n', stderr);
    const db::BatchResult accounts = c->execBatch(kAccounts);
    if (!accounts.ok()) throw std::runtime_error("accounts: " + accounts.errorMessage());
    pgbench::must(c->handle(), "ANALYZE");
    return c;
  }();
  return *conn;
}

db::EmbeddedConnection& file() {
  static db::EmbeddedConnection conn(shopCopy());
  return conn;
}

void BM_Report(benchmark::State& state, const char* name, Span span, bool onServer) {
  const plugs::coreapp::ReportSpec& spec = *plugs::coreapp::findReport(name);
  db::Connection& conn = onServer ? static_cast<db::Connection&>(server()) : file();
  std::size_t rows = 0;
  for (auto _ : state) rows = engineRows(conn, spec, span);
  state.counters["rows"] = static_cast<double>(rows);
}

const bool registered = [] {
  for (const char* name :
       {"day", "stock", "onhand", "cash", "payables", "wip", "staff", "profit", "sales"})
    for (const auto& [span, label] : {std::pair{kMonth, "month"}, std::pair{kYears, "3years"}})
      for (bool onServer : {true, false})
        benchmark::RegisterBenchmark(
            (std::string(onServer ? "Server/" : "File/") + name + "/" + label).c_str(),
            [name, span, onServer](benchmark::State& s) { BM_Report(s, name, span, onServer); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3)
            ->UseRealTime();
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
