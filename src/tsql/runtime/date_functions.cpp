// Date arithmetic as SQL Server counts it. datediff counts boundaries, not elapsed
// time: 23:59 to 00:01 the next day is one day, and 1 Jan minus 31 Dec is one year.
// getdate() is local wall-clock time from core::DateTime's replaceable clock.
#include "tsql/runtime/date_functions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "tsql/runtime/date_settings.h"
#include "tsql/runtime/date_styles.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {
namespace {

enum class Part {
  Year, Quarter, Month, DayOfYear, Day, Week, Weekday, Hour, Minute, Second, Millisecond,
  Microsecond, Nanosecond,
};

Part parsePart(std::string_view name) {
  std::string n;
  for (char c : name) n += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  struct Alias {
    const char* name;
    Part part;
  };
  static const Alias aliases[] = {
      {"year", Part::Year},       {"yy", Part::Year},          {"yyyy", Part::Year},
      {"quarter", Part::Quarter}, {"qq", Part::Quarter},       {"q", Part::Quarter},
      {"month", Part::Month},     {"mm", Part::Month},         {"m", Part::Month},
      {"dayofyear", Part::DayOfYear}, {"dy", Part::DayOfYear}, {"y", Part::DayOfYear},
      {"day", Part::Day},         {"dd", Part::Day},           {"d", Part::Day},
      {"week", Part::Week},       {"wk", Part::Week},          {"ww", Part::Week},
      {"weekday", Part::Weekday}, {"dw", Part::Weekday},       {"hour", Part::Hour},
      {"hh", Part::Hour},         {"minute", Part::Minute},    {"mi", Part::Minute},
      {"n", Part::Minute},        {"second", Part::Second},    {"ss", Part::Second},
      {"s", Part::Second},        {"millisecond", Part::Millisecond}, {"ms", Part::Millisecond},
      {"microsecond", Part::Microsecond}, {"mcs", Part::Microsecond},
      {"nanosecond", Part::Nanosecond}, {"ns", Part::Nanosecond}};
  for (const auto& a : aliases) {
    if (n == a.name) return a.part;
  }
  throw RuntimeError(errors::Error::UnknownDatepart, {name});
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t kDay = 86400000;

std::int64_t dayNumber(core::DateTime d) { return floorDiv(d.millis(), kDay); }

[[noreturn]] void dateOverflow() {
  throw RuntimeError(errors::Error::DateAddOverflow, {"datetime"});
}

core::DateTime argDate(SqlArgs& a, int i) { return ValueConversion::toDateTime(a[i]); }

// A datetime: the clock on its 1/300 s tick, as a value stored and read back would be.
void getdate(SqlArgs& a) { a.set(ValueConversion::dateTimeText(ValueConversion::roundToTick(core::DateTime::now()))); }

// The machine's offset from UTC now, in minutes (the clock reads local time).
int localOffsetMinutes() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

core::DateTime utcNow() {
  return core::DateTime::fromMillis(core::DateTime::now().millis() - std::int64_t{localOffsetMinutes()} * 60000);
}

void getutcdate(SqlArgs& a) { a.set(ValueConversion::dateTimeText(ValueConversion::roundToTick(utcNow()))); }

// datetime2(7): the clock keeps milliseconds, the other four digits are zeros.
std::string dateTime2Text(core::DateTime d) { return ValueConversion::dateTimeText(d) + "0000"; }

void sysdatetime(SqlArgs& a) { a.set(dateTime2Text(core::DateTime::now())); }
void sysutcdatetime(SqlArgs& a) { a.set(dateTime2Text(utcNow())); }

void sysdatetimeoffset(SqlArgs& a) {
  const int offset = localOffsetMinutes();
  char zone[24];
  std::snprintf(zone, sizeof zone, " %c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                std::abs(offset) % 60);
  a.set(dateTime2Text(core::DateTime::now()) + zone);
}

// RAND(): a float in [0, 1); RAND(seed) starts the sequence again from `seed`, so it
// and the values after it repeat for the same seed.
std::mt19937_64& randomSequence() {
  thread_local std::mt19937_64 sequence{std::random_device{}()};
  return sequence;
}

void rand(SqlArgs& a) {
  if (a.count() == 1 && !a.isNull(0)) randomSequence().seed(static_cast<std::uint64_t>(a.integer(0)));
  a.set(std::uniform_real_distribution<double>(0.0, 1.0)(randomSequence()));
}

// datediff returns an int: a count of boundaries beyond it is an error, not a wrap.
void datediff(SqlArgs& a) {
  if (a.isNull(1) || a.isNull(2)) return a.setNull();
  std::int64_t n = DateFunctions::diff(a.text(0), argDate(a, 1), argDate(a, 2));
  if (n > 2147483647 || n < -2147483648LL) {
    throw RuntimeError(errors::Error::DateDiffOverflow);
  }
  a.set(n);
}

void dateadd(SqlArgs& a) {
  if (a.isNull(1) || a.isNull(2)) return a.setNull();
  std::int64_t n = a.integer(1);
  core::DateTime sum = DateFunctions::add(a.text(0), n, argDate(a, 2));
  a.set(ValueConversion::dateTimeText(ValueConversion::roundToTick(sum)));
}

std::int64_t partOf(Part p, core::DateTime d) {
  switch (p) {
    case Part::Year: return d.year();
    case Part::Quarter: return (d.month() - 1) / 3 + 1;
    case Part::Month: return d.month();
    case Part::DayOfYear:
      return dayNumber(d) - dayNumber(core::DateTime::fromParts(d.year(), 1, 1)) + 1;
    case Part::Day: return d.day();
    case Part::Week: {  // weeks start on Sunday; week 1 holds 1 January
      auto jan1 = core::DateTime::fromParts(d.year(), 1, 1);
      std::int64_t jan1Weekday = jan1.dayOfWeek() % 7;  // Sunday = 0
      return (dayNumber(d) - dayNumber(jan1) + jan1Weekday) / 7 + 1;
    }
    case Part::Weekday:  // 1 is the session's DATEFIRST day (Sunday unless SET otherwise)
      return (d.dayOfWeek() - currentDateSettings().dateFirst + 7) % 7 + 1;
    case Part::Hour: return d.hour();
    case Part::Minute: return d.minute();
    case Part::Second: return d.second();
    case Part::Millisecond: return d.millisecond();
    case Part::Microsecond: return d.millisecond() * std::int64_t{1000};
    case Part::Nanosecond: return d.millisecond() * std::int64_t{1000000};
  }
  return 0;
}

void datepart(SqlArgs& a) {
  if (a.isNull(1)) return a.setNull();
  a.set(partOf(parsePart(a.text(0)), argDate(a, 1)));
}

// DATENAME: month and weekday by their (us_english) names, other parts as numbers.
void datename(SqlArgs& a) {
  if (a.isNull(1)) return a.setNull();
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  Part part = parsePart(a.text(0));
  std::int64_t n = partOf(part, argDate(a, 1));
  if (part == Part::Month) return a.set(std::string_view(kMonths[n - 1]));
  if (part == Part::Weekday) return a.set(std::string_view(kDays[argDate(a, 1).dayOfWeek() % 7]));
  a.set(std::string_view(std::to_string(n)));
}

// ISDATE: 1 when the text is a datetime (1753 to 9999), else 0; NULL is 0.
void isdate(SqlArgs& a) {
  if (a.isNull(0) || a.type(0) != SQLITE_TEXT) return a.set(std::int64_t{0});
  try {
    core::DateTime d = ValueConversion::textToDateTime(a.text(0));
    a.set(std::int64_t{d.year() >= 1753 ? 1 : 0});
  } catch (const RuntimeError&) {
    a.set(std::int64_t{0});  // not a date is an answer here, not an error
  }
}

template <Part P>
void onePart(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(partOf(P, argDate(a, 0)));
}

void toDatetime(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::dateTimeText(ValueConversion::roundToTick(argDate(a, 0))));
}

// eomonth(d [, months]): the last day of d's month, that many months on (a date).
void eomonth(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  core::DateTime d = argDate(a, 0);
  std::int64_t months = a.count() > 1 ? a.integer(1) : 0;
  if (months > 120000 || months < -120000) dateOverflow();
  core::DateTime first = core::DateTime::fromParts(d.year(), d.month(), 1);
  a.set(ValueConversion::dateTimeText(first.addMonths(static_cast<int>(months + 1)).addDays(-1)));
}

// datefromparts(y, m, d): the date, or error 289 for a day the calendar does not have.
void datefromparts(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::int64_t y = a.integer(0), m = a.integer(1), d = a.integer(2);
  bool valid = y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
  core::DateTime r;
  if (valid) {
    r = core::DateTime::fromParts(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
    valid = r.month() == m;  // 30 February runs into March
  }
  if (!valid) {
    throw RuntimeError(errors::Error::BadDateParts);
  }
  a.set(ValueConversion::dateTimeText(r));
}

void toDate(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::dateTimeText(ValueConversion::dayOf(argDate(a, 0))));
}

void toSmalldatetime(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::dateTimeText(ValueConversion::roundToMinute(argDate(a, 0))));
}

// CONVERT(varchar, d, style) for the styles the shop's reports use.
void datetimeText(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  core::DateTime d = argDate(a, 0);
  std::int64_t style = a.count() > 1 && !a.isNull(1) ? a.integer(1) : 121;
  // a style we do not know writes the stored form, as style 121 does
  a.set(styledDateText(d, static_cast<int>(style)).value_or(ValueConversion::dateTimeText(d)));
}

}  // namespace

