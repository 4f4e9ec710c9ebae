// The books' own invariants, each a T-SQL query run through the engine (so the same
// checks run on a file and on the server): every bill whole, totals equal to the sum
// of their lines, write-off ledger rows with their bills, stock on hand equal to the
// stock journal's sum, member-card ledgers that agree with the orders they paid.
#pragma once

#include <string>
#include <vector>

#include "db/connection.h"

namespace schema {

//! One invariant: its query returns one row (bill, detail) per violation.
struct BookCheck {
  std::string name;     //!< short stable name, e.g. "total-not-sum vt_c_spjh"
  std::string query;    //!< T-SQL returning the columns `bill` and `detail`
  std::string message;  //!< what is wrong, as the shop reads it
};

struct BookViolation {
  std::string check;    //!< BookCheck::name
  std::string bill;     //!< the bill (or stock item, card) it concerns
  std::string message;  //!< BookCheck::message
  std::string detail;   //!< the figures that disagree
};

//! Every invariant, in the order they are run.
const std::vector<BookCheck>& bookChecks();

//! Runs every check; throws std::runtime_error when a query itself fails.
std::vector<BookViolation> checkBooks(db::Connection& connection);

}  // namespace schema
