// The embedded connection: a missing file becomes an empty WAL database, procedures
// and rows persist across connections, a writer held by another program gives the
// actionable "busy" message, and values come back typed for the JSON output.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "db/embedded_connection.h"

namespace {

using db::EmbeddedConnection;

class ConnectionFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "/tmp/coreapp_conn_test_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db";
    removeFiles();
  }
  void TearDown() override { removeFiles(); }
  void removeFiles() {
    for (const char* s : {"", "-wal", "-shm"}) std::remove((path_ + s).c_str());
  }
  std::string path_;
};

TEST_F(ConnectionFile, MissingFileBecomesAnEmptyWalDatabase) {
  EmbeddedConnection conn(path_);
  auto r = conn.execBatch("select count(*) as n from sqlite_master where type = 'table' "
                          "and name like 'vt_%'");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.at(0).rows.at(0).at(0).asInteger(), 0);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(conn.handle(), "pragma journal_mode", -1, &st, nullptr);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "wal");
  sqlite3_finalize(st);
}

TEST_F(ConnectionFile, RowsAndProceduresOutliveTheConnection) {
  {
    EmbeddedConnection conn(path_);
    auto r = conn.execBatch("create table t(a int)\ninsert into t values(41)\n"
                            "create procedure p_next @x int output as set @x = @x + 1");
    ASSERT_TRUE(r.ok()) << r.errorMessage();
  }
  EmbeddedConnection again(path_);
  auto r = again.execBatch("declare @v int\nselect @v = a from t\nexec p_next @v output\nselect @v");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.back().rows.at(0).at(0).asInteger(), 42);
}

// A procedure's text is kept between calls, yet a call after another connection altered
// it, or after this connection rewrote its row by plain SQL, runs the new text.
TEST_F(ConnectionFile, ProcedureChangedSinceTheLastCallRunsItsNewText) {
  EmbeddedConnection conn(path_);
  ASSERT_TRUE(conn.execBatch("create procedure p_v as select 1 as v").ok());
  auto value = [&] {
    auto r = conn.execBatch("exec p_v");
    return r.ok() && !r.resultSets.empty() ? r.resultSets.back().rows.at(0).at(0).asInteger() : -1;
  };
  EXPECT_EQ(value(), 1);
  EXPECT_EQ(value(), 1);
  {
    EmbeddedConnection other(path_);
    ASSERT_TRUE(other.execBatch("alter procedure p_v as select 2 as v").ok());
  }
  EXPECT_EQ(value(), 2);
  ASSERT_EQ(sqlite3_exec(conn.handle(),
                         "update tsql_procedures set body = replace(body, 'select 2', 'select 3')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(value(), 3);
}

TEST_F(ConnectionFile, BusyDatabaseGivesAnActionableMessage) {
  { EmbeddedConnection setup(path_); ASSERT_TRUE(setup.execBatch("create table t(a int)").ok()); }
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
  EmbeddedConnection conn(path_, {.busyTimeoutMs = 50, .create = true});
  auto r = conn.execBatch("insert into t values(1)");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errorMessage(), EmbeddedConnection::lockedMessage(path_));
  EXPECT_NE(r.errorMessage().find(path_), std::string::npos);
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(conn.execBatch("insert into t values(1)").ok());  // free again: it works
}

TEST_F(ConnectionFile, UnopenableFileNamesThePathAndTheReason) {
  try {
    EmbeddedConnection conn("/nonexistent-dir/x.db");
    FAIL() << "opened";
  } catch (const db::ConnectionError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x.db"), std::string::npos);
  }
  EXPECT_THROW(EmbeddedConnection(path_, {.busyTimeoutMs = 10, .create = false}),
               db::ConnectionError);
}

TEST_F(ConnectionFile, ValuesComeBackTypedForTheCaller) {
  EmbeddedConnection conn(path_);
  auto r = conn.execBatch(
      "create table t(id int, dj money, name varchar(10), d datetime, f bit, x float)\n"
      "insert into t values(1, 12.5, 'a', '2024-01-05 08:30', 1, 0.25)\n"
      "select id, dj, name, d, f, x from t");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  const auto& row = r.resultSets.at(0).rows.at(0);
  EXPECT_EQ(row[0], core::Value(std::int64_t{1}));
  EXPECT_EQ(row[1].asCurrency(), core::Currency::fromRaw(125000));
  EXPECT_EQ(row[2], core::Value("a"));
  EXPECT_EQ(row[3].asDateTime(), core::DateTime::fromParts(2024, 1, 5, 8, 30));
  EXPECT_TRUE(row[4].asBool());
  EXPECT_EQ(row[5].asFloat(), 0.25);
}

}  // namespace
