// datetime2(n) keeps up to seven fraction digits (100 ns). Its values are stored as
// "YYYY-MM-DD hh:mm:ss.fffffff", always seven digits (rounded to the type's n, the rest
// zeros), so any two datetime2 texts compare in time order; a result shows n digits.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace tsql::runtime {

//! A SQLite value (text in any accepted form, a number of days, a date text) as the
//! stored text of datetime2(scale); 241 when it names no date and time.
std::string datetime2Text(sqlite3_value* v, int scale);
//! The same for text (how a slot's value is converted).
std::string datetime2TextOf(std::string_view text, int scale);
//! A stored datetime2 text shown with `scale` fraction digits (none for 0).
std::string datetime2Display(std::string_view stored, int scale);

//! Registers tsql_datetime2(x[, scale]) and tsql_try_datetime2(x[, scale]) over the
//! millisecond ones, and tsql_datetime2_show(x, scale), its text with `scale` digits.
int installDatetime2Functions(sqlite3* db);

}  // namespace tsql::runtime
