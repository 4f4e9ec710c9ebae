// DateTime calendar arithmetic on a count of local milliseconds. Days are
// converted to and from the proleptic Gregorian calendar with the classic
// days-from-civil algorithm, so any year works without the C library's tm.
#include "core/date_time.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace core {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

struct Civil {
  int year;
  int month;
  int day;
};

// Days since 1970-01-01 of a civil date (month 1..12).
std::int64_t daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Civil civilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int y = static_cast<int>(yoe + era * 400) + (m <= 2);
  return {y, m, d};
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

DateTime systemNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&secs, &local);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return DateTime::fromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<int>(ms));
}

std::mutex& clockMutex() {
  static std::mutex m;
  return m;
}

DateTime::Clock& clockSlot() {
  static DateTime::Clock clock;
  return clock;
}

// Reads exactly `width` digits (or 1..width when `exact` is false) at `pos`.
bool readNumber(std::string_view t, std::size_t& pos, int width, bool exact, int& out) {
  int n = 0;
  int value = 0;
  while (n < width && pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
    value = value * 10 + (t[pos++] - '0');
    ++n;
  }
  out = value;
  return exact ? n == width : n > 0;
}

bool expect(std::string_view t, std::size_t& pos, char c) {
  if (pos < t.size() && t[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// time := HH ':' MM [':' SS ['.' fraction]]   (fraction: milliseconds, extra digits dropped)
bool readTime(std::string_view t, std::size_t& pos, int& h, int& mi, int& s, int& ms) {
  if (!readNumber(t, pos, 2, false, h) || !expect(t, pos, ':') ||
      !readNumber(t, pos, 2, true, mi)) {
    return false;
  }
  if (expect(t, pos, ':')) {
    if (!readNumber(t, pos, 2, true, s)) return false;
    if (expect(t, pos, '.')) {
      int digits = 0;
      for (; pos < t.size() && t[pos] >= '0' && t[pos] <= '9'; ++pos, ++digits) {
        if (digits < 3) ms = ms * 10 + (t[pos] - '0');
      }
      if (digits == 0) return false;
      for (; digits < 3; ++digits) ms *= 10;
    }
  }
  return h < 24 && mi < 60 && s < 60;
}

}  // namespace

// text := YYYY '-' MM '-' DD [(' ' | 'T') time]
std::optional<DateTime> DateTime::parse(std::string_view text) {
  const std::size_t b = text.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return std::nullopt;
  text = text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
  std::size_t pos = 0;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  if (!readNumber(text, pos, 4, true, y) || !expect(text, pos, '-') ||
      !readNumber(text, pos, 2, false, mo) || !expect(text, pos, '-') ||
      !readNumber(text, pos, 2, false, d)) {
    return std::nullopt;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo)) return std::nullopt;
  if (pos < text.size()) {
    if (!expect(text, pos, ' ') && !expect(text, pos, 'T')) return std::nullopt;
    if (!readTime(text, pos, h, mi, s, ms) || pos != text.size()) return std::nullopt;
  }
  return fromParts(y, mo, d, h, mi, s, ms);
}

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                             int millisecond) {
  assert(month >= 1 && month <= 12 && day >= 1 && day <= 31 && "calendar parts out of range");
  const std::int64_t days = daysFromCivil(year, month, day);
  return fromMillis(days * kMsPerDay +
                    ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 +
                    millisecond);
}

DateTime DateTime::now() {
  Clock clock;
  {
    std::lock_guard lock(clockMutex());
    clock = clockSlot();
  }
  return clock ? clock() : systemNow();
}

void DateTime::setClock(Clock clock) {
  std::lock_guard lock(clockMutex());
  clockSlot() = std::move(clock);
}

