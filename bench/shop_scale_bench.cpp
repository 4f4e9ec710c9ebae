// The order windows on a shop-sized database (schema/shop_history.h): COREAPP_SHOP_YEARS
// years (default 3) of a busy shop, made once per year count and seed in /tmp and
// reused. Opening an order, the order selector over one month (rows listed as a
// counter), and saving a new 20-line order, each through the form as the desktop runs it;
// the orders' bill list (first page of every order, a filtered page, a page sorted by
// customer) beside the same count and page written by hand on the same file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/json.h"
#include "db/embedded_connection.h"
#include "host/forms/bill_list_form.h"
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

// The orders' bill list as the order page opens it, with the filters a case sets.
struct ListCase {
  const char* bt;
  const char* et;
  const char* wldw;
  const char* status;
  const char* sort;  // "" = newest first
};
constexpr ListCase kEveryOrder{"", "", "", "", ""};
constexpr ListCase kFiltered{"2025-01-01", "2025-12-31", "客户12", "已结算", ""};
constexpr ListCase kByCustomer{"", "", "", "", "wldw_name"};

void listPage(benchmark::State& state, const ListCase& c) {
  ShopSession s;
  auto list = host::makeForm<host::TBillListForm>(
      nullptr,
      host::BillListSpec{
          "1100", "项目订单", "vt_x_xmzzk", "kh_id", {"未处理", "处理中", "已完工", "已结算"}});
  list->control("edtbt").text = c.bt;
  list->control("edtet").text = c.et;
  list->control("edtwldw").text = c.wldw;
  list->control("cbstatus").text = c.status;
  if (*c.sort) list->sortBy(c.sort);
  for (auto _ : state) list->loadPage();
  state.counters["bills"] = static_cast<double>(list->total());
  state.counters["rows"] = static_cast<double>(list->cdsMain.recordCount());
}
void BM_BillListEveryOrder(benchmark::State& state) { listPage(state, kEveryOrder); }
void BM_BillListFiltered(benchmark::State& state) { listPage(state, kFiltered); }
void BM_BillListByCustomer(benchmark::State& state) { listPage(state, kByCustomer); }
BENCHMARK(BM_BillListEveryOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BillListFiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BillListByCustomer)->Unit(benchmark::kMillisecond);

// The same count and page written by hand for SQLite, run on the same file.
const char* const kWhere[] = {
    " where t.orgid = '0001'",
    " where t.orgid = '0001' and t.billdate >= '2025-01-01' and t.billdate < '2026-01-01'"
    " and (cp.code like '%客户12%' or cp.name like '%客户12%') and t.status = 3 and t.zfflag = 0"};

void handPage(benchmark::State& state, const char* where, const char* order) {
  ShopSession s;
  const std::string from = " from vt_x_xmzzk t left join vt_b_khbmk cp on cp.id = t.kh_id";
  const std::string count = "select count(*)" + from + where;
  const std::string page =
      "select t.id, t.billno, t.billdate, ck.name, cp.code, cp.name, t.zy, yg.name,"
      " case when t.zfflag = 1 then '已作废' when t.status = 0 then '未处理' when t.status = 1 "
      "then '处理中'"
      " when t.status = 2 then '已完工' when t.status = 3 then '已结算' else '' end" +
      from +
      " left join vt_b_ckbmk ck on ck.id = t.ck_id left join vt_b_ygbmk yg on yg.id = t.kdr_id" +
      where + " order by " + order + " limit 100 offset 0";
  sqlite3* db = s.conn.handle();
  sqlite3_stmt* statements[2] = {};
  for (int i = 0; i < 2; ++i)
    if (sqlite3_prepare_v2(db, (i == 0 ? count : page).c_str(), -1, &statements[i], nullptr) !=
        SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
  std::int64_t rows = 0;
  for (auto _ : state) {
    rows = 0;
    for (sqlite3_stmt* st : statements) {
      while (sqlite3_step(st) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        ++rows;
      }
      sqlite3_reset(st);
    }
  }
  for (sqlite3_stmt* st : statements) sqlite3_finalize(st);
  state.counters["rows"] = static_cast<double>(rows - 1);
}
void BM_HandListEveryOrder(benchmark::State& state) {
  handPage(state, kWhere[0], "t.billdate desc, t.id desc");
}
void BM_HandListFiltered(benchmark::State& state) {
  handPage(state, kWhere[1], "t.billdate desc, t.id desc");
}
void BM_HandListByCustomer(benchmark::State& state) { handPage(state, kWhere[0], "cp.name, t.id"); }
BENCHMARK(BM_HandListEveryOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandListFiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandListByCustomer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
