// Attempts are counted, not timed: a clerk waits at most the sum of the back-off's
// waits, and a server that is back answers the next attempt.
#include "host/services/reconnect.h"

#include <algorithm>
#include <thread>

#include "db/connection.h"
#include "host/host.h"

namespace host {

std::chrono::milliseconds Backoff::waitBefore(int attempt) const {
  if (attempt <= 1) return std::chrono::milliseconds(0);
  std::chrono::milliseconds wait = first;
  for (int k = 2; k < attempt && wait < longest; ++k) wait *= 2;
  return std::min(wait, longest);
}

std::string linkStateText(LinkState state, int attempt, int attempts) {
  switch (state) {
    case LinkState::Connected:
      return "数据库服务器：已连接";
    case LinkState::Reconnecting:
      return "数据库服务器：连接已断开，正在重新连接（第 " + std::to_string(attempt) + " 次，共 " +
             std::to_string(attempts) + " 次）";
    case LinkState::Lost:
      break;
  }
  return "数据库服务器：连接已断开";
}

bool reconnectWithBackoff(db::Connection& connection, const Backoff& backoff,
                          const LinkNotice& told, const WaitFor& wait) {
  auto tell = [&](LinkState s, int attempt) {
    if (told) told(s, attempt);
  };
  if (connection.connected()) return true;
  for (int attempt = 1; attempt <= backoff.attempts; ++attempt) {
    if (auto pause = backoff.waitBefore(attempt); pause.count() > 0 && wait) wait(pause);
    tell(LinkState::Reconnecting, attempt);
    if (connection.reconnect()) {
      tell(LinkState::Connected, attempt);
      return true;
    }
  }
  tell(LinkState::Lost, backoff.attempts);
  return false;
}

bool reconnectCurrentHost() {
  Host& host = currentHost();
  if (host.reconnect) return host.reconnect();
  return reconnectWithBackoff(host.db(), Backoff{}, {},
                              [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); });
}

}  // namespace host
