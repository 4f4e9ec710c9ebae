// `coreapp db init` as the command line promises: an existing file is refused with
// exit 2 unless --force, the made file holds the schema (and demo data with --demo);
// `coreapp plugs` lists the 23 items of the plug table in table order and nothing else;
// --shop/--owner/--password-file set a new shop up on the file and on the server.
#include <fstream>

#include "core/json.h"
#include "core/password_hasher.h"
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

// A new shop from the command line: one empty database on each backend.
class FirstRunCommand : public ::testing::TestWithParam<schematest::Backend> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(schematest::coreappBinary()))
      GTEST_SKIP() << "coreapp is not built";
    passwordFile = schematest::freshPath("owner") + ".pw";
    std::ofstream(passwordFile) << "店主 secret\n";
    if (GetParam() == schematest::Backend::File) {
      place = schematest::freshPath("firstrun");
    } else {
      serverName = "firstrun_" + std::to_string(::getpid());
      place = pgtest::freshDatabase(serverName);
      ASSERT_FALSE(place.empty());
    }
  }
  void TearDown() override {
    std::filesystem::remove(passwordFile);
    if (serverName.empty()) {
      schematest::removeFile(place);
      return;
    }
    std::string failure, cluster = pgtest::clusterUri(failure);
    if (!cluster.empty())
      pgtest::run(cluster, "DROP DATABASE IF EXISTS \"" + serverName + "\" WITH (FORCE)");
  }
  int init(const std::string& more) {
    return schematest::coreapp("db init --db '" + place + "' " + more);
  }
  std::unique_ptr<db::Connection> connect() const {
    if (serverName.empty()) return std::make_unique<db::EmbeddedConnection>(place);
    return std::make_unique<db::PgConnection>(place);
  }

  std::string place, serverName, passwordFile;
};

TEST_P(FirstRunCommand, SetsUpTheBranchStoreAndOwnerWhoseHashTakesHisPassword) {
  // Incomplete or mixed options are bad usage and make nothing.
  EXPECT_EQ(init("--shop 鑫彩图文 --owner 王店主"), 2);
  EXPECT_EQ(init("--shop 鑫彩图文 --owner 王店主 --password-file " + passwordFile + " --demo"), 2);
  std::ofstream(passwordFile + ".short") << "12345";
  EXPECT_EQ(init("--shop 鑫彩图文 --owner 王店主 --password-file " + passwordFile + ".short"), 2);
  std::filesystem::remove(passwordFile + ".short");
  if (serverName.empty()) {
    EXPECT_FALSE(std::filesystem::exists(place));
  }

  ASSERT_EQ(init("--shop \"鑫彩 O'Neil 图文\" --owner 王店主 --password-file " + passwordFile), 0);
  auto c = connect();
  EXPECT_EQ(scalar(*c, "select name from vt_sys_org where orgid = '0001'").asText(),
            "鑫彩 O'Neil 图文");
  EXPECT_EQ(scalar(*c, "select count(*) from vt_b_ckbmk").asInteger(), 1);
  EXPECT_EQ(scalar(*c,
                   "select r.rightcode from vt_b_ygbmk e join vt_sys_user_rights r on "
                   "r.czy_id = e.id where e.name = '王店主' and e.ck_id = 1")
                .asText(),
            "*");
  // The password file's line break is not part of the password; only the hash is kept.
  const std::string kept = scalar(*c, "select pwdhash from vt_sys_user_login").asText();
  const core::PasswordHasher program = core::PasswordHasher::production();
  EXPECT_TRUE(program.verify("店主 secret", kept));
  EXPECT_FALSE(program.verify("店主 secret\n", kept));
  EXPECT_EQ(kept.find("secret"), std::string::npos);
}

SCHEMA_ON_BOTH_BACKENDS(FirstRunCommand);

}  // namespace
