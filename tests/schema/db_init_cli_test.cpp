// `coreapp db init` as the command line promises: an existing file is refused with
// exit 2 unless --force, the made file holds the schema (and demo data with --demo);
// `coreapp plugs` lists the 23 items of the plug table in table order and nothing else.
#include <fstream>

#include "core/json.h"
#include "schema_db_test.h"

namespace {

using schematest::coreapp;
using schematest::scalar;

TEST(DbInitCommand, RefusesAnExistingFileUnlessForced) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  auto path = schematest::freshPath("cli");
  EXPECT_EQ(coreapp("db init --db " + path), 0);
  {
    db::EmbeddedConnection c(path);
    EXPECT_EQ(scalar(c, "select count(*) from vt_b_ygbmk").asInteger(), 0);
  }
  EXPECT_EQ(coreapp("db init --db " + path + " --demo"), 2);  // exists
  EXPECT_EQ(coreapp("db init --db " + path + " --demo --force"), 0);
  {
    db::EmbeddedConnection c(path);
    EXPECT_EQ(scalar(c, "select name from vt_b_ygbmk where id = 1").asText(), "王敏");
  }
  EXPECT_EQ(coreapp("db init"), 2);  // --db is required
  EXPECT_EQ(coreapp("db init --db " + path + " --force --scale 0"), 2);  // at least a year
  schematest::removeFile(path);
}

TEST(PlugsCommand, ListsTheItemsOfThePlugTableInOrderAndNotThePackagesAdditions) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  const std::string out = schematest::freshPath("plugs") + ".out";
  ASSERT_EQ(coreapp("plugs > " + out), 0);
  std::vector<std::string> codes;
  std::ifstream lines(out);
  for (std::string line; std::getline(lines, line);) codes.push_back(core::JsonNode::parse(line)["code"].asText());
  EXPECT_EQ(codes, (std::vector<std::string>{"1100", "1100_07", "1101", "1102", "1103", "1105", "1110", "1111",
                                             "1112", "1113", "1114", "1115", "1116", "1117", "1118", "1120",
                                             "1121", "1122", "1123", "1124", "1125", "1126", "1127"}));
  std::filesystem::remove(out);
}

}  // namespace
