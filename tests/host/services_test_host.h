// A host session for service tests: a connection that records every batch with its
// parameters and answers from a queue (so a test sees exactly what text and values
// reach the database), a scripted Ui and a login of store "0001", made current for the
// test's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "host/host.h"
#include "host/scripted_ui.h"

namespace host_test {

struct RecordedBatch {
  std::string sql;
  db::Params params;
  //! The bound value of a parameter (null when absent).
  core::Value param(const std::string& name) const {
    for (const auto& [n, v] : params)
      if (n == name) return v;
    return core::Value();
  }
};

class FakeConnection : public db::Connection {
 public:
  db::BatchResult execBatch(std::string_view sql, const db::Params& params) override {
    batches.push_back({std::string(sql), params});
    if (replies.empty()) return {};
    db::BatchResult r = std::move(replies.front());
    replies.pop_front();
    return r;
  }
  //! Queues a reply with one result set.
  void replyRows(std::vector<std::string> columns, std::vector<std::vector<core::Value>> rows) {
    db::ResultSet rs;
    for (auto& c : columns) rs.columns.push_back({c, core::ValueType::Null, 0});
    rs.rows = std::move(rows);
    db::BatchResult r;
    r.resultSets.push_back(std::move(rs));
    replies.push_back(std::move(r));
  }
  //! Queues a reply that raised `message`.
  void replyError(std::string message) {
    db::BatchResult r;
    r.errors.push_back({50000, 16, 1, 0, std::move(message)});
    replies.push_back(std::move(r));
  }

  // The unit only marks the batches run inside it: replies are scripted anyway.
  void beginUnit() override { unit = true; }
  std::string commitUnit() override { return std::exchange(unit, false) ? "" : "no unit"; }
  void rollbackUnit() override { unit = false; }
  bool unitOpen() const override { return unit; }

  std::vector<RecordedBatch> batches;
  std::deque<db::BatchResult> replies;
  bool unit = false;
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 7, "001", "王敏"};
  }

  FakeConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

}  // namespace host_test
