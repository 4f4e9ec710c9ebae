// Bad files through the coreapp command line: a file that is not a database, one that
// is read-only, one from a newer schema and one that is missing. Each gives one clear
// message and exit code 1, and leaves the file byte for byte as it was, with no file
// created beside it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "reliability/clerk_processes.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int exit = -1;
  std::string err;
};

// Runs `coreapp ARGS < input` in `dir`, as the user nobody when `asNobody` (the tests
// run as root, whom file modes do not stop).
CliRun coreapp(const std::string& dir, const std::string& args, const std::string& input, bool asNobody = false) {
  { std::ofstream(dir + "/input.sql") << input; }
  const std::string who = asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const std::string cmd = "cd '" + dir + "' && " + who + "'" + COREAPP_CLI + "' " + args +
                          " < input.sql > out.txt 2> err.txt";
  const int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir + "/err.txt")};
}

// Every file of the directory but the test's own in/out files, with its bytes.
std::map<std::string, std::string> filesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name != "input.sql" && name != "out.txt" && name != "err.txt") files[name] = readFile(e.path().string());
  }
  return files;
}

std::string initDatabase(const std::string& dir) {
  const CliRun init = coreapp(dir, "db init --db shop.db", "");
  EXPECT_EQ(init.exit, 0) << init.err;
  return dir + "/shop.db";
}

void expectRefusedUnchanged(const std::string& dir, const char* mention, bool asNobody = false) {
  const std::map<std::string, std::string> before = filesIn(dir);
  const std::string scenario = std::string(COREAPP_SOURCE_DIR) + "/tests/reliability/clerk/purchase.json";
  const CliRun sql = coreapp(dir, "sql --db shop.db", "insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'X', 'x')",
                             asNobody);
  const CliRun play = coreapp(dir, "play --db shop.db '" + scenario + "'", "", asNobody);
  for (const CliRun& run : {sql, play}) {
    EXPECT_EQ(run.exit, 1) << run.err;
    EXPECT_NE(run.err.find(mention), std::string::npos) << "told: " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one message, told: " << run.err;
  }
  EXPECT_EQ(filesIn(dir), before) << "a file was changed or created";
}

TEST(BadFiles, NotADatabase) {
  const std::string dir = scratchDirectory("not-a-database");
  { std::ofstream(dir + "/shop.db") << std::string(5000, 'x') << "this is a price list, not a database\n"; }
  expectRefusedUnchanged(dir, "not a database");
}

TEST(BadFiles, Missing) {
  const std::string dir = scratchDirectory("missing");
  const std::string scenario = std::string(COREAPP_SOURCE_DIR) + "/tests/reliability/clerk/purchase.json";
  const CliRun play = coreapp(dir, "play --db shop.db '" + scenario + "'", "");
  EXPECT_EQ(play.exit, 1);
  EXPECT_NE(play.err.find("does not exist"), std::string::npos) << play.err;
  EXPECT_TRUE(filesIn(dir).empty()) << "a file was created";
}

TEST(BadFiles, NewerSchema) {
  const std::string dir = scratchDirectory("newer-schema");
  const std::string file = initDatabase(dir);
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "pragma user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  expectRefusedUnchanged(dir, "newer coreapp");
}

TEST(BadFiles, ReadOnly) {
  const std::string dir = scratchDirectory("read-only");
  const std::string file = initDatabase(dir);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                           fs::perms::others_exec);
  expectRefusedUnchanged(dir, "read-only", true);
}

}  // namespace
}  // namespace reliability
