// Save batches repeat one INSERT ... VALUES shape with other values; the engine
// reuses the statement's translation, so every repetition must still store its own
// values, converted to each column's type, and a change of table, NULL or frame
// must not reuse a translation made for something else.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tsql/engine.h"

namespace {

struct Db {
  sqlite3* db = nullptr;
  Db() { sqlite3_open(":memory:", &db); }
  ~Db() { sqlite3_close(db); }
};

std::vector<std::vector<core::Value>> rows(tsql::Engine& e, const std::string& query) {
  tsql::BatchResult r = e.run(query);
  EXPECT_TRUE(r.ok()) << r.errorMessage();
  return r.ok() ? r.resultSets.at(0).rows : std::vector<std::vector<core::Value>>{};
}

TEST(InsertShapes, RepeatedShapesStoreEachStatementsOwnValues) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(id int identity(1,1) primary key, s varchar(10), m money, "
                    "f float, n int)")
                  .ok());
  tsql::BatchResult r = e.run(
      "declare @s varchar(10)\r\nset @s = 'var'\r\n"
      "insert into t(s, m, f, n) values('a', 1.23456, 2, '7')\r\n"
      "insert into t(s, m, f, n) values('b''c', '2.5', 3.5, 8)\r\n"
      "insert into t(s, m, f, n) values(NULL, 4, NULL, 9)\r\n"
      "insert into t(s, m, f, n) values(@s, :m, 1, 10)\r\n"
      "insert into t(s, m, f, n) values(@s, :m, 1, 11)",
      {{"m", core::Value(core::Currency::fromRaw(99999))}});
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  auto got = rows(e, "select s, m, f, n from t order by id");
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0][0], core::Value("a"));
  EXPECT_EQ(got[0][1], core::Value(core::Currency::fromRaw(12346)));  // money rounds on store
  EXPECT_EQ(got[0][3], core::Value(std::int64_t{7}));                 // text to int
  EXPECT_EQ(got[1][0], core::Value("b'c"));
  EXPECT_EQ(got[1][1], core::Value(core::Currency::fromRaw(25000)));
  EXPECT_EQ(got[1][2], core::Value(3.5));
  EXPECT_TRUE(got[2][0].isNull());
  EXPECT_TRUE(got[2][2].isNull());
  EXPECT_EQ(got[2][3], core::Value(std::int64_t{9}));
  EXPECT_EQ(got[3][0], core::Value("var"));
  EXPECT_EQ(got[4][1], core::Value(core::Currency::fromRaw(99999)));
  EXPECT_EQ(got[4][3], core::Value(std::int64_t{11}));
}

TEST(InsertShapes, AChangedTableOrFrameIsTranslatedAfresh) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(a int, b varchar(5))").ok());
  // The same text before and after the table is remade with other column types.
  tsql::BatchResult r = e.run(
      "insert into t values(1, '12')\r\n"
      "drop table t\r\n"
      "create table t(a varchar(5), b int)\r\n"
      "insert into t values(1, '12')\r\n"
      "select a + b from t");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.at(0).rows.at(0)[0], core::Value(std::int64_t{13}));  // '1' + 12

  // A procedure's variable of the same name as the caller's is its own.
  ASSERT_TRUE(e.run("create table u(v varchar(10))").ok());
  ASSERT_TRUE(e.run("create procedure p1 as\nbegin\n declare @v varchar(10)\n set @v = 'inner'\n"
                    " insert into u(v) values(@v)\nend")
                  .ok());
  r = e.run(
      "declare @v varchar(10)\r\nset @v = 'outer'\r\ninsert into u(v) values(@v)\r\n"
      "exec p1\r\ninsert into u(v) values(@v)\r\nselect v from u");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  const auto& vs = r.resultSets.at(0).rows;
  ASSERT_EQ(vs.size(), 3u);
  EXPECT_EQ(vs[0][0], core::Value("outer"));
  EXPECT_EQ(vs[1][0], core::Value("inner"));
  EXPECT_EQ(vs[2][0], core::Value("outer"));
}

TEST(InsertShapes, AFailingRepetitionStillReportsItsOwnError) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(n int)").ok());
  tsql::BatchResult r = e.run(
      "insert into t(n) values(1)\r\ninsert into t(n) values(1 / 0)\r\n"
      "insert into t(n) values(3)\r\ninsert into t(n) values('x')\r\ninsert into t(n) values(5)");
  ASSERT_EQ(r.errors.size(), 2u);
  EXPECT_EQ(r.errors[0].number, 8134);  // ends its statement only
  EXPECT_EQ(r.errors[1].number, 245);   // a failed conversion ends the batch
  auto got = rows(e, "select n from t order by n");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1][0], core::Value(std::int64_t{3}));
}

}  // namespace
