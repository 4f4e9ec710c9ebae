// Percentiles: tsql_percentile_cont(x, p, desc) and tsql_percentile_disc(x, p, desc),
// window aggregates over a partition's non-NULL values in the order of x (descending
// when desc is 1). CONT interpolates between the two values around position p * (n - 1)
// as a float; DISC gives the first value whose cumulative share of the rows reaches p,
// as it was stored. p outside 0..1 is an error.
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class Percentiles {
 public:
  //! Registers both functions; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