int DateTime::year() const { return civilFromDays(floorDiv(ms_, kMsPerDay)).year; }
int DateTime::month() const { return civilFromDays(floorDiv(ms_, kMsPerDay)).month; }
int DateTime::day() const { return civilFromDays(floorDiv(ms_, kMsPerDay)).day; }
int DateTime::hour() const {
  return static_cast<int>((ms_ - floorDiv(ms_, kMsPerDay) * kMsPerDay) / 3'600'000);
}
int DateTime::minute() const {
  return static_cast<int>((ms_ - floorDiv(ms_, kMsPerDay) * kMsPerDay) / 60'000 % 60);
}
int DateTime::second() const {
  return static_cast<int>((ms_ - floorDiv(ms_, kMsPerDay) * kMsPerDay) / 1000 % 60);
}
int DateTime::millisecond() const { return static_cast<int>(ms_ - floorDiv(ms_, 1000) * 1000); }

int DateTime::dayOfWeek() const {
  // 1970-01-01 was a Thursday (4).
  const std::int64_t days = floorDiv(ms_, kMsPerDay);
  return static_cast<int>(((days + 3) % 7 + 7) % 7) + 1;
}

DateTime DateTime::date() const { return fromMillis(floorDiv(ms_, kMsPerDay) * kMsPerDay); }

DateTime DateTime::addDays(std::int64_t days) const { return fromMillis(ms_ + days * kMsPerDay); }

DateTime DateTime::addMonths(int months) const {
  const std::int64_t days = floorDiv(ms_, kMsPerDay);
  const std::int64_t timeOfDay = ms_ - days * kMsPerDay;
  const Civil c = civilFromDays(days);
  const std::int64_t index = static_cast<std::int64_t>(c.year) * 12 + (c.month - 1) + months;
  const int y = static_cast<int>(floorDiv(index, 12));
  const int m = static_cast<int>(index - static_cast<std::int64_t>(y) * 12) + 1;
  const int d = std::min(c.day, daysInMonth(y, m));
  return fromMillis(daysFromCivil(y, m, d) * kMsPerDay + timeOfDay);
}

std::string DateTime::toDateString() const {
  const Civil c = civilFromDays(floorDiv(ms_, kMsPerDay));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
  return buf;
}

std::string DateTime::toTimeString() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour(), minute(), second());
  return buf;
}

std::string DateTime::toSqlString() const {
  char buf[8];
  std::snprintf(buf, sizeof buf, ".%03d", millisecond());
  return toDateString() + " " + toTimeString() + buf;
}

std::string DateTime::toString() const {
  return millisecond() == 0 ? toDateString() + " " + toTimeString() : toSqlString();
}

}  // namespace core

namespace core {
namespace {

std::string padded(int v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) < width)
    s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return s;
}

const char* weekdayName(int dayOfWeek) {
  static constexpr const char* kNames[] = {"一", "二", "三", "四", "五", "六", "日"};
  return kNames[dayOfWeek - 1];
}

// One letter run of the pattern ("yyyy", "mm", "t") rendered from the date.
std::string renderDateToken(const DateTime& d, char letter, int count, bool afterHour) {
  switch (letter) {
    case 'y':
      return count >= 3 ? padded(d.year(), 4) : padded(d.year() % 100, 2);
    case 'm':
      return afterHour ? padded(d.minute(), count >= 2 ? 2 : 1)
                       : padded(d.month(), count >= 2 ? 2 : 1);
    case 'd':
      if (count == 3) return std::string("周") + weekdayName(d.dayOfWeek());
      if (count >= 4) return std::string("星期") + weekdayName(d.dayOfWeek());
      return padded(d.day(), count);
    case 'h':
      return padded(d.hour(), count >= 2 ? 2 : 1);
    case 'n':
      return padded(d.minute(), count >= 2 ? 2 : 1);
    case 's':
      return padded(d.second(), count >= 2 ? 2 : 1);
    case 'z':
      return padded(d.millisecond(), count >= 3 ? 3 : 1);
    case 't':
      return count >= 2 ? d.toTimeString() : d.toTimeString().substr(0, 5);
    case 'c':
      return d.toDateString() + " " + d.toTimeString();
    default:
      return std::string(static_cast<std::size_t>(count), letter);
  }
}

}  // namespace

std::string DateTime::format(std::string_view pattern) const {
  static constexpr std::string_view kLetters = "ymdhnsztc";
  std::string out;
  char previous = 0;  // the last date letter, so that "hh:mm" reads minutes
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '"' || c == '\'') {
      const std::size_t end = pattern.find(c, i + 1);
      out += pattern.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
      i = end == std::string_view::npos ? pattern.size() : end + 1;
      continue;
    }
    const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (kLetters.find(lower) == std::string_view::npos) {
      out += c;
      ++i;
      continue;
    }
    int count = 0;
    for (; i < pattern.size() && (pattern[i] | 0x20) == lower; ++i) ++count;
    out += renderDateToken(*this, lower, count, lower == 'm' && previous == 'h');
    previous = lower;
  }
  return out;
}

}  // namespace core
