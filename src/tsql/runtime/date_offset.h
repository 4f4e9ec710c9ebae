// datetimeoffset values: a local date and time to 100 ns with its offset from UTC,
// kept as text "YYYY-MM-DD hh:mm:ss[.fffffff] +hh:mm" with as many fraction digits as
// the type's scale (7 by default), the way the server shows them. Text in ISO form, with
// or without an offset ("Z" is +00:00) or a 'T', reads as one.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsql::runtime {

struct OffsetDateTime {
  std::int64_t ticks = 0;  //!< local time: 100 ns since 0001-01-01 00:00:00
  int offsetMinutes = 0;   //!< -840 .. 840
};

//! The value a text names; nullopt when it names none.
std::optional<OffsetDateTime> parseOffsetDateTime(std::string_view text);
//! The text of `v` with `scale` fraction digits (rounded half up).
std::string offsetDateTimeText(OffsetDateTime v, int scale);
//! An offset "+hh:mm" / "-hh:mm" in minutes; nullopt when it is not one in range.
std::optional<int> parseOffset(std::string_view text);
//! `text` as a datetimeoffset(scale) text; 241 when it names no date and time.
std::string toOffsetText(std::string_view text, int scale);
//! Ticks (100 ns since 0001-01-01) as "YYYY-MM-DD hh:mm:ss" and `scale` fraction digits.
std::string localDateTimeText(std::int64_t ticks, int scale);
//! `ticks` rounded (half up) to `scale` fraction digits; cut instead where rounding
//! would pass 9999-12-31.
std::int64_t roundTicks(std::int64_t ticks, int scale);
//! Ticks of a y-m-d date at midnight.
std::int64_t ticksOfDate(int year, int month, int day);

//! Registers tsql_datetimeoffset(x, scale), tsql_dto_local(x) (its local date and time
//! as "YYYY-MM-DD hh:mm:ss.fff"), tsql_dto_utc(x) (the instant in UTC, seven digits: the
//! text comparisons and ORDER BY use), todatetimeoffset(d, offset) and
//! switchoffset(dto, offset).
int installOffsetFunctions(sqlite3* db);
//! Registers tsql_dto_dateadd(part, n, x, scale) and tsql_dto_datepart(part, x) (see
//! date_offset_parts.cpp).
int installOffsetPartFunctions(sqlite3* db);

}  // namespace tsql::runtime
