// WebServer: the routes. A page without a session goes to the sign-in; an API call without
// one is 401. Only the embedded assets and the named routes answer: nothing is read from
// disk by request path, so a "../" in a URL finds nothing.
#include "apps/coreapp/serve/web_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include "apps/coreapp/serve/web_assets.h"
#include "apps/coreapp/serve/web_pages.h"
#include "core/strings.h"
#include "db/result_json.h"
#include "host/services/operator_sign_in.h"

namespace serve {

namespace {

constexpr std::string_view kCookie = "sid";
constexpr std::string_view kHtml = "text/html; charset=utf-8";
constexpr std::string_view kJson = "application/json; charset=utf-8";
constexpr std::size_t kMaxBody = 8 * 1024;
constexpr std::size_t kMaxUserLength = 50, kMaxPasswordLength = 200;

httplib::Headers securityHeaders(bool tls) {
  httplib::Headers h = {
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
       "connect-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"X-Frame-Options", "DENY"},
      {"Cache-Control", "no-store"}};
  if (tls) h.emplace("Strict-Transport-Security", "max-age=31536000");
  return h;
}

void jsonError(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content("{\"error\":" + db::ResultJson::quote(message) + "}", std::string(kJson));
}

std::string cookieToken(const httplib::Request& req) {
  for (const std::string& part : core::split(req.get_header_value("Cookie"), ";")) {
    const std::string item = core::trim(part);
    if (item.starts_with(std::string(kCookie) + "=")) return item.substr(kCookie.size() + 1);
  }
  return {};
}

// The branch the server shows: the one asked for, else the database's first.
std::pair<std::string, std::string> branchOf(ReadOnlyDatabase& db, const std::string& orgid) {
  const db::ResultSet rs = db.query(
      "select orgid, name from vt_sys_org where (:orgid = '' or orgid = :orgid) order by id",
      {{"orgid", core::Value(orgid)}});
  if (rs.rows.empty())
    throw std::runtime_error(orgid.empty() ? "数据库中没有分店资料（vt_sys_org）"
                                           : "数据库中没有分店 " + orgid);
  return {rs.rows.front()[0].asText(), rs.rows.front()[1].asText()};
}

// cpp-httplib listens with a backlog of 5: a burst of phones (or of one page's requests
// from many) would see refused or retried connections, so the bound socket is given
// the system's usual backlog. Threads: more than the library's 8, since a kept-alive
// connection holds a thread until it goes idle.
template <class Base>
class WideListener : public Base {
 public:
  using Base::Base;
  void widenBacklog() { ::listen(this->svr_sock_.load(), SOMAXCONN); }
};

constexpr std::size_t kThreads = 16;

}  // namespace

WebServer::WebServer(ServeOptions options)
    : options_(std::move(options)), sessions_(options_.clock) {
  db_ = std::make_unique<ReadOnlyDatabase>(options_.db);
  auto [orgid, shop] = branchOf(*db_, options_.orgid);
  options_.orgid = orgid;
  shop_ = shop;
  gate_ = std::make_unique<SignInGate>(*db_, orgid, options_.hasher, options_.clock);
  reports_ = std::make_unique<WebReports>(*db_, orgid, options_.clock);
  std::function<void()> widen;
  if (tls()) {
    auto ssl = std::make_unique<WideListener<httplib::SSLServer>>(options_.cert.c_str(),
                                                                  options_.key.c_str());
    if (!ssl->is_valid()) throw std::runtime_error("无法读取证书或私钥：" + options_.cert);
    widen = [s = ssl.get()] { s->widenBacklog(); };
    http_ = std::move(ssl);
  } else {
    auto plain = std::make_unique<WideListener<httplib::Server>>();
    widen = [s = plain.get()] { s->widenBacklog(); };
    http_ = std::move(plain);
  }
  http_->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  // The library's default also sets SO_REUSEPORT, which lets a second server bind a port
  // already served and share its connections; only a quick restart's reuse is wanted.
  http_->set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  routes();
  port_ = options_.port == 0
              ? http_->bind_to_any_port(options_.host)
              : (http_->bind_to_port(options_.host, options_.port) ? options_.port : -1);
  if (port_ <= 0)
    throw std::runtime_error("无法监听 " + options_.host + ":" + std::to_string(options_.port));
  widen();
}

WebServer::~WebServer() = default;

void WebServer::run() { http_->listen_after_bind(); }

void WebServer::stop() { http_->stop(); }

std::optional<WebUser> WebServer::sessionUser(const httplib::Request& req) {
  const std::string token = cookieToken(req);
  return token.empty() ? std::nullopt : sessions_.find(token);
}

void WebServer::routes() {
  httplib::Server& s = *http_;
  s.set_default_headers(securityHeaders(tls()));
  s.set_payload_max_length(kMaxBody);
  s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    res.set_content(messagePage(res.status == 404 ? "找不到页面" : "请求有误",
                                "状态 " + std::to_string(res.status)),
                    std::string(kHtml));
  });
  s.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
        std::string message = "服务器出错";
        try {
          std::rethrow_exception(ep);
        } catch (const std::exception& e) {
          message = e.what();
        } catch (...) {  // NOLINT: anything else still answers 500, never kills the server
        }
        jsonError(res, 500, message);
      });
  s.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
    const auto user = sessionUser(req);
    if (!user) return res.set_redirect("/login", 303);
    for (const WebPage& p : WebReports::pages())
      if (user->has(p.right)) return res.set_redirect(p.path, 303);
    res.status = 403;
    res.set_content(messagePage("没有权限", "您没有可查看的报表"), std::string(kHtml));
  });
  s.Get("/login", [this](const httplib::Request& req, httplib::Response& res) {
    if (sessionUser(req)) return res.set_redirect("/", 303);
    res.set_content(signInPage(shop_, ""), std::string(kHtml));
  });
  s.Post("/login",
         [this](const httplib::Request& req, httplib::Response& res) { signIn(req, res); });
  s.Post("/logout",
         [this](const httplib::Request& req, httplib::Response& res) { signOut(req, res); });
  s.Get(R"(/assets/([a-z]+\.(js|css)))", [](const httplib::Request& req, httplib::Response& res) {
    const WebAsset* a = findAsset(req.matches[1].str());
    if (a == nullptr) return void(res.status = 404);
    res.set_content(std::string(a->body), std::string(assetType(a->name)));
  });
  for (const WebPage& p : WebReports::pages())
    s.Get(p.path,
          [this, p](const httplib::Request& req, httplib::Response& res) { page(req, res, p); });
  s.Get(R"(/api/([a-z_]{1,20}))",
        [this](const httplib::Request& req, httplib::Response& res) { api(req, res); });
}

