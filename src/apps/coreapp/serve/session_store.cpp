// SessionStore: tokens come from OpenSSL's random generator, never from a counter or the
// clock, so one session's token tells nothing about another's.
#include "apps/coreapp/serve/session_store.h"

#include <openssl/rand.h>

#include <stdexcept>

namespace serve {

namespace {

constexpr std::int64_t kMinuteMs = 60 * 1000;

std::string randomToken() {
  unsigned char bytes[32];
  if (RAND_bytes(bytes, sizeof bytes) != 1)
    throw std::runtime_error("系统无法生成随机数，不能登录");
  static const char* const kHex = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

}  // namespace

std::string SessionStore::open(const WebUser& user) {
  const std::int64_t now = clock_().millis();
  std::string token = randomToken();
  std::lock_guard lock(mutex_);
  dropExpired(now);
  while (sessions_.size() >= kMaxSessions) {
    auto oldest = sessions_.begin();
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it)
      if (it->second.opened < oldest->second.opened) oldest = it;
    sessions_.erase(oldest);
  }
  sessions_[token] = Entry{user, now, now};
  return token;
}

std::optional<WebUser> SessionStore::find(const std::string& token) {
  const std::int64_t now = clock_().millis();
  std::lock_guard lock(mutex_);
  dropExpired(now);
  auto it = sessions_.find(token);
  if (it == sessions_.end()) return std::nullopt;
  it->second.lastSeen = now;
  return it->second.user;
}

void SessionStore::close(const std::string& token) {
  std::lock_guard lock(mutex_);
  sessions_.erase(token);
}

void SessionStore::dropExpired(std::int64_t now) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    const bool idle = now - it->second.lastSeen >= kIdleMinutes * kMinuteMs;
    const bool old = now - it->second.opened >= kMaxHours * 60 * kMinuteMs;
    it = idle || old ? sessions_.erase(it) : std::next(it);
  }
}

}  // namespace serve
