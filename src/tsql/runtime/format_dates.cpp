// FORMAT of dates and times: a standard letter stands for the culture's pattern (or the
// fixed ISO ones: s, u, o, r), and a pattern is written token by token as .NET writes a
// DateTime: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm, s ss, f.. F..,
// t tt, '/' the culture's date separator, quoted text and \x as they are.
#include <cstdio>
#include <cstdlib>

#include "tsql/runtime/format_cultures.h"
#include "tsql/runtime/format_function.h"

namespace tsql::runtime {
namespace {

struct Moment {
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  std::string fraction = "0000000";  //!< seven digits
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
    } else if (std::string_view("dMyhHmsfFt").find(ch) != std::string_view::npos) {
      std::size_t j = i;
      while (j < p.size() && p[j] == ch) ++j;
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

}  // namespace

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
