// Order-processing window on the embedded database with a 500-line order (two staff
// and one consumable per line): opening it (header, lines, staff, consumables and the
// filter to the first line), and giving every other line the first line's staff, then
// saving (1000 staff rows deleted and 1000 added in one batch, server recompute).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

constexpr int kLines = 500;

std::string orderData() {
  std::string sql = R"sql(
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '002', '李强')
insert into vt_b_khbmk(orgid, code, name, xyjlx) values ('0001', 'C001', '星光广告', '协议价')
insert into vt_b_xmbmk(orgid, code, name, price_sale, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM001', '名片', 30, '0', '否', 1, 20, 1)
insert into vt_b_spbmk(orgid, code, name) values ('0001', 'SP001', '铜版纸')
insert into vt_x_xmzzk(uid, orgid, billno, kh_id, status, version) values ('H', '0001', 'A110100001', 1, 1, 0)
)sql";
  for (int i = 1; i <= kLines; ++i) {
    const std::string n = std::to_string(i);
    sql +=
        "insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, dj, zk, je) values "
        "('L" +
        n + "', '0001', 'A110100001', 1, 5, 1, 1, 1, 1, 25, 1, 125)\n";
    sql += "insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Za" +
           n + "', '0001', 'A110100001', 'L" + n + "', 1, " + (i == 1 ? "70" : "50") + ")\n";
    sql += "insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Zb" +
           n + "', '0001', 'A110100001', 'L" + n + "', 2, " + (i == 1 ? "30" : "50") + ")\n";
    sql += "insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl) values ('C" +
           n + "', '0001', 'A110100001', 'L" + n + "', 1, 1, 5)\n";
  }
  return sql;
}

struct Session : bench::BenchHost {
  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkworkform> form;

  Session() : BenchHost(orderData()) {
    host::registerHostPlugs();
    if (host::plugsPool().plugbyName("1101") == nullptr)
      plugs::coreapp::xmzzk::registerXmzzkWorkForm();
    form = std::make_unique<plugs::coreapp::xmzzk::Txmzzkworkform>(
        nullptr, host::plugsPool().plugbyName("1101"));
    form->initialize();
  }
};

void BM_WorkOpen500(benchmark::State& state) {
  Session s;
  for (auto _ : state) {
    s.form->OpenBillData("A110100001");
    if (s.form->cdsDetail.recordCount() != kLines) state.SkipWithError("order not opened");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_WorkOpen500)->Unit(benchmark::kMillisecond);

void BM_WorkSameStaffAndSave500(benchmark::State& state) {
  Session s;
  for (auto _ : state) {
    state.PauseTiming();
    s.form->OpenBillData("A110100001");
    state.ResumeTiming();
    s.form->action("actzzry_same").execute();
    if (s.form->updateData_() != 0) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_WorkSameStaffAndSave500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
