// ConnectionWatch: the shop's server connection in the status bar (connected /
// reconnecting, attempt n of m / lost). Once the connection is found gone it reconnects
// by itself in a bounded series with growing waits; after a series that failed, the
// label offers to try again. After every reconnect the open editors re-read their bill
// (the caller's `reconnected`), once the action in progress has ended.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "host/services/reconnect.h"

class QLabel;
class QMainWindow;

namespace db {
class Connection;
}

namespace desktop {

class ConnectionWatch : public QObject {
 public:
  ConnectionWatch(QMainWindow& window, db::Connection& db, std::function<void()> reconnected,
                  host::Backoff backoff = {});

  //! Looks at the connection (the poll does so every second): gone, a series starts.
  void check();
  //! A series run to its end while the caller waits (an action settling a save cut
  //! off at its commit); the label follows it. True when connected.
  bool reconnectNow();
  host::LinkState state() const { return state_; }
  QLabel* label() const { return label_; }

 private:
  void startSeries();
  void attempt();
  void show(host::LinkState state, int attempt);
  void afterReconnect();

  db::Connection& db_;
  std::function<void()> reconnected_;
  host::Backoff backoff_;
  QLabel* label_;
  QTimer poll_;
  QTimer retry_;
  host::LinkState state_ = host::LinkState::Connected;
  int attempt_ = 0;
  bool waiting_ = false;  //!< reconnectNow is running: the poll and series keep off
};

}  // namespace desktop
