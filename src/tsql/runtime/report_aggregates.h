// ReportAggregates: the aggregates reports use beside SUM and AVG, registered in SQLite:
// tsql_var, tsql_varp, tsql_stdev, tsql_stdevp (float; also window functions) and
// tsql_string_agg(value, separator[, directions, key...]), which joins the non-NULL
// values in the order of its keys (WITHIN GROUP (ORDER BY ...); directions is a text of
// 'a'/'d', one a key).
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class ReportAggregates {
 public:
  //! Registers the aggregates; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
