// The host session the order benchmarks run in: the whole schema on a private in-memory
// database run by the embedded engine, the benchmark's own rows inserted, and the login
// 0001 / 王敏 with every right, made current for the session's lifetime. Every batch is
// timed, so that a benchmark can tell the part of its time spent in the database.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "db/embedded_connection.h"
#include "host/host.h"
#include "host/scripted_ui.h"
#include "schema/schema_script.h"

namespace bench {

using Clock = std::chrono::steady_clock;

//! The embedded engine on a private in-memory database, timing every batch it runs.
class TimedConnection : public db::Connection {
 public:
  db::BatchResult execBatch(std::string_view sql, const db::Params& params = {}) override {
    const auto start = Clock::now();
    db::BatchResult r = db_.execBatch(sql, params);
    spent += Clock::now() - start;
    return r;
  }
  std::vector<db::BatchResult> execEach(const std::vector<std::string>& texts,
                                        const db::Params& params = {}) override {
    const auto start = Clock::now();
    std::vector<db::BatchResult> r = db_.execEach(texts, params);
    spent += Clock::now() - start;
    return r;
  }
  void beginUnit() override { db_.beginUnit(); }
  std::string commitUnit() override { return db_.commitUnit(); }
  void rollbackUnit() override { db_.rollbackUnit(); }
  bool unitOpen() const override { return db_.unitOpen(); }
  Clock::duration spent{};  //!< time spent in batches so far

 private:
  db::EmbeddedConnection db_{":memory:"};
};

//! A host session on a new database that holds the schema and the rows of `data`.
struct BenchHost {
  explicit BenchHost(const std::string& data) {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 1, "001", "王敏"};
    host.rights.all = true;
    scope = std::make_unique<host::HostScope>(host);
    schema::createDatabase(conn, false);
    conn.execBatch(data);
  }

  TimedConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  std::unique_ptr<host::HostScope> scope;
};

}  // namespace bench
