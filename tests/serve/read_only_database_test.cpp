// The server's connections only read: a file refuses every write itself; on a server
// database (whose reports need temporary tables) whatever a batch did is rolled back, its
// own commit included. Either way nothing changes.
#include "apps/coreapp/serve/read_only_database.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/embedded_connection.h"
#include "pg_test_cluster.h"

namespace {

const char* const kWrites[] = {"insert into t(id) values (2)", "update t set id = 3",
                               "delete from t",                "drop table t",
                               "create table u (id int)",
                               "begin tran\ninsert into t(id) values (4)\ncommit tran"};

void expectUnchanged(serve::ReadOnlyDatabase& ro, const char* after) {
  const db::BatchResult rs = ro.run("select count(*), max(id) from t");
  ASSERT_TRUE(rs.ok()) << after << ": " << rs.errorMessage();
  EXPECT_EQ(rs.resultSets[0].rows[0][0].asInteger(), 1) << after;
  EXPECT_EQ(rs.resultSets[0].rows[0][1].asInteger(), 1) << after;
  EXPECT_FALSE(ro.run("select count(*) from u").ok()) << after;
}

TEST(ReadOnlyDatabase, AFileRefusesEveryWrite) {
  const std::string path = ::testing::TempDir() + "serve_ro_" + std::to_string(::getpid()) + ".db";
  std::filesystem::remove(path);
  {
    db::EmbeddedConnection w(path);
    ASSERT_TRUE(w.execBatch("create table t (id int)\ninsert into t(id) values (1)").ok());
  }
  serve::ReadOnlyDatabase ro(path);
  for (const char* write : kWrites) {
    EXPECT_FALSE(ro.run(write).ok()) << write;
    expectUnchanged(ro, write);
  }
  EXPECT_THROW(serve::ReadOnlyDatabase(path + ".missing"), db::ConnectionError);
  EXPECT_FALSE(std::filesystem::exists(path + ".missing"));
}

TEST(ReadOnlyDatabase, AServerSessionKeepsNoWrite) {
  const std::string uri = pgtest::freshDatabase("serve_read_only");
  ASSERT_FALSE(uri.empty());
  ASSERT_EQ(pgtest::run(uri, "create table t (id int); insert into t(id) values (1)"), "");
  serve::ReadOnlyDatabase ro(uri);
  for (const char* write : kWrites) {
    (void)ro.run(write);
    expectUnchanged(ro, write);
  }
  // The temporary tables behind the reports' table variables do work there.
  EXPECT_TRUE(
      ro.run("declare @v table (id int)\ninsert into @v select id from t\nselect * from @v").ok());
}

}  // namespace
