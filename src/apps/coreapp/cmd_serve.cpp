// `coreapp serve --db FILE|postgresql://... [--listen HOST:PORT] [--cert F --key F]
// [--org ORGID]`: the owner's read-only phone view of the reports. Prints the address it
// serves on, then serves until interrupted (Ctrl+C or SIGTERM stop it cleanly).
#include <pthread.h>

#include <csignal>
#include <iostream>
#include <thread>

#include "apps/coreapp/command.h"
#include "apps/coreapp/serve/web_server.h"

namespace {

struct ServeArgs {
  std::string db, listen = "127.0.0.1:8080", cert, key, org;
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "coreapp serve: " << message << '\n';
  throw CLI::RuntimeError(2);
}

// "HOST:PORT" (an IPv6 host in brackets); port 0 picks a free one.
std::pair<std::string, int> hostAndPort(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) usageError("--listen takes HOST:PORT: " + text);
  std::string host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 ||
      port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535)
    usageError("--listen port is not a number from 0 to 65535: " + port);
  return {host, std::stoi(port)};
}

void runServe(const ServeArgs& a) {
  if (a.cert.empty() != a.key.empty()) usageError("--cert and --key go together");
  serve::ServeOptions o;
  o.db = a.db;
  std::tie(o.host, o.port) = hostAndPort(a.listen);
  o.cert = a.cert;
  o.key = a.key;
  o.orgid = a.org;
  std::unique_ptr<serve::WebServer> server;
  try {
    server = std::make_unique<serve::WebServer>(o);
  } catch (const std::exception& e) {
    std::cerr << "coreapp serve: " << e.what() << '\n';
    throw CLI::RuntimeError(1);
  }
  // Ctrl+C and SIGTERM wait in a thread of their own (blocked everywhere else, the
  // server's threads inherit the mask), which stops the server outside a signal handler.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::thread watcher([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server->stop();
  });
  std::cout << "serving " << (server->tls() ? "https" : "http") << "://"
            << (o.host.find(':') != std::string::npos ? "[" + o.host + "]" : o.host) << ':'
            << server->boundPort() << "/ (read only)" << std::endl;
  server->run();
  pthread_kill(watcher.native_handle(), SIGTERM);  // ends the watcher when run() ended itself
  watcher.join();
}

const bool registered = app::registerCommand("serve", [](CLI::App& cli) {
  auto a = std::make_shared<ServeArgs>();
  CLI::App* cmd = cli.add_subcommand("serve", "Serve the owner's read-only phone view");
  cmd->add_option("--db", a->db, "Database file or server (postgresql://...)")->required();
  cmd->add_option("--listen", a->listen, "HOST:PORT to listen on (default 127.0.0.1:8080)");
  cmd->add_option("--cert", a->cert, "TLS certificate (PEM): serve HTTPS");
  cmd->add_option("--key", a->key, "TLS private key (PEM)");
  cmd->add_option("--org", a->org, "Branch id (default: the database's first)");
  cmd->callback([a] { runServe(*a); });
});

}  // namespace
