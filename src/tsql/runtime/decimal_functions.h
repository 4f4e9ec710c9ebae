// DecimalFunctions: exact decimal/numeric in SQL. CAST to decimal(p,s), the four
// operators and % at the result type the translator works out, and SUM/AVG of
// decimals, all without passing through a double; past the precision it is 8115.
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class DecimalFunctions {
 public:
  //! Registers tsql_decimal, tsql_try_decimal, tsql_dec_add ... tsql_dec_mod,
  //! decimal_sum and decimal_avg. Returns SQLite's result code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
