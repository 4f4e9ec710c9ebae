// Views as the file keeps them: SQLite alone (no engine on the connection) reads the
// file's view in plain functions, while every engine connection reads the exact text,
// also after another connection made, changed or dropped a view and after a rollback.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "conformance/engine_fixture.h"
#include "tsql/exec/portable_view.h"

namespace {

bool stock(std::string_view name) { return name == "round" || name == "sum" || name == "ifnull"; }

TEST(PortableViewBody, EngineCallsBecomeSqliteOnesAndAnythingElseOfTheEnginesRefusesTheRewrite) {
  struct Case {
    const char* body;
    const char* portable;  // nullptr: no tool could run it
  };
  const Case cases[] = {
      {"SELECT tsql_money(ifnull(\"a\", 0)) AS \"m\" FROM \"t\"",
       "SELECT round(ifnull(\"a\", 0), 4) AS \"m\" FROM \"t\""},
      {"SELECT tsql_div(CAST(\"a\" AS REAL), tsql_money(\"b\")) FROM t",
       "SELECT (CAST(\"a\" AS REAL) / round(\"b\", 4)) FROM t"},
      {"SELECT money_sum(\"x\") FROM (SELECT \"x\" FROM t) GROUP BY \"k\"",
       "SELECT round(sum(\"x\"), 4) FROM (SELECT \"x\" FROM t) GROUP BY \"k\""},
      {"SELECT CASE WHEN a = 1 THEN 'x' END COLLATE tsql_ci AS \"s\"",
       "SELECT CASE WHEN a = 1 THEN 'x' END COLLATE NOCASE AS \"s\""},
      // the same words inside a string or a quoted name are data
      {"SELECT 'tsql_money(1), it''s' AS \"tsql_div(\" FROM t",
       "SELECT 'tsql_money(1), it''s' AS \"tsql_div(\" FROM t"},
      {"SELECT \"a\" FROM t WHERE \"a\" IN (1, 2) AND EXISTS (SELECT 1)",
       "SELECT \"a\" FROM t WHERE \"a\" IN (1, 2) AND EXISTS (SELECT 1)"},
      {"SELECT tsql_money(tsql_datepart('yy', \"d\")) FROM t", nullptr},
      {"SELECT \"s\" COLLATE tsql_cs FROM t", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const auto out = tsql::exec::portableViewBody(c.body, stock);
    if (c.portable == nullptr)
      EXPECT_FALSE(out.has_value()) << *out;
    else
      EXPECT_EQ(out.value_or("(refused)"), c.portable);
  }
}

// Two engine connections and a plain SQLite one on one file.
class FileViews : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("tsql_views_" + std::to_string(::getpid()) + ".db"))
                .string();
    std::filesystem::remove(path_);
    for (sqlite3** db : {&a_, &b_, &plain_}) ASSERT_EQ(sqlite3_open(path_.c_str(), db), SQLITE_OK);
    engineA_ = std::make_unique<tsql::Engine>(a_);
    engineB_ = std::make_unique<tsql::Engine>(b_);
  }
  void TearDown() override {
    engineA_.reset();
    engineB_.reset();
    for (sqlite3* db : {a_, b_, plain_}) sqlite3_close(db);
    std::filesystem::remove(path_);
  }
  // The first value of `sql` read by SQLite alone, "NULL" or "error: …".
  std::string plainValue(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(plain_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      return std::string("error: ") + sqlite3_errmsg(plain_);
    std::string out = "no row";
    if (sqlite3_step(st) == SQLITE_ROW)
      out = sqlite3_column_type(st, 0) == SQLITE_NULL
                ? "NULL"
                : reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
  }
  static tsql::BatchResult run(tsql::Engine& e, const char* batch) { return e.run(batch); }

  std::string path_;
  sqlite3 *a_ = nullptr, *b_ = nullptr, *plain_ = nullptr;
  std::unique_ptr<tsql::Engine> engineA_, engineB_;
};

// 1/n with n = 0 tells the texts apart: the engine raises 8134, SQLite gives NULL.
TEST_F(FileViews, SqliteAloneReadsThePlainViewAndEachEngineConnectionTheExactOne) {
  ASSERT_TRUE(run(*engineA_, "create table t(n int, m money) insert into t values (0, 2.5)").ok());
  ASSERT_TRUE(run(*engineA_, "create view v as select m * 2 as twice, 1 / n as q from t").ok());
  EXPECT_EQ(plainValue("select twice from v"), "5.0");
  EXPECT_EQ(plainValue("select q from v"), "NULL");
  EXPECT_EQ(plainValue("pragma integrity_check"), "ok");
  for (tsql::Engine* e : {engineA_.get(), engineB_.get()}) {  // B learns of it from the file
    tsql::BatchResult r = run(*e, "select q from v");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].number, 8134);
  }
  // B changes the view; A reads the new exact text.
  ASSERT_TRUE(run(*engineB_, "alter view v as select m as twice, 10 / (n + 1) as q from t").ok());
  tsql::BatchResult r = run(*engineA_, "select twice, q from v");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(r.resultSets.at(0).rows.at(0),
            (std::vector<core::Value>{core::Value(core::Currency::fromRaw(25000)),
                                      core::Value(std::int64_t{10})}));
  // A view made and rolled back is gone everywhere; a dropped one too.
  ASSERT_TRUE(run(*engineA_, "begin tran create view w as select 1 / n as q from t rollback").ok());
  EXPECT_FALSE(run(*engineA_, "select q from w").ok());
  ASSERT_TRUE(run(*engineA_, "drop view v").ok());
  for (tsql::Engine* e : {engineA_.get(), engineB_.get()})
    EXPECT_FALSE(run(*e, "select q from v").ok());
  EXPECT_EQ(plainValue("select count(*) from sqlite_master where type = 'view'"), "0");
  EXPECT_EQ(plainValue("select count(*) from tsql_views"), "0");
}

}  // namespace
