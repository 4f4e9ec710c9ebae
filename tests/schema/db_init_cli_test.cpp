// `coreapp db init` as the command line promises: an existing file is refused with
// exit 2 unless --force, the made file holds the schema (and demo data with --demo).
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "schema_db_test.h"

namespace {

using schematest::scalar;

int coreapp(const std::string& args) {
  std::string binary = std::string(COREAPP_BINARY_DIR) + "/coreapp";
  int status = std::system((binary + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DbInitCommand, RefusesAnExistingFileUnlessForced) {
  if (!std::filesystem::exists(std::string(COREAPP_BINARY_DIR) + "/coreapp"))
    GTEST_SKIP() << "coreapp is not built";
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
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

}  // namespace
