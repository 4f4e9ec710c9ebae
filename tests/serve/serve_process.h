// `coreapp serve` as the tests run it: the built program on a file, listening on a free
// loopback port it prints, stopped with SIGTERM at the end (and its exit code kept).
#pragma once

#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace servetest {

class ServeProcess {
 public:
  explicit ServeProcess(const std::string& db, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"serve", "--db", db, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), extra.begin(), extra.end());
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      const std::string binary = std::string(COREAPP_BINARY_DIR) + "/coreapp";
      std::vector<char*> argv = {const_cast<char*>(binary.c_str())};
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(binary.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    FILE* in = fdopen(out[0], "r");
    char line[200] = {};
    if (in != nullptr && std::fgets(line, sizeof line, in) != nullptr) {
      banner_ = line;
      const auto colon = banner_.rfind(':');
      port_ = colon == std::string::npos ? 0 : std::atoi(banner_.c_str() + colon + 1);
    }
    if (in != nullptr) std::fclose(in);
  }
  ~ServeProcess() { (void)stop(); }

  int port() const { return port_; }
  const std::string& banner() const { return banner_; }
  //! SIGTERM, then the exit code (-1 when a signal ended it).
  int stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  httplib::Client client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_connection_timeout(5);
    c.set_read_timeout(30);
    return c;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string banner_;
};

//! The session cookie ("sid=...") of a sign-in, "" when refused.
inline std::string signIn(httplib::Client& c, const std::string& user, const std::string& pw,
                          int* status = nullptr) {
  const auto res = c.Post("/login", httplib::Params{{"user", user}, {"password", pw}});
  if (status != nullptr) *status = res ? res->status : -1;
  if (!res || res->status != 303) return {};
  const std::string cookie = res->get_header_value("Set-Cookie");
  return cookie.substr(0, cookie.find(';'));
}

}  // namespace servetest