std::int64_t DateFunctions::diff(std::string_view part, core::DateTime a, core::DateTime b) {
  Part p = parsePart(part);
  switch (p) {
    case Part::Year: return b.year() - a.year();
    case Part::Quarter:
      return (b.year() * 4 + (b.month() - 1) / 3) - (a.year() * 4 + (a.month() - 1) / 3);
    case Part::Month: return (b.year() * 12 + b.month()) - (a.year() * 12 + a.month());
    case Part::DayOfYear:
    case Part::Day:
    case Part::Weekday: return dayNumber(b) - dayNumber(a);
    case Part::Week:  // Sunday boundaries; 1970-01-01 was a Thursday
      return floorDiv(dayNumber(b) + 4, 7) - floorDiv(dayNumber(a) + 4, 7);
    case Part::Hour: return floorDiv(b.millis(), 3600000) - floorDiv(a.millis(), 3600000);
    case Part::Minute: return floorDiv(b.millis(), 60000) - floorDiv(a.millis(), 60000);
    case Part::Second: return floorDiv(b.millis(), 1000) - floorDiv(a.millis(), 1000);
    case Part::Millisecond: return b.millis() - a.millis();
    case Part::Microsecond:
    case Part::Nanosecond: {
      // a datetime holds milliseconds; a span far past an int is capped (still past
      // it, so datediff reports the overflow) before scaling, so int64 cannot wrap
      std::int64_t ms = std::clamp<std::int64_t>(b.millis() - a.millis(), -(1LL << 40), 1LL << 40);
      return ms * (p == Part::Microsecond ? 1000 : 1000000);
    }
  }
  return 0;
}

