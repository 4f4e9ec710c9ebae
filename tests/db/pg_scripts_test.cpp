// The engine's script cases (tests/tsql/scripts) on the server: the same batches give
// the same rows and errors through PgConnection as on the embedded file. Each script
// gets a fresh database on the test cluster.
#include <gtest/gtest.h>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "tsql/script_cases.h"

namespace {

class PgScriptTest : public testing::TestWithParam<std::string> {};

TEST_P(PgScriptTest, RunsAsOnTheEmbeddedEngine) {
  std::string uri = pgtest::freshDatabase("script_" + scriptcases::testName(GetParam()));
  ASSERT_FALSE(uri.empty());
  db::PgConnection conn(uri);
  std::vector<scriptcases::Case> cases = scriptcases::loadCases(scriptcases::scriptFolder() / GetParam());
  ASSERT_FALSE(cases.empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(GetParam() + ":" + std::to_string(c.line));
    scriptcases::check(c, conn.execBatch(c.sql));
  }
}

INSTANTIATE_TEST_SUITE_P(Server, PgScriptTest, testing::ValuesIn(scriptcases::scriptNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return scriptcases::testName(info.param);
                         });

}  // namespace
