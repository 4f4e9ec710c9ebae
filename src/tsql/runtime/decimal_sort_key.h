// Long decimals (more than 15 digits) travel as text, and some of their values as REAL:
// neither text order nor SQLite's storage-class order is their numeric order. The
// sort key is a text whose byte order is the numeric order, for ORDER BY; MIN and MAX
// of them go through decimal_min / decimal_max, which compare by value.
#pragma once

#include <sqlite3.h>

#include <string>

#include "tsql/runtime/decimal.h"

namespace tsql::runtime {

//! A text that sorts (bytewise) as `d` sorts among numbers; equal values, equal keys.
std::string decimalSortKey(const Decimal& d);

//! Registers tsql_dec_key(x), the sort key of x (NULL stays NULL), and the aggregates
//! decimal_min(x), decimal_max(x).
int installDecimalSortKey(sqlite3* db);

}  // namespace tsql::runtime
