// `coreapp serve` driven over loopback HTTP as a phone would: sign-in and the session
// cookie, the day sheet equal to `coreapp report`'s, refusals by rights and by store, the
// lock after five wrong passwords, hostile and malformed requests answered 400/404 with
// the file unchanged, and 200 requests at once all answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "pg_test_cluster.h"
#include "serve/serve_db.h"
#include "serve/serve_process.h"

namespace {

using servetest::ServeProcess;
using servetest::signIn;

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string reportLines(const std::string& db, const std::string& args) {
  const std::string command = std::string(COREAPP_BINARY_DIR) + "/coreapp report " + args +
                              " --db '" + db + "' 2>/dev/null";
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  for (int c = std::fgetc(p); c != EOF; c = std::fgetc(p)) out.push_back(static_cast<char>(c));
  pclose(p);
  return out;
}

class ServeHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db = new std::string(servetest::demoCopy("serve_http"));
    before = new std::string(fileBytes(*db));
    server = new ServeProcess(*db);
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(server->stop(), 0) << "a clean stop on SIGTERM";
    EXPECT_TRUE(fileBytes(*db) == *before) << "the served file changed";
    delete server;
    delete before;
    delete db;
  }
  void SetUp() override { ASSERT_GT(server->port(), 0) << server->banner(); }

  static std::string* db;
  static std::string* before;
  static ServeProcess* server;
};
std::string* ServeHttp::db = nullptr;
std::string* ServeHttp::before = nullptr;
ServeProcess* ServeHttp::server = nullptr;

TEST_F(ServeHttp, TheOwnerSignsInAndReadsTheDaySheetAsTheReportPrintsIt) {
  auto c = server->client();
  EXPECT_EQ(c.Get("/api/day")->status, 401);
  const auto signInPage = c.Get("/today");
  EXPECT_EQ(signInPage->status, 303);
  EXPECT_EQ(signInPage->get_header_value("Location"), "/login");

  const auto res = c.Post("/login", httplib::Params{{"user", "001"}, {"password", "123456"}});
  ASSERT_EQ(res->status, 303);
  const std::string setCookie = res->get_header_value("Set-Cookie");
  for (const char* attribute : {"HttpOnly", "SameSite=Strict", "Path=/", "Max-Age="})
    EXPECT_NE(setCookie.find(attribute), std::string::npos) << attribute;
  EXPECT_EQ(setCookie.find("Secure"), std::string::npos) << "plain HTTP";
  const httplib::Headers cookie = {{"Cookie", setCookie.substr(0, setCookie.find(';'))}};

  const std::string sheet = reportLines(*db, "day --from 2026-11-20 --to 2026-11-20");
  ASSERT_FALSE(sheet.empty());
  const auto today = c.Get("/api/today?day=2026-11-20", cookie);
  ASSERT_EQ(today->status, 200);
  EXPECT_NE(today->body.find("\"sheet\":[" + sheet.substr(0, sheet.size() - 1) + "]"),
            std::string::npos)
      << today->body;
  const std::string month = reportLines(*db, "day --from 2026-11-01 --to 2026-11-30 --store 0");
  const auto api = c.Get("/api/day?from=2026-11-01&to=2026-11-30", cookie);
  EXPECT_NE(api->body.find("\"sets\":[" + month.substr(0, month.size() - 1) + "]"),
            std::string::npos);
  EXPECT_EQ(api->get_header_value("Content-Type"), "application/json; charset=utf-8");

  // Every page he may open, its script and style; then sign-out ends the session.
  for (const char* path : {"/today", "/wip", "/receivables", "/staff", "/profit", "/stock",
                           "/assets/app.js", "/assets/app.css"}) {
    const auto page = c.Get(path, cookie);
    EXPECT_EQ(page->status, 200) << path;
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'none'"),
              std::string::npos)
        << path;
  }
  EXPECT_EQ(c.Get("/api/balance?kh_id=2&to=2026-12-31", cookie)->status, 200);
  EXPECT_EQ(c.Post("/logout", cookie, "", "text/plain")->status, 303);
  EXPECT_EQ(c.Get("/api/day", cookie)->status, 401);
}

