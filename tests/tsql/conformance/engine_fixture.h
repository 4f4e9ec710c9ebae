// EngineFixture: an in-memory database with the T-SQL engine for the conformance
// suite; renders result sets as text ("a|b;c|d") so expected rows read like a table.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include "tsql/engine.h"

namespace conformance {

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    engine_ = std::make_unique<tsql::Engine>(db_);
  }
  void TearDown() override {
    engine_.reset();
    sqlite3_close(db_);
  }

  tsql::BatchResult run(std::string_view text, const tsql::Params& params = {}) {
    return engine_->run(text, params);
  }

  //! Runs a batch that must succeed; fails the test with the first error otherwise.
  tsql::BatchResult ok(std::string_view text, const tsql::Params& params = {}) {
    auto r = run(text, params);
    EXPECT_TRUE(r.ok()) << r.errorMessage() << "\nin:\n" << text;
    return r;
  }

  //! The rows of the result set as "v|v;v|v" (NULL for null, Value::asText otherwise).
  static std::string rows(const tsql::ResultSet& rs) {
    std::string out;
    for (const auto& row : rs.rows) {
      if (!out.empty()) out += ';';
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) out += '|';
        out += row[i].isNull() ? "NULL" : row[i].asText();
      }
    }
    return out;
  }

  //! The rows of the last result set of a successful batch.
  std::string query(std::string_view text, const tsql::Params& params = {}) {
    auto r = ok(text, params);
    if (r.resultSets.empty()) return "<no result set>";
    return rows(r.resultSets.back());
  }

  //! The names of the columns of a result set joined with ','.
  static std::string columns(const tsql::ResultSet& rs) {
    std::string out;
    for (const auto& c : rs.columns) out += (out.empty() ? "" : ",") + c.name;
    return out;
  }

  sqlite3* db_ = nullptr;
  std::unique_ptr<tsql::Engine> engine_;
};

}  // namespace conformance
