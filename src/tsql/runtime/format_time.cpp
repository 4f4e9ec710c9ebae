// FORMAT of a time, which .NET formats as a TimeSpan, not as a date: the standard
// formats c (hh:mm:ss and seven fraction digits when there is a fraction), g (hours
// unpadded, the fraction without its trailing zeros, the culture's decimal point) and G
// (days, then every digit), and the custom specifiers d, h, m, s, f and F. Any other
// character must be quoted or escaped with a backslash: "hh:mm" is refused (NULL),
// "hh\:mm" gives 07:35.
#include <cstdint>

#include "tsql/runtime/format_cultures.h"
#include "tsql/runtime/format_function.h"
#include "tsql/runtime/time_of_day.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

struct Span {
  int hours, minutes, seconds;
  std::string fraction;  //!< seven digits
};

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string withoutTrailingZeros(std::string s) {
  s.erase(s.find_last_not_of('0') + 1);
  return s;
}

std::optional<std::string> standardSpan(const Span& t, char f, const FormatCulture& c) {
  const std::string hms = ":" + twoDigits(t.minutes) + ":" + twoDigits(t.seconds);
  const bool whole = t.fraction == "0000000";
  switch (f) {
    case 'c': case 't': case 'T': return twoDigits(t.hours) + hms + (whole ? "" : "." + t.fraction);
    case 'g': return std::to_string(t.hours) + hms + (whole ? "" : std::string(c.decimal) + withoutTrailingZeros(t.fraction));
    case 'G': return "0:" + twoDigits(t.hours) + hms + std::string(c.decimal) + t.fraction;
    default: return std::nullopt;
  }
}

// One run of a custom specifier letter, `n` long; nullopt where .NET allows no such run.
std::optional<std::string> specifier(const Span& t, char letter, std::size_t n) {
  switch (letter) {
    case 'd': return n <= 8 ? std::optional<std::string>(std::string(n, '0')) : std::nullopt;  // no whole days
    case 'h': case 'm': case 's': {
      if (n > 2) return std::nullopt;
      int v = letter == 'h' ? t.hours : letter == 'm' ? t.minutes : t.seconds;
      return n == 2 ? twoDigits(v) : std::to_string(v);
    }
    case 'f': return n <= 7 ? std::optional<std::string>(t.fraction.substr(0, n)) : std::nullopt;
    case 'F': return n <= 7 ? std::optional<std::string>(withoutTrailingZeros(t.fraction.substr(0, n))) : std::nullopt;
    default: return std::nullopt;
  }
}

std::optional<std::string> customSpan(const Span& t, std::string_view f) {
  std::string out;
  for (std::size_t i = 0; i < f.size();) {
    const char ch = f[i];
    if (ch == '%') {  // "%h": a custom format of one specifier
      ++i;
    } else if (ch == '\\') {
      if (i + 1 >= f.size()) return std::nullopt;
      out += f[i + 1];
      i += 2;
    } else if (ch == '\'' || ch == '"') {
      std::size_t end = f.find(ch, i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      out += f.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      std::size_t n = 1;
      while (i + n < f.size() && f[i + n] == ch) ++n;
      auto piece = specifier(t, ch, n);
      if (!piece) return std::nullopt;
      out += *piece;
      i += n;
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> FormatFunction::timeSpan(std::string_view value, std::string_view format,
                                                    const FormatCulture& culture) {
  std::optional<std::int64_t> ticks = parseTimeOfDay(value);
  if (!ticks) return std::nullopt;
  std::int64_t seconds = *ticks / kTicksPerSecond;
  std::string fraction = std::to_string(*ticks % kTicksPerSecond);
  Span t{static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
         std::string(7 - fraction.size(), '0') + fraction};
  if (format.empty()) return standardSpan(t, 'c', culture);
  if (format.size() == 1) return standardSpan(t, format[0], culture);
  return customSpan(t, format);
}

}  // namespace tsql::runtime
