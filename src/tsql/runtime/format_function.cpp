// FORMAT of numbers, and tsql_format's registration. A number is held as its exact
// digits (sign, whole part, fraction) and rounded half away from zero, as .NET rounds a
// decimal; a float is first taken at 15 significant digits, as .NET Framework shows one.
#include "tsql/runtime/format_function.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/format_cultures.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {
namespace {

struct Digits {
  bool negative = false;
  std::string whole, fraction;  //!< whole without leading zeros ("" for 0)

  bool isZero() const {
    return whole.empty() && fraction.find_first_not_of('0') == std::string::npos;
  }
};

// "-12.5e3" and the like into digits.
Digits parseDigits(std::string_view s) {
  Digits d;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) d.negative = s[i++] == '-';
  std::string all;
  long point = -1;
  for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
    if (s[i] == '.')
      point = static_cast<long>(all.size());
    else
      all += s[i];
  }
  if (point < 0) point = static_cast<long>(all.size());
  if (i < s.size()) point += std::strtol(std::string(s.substr(i + 1)).c_str(), nullptr, 10);
  if (point < 0) all.insert(0, static_cast<std::size_t>(-point), '0'), point = 0;
  if (point > static_cast<long>(all.size()))
    all.append(static_cast<std::size_t>(point) - all.size(), '0');
  d.whole = all.substr(0, static_cast<std::size_t>(point));
  d.fraction = all.substr(static_cast<std::size_t>(point));
  d.whole.erase(0, d.whole.find_first_not_of('0') == std::string::npos
                       ? d.whole.size()
                       : d.whole.find_first_not_of('0'));
  return d;
}

// Rounded half away from zero to `places` fraction digits (the fraction padded to them).
void roundTo(Digits& d, std::size_t places) {
  bool up = d.fraction.size() > places && d.fraction[places] >= '5';
  d.fraction.resize(places, '0');
  if (!up) return;
  std::string all = "0" + d.whole + d.fraction;
  for (std::size_t i = all.size(); i-- > 0;) {
    if (all[i] == '9') {
      all[i] = '0';
      continue;
    }
    ++all[i];
    break;
  }
  d.whole = all.substr(0, all.size() - places);
  d.fraction = all.substr(all.size() - places);
  d.whole.erase(0, std::min(d.whole.find_first_not_of('0'), d.whole.size()));
}

