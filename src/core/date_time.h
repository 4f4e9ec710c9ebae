// DateTime: a local calendar time with millisecond precision (no time zone, like the
// database's datetime). "Now" comes from a replaceable clock so tests can pin it.
#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

class DateTime {
 public:
  using Clock = std::function<DateTime()>;

  constexpr DateTime() = default;
  //! Milliseconds since 1970-01-01 00:00:00 of the local calendar.
  static constexpr DateTime fromMillis(std::int64_t ms) {
    DateTime d;
    d.ms_ = ms;
    return d;
  }
  //! From calendar parts; month 1..12 and a day that exists in it (asserted).
  static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0, int millisecond = 0);
  //! Local wall-clock time now, through the replaceable clock.
  static DateTime now();
  //! Replaces the clock (tests); an empty function restores the system clock.
  static void setClock(Clock clock);
  //! Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.mmm]]" and the 'T' separated form.
  static std::optional<DateTime> parse(std::string_view text);

  std::int64_t millis() const { return ms_; }
  int year() const;
  int month() const;
  int day() const;
  int hour() const;
  int minute() const;
  int second() const;
  int millisecond() const;
  //! Monday = 1 ... Sunday = 7.
  int dayOfWeek() const;

  DateTime date() const;  //!< midnight of the same day
  DateTime addDays(std::int64_t days) const;
  DateTime addMonths(int months) const;  //!< clamps the day to the month's end
  DateTime addYears(int years) const { return addMonths(years * 12); }
  DateTime addMillis(std::int64_t ms) const { return fromMillis(ms_ + ms); }

  //! "YYYY-MM-DD HH:MM:SS", with ".mmm" appended when the milliseconds are not zero.
  std::string toString() const;
  //! "YYYY-MM-DD HH:MM:SS.mmm" always (SQL literals).
  std::string toSqlString() const;
  //! "yyyy-mm-dd".
  std::string toDateString() const;
  //! "hh:nn:ss" (the long time format).
  std::string toTimeString() const;
  //! Formats by a date pattern: yyyy yy m mm d dd ddd ("周一") dddd ("星期一") h hh
  //! n nn s ss z zzz, "tt" long time (hh:nn:ss), "t" short time (hh:nn), "c" date
  //! and long time; "m"/"mm" right after an hour mean minutes; text in quotes and
  //! any other character is copied: "日期：yyyy-mm-dd" -> "日期：2024-02-29".
  std::string format(std::string_view pattern) const;

  auto operator<=>(const DateTime&) const = default;

 private:
  std::int64_t ms_ = 0;
};

}  // namespace core
