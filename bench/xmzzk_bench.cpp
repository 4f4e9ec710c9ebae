// Project order editor on the embedded database: recalculating a 500-line order after
// one quantity change per line (each change looks up the customer's tier price), and
// saving a 500-line order in one batch. The counter db_share is the part of the time
// spent inside the database connection.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_host.h"
#include "core/json.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace {

using bench::Clock;

constexpr const char* kData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_shfs(orgid, code, name) values ('0001', '01', '门店自提')
insert into vt_b_flow(orgid, code, name) values ('0001', '01', '前台接待')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_khbmk(orgid, code, name, xyjlx) values ('0001', 'C001', '星光广告', '协议价')
insert into vt_b_xmbmk(orgid, code, name, price_sale, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM001', '名片', 30, '0', '否', 1, 20, 1)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 1, 1, 4, 28)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 1, 5, 9, 25)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 1, 10, 999999, 20)
)sql";

constexpr int kLines = 500;

// One host session with an order editor holding a new 500-line order.
struct Session : bench::BenchHost {
  std::unique_ptr<plugs::coreapp::xmzzk::TxmzzkForm> form;

  Session() : BenchHost(kData) {
    if (host::plugsPool().plugbyName("1100") == nullptr) plugs::coreapp::xmzzk::registerXmzzkForm();
    form = std::make_unique<plugs::coreapp::xmzzk::TxmzzkForm>(
        nullptr, host::plugsPool().plugbyName("1100"));
    form->initialize();
    form->OpenBillData("");
  }

  void newOrder() {
    form->action("actAdd").execute();
    form->setkhinfo(R"([{"id":"1","code":"C001","name":"星光广告","ywy_id":"0"}])");
    std::vector<core::JsonRow> items(kLines, core::JsonRow({{"id", "1"},
                                                            {"code", "XM001"},
                                                            {"name", "名片"},
                                                            {"jjfs", "否"},
                                                            {"minje", "0"},
                                                            {"k", "1"},
                                                            {"price_sale", "30"}}));
    form->SelectedxmbmkToDetail(core::buildJsonArray(items));
  }
};

void reportDbShare(benchmark::State& state, Clock::duration db, Clock::duration total) {
  state.counters["db_share"] =
      total.count() == 0 ? 0.0 : static_cast<double>(db.count()) / total.count();
}

void BM_RecalcQuantities500(benchmark::State& state) {
  Session s;
  s.newOrder();
  int round = 0;
  Clock::duration db{}, total{};
  for (auto _ : state) {
    ++round;
    const auto dbBefore = s.conn.spent;
    const auto start = Clock::now();
    dataset::ClientDataSet& d = s.form->cdsDetail;
    for (d.first(); !d.eof(); d.next()) {
      d.edit();
      d.fieldByName("sl").setValue(static_cast<double>((round + d.recNo()) % 12 + 1));
      d.post();
    }
    total += Clock::now() - start;
    db += s.conn.spent - dbBefore;
  }
  reportDbShare(state, db, total);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_RecalcQuantities500)->Unit(benchmark::kMillisecond);

void BM_Save500(benchmark::State& state) {
  Session s;
  Clock::duration db{}, total{};
  for (auto _ : state) {
    state.PauseTiming();
    s.newOrder();
    state.ResumeTiming();
    const auto dbBefore = s.conn.spent;
    const auto start = Clock::now();
    if (s.form->Insert_() != 0) state.SkipWithError("save failed");
    total += Clock::now() - start;
    db += s.conn.spent - dbBefore;
  }
  reportDbShare(state, db, total);
}
BENCHMARK(BM_Save500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