std::string grouped(const std::string& whole, std::string_view separator) {
  std::string digits = whole.empty() ? "0" : whole, out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

// The fixed-point text of d with `places` decimals, grouped or not.
std::string fixed(Digits d, std::size_t places, bool group, const FormatCulture& c) {
  roundTo(d, places);
  std::string out = group ? grouped(d.whole, c.group) : (d.whole.empty() ? "0" : d.whole);
  if (places) out += std::string(c.decimal) + d.fraction;
  return out;
}

// A culture's pattern ("-n %", "($n)") around the number's text.
std::string patterned(std::string_view pattern, const std::string& amount,
                      std::string_view symbol) {
  std::string out;
  for (char ch : pattern) {
    if (ch == 'n')
      out += amount;
    else if (ch == '$')
      out += symbol;
    else
      out += ch;
  }
  return out;
}

std::optional<std::string> hexadecimal(const Digits& d, char kind, bool lower, std::size_t width) {
  long long v =
      std::strtoll((d.whole.empty() ? "0" : d.whole).c_str(), nullptr, 10) * (d.negative ? -1 : 1);
  unsigned long long bits =
      kind == 'l' ? static_cast<unsigned long long>(v) : static_cast<std::uint32_t>(v);
  char buf[32];
  std::snprintf(buf, sizeof buf, lower ? "%llx" : "%llX", bits);
  std::string out = buf;
  if (out.size() < width) out.insert(0, width - out.size(), '0');
  return out;
}

std::string general(const Digits& d, const FormatCulture& c) {
  std::string fraction = d.fraction;
  std::string out =
      (d.negative && !d.isZero() ? "-" : "") + (d.whole.empty() ? std::string("0") : d.whole);
  return fraction.empty() ? out : out + std::string(c.decimal) + fraction;
}

// N, F, C, P, D, X, G with their precision; nullopt for another letter or a D/X of a
// value that is not an integer.
std::optional<std::string> standardNumber(Digits d, char kind, char letter, int precision,
                                          const FormatCulture& c) {
  bool integer = kind == 'i' || kind == 'l';
  auto places = [&](int fallback) {
    return static_cast<std::size_t>(precision < 0 ? fallback : precision);
  };
  char upper = static_cast<char>(letter & ~0x20);
  if (upper == 'X') return integer ? hexadecimal(d, kind, letter == 'x', places(0)) : std::nullopt;
  if (upper == 'G') return general(d, c);
  if (upper == 'P') {
    d.whole += d.fraction.substr(0, std::min<std::size_t>(2, d.fraction.size()));
    if (d.fraction.size() < 2) d.whole.append(2 - d.fraction.size(), '0');
    d.fraction.erase(0, std::min<std::size_t>(2, d.fraction.size()));
    d.whole.erase(0, std::min(d.whole.find_first_not_of('0'), d.whole.size()));
  }
  std::string text;
  switch (upper) {
    case 'N':
      text = fixed(d, places(2), true, c);
      break;
    case 'F':
      text = fixed(d, places(2), false, c);
      break;
    case 'C':
      text = fixed(d, places(c.currencyDigits), true, c);
      break;
    case 'P':
      text = fixed(d, places(2), true, c);
      break;
    case 'D':
      if (!integer) return std::nullopt;
      text = d.whole.empty() ? "0" : d.whole;
      if (text.size() < places(0)) text.insert(0, places(0) - text.size(), '0');
      break;
    default:
      return std::nullopt;
  }
  bool negative = d.negative && text.find_first_of("123456789") != std::string::npos;
  if (upper == 'C')
    return patterned(negative ? c.currencyNegative : c.currencyPositive, text, c.currency);
  if (upper == 'P') return patterned(negative ? c.percentNegative : c.percentPositive, text, "");
  return (negative ? "-" : "") + text;
}

// A custom pattern's section: its placeholders before and after the point, its
// literals, and what it asks of the number (grouping, percent, thousands scaling).
struct Section {
  std::string_view text;
  std::size_t point = std::string_view::npos;  //!< the first '.', npos when none
  int wholeZeros = 0, fractionPlaces = 0, fractionZeros = 0, wholePlaces = 0;
  bool group = false, percent = false;
  int scale = 0;  //!< commas just before the point (or the end): a thousand each
};

// Reads the section: placeholders, a comma between whole placeholders (grouping) or
// right before the point (scaling), '%'; quoted text and \x are literals.
Section readSection(std::string_view text) {
  Section s;
  s.text = text;
  bool seenDigit = false, inFraction = false;
  int commas = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '\'' || ch == '"') {
      std::size_t end = text.find(ch, i + 1);
      i = end == std::string_view::npos ? text.size() : end;
      continue;
    }
    if (ch == '\\') {
      ++i;
      continue;
    }
    if (ch == '%') s.percent = true;
    if (ch == '.' && !inFraction) {
      inFraction = true, s.point = i, s.scale = commas;
      continue;
    }
    if (ch == ',' && !inFraction) {
      commas += seenDigit;
      continue;
    }
    if (ch != '0' && ch != '#') {
      if (!inFraction && seenDigit && commas) s.scale = commas;
      continue;
    }
    if (!inFraction && commas) s.group = true, commas = 0, s.scale = 0;
    seenDigit = true;
    if (inFraction) {
      ++s.fractionPlaces;
      if (ch == '0') s.fractionZeros = s.fractionPlaces;
    } else {
      ++s.wholePlaces;
      if (ch == '0' || s.wholeZeros) ++s.wholeZeros;
    }
  }
  if (!inFraction) s.scale = commas;
  return s;
}

// The number shifted by 10^shift (percent 2, a thousand -3).
void shift(Digits& d, int by) {
  std::string all = d.whole + d.fraction;
  long point = static_cast<long>(d.whole.size()) + by;
  if (point < 0) all.insert(0, static_cast<std::size_t>(-point), '0'), point = 0;
  if (point > static_cast<long>(all.size()))
    all.append(static_cast<std::size_t>(point) - all.size(), '0');
  d.whole = all.substr(0, static_cast<std::size_t>(point));
  d.fraction = all.substr(static_cast<std::size_t>(point));
  d.whole.erase(0, std::min(d.whole.find_first_not_of('0'), d.whole.size()));
}

