// Runs the SQL scripts under tests/tsql/scripts/ through the engine, DuckDB style:
// each case is one batch with the expected outcome written next to it.
//
//   statement ok              the batch runs without error
//   statement error <text>    the batch reports an error whose message contains <text>
//   query [error <text>]      the last result set must equal the rows after ----
//                             (columns separated by |, NULL for null); with `error`,
//                             the batch must also report that error
//
// Every script gets a fresh in-memory database; cases in a file run in order.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tsql/engine.h"
#include "tsql/script_cases.h"

namespace {

using scriptcases::Case;

class ScriptTest : public testing::TestWithParam<std::string> {};

TEST_P(ScriptTest, RunsAsExpected) {
  std::filesystem::path file = scriptcases::scriptFolder() / GetParam();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  {
    tsql::Engine engine(db);
    std::vector<Case> cases = scriptcases::loadCases(file);
    ASSERT_FALSE(cases.empty()) << file;
    for (const Case& c : cases) {
      SCOPED_TRACE(GetParam() + ":" + std::to_string(c.line));
      scriptcases::check(c, engine.run(c.sql));
    }
  }
  sqlite3_close(db);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, testing::ValuesIn(scriptcases::scriptNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return scriptcases::testName(info.param);
                         });

}  // namespace
