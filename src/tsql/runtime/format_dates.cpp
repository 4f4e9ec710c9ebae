// FORMAT of dates and times: a standard letter stands for the culture's pattern (or the
// fixed ISO ones: s, u, o, r), and a pattern is written token by token as .NET writes a
// DateTime: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm, s ss, f.. F..,
// t tt, '/' the culture's date separator, quoted text and \x as they are; a
// DateTimeOffset adds z zz zzz and K, its offset.
#include <cstdio>
#include <cstdlib>

#include "tsql/runtime/format_cultures.h"
#include "tsql/runtime/format_function.h"

namespace tsql::runtime {
namespace {

struct Moment {
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  std::string fraction = "0000000";  //!< seven digits
  std::optional<int> offset;         //!< a datetimeoffset's minutes east of UTC
  int weekday() const {              // 0 Sunday (Zeller's congruence, Gregorian)
    int y = month < 3 ? year - 1 : year, m = month < 3 ? month + 12 : month;
    int h = (day + 13 * (m + 1) / 5 + y % 100 + y % 100 / 4 + y / 100 / 4 + 5 * (y / 100)) % 7;
    return (h + 6) % 7;
  }
};

std::optional<Moment> parseMoment(std::string_view v) {
  Moment m;
  if (std::sscanf(std::string(v).c_str(), "%d-%d-%d", &m.year, &m.month, &m.day) != 3)
    return std::nullopt;
  if (v.size() >= 19) {
    std::sscanf(std::string(v.substr(11)).c_str(), "%d:%d:%d", &m.hour, &m.minute, &m.second);
    if (v.size() > 20 && v[19] == '.') m.fraction = std::string(v.substr(20, 7));
    m.fraction.resize(7, '0');
  }
  return m;
}

std::string padded(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

// The standard letter's pattern; "" for a letter .NET does not know.
std::string standardPattern(char letter, const FormatCulture& c) {
  switch (letter) {
    case 'd':
      return std::string(c.shortDate);
    case 'D':
      return std::string(c.longDate);
    case 't':
      return std::string(c.shortTime);
    case 'T':
      return std::string(c.longTime);
    case 'f':
      return std::string(c.longDate) + " " + std::string(c.shortTime);
    case 'F':
      return std::string(c.longDate) + " " + std::string(c.longTime);
    case 'g':
      return std::string(c.shortDate) + " " + std::string(c.shortTime);
    case 'G':
      return std::string(c.shortDate) + " " + std::string(c.longTime);
    case 'm':
    case 'M':
      return std::string(c.monthDay);
    case 'y':
    case 'Y':
      return std::string(c.yearMonth);
    case 's':
      return "yyyy'-'MM'-'dd'T'HH':'mm':'ss";
    case 'u':
      return "yyyy'-'MM'-'dd HH':'mm':'ss'Z'";
    case 'o':
    case 'O':
      return "yyyy'-'MM'-'dd'T'HH':'mm':'ss'.'fffffff";
    case 'r':
    case 'R':
      return "ddd, dd MMM yyyy HH':'mm':'ss 'GMT'";
    default:
      return "";
  }
}

// One run of a pattern letter (`count` long) written for the moment.
std::string token(char ch, int count, const Moment& m, const FormatCulture& c) {
  switch (ch) {
    case 'd':
      return count == 1 ? std::to_string(m.day)
             : count == 2
                 ? padded(m.day, 2)
                 : std::string(count == 3 ? c.daysShort[m.weekday()] : c.days[m.weekday()]);
    case 'M':
      return count == 1 ? std::to_string(m.month)
             : count == 2
                 ? padded(m.month, 2)
                 : std::string(count == 3 ? c.monthsShort[m.month - 1] : c.months[m.month - 1]);
    case 'y':
      return count == 1   ? std::to_string(m.year % 100)
             : count == 2 ? padded(m.year % 100, 2)
                          : padded(m.year, count);
    case 'h':
      return count == 1 ? std::to_string((m.hour + 11) % 12 + 1)
                        : padded((m.hour + 11) % 12 + 1, 2);
    case 'H':
      return count == 1 ? std::to_string(m.hour) : padded(m.hour, 2);
    case 'm':
      return count == 1 ? std::to_string(m.minute) : padded(m.minute, 2);
    case 's':
      return count == 1 ? std::to_string(m.second) : padded(m.second, 2);
    case 'f':
      return m.fraction.substr(0, static_cast<std::size_t>(count));
    case 'F': {
      std::string f = m.fraction.substr(0, static_cast<std::size_t>(count));
      while (!f.empty() && f.back() == '0') f.pop_back();
      return f;
    }
    case 't': {
      std::string_view mark = m.hour < 12 ? c.am : c.pm;
      return std::string(count == 1 ? mark.substr(0, mark.empty() ? 0 : 1) : mark);
    }
    case 'z':  // z +2, zz +02, zzz +02:00
    case 'K':  // a DateTimeOffset's K is its zzz
      if (m.offset) {
        const int minutes = *m.offset < 0 ? -*m.offset : *m.offset;
        std::string sign = *m.offset < 0 ? "-" : "+";
        if (ch == 'z' && count == 1) return sign + std::to_string(minutes / 60);
        return sign + padded(minutes / 60, 2) + (ch == 'K' || count >= 3 ? ":" + padded(minutes % 60, 2) : "");
      }
      return std::string(static_cast<std::size_t>(count), ch);
    default:
      return std::string(static_cast<std::size_t>(count), ch);
  }
}

std::optional<std::string> writePattern(std::string_view p, const Moment& m,
                                        const FormatCulture& c) {
  std::string out;
  for (std::size_t i = 0; i < p.size();) {
    char ch = p[i];
    if (ch == '\'' || ch == '"') {
      std::size_t end = p.find(ch, i + 1);
      if (end == std::string_view::npos) return std::nullopt;  // .NET refuses an open quote
      out += p.substr(i + 1, end - i - 1);
      i = end + 1;
    } else if (ch == '\\' || ch == '%') {
      if (ch == '\\' && i + 1 < p.size()) out += p[i + 1];
      i += ch == '\\' ? 2 : 1;
    } else if (ch == '/') {
      out += c.dateSeparator, ++i;
    } else if (std::string_view(m.offset ? "dMyhHmsfFtzK" : "dMyhHmsfFt").find(ch) != std::string_view::npos) {
      std::size_t j = i;
      while (j < p.size() && p[j] == ch && (ch != 'K' || j == i)) ++j;
      int count = static_cast<int>(j - i);
      if ((ch == 'f' || ch == 'F') && count > 7) return std::nullopt;
      out += token(ch, count, m, c);
      i = j;
    } else {
      out += ch, ++i;
    }
  }
  return out;
}

// Days since 1970-01-01 of a Gregorian date, and back (the civil-days algorithm).
long daysOf(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

void setDate(Moment& t, long days) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long doe = days - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

// The same instant at UTC: what u and r write for a datetimeoffset.
Moment atUtc(Moment m) {
  long minutes = daysOf(m.year, m.month, m.day) * 1440 + m.hour * 60 + m.minute - *m.offset;
  const long days = (minutes >= 0 ? minutes : minutes - 1439) / 1440;
  minutes -= days * 1440;
  setDate(m, days);
  m.hour = static_cast<int>(minutes / 60);
  m.minute = static_cast<int>(minutes % 60);
  m.offset = 0;
  return m;
}

}  // namespace

// A datetimeoffset ("YYYY-MM-DD hh:mm:ss[.f...] +hh:mm") formatted as .NET formats a
// DateTimeOffset: its local time, o with the offset, u and r at UTC, zzz and K the offset.
std::optional<std::string> FormatFunction::dateOffset(std::string_view value, std::string_view format,
                                                      const FormatCulture& culture) {
  const std::size_t space = value.rfind(' ');
  if (space == std::string_view::npos || value.size() != space + 7) return std::nullopt;
  std::optional<Moment> m = parseMoment(value.substr(0, space));
  if (!m) return std::nullopt;
  const std::string_view zone = value.substr(space + 1);
  const int minutes = std::atoi(std::string(zone.substr(1, 2)).c_str()) * 60 +
                      std::atoi(std::string(zone.substr(4, 2)).c_str());
  m->offset = zone[0] == '-' ? -minutes : minutes;
  const FormatCulture& invariant = *FormatCulture::named("");
  if (format == "o" || format == "O") return writePattern("yyyy'-'MM'-'dd'T'HH':'mm':'ss'.'fffffffzzz", *m, invariant);
  if (format == "u" || format == "r" || format == "R")
    return writePattern(standardPattern(format[0], invariant), atUtc(*m), invariant);
  if (format.empty()) return writePattern(standardPattern('G', culture) + " zzz", *m, culture);
  if (format.size() == 1) {
    std::string pattern = standardPattern(format[0], culture);
    if (pattern.empty()) return std::nullopt;
    return writePattern(pattern, *m, format[0] == 's' ? invariant : culture);
  }
  return writePattern(format, *m, culture);
}

std::optional<std::string> FormatFunction::date(std::string_view value, std::string_view format,
                                                const FormatCulture& culture) {
  std::optional<Moment> m = parseMoment(value);
  if (!m) return std::nullopt;
  if (format.size() == 1) {
    std::string pattern = standardPattern(format[0], culture);
    if (pattern.empty()) return std::nullopt;
    bool fixed = std::string_view("suoOrR").find(format[0]) != std::string_view::npos;
    return writePattern(pattern, *m, fixed ? *FormatCulture::named("") : culture);
  }
  return writePattern(format.empty() ? standardPattern('G', culture) : std::string(format), *m,
                      culture);
}

}  // namespace tsql::runtime
