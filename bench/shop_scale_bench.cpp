// The order windows on a shop-sized database (schema/shop_history.h): COREAPP_SHOP_YEARS
// years (default 3) of a busy shop, made once per year count and seed in /tmp and
// reused. Opening an order, the order selector over one month (rows listed as a
// counter), and saving a new 20-line order, each through the form as the desktop runs it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/json.h"
#include "db/embedded_connection.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "schema/schema_script.h"
#include "schema/shop_history.h"

namespace {

constexpr unsigned kSeed = 20261130;

int years() {
  const char* v = std::getenv("COREAPP_SHOP_YEARS");
  return v && std::atoi(v) > 0 ? std::atoi(v) : 3;
}

// The database file for the year count, written on first use.
std::string shopDatabase() {
  const std::string path = "/tmp/coreapp_shop_" + std::to_string(years()) + "y_" + std::to_string(kSeed) + ".db";
  if (!std::filesystem::exists(path)) {
    const std::string part = path + ".part";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(part + suffix);
    {
      db::EmbeddedConnection conn(part);
      schema::createDatabase(conn, false);
      schema::addShopHistory(conn, {years(), 30000, 2000, kSeed});
    }
    std::filesystem::rename(part, path);
  }
  return path;
}

// A copy of the shop database for a benchmark that writes, so every run starts alike.
std::string scratchCopy() {
  const std::string path = shopDatabase() + ".scratch";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  std::filesystem::copy_file(shopDatabase(), path);
  return path;
}

// A host session on the shop database, logged in as the first employee with every right.
struct ShopSession {
  explicit ShopSession(const std::string& path = shopDatabase()) : conn(path) {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 1, "Y00001", "员工1"};
    host.rights.all = true;
    scope = std::make_unique<host::HostScope>(host);
    if (host::plugsPool().plugbyName("1100") == nullptr) plugs::coreapp::xmzzk::registerXmzzkForm();
    db::BatchResult r = conn.execBatch("select billno from vt_x_xmzzk where zfflag = 0 order by id");
    for (const auto& row : r.resultSets.at(0).rows) billnos.push_back(row[0].asText());
  }
  std::unique_ptr<plugs::coreapp::xmzzk::TxmzzkForm> orderForm() {
    auto form = std::make_unique<plugs::coreapp::xmzzk::TxmzzkForm>(nullptr, host::plugsPool().plugbyName("1100"));
    form->initialize();
    return form;
  }

  db::EmbeddedConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  std::unique_ptr<host::HostScope> scope;
  std::vector<std::string> billnos;
};

void BM_OpenOrder(benchmark::State& state) {
  ShopSession s;
  auto form = s.orderForm();
  std::mt19937 random(kSeed);
  std::uniform_int_distribution<std::size_t> any(0, s.billnos.size() - 1);
  for (auto _ : state) form->OpenBillData(s.billnos[any(random)]);
  state.counters["orders"] = static_cast<double>(s.billnos.size());
  state.counters["lines"] = static_cast<double>(form->cdsDetail.recordCount());
}
BENCHMARK(BM_OpenOrder)->Unit(benchmark::kMillisecond);

void BM_OrderSelectorMonth(benchmark::State& state) {
  ShopSession s;
  plugs::coreapp::xmzzk::Txmzzkselectform form(nullptr, true);
  form.initialize();
  form.control("edtbt").text = "2026-11-01";
  form.control("edtet").text = "2026-11-30";
  for (auto _ : state) form.initData_();
  state.counters["rows"] = static_cast<double>(form.cdsMain.recordCount());
}
BENCHMARK(BM_OrderSelectorMonth)->Unit(benchmark::kMillisecond);

void BM_SaveOrder20(benchmark::State& state) {
  ShopSession s(scratchCopy());
  auto form = s.orderForm();
  std::vector<core::JsonRow> items(20, core::JsonRow({{"id", "7"}, {"code", "XM00007"}, {"name", "项目7"},
                                                      {"jjfs", "否"}, {"minje", "0"}, {"k", "1"},
                                                      {"price_sale", "30"}}));
  const std::string picked = core::buildJsonArray(items);
  for (auto _ : state) {
    state.PauseTiming();
    form->action("actAdd").execute();
    form->setkhinfo(R"([{"id":"1","code":"K00001","name":"客户1","ywy_id":"0"}])");
    form->SelectedxmbmkToDetail(picked);
    state.ResumeTiming();
    if (form->Insert_() != 0) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveOrder20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
