// NumberFunctions: isnull, newid, abs, round, the run-time arithmetic operators
// (tsql_add & co.) used where the translator cannot type an operand, and the CAST /
// CONVERT helpers (tsql_int, tsql_money, tsql_varchar, ...).
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class NumberFunctions {
 public:
  //! Registers the functions; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
