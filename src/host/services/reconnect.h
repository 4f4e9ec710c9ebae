// Reconnecting to the shop's server after the connection went away: a bounded series of
// attempts, each waiting longer than the one before, told as it goes (the desktop shows
// it in the status bar). A series that fails leaves the connection lost; the next one
// starts when someone asks again.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace db {
class Connection;
}

namespace host {

enum class LinkState { Connected, Reconnecting, Lost };

//! How many attempts a series makes and how long it waits before each.
struct Backoff {
  int attempts = 6;
  std::chrono::milliseconds first{250};     //!< before the second attempt (the first is at once)
  std::chrono::milliseconds longest{4000};  //!< the wait stops doubling here
  //! The wait before the 1-based attempt: none, then first, doubled each time up to longest.
  std::chrono::milliseconds waitBefore(int attempt) const;
};

//! The status bar's words for a state (`attempt` of `attempts` while reconnecting).
std::string linkStateText(LinkState state, int attempt = 0, int attempts = 0);

//! Told before each attempt (Reconnecting, its number) and once at the end.
using LinkNotice = std::function<void(LinkState state, int attempt)>;
using WaitFor = std::function<void(std::chrono::milliseconds)>;

//! Tries to reconnect `connection` up to `backoff.attempts` times, calling `wait`
//! between attempts. True when connected (at once when it never went away).
bool reconnectWithBackoff(db::Connection& connection, const Backoff& backoff,
                          const LinkNotice& told, const WaitFor& wait);

//! The current host's connection back: through the host's own reconnect (the desktop's,
//! which shows it) when set, else a series waiting in this thread.
bool reconnectCurrentHost();

}  // namespace host
