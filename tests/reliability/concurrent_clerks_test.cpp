// Concurrent clerks: several processes save project orders and purchases in turn on
// one database file at the same time. Every save must go through (no clerk is shown
// a busy database), every bill number must be distinct and every bill whole.
// CI: 4 clerks x 25 saves; make soak: 4 x 250.
#include <gtest/gtest.h>

#include <iostream>
#include <vector>

#include "db/embedded_connection.h"
#include "reliability/bill_integrity.h"
#include "reliability/clerk_processes.h"

namespace reliability {
namespace {

TEST(ConcurrentClerks, EverySaveGoesThroughWithItsOwnNumberAndWhole) {
  const int clerks = 4;
  const long saves = soakScale() ? 250 : 25;
  const std::string dir = scratchDirectory("concurrent");
  const std::string file = dir + "/shop.db";
  const std::map<std::string, std::int64_t> mark = demoDatabaseForClerks(file);
  std::vector<pid_t> pids;
  for (int c = 0; c < clerks; ++c) pids.push_back(startClerk(file, saves, dir + "/clerk" + std::to_string(c) + ".err"));
  for (int c = 0; c < clerks; ++c) {
    EXPECT_EQ(waitClerk(pids[c]), 0) << "clerk " << c << ":\n" << readFile(dir + "/clerk" + std::to_string(c) + ".err");
  }
  db::EmbeddedConnection conn(file);
  const BillCensus census = censusAbove(conn, mark);
  for (const std::string& broken : census.broken) ADD_FAILURE() << broken;
  // each clerk saves an order first, then a purchase, in turn
  EXPECT_EQ(census.bills.at("vt_x_xmzzk"), clerks * ((saves + 1) / 2));
  EXPECT_EQ(census.bills.at("vt_c_spjh"), clerks * (saves / 2));
  std::cout << "concurrent clerks: " << clerks << " processes x " << saves << " saves, "
            << census.bills.at("vt_x_xmzzk") + census.bills.at("vt_c_spjh") << " bills, " << census.broken.size()
            << " broken promises\n";
}

}  // namespace
}  // namespace reliability
