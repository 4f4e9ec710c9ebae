// The statement cache prepares a text once, hands out clean statements, evicts the
// least recently used past its capacity and never hands one statement out twice.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>

#include "tsql/runtime/statement_cache.h"

namespace {

using tsql::runtime::StatementCache;

class CacheDb : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3_open(":memory:", &db_);
    sqlite3_exec(db_, "create table t(a int)", nullptr, nullptr, nullptr);
  }
  void TearDown() override { sqlite3_close(db_); }
  sqlite3* db_ = nullptr;
};

TEST_F(CacheDb, ReusesAPreparedStatementWithFreshBindings) {
  StatementCache cache(db_);
  for (int i = 1; i <= 3; ++i) {
    auto lease = cache.acquire("insert into t values (?1)");
    sqlite3_bind_int(lease.get(), 1, i);
    ASSERT_EQ(sqlite3_step(lease.get()), SQLITE_DONE);
  }
  EXPECT_EQ(cache.prepares(), 1u);
  {
    auto sum = cache.acquire("select sum(a), count(?1) from t");
    ASSERT_EQ(sqlite3_step(sum.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(sum.get(), 0), 6);
    EXPECT_EQ(sqlite3_column_int(sum.get(), 1), 0);  // ?1 unbound: count(NULL) is 0
  }
  auto again = cache.acquire("select sum(a), count(?1) from t");
  ASSERT_EQ(sqlite3_step(again.get()), SQLITE_ROW);  // reset on return: runs again
  EXPECT_EQ(cache.prepares(), 2u);
}

TEST_F(CacheDb, AStringReusedForAnotherTextGetsThatTextsStatement) {
  StatementCache cache(db_);
  std::string sql = "select 1";
  { auto one = cache.acquire(sql); }
  sql[7] = '2';  // the same bytes' address, another text
  auto two = cache.acquire(sql);
  ASSERT_EQ(sqlite3_step(two.get()), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(two.get(), 0), 2);
  EXPECT_EQ(cache.prepares(), 2u);
}

TEST_F(CacheDb, SameTextInUseGetsItsOwnStatement) {
  StatementCache cache(db_);
  auto outer = cache.acquire("select 1");
  auto inner = cache.acquire("select 1");
  EXPECT_NE(outer.get(), inner.get());
  EXPECT_EQ(cache.size(), 1u);
}

TEST_F(CacheDb, EvictsLeastRecentlyUsedPastCapacity) {
  StatementCache cache(db_, 2);
  { auto a = cache.acquire("select 1"); }
  { auto b = cache.acquire("select 2"); }
  { auto a = cache.acquire("select 1"); }  // "select 2" is now the oldest
  { auto c = cache.acquire("select 3"); }
  EXPECT_EQ(cache.size(), 2u);
  std::size_t before = cache.prepares();
  { auto a = cache.acquire("select 1"); }
  EXPECT_EQ(cache.prepares(), before);
  { auto b = cache.acquire("select 2"); }
  EXPECT_EQ(cache.prepares(), before + 1);
}

TEST_F(CacheDb, BadSqlThrowsSqliteMessage) {
  StatementCache cache(db_);
  try {
    cache.acquire("select * from nosuch");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "no such table: nosuch");
  }
}

}  // namespace
