#include "tsql/exec/process_sessions.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

namespace tsql::exec {

namespace {

std::mutex& sessionsMutex() {
  static std::mutex m;
  return m;
}

std::set<std::uint64_t>& openSessions() {
  static std::set<std::uint64_t> open;
  return open;
}

std::uint64_t nextSerial = 1;

}  // namespace

std::uint64_t openSession() {
  std::lock_guard lock(sessionsMutex());
  std::uint64_t serial = nextSerial++;
  openSessions().insert(serial);
  return serial;
}

void closeSession(std::uint64_t serial) {
  std::lock_guard lock(sessionsMutex());
  openSessions().erase(serial);
}

std::string processSessionName(std::uint64_t serial) {
  return std::to_string(getpid()) + ":" + std::to_string(serial);
}

bool processSessionOpen(const std::string& name) {
  std::size_t colon = name.find(':');
  if (colon == std::string::npos) return false;
  long long pid = 0;
  unsigned long long serial = 0;
  try {
    pid = std::stoll(name.substr(0, colon));
    serial = std::stoull(name.substr(colon + 1));
  } catch (const std::exception&) {
    return false;
  }
  if (pid == static_cast<long long>(getpid())) {
    std::lock_guard lock(sessionsMutex());
    return openSessions().contains(serial);
  }
  // Another process: open while it runs (EPERM: it runs under another user).
  return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace tsql::exec
