// A fresh database with the whole schema (and optionally the demo data) for the schema
// tests, on either backend: a new file, or a new database on the test run's server.
// Tests written on `SchemaDb` run once per backend with the same assertions.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "schema/schema_script.h"

namespace schematest {

enum class Backend { File, Server };

//! Removes a database file with its write-ahead log and shared memory files.
inline void removeFile(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

//! Path of a new, not yet existing file under the test temp directory.
inline std::string freshPath(const std::string& stem) {
  static int counter = 0;
  auto path = std::filesystem::path(::testing::TempDir()) /
              (stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".db");
  removeFile(path.string());
  return path.string();
}

//! The built command-line program; the tests that run it skip when it is not built.
inline std::string coreappBinary() { return std::string(COREAPP_BINARY_DIR) + "/coreapp"; }

//! Exit code of `coreapp ARGS` (its standard error dropped); -1 when a signal ended it.
inline int coreapp(const std::string& args) {
  const int status = std::system((coreappBinary() + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

//! "File" / "Server": the backend's part of a test's name.
inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::File ? "File" : "Server";
}

//! The databases each test copies, by [on the server][with the demo data]: the file's
//! path or the server database's name (installing the schema is most of a test's time).
inline std::string (&schemaTemplates())[2][2] {
  static std::string made[2][2];
  return made;
}

//! Removes the copied-from databases when the test binary ends.
inline void removeSchemaTemplates() {
  auto& made = schemaTemplates();
  for (const std::string& path : made[0])
    if (!path.empty()) removeFile(path);
  if (made[1][0].empty() && made[1][1].empty()) return;
  std::string failure, cluster = pgtest::clusterUri(failure);
  for (const std::string& database : made[1])
    if (!database.empty() && !cluster.empty()) pgtest::run(cluster, "DROP DATABASE IF EXISTS \"" + database + "\"");
}

//! A database made once per test run with the schema (and the demo data when `demo`);
//! empty when it could not be made (the test failed).
inline std::string schemaTemplate(Backend backend, bool demo) {
  std::string& name = schemaTemplates()[backend == Backend::Server][demo];
  if (!name.empty()) return name;
  static const bool removedAtExit = std::atexit(removeSchemaTemplates) == 0;
  (void)removedAtExit;
  const std::string stem = std::string("schema_template") + (demo ? "_demo" : "");
  if (backend == Backend::File) {
    std::string path = freshPath(stem);
    db::EmbeddedConnection c(path);
    schema::createDatabase(c, demo);
    return name = path;
  }
  std::string database = stem + "_" + std::to_string(::getpid());
  std::string uri = pgtest::freshDatabase(database);
  if (uri.empty()) return {};
  {
    db::PgConnection c(uri);  // closed before it is copied: the server copies an idle database only
    schema::createDatabase(c, demo);
  }
  return name = database;
}

class SchemaDb : public ::testing::TestWithParam<Backend> {
 protected:
  bool onServer() const { return GetParam() == Backend::Server; }

  //! A new database with the schema (and the demo data when `demo`), open as `db`.
  void open(bool demo) {
    dropDatabase();
    std::string from = schemaTemplate(GetParam(), demo);
    ASSERT_FALSE(from.empty());
    if (onServer()) {
      serverName = "schema_" + std::to_string(::getpid()) + "_" + std::to_string(++serverCount());
      place = pgtest::freshDatabase(serverName, from);
      ASSERT_FALSE(place.empty());
    } else {
      place = freshPath("schema");
      std::filesystem::copy_file(from, place);
    }
    db = connect();
  }

  //! Another connection to the same database (each process opens its own).
  std::unique_ptr<db::Connection> connect() const {
    if (onServer()) return std::make_unique<db::PgConnection>(place);
    return std::make_unique<db::EmbeddedConnection>(place);
  }

  void TearDown() override { dropDatabase(); }

  //! Closes `db` and removes the database it was open on.
  void dropDatabase() {
    db.reset();
    if (place.empty()) return;
    if (onServer()) {
      std::string failure;
      std::string cluster = pgtest::clusterUri(failure);
      if (!cluster.empty()) pgtest::run(cluster, "DROP DATABASE IF EXISTS \"" + serverName + "\" WITH (FORCE)");
    } else {
      removeFile(place);
    }
    place.clear();
  }

  std::string place;  //!< the file's path or the server database's URI
  std::unique_ptr<db::Connection> db;

 private:
  static int& serverCount() {
    static int count = 0;
    return count;
  }
  std::string serverName;
};

}  // namespace schematest

//! Runs the parameterised tests of `suite` on the embedded file and on the server.
#define SCHEMA_ON_BOTH_BACKENDS(suite)                                                          \
  INSTANTIATE_TEST_SUITE_P(Backends, suite,                                                     \
                           ::testing::Values(schematest::Backend::File, schematest::Backend::Server), \
                           schematest::backendName)
