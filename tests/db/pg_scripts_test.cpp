// The engine's script cases (tests/tsql/scripts) on the server: the same batches give
// the same rows and errors through PgConnection as on the embedded file. Each script
// gets a fresh database on the test cluster. The scripts listed here are those the
// server backend runs in full so far (docs/postgresql.md lists the rest).
#include <gtest/gtest.h>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "tsql/script_cases.h"

namespace {

const char* const kServerScripts[] = {
    "abort_rules.test", "binary.test", "builtins.test", "char_padding.test", "constraints.test",
    "date_offsets.test", "dates_as_text.test", "datetime_precision.test", "decimals.test", "errors.test",
    "grouping_sets.test", "like_blanks.test", "money_limits.test", "paging_and_top.test", "procedures.test", "queries.test",
    "save_batch.test", "savepoints.test", "set_operators.test", "string_truncation.test",
    "table_variable_reuse.test", "text_builders.test", "transactions.test", "try_conversions.test",
    "typing.test", "update_from.test", "value_errors.test", "variables.test",
};

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

std::vector<std::string> scriptNames() {
  const char* all = std::getenv("COREAPP_PG_ALL_SCRIPTS");  // to see how far the server has come
  if (!all) return {std::begin(kServerScripts), std::end(kServerScripts)};
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(scriptcases::scriptFolder()))
    if (e.path().extension() == ".test") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Server, PgScriptTest, testing::ValuesIn(scriptNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return scriptcases::testName(info.param);
                         });

}  // namespace