TEST_F(ServeHttp, AWrongPasswordIsRefusedAndTheFifthLocksHimOut) {
  auto c = server->client();
  int status = 0;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(signIn(c, "003", "654321", &status), "");
    EXPECT_EQ(status, 401) << i;
  }
  const auto locked = c.Post("/login", httplib::Params{{"user", "003"}, {"password", "123456"}});
  EXPECT_EQ(locked->status, 401);
  EXPECT_NE(locked->body.find("已被锁定"), std::string::npos);
  EXPECT_EQ(locked->body.find("123456"), std::string::npos) << "the password is never echoed";
}

TEST_F(ServeHttp, WithoutTheRightOrTheStoreThePageAndItsApiAre403) {
  auto c = server->client();
  const httplib::Headers cookie = {{"Cookie", signIn(c, "002", "123456")}};
  ASSERT_NE(cookie.begin()->second, "");
  EXPECT_EQ(c.Get("/today", cookie)->status, 200);
  for (const char* path : {"/profit", "/api/profit", "/stock", "/api/onhand", "/receivables",
                           "/api/receivables", "/api/balance?kh_id=2", "/api/day?store=2"})
    EXPECT_EQ(c.Get(path, cookie)->status, 403) << path;
  // His own store is what "every store" means for him; the tabs list only his pages.
  const std::string own = reportLines(*db, "day --from 2026-11-01 --to 2026-11-30 --store 1");
  const auto mine = c.Get("/api/day?from=2026-11-01&to=2026-11-30", cookie);
  ASSERT_EQ(mine->status, 200);
  EXPECT_NE(mine->body.find(own.substr(0, own.size() - 1)), std::string::npos);
  EXPECT_EQ(c.Get("/api/day?store=1", cookie)->status, 200);
  const std::string page = c.Get("/wip", cookie)->body;
  EXPECT_NE(page.find("href=\"/today\""), std::string::npos);
  EXPECT_EQ(page.find("href=\"/profit\""), std::string::npos);
  EXPECT_EQ(page.find("全部门店"), std::string::npos);
}

TEST_F(ServeHttp, HostileOrMalformedRequestsAre400Or404) {
  auto c = server->client();
  const httplib::Headers cookie = {{"Cookie", signIn(c, "001", "123456")}};
  const std::string longValue(200, '1');
  const struct {
    std::string path;
    int status;
  } cases[] = {
      {"/api/day?from=2026-11-01%27%3Bdrop%20table%20vt_b_khbmk--", 400},
      {"/api/day?store=1%20or%201%3D1", 400},
      {"/api/day?store=-1", 400},
      {"/api/day?store=" + longValue, 400},
      {"/api/day?from=2026-02-30", 400},
      {"/api/day?from=20261101", 400},
      {"/api/day?to=2026-11-01%2000:00", 400},
      {"/api/day?from=2026-11-01&from=2026-11-02", 400},
      {"/api/day?sql=select%201", 400},
      {"/api/onhand?sp_id=1;delete", 400},
      {"/api/balance?kh_id=0", 400},
      {"/api/nosuch", 404},
      {"/api/1130", 404},
      {"/api/day%27%20or%201=1", 404},
      {"/assets/../../etc/passwd", 404},
      {"/assets/%2e%2e/%2e%2e/etc/passwd", 404},
      {"/assets/app.js.map", 404},
      {"/../" + std::string(COREAPP_SOURCE_DIR) + "/README.md", 404},
  };
  for (const auto& k : cases) {
    const auto res = c.Get(k.path, cookie);
    ASSERT_TRUE(res) << k.path;
    EXPECT_EQ(res->status, k.status) << k.path;
    EXPECT_FALSE(res->get_header_value("Content-Security-Policy").empty()) << k.path;
  }
  // An overlong sign-in and a body past the limit are refused without a session.
  int status = 0;
  EXPECT_EQ(signIn(c, std::string(60, 'a'), "123456", &status), "");
  EXPECT_EQ(status, 401);
  EXPECT_EQ(c.Post("/login", std::string(20000, 'x'), "application/x-www-form-urlencoded")->status,
            413);
}

