// The server's connections only read: on a file and on a server database a batch that
// would write is refused by the database itself, whatever its text, and nothing changes.
#include "apps/coreapp/serve/read_only_database.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/embedded_connection.h"
#include "pg_test_cluster.h"

namespace {

void expectOnlyReads(serve::ReadOnlyDatabase& ro) {
  for (const char* write :
       {"insert into t(id) values (2)", "update t set id = 3", "delete from t", "drop table t",
        "create table u (id int)", "begin tran\ninsert into t(id) values (4)\ncommit tran"})
    EXPECT_FALSE(ro.run(write).ok()) << write;
  const db::ResultSet rs = ro.query("select count(*), max(id) from t");
  EXPECT_EQ(rs.rows[0][0].asInteger(), 1);
  EXPECT_EQ(rs.rows[0][1].asInteger(), 1);
}

TEST(ReadOnlyDatabase, AFileRefusesEveryWrite) {
  const std::string path = ::testing::TempDir() + "serve_ro_" + std::to_string(::getpid()) + ".db";
  std::filesystem::remove(path);
  {
    db::EmbeddedConnection w(path);
    ASSERT_TRUE(w.execBatch("create table t (id int)\ninsert into t(id) values (1)").ok());
  }
  serve::ReadOnlyDatabase ro(path);
  expectOnlyReads(ro);
  EXPECT_THROW(serve::ReadOnlyDatabase(path + ".missing"), db::ConnectionError);
  EXPECT_FALSE(std::filesystem::exists(path + ".missing"));
}

TEST(ReadOnlyDatabase, AServerSessionRefusesEveryWrite) {
  const std::string uri = pgtest::freshDatabase("serve_read_only");
  ASSERT_FALSE(uri.empty());
  ASSERT_EQ(pgtest::run(uri, "create table t (id int); insert into t(id) values (1)"), "");
  serve::ReadOnlyDatabase ro(uri);
  expectOnlyReads(ro);
}

}  // namespace
