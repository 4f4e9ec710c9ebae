// A connection that is there or gone as a test says, and comes back on the backAt-th
// attempt to reconnect: what the reconnect series and the status bar are tested against.
#pragma once

#include <string>
#include <string_view>

#include "db/connection.h"

struct FlakyConnection : db::Connection {
  db::BatchResult execBatch(std::string_view, const db::Params&) override { return {}; }
  void beginUnit() override {}
  std::string commitUnit() override { return {}; }
  void rollbackUnit() override {}
  bool unitOpen() const override { return false; }
  bool connected() const override { return up; }
  bool reconnect() override { return up = ++tries >= backAt; }
  int backAt = 0, tries = 0;
  bool up = true;
};
