// A fresh database file with the whole schema (and optionally the demo data) for the
// schema tests, and small helpers to run a batch and read back a value.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "db/embedded_connection.h"
#include "schema/schema_script.h"

namespace schematest {

//! Path of a new, not yet existing file under the test temp directory.
inline std::string freshPath(const std::string& stem) {
  static int counter = 0;
  auto path = std::filesystem::path(::testing::TempDir()) /
              (stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".db");
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
  return path.string();
}

//! Runs a batch and fails the test (with the engine's message) when it raises.
inline tsql::BatchResult run(db::Connection& c, const std::string& sql,
                             const tsql::Params& p = {}) {
  auto r = c.execBatch(sql, p);
  EXPECT_TRUE(r.ok()) << r.errorMessage() << "\nin: " << sql;
  return r;
}

//! The first column of the first row of the last result set.
inline core::Value scalar(db::Connection& c, const std::string& sql, const tsql::Params& p = {}) {
  auto r = run(c, sql, p);
  if (r.resultSets.empty() || r.resultSets.back().rows.empty()) {
    ADD_FAILURE() << "no row from: " << sql;
    return {};
  }
  return r.resultSets.back().rows.front().front();
}

class SchemaDb : public ::testing::Test {
 protected:
  void open(bool demo) {
    path = freshPath("schema");
    db = std::make_unique<db::EmbeddedConnection>(path);
    schema::createDatabase(*db, demo);
  }
  void TearDown() override {
    db.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  }
  std::string path;
  std::unique_ptr<db::EmbeddedConnection> db;
};

}  // namespace schematest