// Writes the section with the (already signed) digits: whole digits fill the whole
// placeholders from the right, the first taking any left over; fraction digits fill
// theirs from the left, trailing zeros dropped down to the last '0'.
std::string writeSection(const Section& s, Digits d, const FormatCulture& c) {
  shift(d, (s.percent ? 2 : 0) - 3 * s.scale);
  roundTo(d, static_cast<std::size_t>(s.fractionPlaces));
  std::string fraction = d.fraction;
  while (static_cast<int>(fraction.size()) > s.fractionZeros && fraction.back() == '0')
    fraction.pop_back();
  std::string whole = d.whole;
  if (static_cast<int>(whole.size()) < s.wholeZeros)
    whole.insert(0, s.wholeZeros - whole.size(), '0');
  std::string out;
  int wholeSeen = 0, fractionSeen = 0;
  bool inFraction = false;
  for (std::size_t i = 0; i < s.text.size(); ++i) {
    char ch = s.text[i];
    if (ch == '\'' || ch == '"') {
      std::size_t end = s.text.find(ch, i + 1);
      out += s.text.substr(i + 1, (end == std::string_view::npos ? s.text.size() : end) - i - 1);
      i = end == std::string_view::npos ? s.text.size() : end;
    } else if (ch == '\\') {
      if (++i < s.text.size()) out += s.text[i];
    } else if (i == s.point) {
      inFraction = true;
      if (!fraction.empty()) out += c.decimal;
    } else if ((ch == '0' || ch == '#') && inFraction) {
      if (fractionSeen < static_cast<int>(fraction.size()))
        out += fraction[static_cast<std::size_t>(fractionSeen)];
      ++fractionSeen;
    } else if (ch == '0' || ch == '#') {
      int fromRight = s.wholePlaces - 1 - wholeSeen++;  // the digit this placeholder shows
      int n = static_cast<int>(whole.size());
      if (s.group) {
        if (wholeSeen == 1) out += whole.empty() ? "" : grouped(whole, c.group);
      } else if (wholeSeen == 1 && n > fromRight) {
        out += whole.substr(0, static_cast<std::size_t>(n - fromRight));
      } else if (fromRight < n) {
        out += whole[static_cast<std::size_t>(n - 1 - fromRight)];
      }
    } else if (ch == '%') {
      out += '%';
    } else if (ch != ',') {
      out += ch;
    }
  }
  return out;
}

// Up to three sections: positive; negative (written without a sign); zero.
std::string customNumber(Digits d, std::string_view format, const FormatCulture& c) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= format.size(); ++i) {
    if (i < format.size() && (format[i] == '\'' || format[i] == '"')) {
      std::size_t end = format.find(format[i], i + 1);
      i = end == std::string_view::npos ? format.size() - 1 : end;
    } else if (i < format.size() && format[i] == '\\') {
      ++i;
    } else if (i == format.size() || format[i] == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  Section first = readSection(sections[0]);
  Digits rounded = d;
  shift(rounded, (first.percent ? 2 : 0) - 3 * first.scale);
  roundTo(rounded, static_cast<std::size_t>(first.fractionPlaces));
  if (rounded.isZero() && sections.size() > 2 && !sections[2].empty())
    return writeSection(readSection(sections[2]), d, c);
  if (d.negative && sections.size() > 1 && !sections[1].empty())
    return writeSection(readSection(sections[1]), d, c);
  std::string out = writeSection(first, d, c);
  return (d.negative && !rounded.isZero() ? "-" : "") + out;
}

}  // namespace

std::optional<std::string> FormatFunction::number(std::string_view number, char kind,
                                                  std::string_view format,
                                                  const FormatCulture& culture) {
  Digits d = parseDigits(number);
  if (format.empty()) return general(d, culture);
  bool standard = format.size() <= 3 && ((format[0] | 0x20) >= 'a' && (format[0] | 0x20) <= 'z');
  for (std::size_t i = 1; i < format.size(); ++i)
    standard = standard && format[i] >= '0' && format[i] <= '9';
  if (!standard) return customNumber(std::move(d), format, culture);
  int precision = format.size() > 1 ? std::atoi(std::string(format.substr(1)).c_str()) : -1;
  return standardNumber(std::move(d), kind, format[0], precision, culture);
}

namespace {

void formatValue(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1) || a.isNull(2)) return a.setNull();
  const FormatCulture* culture = FormatCulture::named(a.text(2));
  if (!culture) throw RuntimeError(errors::Error::UnsupportedCulture, {a.text(2)});
  char kind = a.text(3).empty() ? 'f' : a.text(3)[0];
  std::string format(a.text(1));
  std::optional<std::string> out;
  if (kind == 'd') {
    out = FormatFunction::date(a.text(0), format, *culture);
  } else if (kind == 'z') {
    out = FormatFunction::dateOffset(a.text(0), format, *culture);
  } else if (kind == 't') {
    out = FormatFunction::timeSpan(a.text(0), format, *culture);
  } else {
    std::string value;
    if (kind == 'f' || a.type(0) == SQLITE_FLOAT) {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(a[0]));
      value = buf;
    } else {
      value = std::string(a.text(0));
    }
    out = FormatFunction::number(value, kind, format, *culture);
  }
  if (!out) return a.setNull();
  a.set(*out);
}

}  // namespace

int FormatFunction::install(sqlite3* db) {
  return defineFunction<formatValue>(db, "tsql_format", 4);
}

}  // namespace tsql::runtime
