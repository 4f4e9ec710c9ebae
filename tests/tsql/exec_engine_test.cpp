// Engine behaviour seen from the C++ caller: caller parameters, typed result sets,
// syntax errors with positions, and stored procedures surviving a reopened database.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "tsql/engine.h"

namespace {

struct Db {
  sqlite3* db = nullptr;
  explicit Db(const std::string& path = ":memory:") { sqlite3_open(path.c_str(), &db); }
  ~Db() { sqlite3_close(db); }
};

TEST(EngineParams, HostParametersAreBoundByNameAndTypedByValue) {
  Db d;
  tsql::Engine e(d.db);
  tsql::BatchResult r = e.run(
      "declare @orgid varchar(10), @n int\r\n"
      "set @orgid = :orgid\r\nset @n = :N\r\n"
      "select @orgid + 'x', @n + 1, :amt + 1, :when, :flag, ':orgid'",
      {{"orgid", core::Value("01")},
       {"n", core::Value(41)},
       {"amt", core::Value(core::Currency::fromRaw(15000))},
       {"when", core::Value(core::DateTime::fromParts(2024, 1, 5, 8, 30))},
       {"flag", core::Value(true)}});
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  ASSERT_EQ(r.resultSets.size(), 1u);
  const auto& row = r.resultSets[0].rows.at(0);
  EXPECT_EQ(row[0], core::Value("01x"));
  EXPECT_EQ(row[1], core::Value(std::int64_t{42}));
  EXPECT_EQ(row[2], core::Value(core::Currency::fromRaw(25000)));
  EXPECT_EQ(row[3], core::Value(core::DateTime::fromParts(2024, 1, 5, 8, 30)));
  EXPECT_EQ(row[4], core::Value(true));
  EXPECT_EQ(row[5], core::Value(":orgid"));  // a marker inside a string is text
}

TEST(EngineParams, MissingParameterIsAnError) {
  Db d;
  tsql::Engine e(d.db);
  tsql::BatchResult r = e.run("select :nothere");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.errorMessage().find(":nothere"), std::string::npos);
}

TEST(EngineResults, ColumnsCarryTheirDeclaredTypes) {
  Db d;
  tsql::Engine e(d.db);
  tsql::BatchResult r = e.run(
      "create table t(id int identity(1,1) primary key, m money, d datetime, b bit, s varchar(12), f float)\n"
      "insert into t(m, d, b, s, f) values(3, '2024-02-03', 1, 'x', 1)\n"
      "select id, m, d, b, s, f, @@identity as ident, @@rowcount as rc from t");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  const auto& rs = r.resultSets.at(0);
  std::vector<core::ValueType> types;
  for (const auto& c : rs.columns) types.push_back(c.type);
  using core::ValueType;
  EXPECT_EQ(types, (std::vector<ValueType>{ValueType::Integer, ValueType::Currency, ValueType::DateTime,
                                            ValueType::Boolean, ValueType::Text, ValueType::Float,
                                            ValueType::Integer, ValueType::Integer}));
  EXPECT_EQ(rs.columns[4].size, 12);
  EXPECT_EQ(rs.rows.at(0)[1], core::Value(core::Currency::fromInt(3)));  // whole money stays money
  EXPECT_EQ(rs.rows[0][6], core::Value(std::int64_t{1}));
}

TEST(EngineErrors, SyntaxErrorRunsNothingAndSaysWhere) {
  Db d;
  tsql::Engine e(d.db);
  tsql::BatchResult r = e.run("create table t(a int)\r\nselect * frm t");
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].number, 102);
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_NE(r.errors[0].message.find("column"), std::string::npos);
  EXPECT_FALSE(e.run("select * from t").ok());  // the CREATE never ran
}

TEST(EngineProcedures, SurviveReopeningTheDatabase) {
  auto path = std::filesystem::temp_directory_path() / "tsql_engine_proc_test.db";
  std::filesystem::remove(path);
  {
    Db d(path.string());
    tsql::Engine e(d.db);
    ASSERT_TRUE(e.run("create procedure twice @n int, @r int output as set @r = @n * 2").ok());
  }
  {
    Db d(path.string());
    tsql::Engine e(d.db);
    tsql::BatchResult r = e.run("declare @r int exec twice 21, @r output select @r");
    ASSERT_TRUE(r.ok()) << r.errorMessage();
    EXPECT_EQ(r.resultSets.at(0).rows.at(0)[0], core::Value(std::int64_t{42}));
    EXPECT_FALSE(e.run("create procedure twice as select 1").ok());  // already there
  }
  std::filesystem::remove(path);
}

}  // namespace
