// Engine behaviour seen from the C++ caller: caller parameters, typed result sets,
// syntax errors with positions, stored procedures and functions surviving a reopened
// database, and
// the plan the database makes of a derived join.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "conformance/engine_fixture.h"

namespace {

using Engine = conformance::EngineFixture;

TEST_F(Engine, HostParametersAreBoundByNameAndTypedByValueAndMissingOnesRefused) {
  tsql::BatchResult r = ok(
      "declare @orgid varchar(10), @n int\r\n"
      "set @orgid = :orgid\r\nset @n = :N\r\n"
      "select @orgid + 'x', @n + 1, :amt + 1, :when, :flag, ':orgid'",
      {{"orgid", core::Value("01")}, {"n", core::Value(41)},
       {"amt", core::Value(core::Currency::fromRaw(15000))},
       {"when", core::Value(core::DateTime::fromParts(2024, 1, 5, 8, 30))}, {"flag", core::Value(true)}});
  ASSERT_EQ(r.resultSets.size(), 1u);
  EXPECT_EQ(r.resultSets[0].rows.at(0),
            (std::vector<core::Value>{core::Value("01x"), core::Value(std::int64_t{42}),
                                      core::Value(core::Currency::fromRaw(25000)),
                                      core::Value(core::DateTime::fromParts(2024, 1, 5, 8, 30)), core::Value(true),
                                      core::Value(":orgid")}));  // a marker inside a string is text
  r = run("select :nothere");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.errorMessage().find(":nothere"), std::string::npos);
}

TEST_F(Engine, ColumnsCarryTheirDeclaredTypes) {
  tsql::BatchResult r = ok(
      "create table t(id int identity(1,1) primary key, m money, d datetime, b bit, s varchar(12), f float)\n"
      "insert into t(m, d, b, s, f) values(3, '2024-02-03', 1, 'x', 1)\n"
      "select id, m, d, b, s, f, @@identity as ident, @@rowcount as rc from t");
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

TEST_F(Engine, SyntaxErrorRunsNothingAndSaysWhere) {
  tsql::BatchResult r = run("create table t(a int)\r\nselect * frm t");
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].number, 102);
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_NE(r.errors[0].message.find("column"), std::string::npos);
  EXPECT_FALSE(run("select * from t").ok());  // the CREATE never ran
}

// A join of tables as a derived table on the right of a LEFT JOIN: the database looks its
// rows up by the joined column instead of reading all of them for every row on the left
// (a bill's 1,000 lines against its own 1,000 audited lines read a million rows).
TEST_F(Engine, DerivedJoinOnTheRightOfALeftJoinIsLookedUpNotScanned) {
  ok("create table fh(id int identity(1,1) primary key, org varchar(9), billno varchar(20), status "
     "int)\n"
     "create unique index ux_fh on fh(org, billno)\n"
     "create table fl(id int identity(1,1) primary key, org varchar(9), billno varchar(20), q "
     "float)\n"
     "create index ix_fl on fl(org, billno)\n"
     "insert into fh(org, billno, status) values('01', 'F1', 1)\n"
     "insert into fl(org, billno, q) values('01', 'F1', 2), ('01', 'F1', 3)");
  std::vector<std::string> statements;
  sqlite3_trace_v2(
      db_, SQLITE_TRACE_STMT,
      [](unsigned, void* seen, void*, void* sql) {
        static_cast<std::vector<std::string>*>(seen)->push_back(static_cast<const char*>(sql));
        return 0;
      },
      &statements);
  // the derived table's WHERE leaves its lines' branch and number open: it stays a derived table
  EXPECT_EQ(query("declare @org varchar(9) = '01', @b varchar(20) = 'F1'\n"
                  "select main.id, isnull(t.q, 0) from fl main left join (select t1.id, t1.q from "
                  "fl t1 left join fh t2 "
                  "on t1.org = t2.org and t1.billno = t2.billno where t2.status = 1) t "
                  "on main.id = t.id where main.org = @org and main.billno = @b order by main.id"),
            "1|2;2|3");
  // the shipment form's text: the lines by their key, the header tested once, in the key
  // (a header that fails the test gives no key, and no line is looked up)
  EXPECT_EQ(query("declare @org varchar(9) = '01', @b varchar(20) = 'F1'\n"
                  "select main.id, isnull(t.q, 0) from fl main left join (select t1.id, t1.q from "
                  "fl t1 left join fh t2 "
                  "on t1.org = t2.org and t1.billno = t2.billno where t1.org = @org and t1.billno "
                  "= @b and t2.status = 1) t "
                  "on main.id = t.id where main.org = @org and main.billno = @b order by main.id"),
            "1|2;2|3");
  sqlite3_trace_v2(db_, 0, nullptr, nullptr);
  auto planOf = [&](const char* written) {
    auto joined = std::find_if(statements.begin(), statements.end(),
                               [&](const std::string& s) { return s.find(written) != std::string::npos; });
    if (joined == statements.end()) return std::string("no statement with ") + written;
    sqlite3_stmt* plan = nullptr;
    if (sqlite3_prepare_v2(db_, ("EXPLAIN QUERY PLAN " + *joined).c_str(), -1, &plan, nullptr) != SQLITE_OK)
      return std::string("no plan");
    std::string steps;
    while (sqlite3_step(plan) == SQLITE_ROW)
      steps += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)) + std::string("\n");
    sqlite3_finalize(plan);
    return steps;
  };
  const std::string derived = planOf("LEFT JOIN (SELECT");
  EXPECT_NE(derived.find("SEARCH t USING AUTOMATIC"), std::string::npos) << derived;
  const std::string keyed = planOf("= CASE WHEN EXISTS (SELECT 1 FROM");
  EXPECT_NE(keyed.find("SEARCH t1 USING INTEGER PRIMARY KEY"), std::string::npos) << keyed;
  EXPECT_EQ(keyed.find("CORRELATED"), std::string::npos) << keyed;
  EXPECT_EQ(keyed.find("SCAN"), std::string::npos) << keyed;
}

TEST(EngineProcedures, ProceduresAndFunctionsSurviveReopeningTheDatabase) {
  // one file per process: two test runs at once must not share it
  auto path = std::filesystem::temp_directory_path() /
              ("tsql_engine_proc_test_" + std::to_string(::getpid()) + ".db");
  std::filesystem::remove(path);
  auto runOpened = [&](const char* batch) {  // each batch on a newly opened database
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    tsql::BatchResult r = tsql::Engine(db).run(batch);
    sqlite3_close(db);
    return r;
  };
  ASSERT_TRUE(runOpened("create procedure twice @n int, @r int output as set @r = @n * 2").ok());
  tsql::BatchResult r = runOpened("declare @r int exec twice 21, @r output select @r");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.at(0).rows.at(0)[0], core::Value(std::int64_t{42}));
  EXPECT_FALSE(runOpened("create procedure twice as select 1").ok());  // already there
  // A function shares the procedures' store and names, and is still a function there.
  ASSERT_TRUE(runOpened("create function dbo.thrice(@n int) returns int as begin return 3 * @n end").ok());
  r = runOpened("select dbo.thrice(14)");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.at(0).rows.at(0)[0], core::Value(std::int64_t{42}));
  r = runOpened("exec thrice 1");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors.at(0).number, 2812);
  r = runOpened("create function dbo.twice(@n int) returns int as begin return 2 * @n end");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors.at(0).number, 2714);
  ASSERT_TRUE(runOpened("drop function thrice").ok());
  EXPECT_FALSE(runOpened("select dbo.thrice(1)").ok());
  std::filesystem::remove(path);
}

}  // namespace
