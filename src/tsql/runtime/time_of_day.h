// time(n) values: a time of day to 100 ns, kept as text "hh:mm:ss.fffffff" with seven
// fraction digits whatever n is (rounded to n first), so text order is time order and
// values of different n compare as they are; shown with n digits. Text reads as a time
// with or without a date before it ("2024-05-06 10:30" is 10:30) and with AM or PM.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsql::runtime {

//! Ticks (100 ns) into the day a text names; nullopt when it names no time of day.
std::optional<std::int64_t> parseTimeOfDay(std::string_view text);
//! `text` as a time(scale), in the stored seven-digit form; 241 when it is not a time.
std::string toTimeText(std::string_view text, int scale);
//! A stored time as shown for time(scale): its first `scale` fraction digits, no point at 0.
std::string timeDisplay(std::string_view stored, int scale);

//! Registers tsql_time(x, scale) (text or a date's text to the stored form),
//! tsql_time_text(x, scale, style) (CONVERT of a time to text), tsql_time_dateadd(part,
//! n, x, scale) (wrapping at midnight) and tsql_time_datepart(part, x).
int installTimeFunctions(sqlite3* db);

}  // namespace tsql::runtime