namespace {

core::DateTime addMonthsChecked(core::DateTime d, std::int64_t months) {
  if (months > 12 * 10000 || months < -12 * 10000) dateOverflow();  // past any datetime
  return d.addMonths(static_cast<int>(months));
}

core::DateTime shifted(Part part, std::int64_t n, core::DateTime d) {
  switch (part) {
    case Part::Year: return addMonthsChecked(d, n * 12);
    case Part::Quarter: return addMonthsChecked(d, n * 3);
    case Part::Month: return addMonthsChecked(d, n);
    case Part::DayOfYear:
    case Part::Day:
    case Part::Weekday: return d.addDays(n);
    case Part::Week: return d.addDays(n * 7);
    case Part::Hour: return d.addMillis(n * 3600000);
    case Part::Minute: return d.addMillis(n * 60000);
    case Part::Second: return d.addMillis(n * 1000);
    case Part::Millisecond: return d.addMillis(n);
    case Part::Microsecond:
    case Part::Nanosecond:
      throw RuntimeError(errors::Error::DatepartNotSupported,
                         {part == Part::Microsecond ? "microsecond" : "nanosecond", "dateadd", "datetime"});
  }
  return d;
}

}  // namespace

// The number is an int and the result a datetime (years 1753 to 9999): past either,
// the server raises an error rather than wrapping to some other date.
core::DateTime DateFunctions::add(std::string_view part, std::int64_t n, core::DateTime d) {
  core::DateTime r = shift(part, n, d);
  if (r.year() < 1753 || r.year() > 9999) dateOverflow();
  return r;
}

core::DateTime DateFunctions::shift(std::string_view part, std::int64_t n, core::DateTime d) {
  if (n > 2147483647 || n < -2147483648LL)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "int"});
  return shifted(parsePart(part), n, d);
}

std::int64_t DateFunctions::part(std::string_view part, core::DateTime d) { return partOf(parsePart(part), d); }

int DateFunctions::install(sqlite3* db) {
  return firstFailure({defineFunction<getdate>(db, "getdate", 0, false),
                       defineFunction<getutcdate>(db, "getutcdate", 0, false),
                       defineFunction<sysdatetime>(db, "sysdatetime", 0, false),
                       defineFunction<sysutcdatetime>(db, "sysutcdatetime", 0, false),
                       defineFunction<sysdatetimeoffset>(db, "sysdatetimeoffset", 0, false),
                       defineFunction<rand>(db, "rand", 0, false),
                       defineFunction<rand>(db, "rand", 1, false),
                       defineFunction<datediff>(db, "datediff", 3),
                       defineFunction<dateadd>(db, "dateadd", 3),
                       defineFunction<datepart>(db, "datepart", 2),
                       defineFunction<datename>(db, "datename", 2),
                       defineFunction<isdate>(db, "isdate", 1),
                       defineFunction<onePart<Part::Year>>(db, "year", 1),
                       defineFunction<onePart<Part::Month>>(db, "month", 1),
                       defineFunction<onePart<Part::Day>>(db, "day", 1),
                       defineFunction<toDatetime>(db, "tsql_datetime", 1),
                       defineFunction<toSmalldatetime>(db, "tsql_smalldatetime", 1),
                       defineTolerant<toDatetime>(db, "tsql_try_datetime", 1),
                       defineFunction<toDate>(db, "tsql_date", 1),
                       defineTolerant<toDate>(db, "tsql_try_date", 1),
                       defineFunction<eomonth>(db, "eomonth", 1),
                       defineFunction<eomonth>(db, "eomonth", 2),
                       defineFunction<datefromparts>(db, "datefromparts", 3),
                       defineTolerant<toSmalldatetime>(db, "tsql_try_smalldatetime", 1),
                       defineFunction<datetimeText>(db, "tsql_datetime_text", 1),
                       defineFunction<datetimeText>(db, "tsql_datetime_text", 2)});
}

}  // namespace tsql::runtime
