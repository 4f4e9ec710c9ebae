// MoneyAggregates: money_sum and money_avg, which add money in whole ten-thousandths
// (int64) so totals never drift, and tsql_avg_int, T-SQL's integer average.
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class MoneyAggregates {
 public:
  //! Registers the aggregates; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
