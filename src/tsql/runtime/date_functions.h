// DateFunctions: getdate, datediff, dateadd, datepart, year, month, day and the
// datetime conversions, on datetimes stored as "YYYY-MM-DD HH:MM:SS.mmm" text.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

#include "core/date_time.h"

namespace tsql::runtime {

class DateFunctions {
 public:
  //! Registers the functions; returns the first SQLite error code.
  static int install(sqlite3* db);
  //! datediff: the number of `part` boundaries crossed from a to b (day: midnights).
  static std::int64_t diff(std::string_view part, core::DateTime a, core::DateTime b);
  //! dateadd: `n` units of `part` added (months clamp the day to the month's end).
  static core::DateTime add(std::string_view part, std::int64_t n, core::DateTime d);
  //! `add` without the datetime's year range (types that reach back to year 1 check
  //! their own); microsecond and nanosecond are 9810 here.
  static core::DateTime shift(std::string_view part, std::int64_t n, core::DateTime d);
  //! datepart: `part` of `d` (weekday counted from the session's DATEFIRST).
  static std::int64_t part(std::string_view part, core::DateTime d);
};

}  // namespace tsql::runtime
