// The server connection in the status bar: found gone, it reconnects by itself in a
// bounded series (the label telling the attempt), and the editors' re-read runs once
// after it is back and after the event in progress; a failed series leaves a link that
// starts another.
#include "apps/coreapp-desktop/connection_watch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>

#include "flaky_connection.h"

namespace {

using namespace std::chrono_literals;

// Lets the watch's timers run until its series is over (a bounded number of turns).
void settle(desktop::ConnectionWatch& watch) {
  for (int turn = 0; turn < 200; ++turn) {
    QCoreApplication::processEvents();
    if (watch.state() != host::LinkState::Reconnecting) break;
  }
  QCoreApplication::processEvents();  // the re-read runs after the last attempt's event
}

TEST(ConnectionWatch, ReconnectsByItselfAndTellsEachStateInTheStatusBar) {
  QMainWindow window;
  FlakyConnection server;
  int rereads = 0;
  desktop::ConnectionWatch watch(window, server, [&] { ++rereads; }, {3, 0ms, 0ms});
  const QString connected = QString::fromStdString(host::linkStateText(host::LinkState::Connected));
  EXPECT_EQ(watch.label()->text(), connected);

  server.up = false;  // back at the second attempt
  server.backAt = 2;
  watch.check();
  EXPECT_EQ(watch.state(), host::LinkState::Reconnecting);
  EXPECT_TRUE(watch.label()->text().contains("第 1 次，共 3 次"));
  settle(watch);
  EXPECT_EQ(watch.state(), host::LinkState::Connected);
  EXPECT_EQ(watch.label()->text(), connected);
  EXPECT_EQ(server.tries, 2);
  EXPECT_EQ(rereads, 1);

  server.up = false;  // not back within the series
  server.tries = 0;
  server.backAt = 5;
  watch.check();
  settle(watch);
  EXPECT_EQ(watch.state(), host::LinkState::Lost);
  EXPECT_EQ(server.tries, 3);
  EXPECT_TRUE(watch.label()->text().contains("重新连接"));
  EXPECT_EQ(rereads, 1);
  watch.check();  // lost stays lost until asked
  EXPECT_EQ(server.tries, 3);
  Q_EMIT watch.label()->linkActivated("retry");
  settle(watch);
  EXPECT_EQ(watch.state(), host::LinkState::Connected);
  EXPECT_EQ(rereads, 2);
}

// An action waiting on the reconnect gets its answer at once; the re-read waits for
// the event in progress to end.
TEST(ConnectionWatch, ReconnectNowAnswersTheWaitingActionAndRereadsAfterIt) {
  QMainWindow window;
  FlakyConnection server;
  int rereads = 0;
  desktop::ConnectionWatch watch(window, server, [&] { ++rereads; }, {3, 0ms, 0ms});
  server.up = false;
  server.backAt = 3;
  EXPECT_TRUE(watch.reconnectNow());
  EXPECT_EQ(server.tries, 3);
  EXPECT_EQ(rereads, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(rereads, 1);
  server.up = false;
  server.tries = 0;
  server.backAt = 9;
  EXPECT_FALSE(watch.reconnectNow());
  EXPECT_EQ(watch.state(), host::LinkState::Lost);
}

}  // namespace