void WebServer::page(const httplib::Request& req, httplib::Response& res, const WebPage& page) {
  const auto user = sessionUser(req);
  if (!user) return res.set_redirect("/login", 303);
  if (!user->has(page.right)) {
    res.status = 403;
    return res.set_content(messagePage("没有权限", "您没有查看“" + page.caption + "”的权限"),
                           std::string(kHtml));
  }
  res.set_content(reportPage(shop_, *user, page, reports_->stores(*user)), std::string(kHtml));
}

void WebServer::api(const httplib::Request& req, httplib::Response& res) {
  const auto user = sessionUser(req);
  if (!user) return jsonError(res, 401, "请先登录");
  try {
    res.set_content(reports_->api(*user, req.matches[1].str(), req.params), std::string(kJson));
  } catch (const WebError& e) {
    jsonError(res, e.status, e.what());
  }
}

void WebServer::signIn(const httplib::Request& req, httplib::Response& res) {
  const std::string who = req.get_param_value("user");
  const std::string password = req.get_param_value("password");
  try {
    if (who.empty() || who.size() > kMaxUserLength || password.size() > kMaxPasswordLength)
      throw host::SignInRefused(std::string(host::kSignInRefusedText));
    const std::string token = sessions_.open(gate_->check(who, password));
    std::string cookie = std::string(kCookie) + "=" + token +
                         "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" +
                         std::to_string(SessionStore::kMaxHours * 3600);
    if (tls()) cookie += "; Secure";
    res.set_header("Set-Cookie", cookie);
    res.set_redirect("/", 303);
  } catch (const host::SignInRefused& e) {
    res.status = 401;
    res.set_content(signInPage(shop_, e.what()), std::string(kHtml));
  }
}

void WebServer::signOut(const httplib::Request& req, httplib::Response& res) {
  if (const std::string token = cookieToken(req); !token.empty()) sessions_.close(token);
  res.set_header("Set-Cookie", std::string(kCookie) +
                                   "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0" +
                                   (tls() ? "; Secure" : ""));
  res.set_redirect("/login", 303);
}

}  // namespace serve
