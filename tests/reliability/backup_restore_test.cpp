// Backup, restore and check of a shop's file. A backup taken while four clerk
// processes keep saving is whole, passes the book checks and holds every bill
// committed before it began, and no clerk sees a save fail. A damaged backup
// (truncated, altered, without its checksum, of a newer schema, damaged inside under a
// matching checksum) is refused by `coreapp db restore` with the live file untouched
// and nothing left beside it; a good one replaces the file and keeps the replaced one.
// And every scenario and recipe played on the demo database leaves the books whole.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <thread>

#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "reliability/bill_integrity.h"
#include "reliability/clerk_processes.h"
#include "reliability/demo_database.h"
#include "schema/book_checks.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

std::set<std::string> billNumbers(db::Connection& conn) {
  std::set<std::string> numbers;
  auto r = conn.execBatch(
      "select orgid + ' ' + billno from vt_x_xmzzk union all select orgid + ' ' + billno from "
      "vt_c_spjh");
  EXPECT_TRUE(r.ok()) << r.errorMessage();
  for (const auto& row : r.resultSets.back().rows) numbers.insert(row.front().asText());
  return numbers;
}

// Exit code of `coreapp ARGS`; its standard error in `err`.
int coreapp(const std::string& args, std::string& err, const std::string& dir) {
  const int status = std::system(("'" + std::string(COREAPP_CLI) + "' " + args + " > '" + dir +
                                  "/out.txt' 2> '" + dir + "/err.txt'")
                                     .c_str());
  err = readFile(dir + "/err.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BackupWhileSaving, TheCopyIsWholeAndHoldsEveryBillCommittedBeforeItBegan) {
  const int clerks = 4;
  const std::string dir = scratchDirectory("backup-while-saving");
  const std::string file = dir + "/shop.db", copy = dir + "/shop.bak";
  const auto mark = demoDatabaseForClerks(file);
  std::vector<pid_t> pids;
  for (int c = 0; c < clerks; ++c)
    pids.push_back(startClerk(file, 0, dir + "/clerk" + std::to_string(c) + ".err"));
  db::EmbeddedConnection live(file, {5000, false});
  const std::size_t demoBills = billNumbers(live).size();
  for (int wait = 0; wait < 600 && billNumbers(live).size() < demoBills + 2 * clerks; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // until every clerk is under way
  const std::set<std::string> before = billNumbers(live);
  const db::BackupReport report = db::backupDatabase(
      live, copy, {.pagesPerStep = 4, .pause = std::chrono::milliseconds(2), .progress = {}});
  const std::set<std::string> after = billNumbers(live);
  for (pid_t pid : pids) killClerk(pid);
  for (int c = 0; c < clerks; ++c)
    EXPECT_EQ(readFile(dir + "/clerk" + std::to_string(c) + ".err"), "") << "clerk " << c;

  EXPECT_EQ(db::sha256OfFile(copy), db::readChecksumFile(copy));
  auto checked = db::openForChecking(copy);
  EXPECT_TRUE(db::integrityProblems(*checked).empty());
  for (const auto& v : schema::checkBooks(*checked))
    ADD_FAILURE() << v.check << " " << v.bill << " " << v.detail;
  const std::set<std::string> inCopy = billNumbers(*checked);
  EXPECT_TRUE(std::includes(inCopy.begin(), inCopy.end(), before.begin(), before.end()));
  EXPECT_TRUE(std::includes(after.begin(), after.end(), inCopy.begin(), inCopy.end()));
  std::cout << "backup while " << clerks << " clerks save: " << report.pages << " pages in "
            << report.steps << " steps; " << before.size() - demoBills << " clerk bills before, "
            << after.size() - before.size() << " saved during the backup, "
            << inCopy.size() - before.size() << " of those in the copy\n";
}

// Every scenario and recipe leaves books that keep every invariant: the checks do not
// cry wolf on what the bills really write (saves, audits, settlements, stocktakes).
TEST(BookChecks, EveryScenarioLeavesTheBooksWhole) {
  for (const std::string& file : scenarioFiles()) {
    auto conn = openDemoDatabase(":memory:");
    playScenario(file, *conn);
    for (const auto& v : schema::checkBooks(*conn))
      ADD_FAILURE() << fs::path(file).filename().string() << ": " << v.check << " | " << v.bill << " | " << v.detail;
  }
}

struct Damage {
  const char* name;
  std::function<void(const std::string& backup)> apply;
  const char* says;  // part of the refusal
};

void overwrite(const std::string& path, std::streamoff at, const std::string& bytes) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(at);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void rechecksum(const std::string& path) { db::writeChecksumFile(path, db::sha256OfFile(path)); }

TEST(Restore, ADamagedBackupIsRefusedAndAGoodOneKeepsTheReplacedFile) {
  const std::string dir = scratchDirectory("restore");
  const std::string live = dir + "/shop.db", good = dir + "/good.bak";
  std::string err;
  ASSERT_EQ(coreapp("db init --demo --db '" + live + "'", err, dir), 0) << err;
  ASSERT_EQ(coreapp("db backup --db '" + live + "' --out '" + good + "'", err, dir), 0) << err;
  const int newer = db::EmbeddedConnection::kSchemaVersion + 1;
  const Damage damages[] = {
      {"truncated", [](const std::string& b) { fs::resize_file(b, fs::file_size(b) / 2); },
       "does not match its checksum"},
      {"altered",
       [](const std::string& b) {
         overwrite(b, static_cast<std::streamoff>(fs::file_size(b) / 2), "x");
       },
       "does not match its checksum"},
      {"without checksum", [](const std::string& b) { fs::remove(db::checksumFileOf(b)); },
       "has no checksum file"},
      {"newer schema",
       [newer](const std::string& b) {
         overwrite(b, 60, std::string{0, 0, 0, static_cast<char>(newer)});
         rechecksum(b);
       },
       "newer coreapp"},
      {"damaged inside",
       [](const std::string& b) {
         overwrite(b, 4096,
                   std::string(4096, '\x5a'));  // the second page, under a checksum that matches
         rechecksum(b);
       },
       "integrity check"},
  };
  const std::string liveSum = db::sha256OfFile(live);
  for (const Damage& d : damages) {
    const std::string bad = dir + "/bad.bak";
    fs::copy_file(good, bad, fs::copy_options::overwrite_existing);
    fs::copy_file(db::checksumFileOf(good), db::checksumFileOf(bad),
                  fs::copy_options::overwrite_existing);
    d.apply(bad);
    EXPECT_EQ(coreapp("db restore --db '" + live + "' --from '" + bad + "'", err, dir), 2)
        << d.name;
    EXPECT_NE(err.find(d.says), std::string::npos) << d.name << ": " << err;
    EXPECT_EQ(db::sha256OfFile(live), liveSum) << d.name;
    for (const auto& e : fs::directory_iterator(dir))
      EXPECT_EQ(e.path().filename().string().find("shop.db."), std::string::npos)
          << d.name << ": " << e.path();
  }

  {  // a change after the backup: the restore takes it away, the kept file has it
    db::EmbeddedConnection conn(live, {5000, false});
    ASSERT_TRUE(
        conn.execBatch(
                "insert into vt_sys_config(orgid, code, value) values ('0001', 'after', 'x')")
            .ok());
  }
  ASSERT_EQ(coreapp("db restore --db '" + live + "' --from '" + good + "'", err, dir), 0) << err;
  EXPECT_EQ(db::sha256OfFile(live), db::readChecksumFile(good));
  std::vector<std::string> kept;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("shop.db.before-restore-", 0) == 0)
      kept.push_back(e.path().string());
  ASSERT_EQ(kept.size(), 1u);
  const std::string count = "select count(*) from vt_sys_config where code = 'after'";
  for (const auto& [path, expected] : {std::pair{live, 0}, std::pair{kept.front(), 1}}) {
    db::EmbeddedConnection conn(path, {5000, false});
    EXPECT_EQ(conn.execBatch(count).resultSets.back().rows.front().front().asInteger(), expected)
        << path;
  }
  EXPECT_EQ(coreapp("db check --db '" + live + "'", err, dir), 0)
      << err << readFile(dir + "/out.txt");
}

}  // namespace
}  // namespace reliability
