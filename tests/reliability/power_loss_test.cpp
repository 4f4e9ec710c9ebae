// Power loss: a clerk saving in a loop is killed with SIGKILL at a seeded random
// moment, again and again on the same file. After each kill the file must pass
// SQLite's integrity check and every bill must be whole with its own number; the
// clerk's open transaction is simply gone. CI: 10 kills; make soak: 50.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include "db/embedded_connection.h"
#include "reliability/bill_integrity.h"
#include "reliability/clerk_processes.h"

namespace reliability {
namespace {

std::string integrityCheck(db::EmbeddedConnection& conn) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(conn.handle(), "pragma integrity_check", -1, &st, nullptr);
  std::string result;
  while (sqlite3_step(st) == SQLITE_ROW) result += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  return result;
}

TEST(PowerLoss, AKilledClerkLeavesAWholeFileAndWholeBills) {
  const int kills = soakScale() ? 50 : 10;
  const std::string dir = scratchDirectory("power-loss");
  const std::string file = dir + "/shop.db";
  const std::map<std::string, std::int64_t> mark = demoDatabaseForClerks(file);
  std::mt19937 random(20261206);  // seeded: a failing run can be repeated
  std::uniform_int_distribution<int> moment(300, 1500);  // ms: start-up takes some of it
  std::int64_t bills = 0;
  for (int k = 0; k < kills; ++k) {
    const pid_t clerk = startClerk(file, 0, dir + "/clerk.err");
    std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
    killClerk(clerk);
    db::EmbeddedConnection conn(file);
    ASSERT_EQ(integrityCheck(conn), "ok") << "after kill " << k + 1;
    const BillCensus census = censusAbove(conn, mark);
    for (const std::string& broken : census.broken) ADD_FAILURE() << "after kill " << k + 1 << ": " << broken;
    bills = census.bills.at("vt_x_xmzzk") + census.bills.at("vt_c_spjh");
  }
  EXPECT_GT(bills, 0) << "no clerk lived long enough to save a bill";
  std::cout << "power loss: " << kills << " kills, " << bills << " bills saved between them, all whole\n";
}

}  // namespace
}  // namespace reliability
