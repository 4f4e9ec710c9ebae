// The series runs on timers so the window keeps painting between attempts; only
// reconnectNow waits in a local event loop that lets no clicks through.
#include "apps/coreapp-desktop/connection_watch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "db/connection.h"

namespace desktop {

ConnectionWatch::ConnectionWatch(QMainWindow& window, db::Connection& db,
                                 std::function<void()> reconnected, host::Backoff backoff)
    : QObject(&window),
      db_(db),
      reconnected_(std::move(reconnected)),
      backoff_(backoff),
      label_(new QLabel(&window)) {
  label_->setObjectName("serverLink");
  window.statusBar()->addPermanentWidget(label_);
  connect(label_, &QLabel::linkActivated, this, [this] { startSeries(); });
  show(host::LinkState::Connected, 0);
  poll_.setInterval(1000);
  connect(&poll_, &QTimer::timeout, this, [this] { check(); });
  poll_.start();
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, [this] { attempt(); });
}

void ConnectionWatch::check() {
  if (!waiting_ && state_ == host::LinkState::Connected && !db_.connected()) startSeries();
}

void ConnectionWatch::startSeries() {
  if (waiting_ || state_ == host::LinkState::Reconnecting) return;
  attempt_ = 1;
  show(host::LinkState::Reconnecting, attempt_);
  retry_.start(static_cast<int>(backoff_.waitBefore(attempt_).count()));
}

void ConnectionWatch::attempt() {
  show(host::LinkState::Reconnecting, attempt_);
  if (db_.reconnect()) {
    show(host::LinkState::Connected, attempt_);
    afterReconnect();
  } else if (attempt_ < backoff_.attempts) {
    ++attempt_;
    retry_.start(static_cast<int>(backoff_.waitBefore(attempt_).count()));
  } else {
    show(host::LinkState::Lost, attempt_);
  }
}

bool ConnectionWatch::reconnectNow() {
  retry_.stop();
  waiting_ = true;
  const bool back = host::reconnectWithBackoff(
      db_, backoff_,
      [this](host::LinkState s, int n) {
        show(s, n);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      },
      [](std::chrono::milliseconds wait) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(wait.count()), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
      });
  waiting_ = false;
  show(back ? host::LinkState::Connected : host::LinkState::Lost, backoff_.attempts);
  if (back) afterReconnect();
  return back;
}

// The editors re-read after the event in progress (an action may be inside its unit of
// work, which a re-read would join).
void ConnectionWatch::afterReconnect() {
  if (reconnected_) QTimer::singleShot(0, this, [this] { reconnected_(); });
}

void ConnectionWatch::show(host::LinkState state, int attempt) {
  state_ = state;
  const QString text =
      QString::fromStdString(host::linkStateText(state, attempt, backoff_.attempts));
  label_->setText(state == host::LinkState::Lost ? text + " <a href=\"retry\">重新连接</a>" : text);
  label_->setStyleSheet(state == host::LinkState::Connected ? "" : "color: #b00020;");
}

}  // namespace desktop
