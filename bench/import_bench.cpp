// Importing a sheet of 10,000 customers (code, name, phone, contact, address, payment
// type): (a) the whole import — header mapping, every row's checks, the codes and
// lookups read back, one batch of bound values through the embedded engine; (b) the
// same rows inserted by one prepared SQLite statement in one transaction, by hand.
// Each iteration starts from a fresh database (its making is not timed); a/b is the
// cost of the import's checks and the engine.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "db/embedded_connection.h"
#include "plugs/coreapp/jczl/master_data_import.h"
#include "schema/schema_script.h"

namespace {

constexpr int kCustomers = 10000;

host::SheetRows customerSheet() {
  host::SheetRows rows = {{"编号", "名称", "电话", "联系人", "地址", "付款方式"}};
  for (int i = 0; i < kCustomers; ++i) {
    const std::string n = std::to_string(i);
    rows.push_back({"C" + n, "客户" + n, "138" + n, "联系人" + n, "地址, " + n + "号", "现结"});
  }
  return rows;
}

void BM_ImportCustomers(benchmark::State& state) {
  const host::SheetRows sheet = customerSheet();
  const auto* spec = plugs::coreapp::jczl::MasterDataImport::specOfKind("customers");
  for (auto _ : state) {
    state.PauseTiming();
    db::EmbeddedConnection conn(":memory:");
    schema::createDatabase(conn, false);
    state.ResumeTiming();
    const auto out = plugs::coreapp::jczl::MasterDataImport(conn, "0001", *spec).run(sheet);
    if (!out.written) throw std::runtime_error("the import wrote nothing");
  }
  state.SetItemsProcessed(state.iterations() * kCustomers);
}
BENCHMARK(BM_ImportCustomers)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteInsertCustomers(benchmark::State& state) {
  const host::SheetRows sheet = customerSheet();
  for (auto _ : state) {
    state.PauseTiming();
    db::EmbeddedConnection conn(":memory:");
    schema::createDatabase(conn, false);
    sqlite3* db = conn.handle();
    state.ResumeTiming();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into vt_b_khbmk (orgid, code, name, tel, lxr, addr, khlx, xyjlx, "
                       "isdel, version) values ('0001', ?, ?, ?, ?, ?, ?, '协议价', 0, 0)",
                       -1, &stmt, nullptr);
    for (std::size_t r = 1; r < sheet.size(); ++r) {
      for (int c = 0; c < 6; ++c)
        sqlite3_bind_text(stmt, c + 1, sheet[r][c].c_str(), -1, SQLITE_STATIC);
      if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kCustomers);
}
BENCHMARK(BM_SqliteInsertCustomers)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
BENCHMARK_MAIN();
