// A time of day counts 100 ns ticks from midnight. Rounding to n digits and DATEADD
// both wrap past midnight, as the type has no day to carry into. CONVERT styles 8, 20,
// 24, 108 and 120 show hh:mm:ss; 14 and 114 hh:mm:ss:mmm; 0 and 100 h:mmAM; others
// (121, the default, among them) the value as shown.
#include "tsql/runtime/time_of_day.h"

#include <cstdio>

#include "core/strings.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerDay = 86'400 * kTicksPerSecond;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one or two digits at `i` (`exact`: two).
bool number(std::string_view t, std::size_t& i, bool exact, int& out) {
  std::size_t start = i;
  out = 0;
  while (i < t.size() && isDigit(t[i]) && i - start < 2) out = out * 10 + (t[i++] - '0');
  return i - start == 2 || (!exact && i - start == 1);
}

// A leading "yyyy-mm-dd" and the blank or 'T' after it; the date's own checks are the
// date types' business, a time takes only what follows.
void skipDate(std::string_view t, std::size_t& i) {
  if (t.size() < 10 || t[4] != '-' || t[7] != '-') return;
  for (std::size_t k : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!isDigit(t[k])) return;
  i = 10;
  if (i < t.size() && (t[i] == ' ' || t[i] == 'T')) ++i;
}

std::int64_t rounded(std::int64_t ticks, int scale) {
  std::int64_t unit = 1;
  for (int k = scale < 0 ? 0 : scale; k < 7; ++k) unit *= 10;
  return (ticks + unit / 2) / unit * unit % kTicksPerDay;
}

std::string storedText(std::int64_t ticks) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%07lld", static_cast<int>(ticks / (3600 * kTicksPerSecond)),
                static_cast<int>(ticks / (60 * kTicksPerSecond) % 60), static_cast<int>(ticks / kTicksPerSecond % 60),
                static_cast<long long>(ticks % kTicksPerSecond));
  return buf;
}

std::int64_t ticksOf(std::string_view text) {
  auto t = parseTimeOfDay(text);
  if (!t) throw RuntimeError(errors::Error::DateConversion);
  return *t;
}

void toTime(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(toTimeText(a.text(0), static_cast<int>(a.integer(1))));
}

// Style 0 / 100 on a time: the default style's time of day without a date, hours on a
// twelve-hour clock ("5:30PM", "12:05AM").
std::string twelveHourText(const std::string& shown) {
  const int hour = std::stoi(shown.substr(0, 2));
  const int twelve = hour % 12 == 0 ? 12 : hour % 12;
  return std::to_string(twelve) + shown.substr(2, 3) + (hour < 12 ? "AM" : "PM");
}

void timeText(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(2)) return a.setNull();
  std::string shown = storedText(ticksOf(a.text(0)));
  switch (a.integer(2)) {
    case 0: case 100: return a.set(twelveHourText(shown));
    case 8: case 20: case 24: case 108: case 120: return a.set(std::string_view(shown).substr(0, 8));
    case 14: case 114: return a.set(shown.substr(0, 8) + ":" + shown.substr(9, 3));
    default: return a.set(timeDisplay(shown, static_cast<int>(a.integer(1))));
  }
}

// Ticks in one unit of a part DATEADD and DATEPART take on a time; 0 for the parts
// of a date, which the translator refuses before this runs.
std::int64_t unitTicks(const std::string& part) {
  if (part == "hour" || part == "hh") return 3600 * kTicksPerSecond;
  if (part == "minute" || part == "mi" || part == "n") return 60 * kTicksPerSecond;
  if (part == "second" || part == "ss" || part == "s") return kTicksPerSecond;
  if (part == "millisecond" || part == "ms") return 10'000;
  if (part == "microsecond" || part == "mcs") return 10;
  return 0;
}

void timeDateadd(SqlArgs& a) {
  if (a.isNull(1) || a.isNull(2)) return a.setNull();
  std::string part = core::lowerCase(a.text(0));
  std::int64_t n = a.integer(1);
  std::int64_t unit = unitTicks(part);  // each divides a day: n is first taken round whole days
  std::int64_t step = part == "nanosecond" || part == "ns" ? (n >= 0 ? n + 50 : n - 50) / 100
                      : unit                               ? n % (kTicksPerDay / unit) * unit
                                                           : 0;
  std::int64_t t = ((ticksOf(a.text(2)) + step) % kTicksPerDay + kTicksPerDay) % kTicksPerDay;
  a.set(storedText(rounded(t, static_cast<int>(a.integer(3)))));
}

void timeDatepart(SqlArgs& a) {
  if (a.isNull(1)) return a.setNull();
  std::string part = core::lowerCase(a.text(0));
  std::int64_t t = ticksOf(a.text(1));
  if (part == "nanosecond" || part == "ns") return a.set(t % kTicksPerSecond * 100);
  std::int64_t unit = unitTicks(part);
  std::int64_t within = part == "hour" || part == "hh" ? 24 : unit >= kTicksPerSecond ? 60 : kTicksPerSecond / unit;
  a.set(unit ? t / unit % within : std::int64_t{0});
}

}  // namespace

std::optional<std::int64_t> parseTimeOfDay(std::string_view text) {
  const std::string kept = core::trim(text);
  std::string_view t = kept;
  std::size_t i = 0;
  skipDate(t, i);
  if (i == t.size() && i > 0) return 0;  // a date alone: midnight
  int h = 0, m = 0, s = 0;
  if (!number(t, i, false, h) || i >= t.size() || t[i++] != ':' || !number(t, i, true, m)) return std::nullopt;
  std::int64_t fraction = 0;
  if (i < t.size() && t[i] == ':') {
    if (!number(t, ++i, true, s)) return std::nullopt;
    if (i < t.size() && t[i] == '.') {
      std::int64_t scale = kTicksPerSecond;
      for (++i; i < t.size() && isDigit(t[i]); ++i) {
        scale /= 10;
        if (scale == 0) return std::nullopt;  // past seven digits
        fraction += (t[i] - '0') * scale;
      }
    }
  }
  while (i < t.size() && t[i] == ' ') ++i;
  std::string_view half = t.substr(i);
  if (core::sameText(half, "PM") && h <= 12) h = h % 12 + 12;
  else if (core::sameText(half, "AM") && h <= 12) h %= 12;
  else if (!half.empty()) return std::nullopt;
  if (h > 23 || m > 59 || s > 59) return std::nullopt;
  return ((h * 60LL + m) * 60 + s) * kTicksPerSecond + fraction;
}

std::string toTimeText(std::string_view text, int scale) { return storedText(rounded(ticksOf(text), scale)); }

std::string timeDisplay(std::string_view stored, int scale) {
  if (stored.size() != 16) return std::string(stored);  // not the stored form: as it is
  return std::string(stored.substr(0, scale > 0 ? 9 + static_cast<std::size_t>(scale) : 8));
}

int installTimeFunctions(sqlite3* db) {
  return firstFailure({defineFunction<toTime>(db, "tsql_time", 2), defineTolerant<toTime>(db, "tsql_try_time", 2),
                       defineFunction<timeText>(db, "tsql_time_text", 3),
                       defineFunction<timeDateadd>(db, "tsql_time_dateadd", 4),
                       defineFunction<timeDatepart>(db, "tsql_time_datepart", 2)});
}

}  // namespace tsql::runtime