// Every request on its own connection, all started together: more than the server has
// threads, so most wait in its queue and must still be answered.
TEST_F(ServeHttp, TwoHundredRequestsAtOnceAreAllAnswered) {
  auto c = server->client();
  const httplib::Headers cookie = {{"Cookie", signIn(c, "001", "123456")}};
  constexpr int kRequests = 200;
  std::vector<int> status(kRequests, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < kRequests; ++i)
    threads.emplace_back([&, i] {
      auto mine = server->client();
      const auto res =
          mine.Get(i % 2 ? "/api/today?day=2026-11-20" : "/api/wip?to=2026-12-31", cookie);
      status[i] = res ? res->status : -1;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(std::count(status.begin(), status.end(), 200), kRequests);
}

// Under TLS the cookie is Secure and browsers are told to keep to HTTPS.
TEST(ServeHttps, TheSessionCookieIsSecure) {
  const std::string dir = ::testing::TempDir() + "serve_tls_" + std::to_string(::getpid());
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
      "-keyout " +
      dir + ".key -out " + dir + ".crt >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0) << "the openssl program makes the test certificate";
  ServeProcess server(servetest::demoCopy("serve_tls"),
                      {"--cert", dir + ".crt", "--key", dir + ".key"});
  ASSERT_EQ(server.banner().rfind("serving https://", 0), 0u) << server.banner();
  httplib::SSLClient c("127.0.0.1", server.port());
  c.enable_server_certificate_verification(false);
  const auto res = c.Post("/login", httplib::Params{{"user", "001"}, {"password", "123456"}});
  ASSERT_TRUE(res);
  const std::string cookie = res->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("; Secure"), std::string::npos) << cookie;
  EXPECT_FALSE(res->get_header_value("Strict-Transport-Security").empty());
  EXPECT_EQ(c.Get("/api/wip", {{"Cookie", cookie.substr(0, cookie.find(';'))}})->status, 200);
  EXPECT_EQ(server.stop(), 0);
}

// On a shop's server database the same pages read the same figures.
TEST(ServeOnServer, TheDaySheetAndTheAgingReadAsOnAFile) {
  const std::string uri = pgtest::freshDatabase("serve_http");
  ASSERT_FALSE(uri.empty());
  const std::string init =
      std::string(COREAPP_BINARY_DIR) + "/coreapp db init --demo --db '" + uri + "' 2>/dev/null";
  ASSERT_EQ(std::system(init.c_str()), 0);
  ServeProcess server(uri);
  ASSERT_GT(server.port(), 0) << server.banner();
  auto c = server.client();
  const httplib::Headers cookie = {{"Cookie", signIn(c, "001", "123456")}};
  const std::string sheet = reportLines(uri, "day --from 2026-11-20 --to 2026-11-20");
  ASSERT_FALSE(sheet.empty());
  const auto today = c.Get("/api/today?day=2026-11-20", cookie);
  ASSERT_EQ(today->status, 200) << today->body;
  EXPECT_NE(today->body.find("\"sheet\":[" + sheet.substr(0, sheet.size() - 1) + "]"),
            std::string::npos)
      << today->body;
  const auto aging = c.Get("/api/receivables?to=2026-12-31", cookie);
  ASSERT_EQ(aging->status, 200) << aging->body;
  EXPECT_NE(aging->body.find("\"华宇地产\",0,0,930.8,1000,1930.8]"), std::string::npos)
      << aging->body;
  EXPECT_EQ(server.stop(), 0);
}

// Options that cannot serve end at once with the documented exit code, creating nothing.
TEST(ServeCommand, OptionsThatCannotServeExitAtOnce) {
  const std::string db = servetest::demoCopy("serve_options");
  ServeProcess running(db);
  ASSERT_GT(running.port(), 0);
  const std::string missing = db + ".missing";
  const struct {
    std::string args;
    int exitCode;
  } cases[] = {
      {"--db " + missing, 1},
      {"--db " + db + " --cert " + db + ".crt --key " + db + ".key", 1},
      {"--db " + db + " --listen 127.0.0.1:" + std::to_string(running.port()), 1},
      {"--db " + db + " --listen 8080", 2},
      {"--db " + db + " --listen 127.0.0.1:65536", 2},
      {"--db " + db + " --listen 127.0.0.1:http", 2},
      {"--db " + db + " --cert " + db, 2},
  };
  for (const auto& k : cases) {
    const std::string command = "timeout 30 " + std::string(COREAPP_BINARY_DIR) +
                                "/coreapp serve " + k.args +
                                " >/dev/null 2>&1";  // 124: it went on serving
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, k.exitCode) << k.args;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
