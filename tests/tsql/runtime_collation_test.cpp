// The default-collation stand-in: case-blind, trailing-space-blind comparison in
// WHERE, GROUP BY, DISTINCT, MIN/MAX and indexes, and T-SQL's LIKE patterns.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "tsql/runtime/runtime.h"
#include "tsql/runtime/text_collation.h"

namespace {

using tsql::runtime::TextCollation;

class CollationDb : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3_open(":memory:", &db_);
    tsql::runtime::Runtime::install(db_);
    exec("create table t(name varchar(20) collate tsql_ci)");
    exec("insert into t values ('Apple'), ('apple  '), ('APPLE'), ('banana'), ('Cherry'), "
         "('中文'), ('中文 ')");
  }
  void TearDown() override { sqlite3_close(db_); }

  void exec(const std::string& sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << err;
  }

  // All rows of column 0 joined with '|'.
  std::string rows(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return sqlite3_errmsg(db_);
    std::string out;
    while (sqlite3_step(st) == SQLITE_ROW) {
      if (!out.empty()) out += "|";
      auto* t = sqlite3_column_text(st, 0);
      out += t ? reinterpret_cast<const char*>(t) : "NULL";
    }
    sqlite3_finalize(st);
    return out;
  }

  sqlite3* db_ = nullptr;
};

// Equality, grouping, DISTINCT, MIN/MAX and a unique index all ignore case and
// trailing spaces, never leading ones.
TEST_F(CollationDb, ComparisonsGroupingAndKeysIgnoreCaseAndTrailingSpaces) {
  EXPECT_EQ(rows("select count(*) from t where name = 'apple'"), "3");
  EXPECT_EQ(rows("select count(*) from t where name = 'APPLE   '"), "3");
  EXPECT_EQ(rows("select count(*) from t where name = ' apple'"), "0");  // leading counts
  EXPECT_EQ(rows("select count(*) from t where name = '中文'"), "2");
  EXPECT_EQ(rows("select 'abc' = 'ABC ' collate tsql_ci"), "1");
  EXPECT_EQ(rows("select count(*) from t where name in ('BANANA', 'cherry')"), "2");
  EXPECT_EQ(rows("select count(*) from (select name from t group by name)"), "4");
  EXPECT_EQ(rows("select count(distinct name) from t"), "4");
  EXPECT_EQ(rows("select max(name) from t where name < 'd'"), "Cherry");
  EXPECT_EQ(rows("select min(name) from t where name > 'apple'"), "banana");
  exec("create table k(code varchar(10) collate tsql_ci primary key)");
  exec("insert into k values ('A01')");
  char* err = nullptr;
  EXPECT_NE(sqlite3_exec(db_, "insert into k values ('a01 ')", nullptr, nullptr, &err), SQLITE_OK);
  sqlite3_free(err);
}

TEST_F(CollationDb, LikeFollowsTsqlPatterns) {
  EXPECT_EQ(rows("select count(*) from t where name like 'app%'"), "3");
  EXPECT_EQ(rows("select count(*) from t where name like '%RR%'"), "1");
  EXPECT_EQ(rows("select count(*) from t where name like '[ab]%'"), "4");
  EXPECT_EQ(rows("select count(*) from t where name like '[^ab]%'"), "3");
  EXPECT_EQ(rows("select count(*) from t where name like '中_'"), "2");
  EXPECT_EQ(rows("select '50%' like '50!%' escape '!'"), "1");
  EXPECT_EQ(rows("select '500' like '50!%' escape '!'"), "0");
}

TEST(TextCollation, CompareAndLikeRules) {
  struct Cmp {
    const char* a;
    const char* b;
    int sign;
  } compares[] = {
      {"abc", "ABC", 0},  {"abc", "abc   ", 0}, {"a", "B", -1},     {"b", "A", 1},
      {"ab", "abc", -1},  {" a", "a", -1},      {"Éa", "éA", 0},    {"", "   ", 0},
      {"ΣΑ", "σα", 0},    {"Ж", "ж", 0},        {"中", "中 ", 0},   {"a", "中", -1},
  };
  for (const auto& c : compares) {
    const int r = TextCollation::compare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
  struct Like {
    const char* value;
    const char* pattern;
    bool match;
  } likes[] = {
      {"abc", "ABC", true},    {"abc ", "abc", true},   {"abc", "abc ", false},
      {"abc", "a_c", true},    {"ac", "a_c", false},    {"abc", "%", true},
      {"", "%", true},         {"", "_", false},        {"a[b", "a[b", true},
      {"x-y", "x[-]y", true},  {"b", "[a-c]", true},    {"d", "[a-c]", false},
      {"d", "[^a-c]", true},   {"abcabc", "%bc%bc", true}, {"abcab", "%bc%bc", false},
      {"C", "[a-c]", true},    {"中文字", "%文%", true},
  };
  for (const auto& l : likes) EXPECT_EQ(TextCollation::like(l.value, l.pattern), l.match) << l.value << " LIKE " << l.pattern;
}

}  // namespace
