// WebServer: the owner's read-only phone view over HTTP (cpp-httplib), or HTTPS when given
// a certificate. Sign-in with the shop's operators; a session cookie (HttpOnly,
// SameSite=Strict, Secure under TLS); pages and /api/NAME for what his rights allow.
// Every response carries a strict Content-Security-Policy and is never cached.
#pragma once

#include <memory>
#include <string>

#include "apps/coreapp/serve/read_only_database.h"
#include "apps/coreapp/serve/session_store.h"
#include "apps/coreapp/serve/sign_in_gate.h"
#include "apps/coreapp/serve/web_reports.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace serve {

struct ServeOptions {
  std::string db;  //!< a file or a postgresql:// address
  std::string host = "127.0.0.1";
  int port = 8080;        //!< 0 = any free port (see boundPort)
  std::string cert, key;  //!< both for HTTPS
  std::string orgid;      //!< "" = the database's first branch
  core::PasswordHasher hasher = core::PasswordHasher::production();
  core::DateTime::Clock clock = &core::DateTime::now;
};

class WebServer {
 public:
  //! Opens the database read only and binds the address. Throws std::runtime_error with
  //! the reason (database, certificate, address in use).
  explicit WebServer(ServeOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  //! The port bound (the chosen one when asked for 0).
  int boundPort() const { return port_; }
  bool tls() const { return !options_.cert.empty(); }
  //! Serves until stop() (from another thread or a signal's watcher).
  void run();
  void stop();

 private:
  void routes();
  void page(const httplib::Request& req, httplib::Response& res, const WebPage& page);
  void api(const httplib::Request& req, httplib::Response& res);
  void signIn(const httplib::Request& req, httplib::Response& res);
  void signOut(const httplib::Request& req, httplib::Response& res);
  std::optional<WebUser> sessionUser(const httplib::Request& req);

  ServeOptions options_;
  std::string shop_;
  std::unique_ptr<ReadOnlyDatabase> db_;
  std::unique_ptr<SignInGate> gate_;
  std::unique_ptr<WebReports> reports_;
  SessionStore sessions_;
  std::unique_ptr<httplib::Server> http_;
  int port_ = 0;
};

}  // namespace serve
