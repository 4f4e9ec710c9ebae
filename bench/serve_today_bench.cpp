// The phone view's today page on a shop-sized database (one year of a busy shop, as
// `coreapp db init --scale 1` makes it, made once in /tmp): the one JSON request the page
// makes — the day sheet of the last day on record with the 30 days' takings beside it —
// for every store and for one, read through the server's read-only connections. Then the
// same request through HTTP on loopback with a signed-in session, to show what the server
// adds. The page is meant to answer within 100 ms.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <filesystem>
#include <thread>

#include "apps/coreapp/serve/web_reports.h"
#include "apps/coreapp/serve/web_server.h"
#include "db/embedded_connection.h"
#include "host/services/operator_sign_in.h"
#include "schema/schema_script.h"
#include "schema/shop_history.h"

namespace {

const core::PasswordHasher kHasher = core::PasswordHasher::forTests(1000);

// The scale file with one owner who may sign in (a cheap hash: the sign-in is not timed).
std::string shopFile() {
  const std::string path = "/tmp/coreapp_shop_1y_serve.db";
  if (!std::filesystem::exists(path)) {
    const std::string part = path + ".part";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(part + suffix);
    {
      db::EmbeddedConnection conn(part);
      schema::createDatabase(conn, false);
      schema::addShopHistory(conn, {1});
      conn.execBatch(
          "insert into vt_sys_org(orgid, name) select '0001', '鑫彩图文' where not exists "
          "(select 1 from vt_sys_org)\n"
          "insert into vt_b_ygbmk(orgid, code, name, ck_id) values ('0001', 'W001', '店主', 0)\n"
          "insert into vt_sys_user_rights(orgid, czy_id, rightcode) select '0001', id, '*' "
          "from vt_b_ygbmk where code = 'W001'");
      const auto id = conn.execBatch("select id from vt_b_ygbmk where code = 'W001'");
      host::OperatorSignIn(conn, "0001", kHasher)
          .setPassword(id.resultSets[0].rows[0][0].asInteger(), "owner-pw");
    }
    std::filesystem::rename(part, path);
  }
  return path;
}

serve::WebUser owner() {
  serve::WebUser u;
  u.allRights = true;
  return u;
}

void BM_TodayRequest(benchmark::State& state) {
  serve::ReadOnlyDatabase db(shopFile());
  serve::WebReports reports(db, "0001", &core::DateTime::now);
  const serve::Query query = {{"day", "2026-11-30"}, {"store", std::to_string(state.range(0))}};
  std::size_t bytes = 0;
  for (auto _ : state) bytes = reports.api(owner(), "today", query).size();
  state.counters["json_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_TodayRequest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TodayOverHttp(benchmark::State& state) {
  serve::ServeOptions o;
  o.db = shopFile();
  o.port = 0;
  o.hasher = kHasher;
  serve::WebServer server(o);
  std::thread serving([&] { server.run(); });
  httplib::Client c("127.0.0.1", server.boundPort());
  const auto signedIn =
      c.Post("/login", httplib::Params{{"user", "W001"}, {"password", "owner-pw"}});
  const std::string cookie = signedIn ? signedIn->get_header_value("Set-Cookie") : "";
  const httplib::Headers headers = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
  for (auto _ : state) {
    const auto res = c.Get("/api/today?day=2026-11-30", headers);
    if (!res || res->status != 200) state.SkipWithError("the today request failed");
  }
  server.stop();
  serving.join();
}
BENCHMARK(BM_TodayOverHttp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
