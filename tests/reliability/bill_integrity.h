// Whole-bill checks over the bills a test made: every header has lines and every line
// its header, every total is the sum of its lines, no bill number is used twice, and
// an audited purchase's stock journal matches its lines (no journal row without a bill).
// A check looks only at bills with an id above the mark taken before the test, so the
// demo data is left out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/connection.h"

namespace reliability {

//! The bill tables the clerks write: header table; lines are its "_mx".
inline const std::vector<std::string> kClerkBillTables = {"vt_x_xmzzk", "vt_c_spjh"};

//! The highest header id of each table (the mark).
std::map<std::string, std::int64_t> highestIds(db::Connection& conn, const std::vector<std::string>& tables);

//! Makes the demo database at `file` for clerk processes; the mark of their bill
//! tables in it, above which the clerks' bills will lie.
std::map<std::string, std::int64_t> demoDatabaseForClerks(const std::string& file);

struct BillCensus {
  std::map<std::string, std::int64_t> bills;  //!< header table -> bills above the mark
  std::vector<std::string> broken;           //!< one text per broken promise
};

//! Counts the bills above `mark` and checks them whole, with distinct numbers.
BillCensus censusAbove(db::Connection& conn, const std::map<std::string, std::int64_t>& mark);

}  // namespace reliability
