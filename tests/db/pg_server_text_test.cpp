// The text the server gets for a translated statement: markers, case-blind names (with
// the batch's spelling kept for result columns), literals left alone.
#include <gtest/gtest.h>

#include "db/pg_backend.h"

namespace {

TEST(PgServerText, WritesMarkersAndLowerCaseNamesButLeavesLiteralsAlone) {
  struct Case {
    const char* sql;
    const char* server;
  } cases[] = {
      {"SELECT \"isDel\" FROM \"T\" WHERE \"x\" = ?12", "SELECT \"isdel\" FROM \"t\" WHERE \"x\" = $12"},
      {"SELECT 'It''s ?1 \"Mixed\"' AS \"A\"", "SELECT 'It''s ?1 \"Mixed\"' AS \"a\""},
      {"SELECT ?1 AS \"\"", "SELECT $1 AS \"tsql unnamed\""},
      {"SELECT 1 AS \"a\"\"B\"", "SELECT 1 AS \"a\"\"b\""},
      {"SELECT \"名称\" FROM \"vt_b_khbmk\"", "SELECT \"名称\" FROM \"vt_b_khbmk\""},
      {"SELECT ? , ?x", "SELECT ? , ?x"},  // only ?N is a marker
  };
  for (const auto& c : cases) EXPECT_EQ(db::serverText(c.sql), c.server) << c.sql;
}

TEST(PgServerText, RemembersTheSpellingOfEveryNameItLowered) {
  db::Spellings spellings;
  db::serverText("SELECT \"isDel\" AS \"Total\", \"ok\" FROM \"T\"", &spellings);
  EXPECT_EQ(spellings, (db::Spellings{{"isdel", "isDel"}, {"total", "Total"}, {"t", "T"}}));
}

}  // namespace
