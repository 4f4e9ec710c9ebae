// T-SQL conversions with SQL Server's error texts. The parsers accept what CAST accepts
// in the forms the shop's batches use, and nothing looser: a silent 0 for 'abc' is the
// classic emulator bug this file exists to avoid.
#include "tsql/runtime/value_conversion.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>
#include <stdexcept>
#include <string>

#include "tsql/runtime/date_settings.h"
#include "tsql/runtime/decimal.h"

namespace tsql::runtime {
namespace {

// Money from an exact decimal, rounded half to even at four decimals; 8115 beyond
// the ten-thousandths a signed 64-bit integer holds.
core::Currency decimalToMoney(const Decimal& d) {
  std::string units = d.rounded(4, true).toText();
  units.erase(units.find('.'), 1);
  try {
    return core::Currency::fromRaw(std::stoll(units));
  } catch (const std::out_of_range&) {
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "money"});
  }
}

std::string_view trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void conversionFailed(std::string_view text, const char* type) {
  throw RuntimeError(errors::Error::ConversionFailed, {"varchar", text, type});
}

// Kept out of line: inlined into textToInt, GCC warns about the message's copy.
[[noreturn, gnu::noinline]] void intTextOverflow(std::string_view text) {
  throw RuntimeError(errors::Error::IntTextOverflow, {text});
}

[[noreturn]] void dateFailed() {
  throw RuntimeError(errors::Error::DateConversion);
}

// Reads 1..maxDigits digits at `p`; -1 when there is none.
int readNumber(std::string_view s, std::size_t& p, int maxDigits) {
  int v = 0, n = 0;
  while (p < s.size() && n < maxDigits && s[p] >= '0' && s[p] <= '9') {
    v = v * 10 + (s[p++] - '0');
    ++n;
  }
  return n == 0 ? -1 : v;
}

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : days[m - 1];
}

struct Parts {
  int y = 1900, mo = 1, d = 1, h = 0, mi = 0, s = 0, ms = 0;
};

// " HH:MM[:SS[.fff]]" after the date (or the whole text when `p` is 0).
void parseTime(std::string_view t, std::size_t& p, Parts& r) {
  r.h = readNumber(t, p, 2);
  if (r.h < 0 || p >= t.size() || t[p] != ':') dateFailed();
  ++p;
  r.mi = readNumber(t, p, 2);
  if (r.mi < 0) dateFailed();
  if (p < t.size() && t[p] == ':') {
    ++p;
    r.s = readNumber(t, p, 2);
    if (r.s < 0) dateFailed();
    if (p < t.size() && (t[p] == '.' || t[p] == ':')) {
      ++p;
      int scale = 100, digits = 0;
      while (p < t.size() && t[p] >= '0' && t[p] <= '9') {
        if (digits++ < 3) r.ms += (t[p] - '0') * scale, scale /= 10;
        ++p;
      }
    }
  }
  std::string_view rest = trim(t.substr(p));
  if (rest.size() == 2 && (rest[1] == 'M' || rest[1] == 'm')) {  // 12-hour clock
    bool pm = rest[0] == 'P' || rest[0] == 'p';
    if (!pm && rest[0] != 'A' && rest[0] != 'a') dateFailed();
    if (r.h > 12) dateFailed();
    r.h = (r.h % 12) + (pm ? 12 : 0);
    p = t.size();
  }
  if (r.h > 23 || r.mi > 59 || r.s > 59) dateFailed();
}

// A two-digit year: 49 and below are 20xx, 50 and above 19xx (the server's cutoff).
int fullYear(int y, std::size_t digits) { return digits > 2 ? y : (y < 50 ? 2000 + y : 1900 + y); }

// "n sep n sep n" whose first number has one or two digits: the parts in the
// session's DATEFORMAT order (mdy unless SET otherwise).
void parseOrderedDate(std::string_view t, std::size_t& p, Parts& r, int first, char sep) {
  int n[3] = {first, 0, 0};
  std::size_t digits[3] = {2, 0, 0};
  for (int i = 1; i < 3; ++i) {
    if (p >= t.size() || t[p] != sep) dateFailed();
    std::size_t at = ++p;
    n[i] = readNumber(t, p, 4);
    if (n[i] < 0) dateFailed();
    digits[i] = p - at;
  }
  const std::string& order = currentDateSettings().order;
  for (int i = 0; i < 3; ++i) {
    char part = static_cast<char>(order[static_cast<std::size_t>(i)] | 0x20);
    if (part == 'y') r.y = fullYear(n[i], digits[i]);
    else if (part == 'm') r.mo = n[i];
    else r.d = n[i];
  }
}

void parseDate(std::string_view t, std::size_t& p, Parts& r) {
  std::size_t start = p;
  int y = readNumber(t, p, 8);
  if (y < 0) dateFailed();
  if (p - start <= 2 && p < t.size() && (t[p] == '/' || t[p] == '-' || t[p] == '.')) {
    parseOrderedDate(t, p, r, y, t[p]);
  } else if (p - start == 6) {  // YYMMDD
    r.y = fullYear(y / 10000, 2);
    r.mo = y / 100 % 100;
    r.d = y % 100;
  } else if (p - start == 8) {  // YYYYMMDD
    r.y = y / 10000;
    r.mo = y / 100 % 100;
    r.d = y % 100;
  } else {
    if (p - start != 4 || p >= t.size()) dateFailed();
    char sep = t[p];
    if (sep != '-' && sep != '/' && sep != '.') dateFailed();
    ++p;
    r.y = y;
    r.mo = readNumber(t, p, 2);
    if (r.mo < 0 || p >= t.size() || t[p] != sep) dateFailed();
    ++p;
    r.d = readNumber(t, p, 2);
    if (r.d < 0) dateFailed();
    // ydm reads 1998/31/12; the dashed form stays year-month-day, as dates are stored
    if (sep != '-' && currentDateSettings().order == "ydm") std::swap(r.mo, r.d);
  }
  if (r.mo < 1 || r.mo > 12 || r.d < 1 || r.d > daysInMonth(r.y, r.mo)) dateFailed();
  if (r.y < 1753) {
    throw RuntimeError(errors::Error::DateOutOfRange);
  }
}

}  // namespace

std::int64_t ValueConversion::textToInt(std::string_view text, bool bigint) {
  std::string_view t = trim(text);
  if (t.empty()) return 0;
  std::size_t p = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  if (p == t.size()) conversionFailed(text, bigint ? "bigint" : "int");
  for (std::size_t i = p; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') conversionFailed(text, bigint ? "bigint" : "int");
  }
  std::int64_t v = 0;
  std::string_view digits = t.substr(p);
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  (void)end;
  bool overflow = ec != std::errc() ||
                  (!bigint && (v > std::numeric_limits<std::int32_t>::max() + (t[0] == '-' ? 1LL : 0LL)));
  if (overflow) {
    if (bigint) throw RuntimeError(errors::Error::ConvertDataType, {"varchar", "bigint"});
    intTextOverflow(text);
  }
  return t[0] == '-' ? -v : v;
}

double ValueConversion::textToFloat(std::string_view text) {
  std::string t(trim(text));
  if (t.empty()) return 0.0;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || std::isnan(v) || std::isinf(v) ||
      t.find_first_of("xXnN") != std::string::npos) {  // no hex, nan or inf spellings
    throw RuntimeError(errors::Error::ConvertDataType, {"varchar", "float"});
  }
  return v;
}

namespace {

// Money text may carry a $ after its sign and commas between the digits before the
// point ('$1,234.56', '-$5'): both go before the number is read.
std::string plainMoneyText(std::string_view t) {
  std::string out;
  std::size_t point = t.find('.');
  for (std::size_t i = 0; i < t.size(); ++i) {
    bool leadingDollar = t[i] == '$' && out.find_first_of("0123456789") == std::string::npos;
    bool groupComma = t[i] == ',' && i < point && !out.empty() && std::isdigit(static_cast<unsigned char>(out.back()));
    if (!leadingDollar && !groupComma) out += t[i];
  }
  return out;
}

}  // namespace

core::Currency ValueConversion::textToMoney(std::string_view text) {
  std::string plain = plainMoneyText(trim(text));
  std::string_view t = trim(plain);
  if (t.empty()) return core::Currency();
  auto m = core::Currency::parse(t);
  if (!m && Decimal::parse(t)) return decimalToMoney(*Decimal::parse(t));  // 19 digits or beyond
  if (!m) {
    throw RuntimeError(errors::Error::MoneySyntax);
  }
  return *m;
}

bool ValueConversion::textToBit(std::string_view text) {
  std::string_view t = trim(text);
  auto is = [&](std::string_view word) {
    if (t.size() != word.size()) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if ((t[i] | 0x20) != word[i]) return false;
    }
    return true;
  };
  if (is("true")) return true;
  if (is("false")) return false;
  try {
    return textToInt(t, true) != 0;
  } catch (const RuntimeError&) {
    conversionFailed(text, "bit");  // report the bit conversion, not the integer one
  }
}

core::DateTime ValueConversion::textToDateTime(std::string_view text) {
  std::string_view t = trim(text);
  Parts r;
  if (t.empty()) return core::DateTime::fromParts(1900, 1, 1);
  std::size_t p = 0;
  bool timeOnly = t.size() > 2 && (t[1] == ':' || t[2] == ':');
  if (timeOnly) {
    parseTime(t, p, r);
  } else {
    parseDate(t, p, r);
    if (p < t.size()) {
      if (t[p] != ' ' && t[p] != 'T') dateFailed();
      while (p < t.size() && (t[p] == ' ' || t[p] == 'T')) ++p;
      parseTime(t, p, r);
    }
  }
  if (p != t.size()) dateFailed();
  return core::DateTime::fromParts(r.y, r.mo, r.d, r.h, r.mi, r.s, r.ms);
}

core::DateTime ValueConversion::numberToDateTime(double days) {
  auto base = core::DateTime::fromParts(1900, 1, 1);
  return base.addMillis(static_cast<std::int64_t>(std::llround(days * 86400000.0)));
}

std::int64_t ValueConversion::toInt(sqlite3_value* v, bool bigint) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return checkedInt(sqlite3_value_int64(v), bigint);
    case SQLITE_FLOAT:
      return realToInt(sqlite3_value_double(v), bigint);
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return textToInt(std::string_view(s ? s : "", sqlite3_value_bytes(v)), bigint);
    }
  }
}

double ValueConversion::toFloat(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return sqlite3_value_double(v);
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return textToFloat(std::string_view(s ? s : "", sqlite3_value_bytes(v)));
    }
  }
}

core::Currency ValueConversion::realToMoney(double v) {
  // Money holds +-922,337,203,685,477.5807: ten-thousandths in a signed 64-bit integer.
  constexpr double kLimit = 922337203685477.5807;
  if (!std::isfinite(v) || v > kLimit || v < -kLimit - 0.0001)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "money"});
  // The limits themselves, stored as the nearest double (an eighth away), are the limits.
  if (v == kLimit) return core::Currency::fromRaw(std::numeric_limits<std::int64_t>::max());
  if (v == -kLimit - 0.0001) return core::Currency::fromRaw(std::numeric_limits<std::int64_t>::min());
  // From a billion up, ten-thousandths of a double are too close to its last bit
  // to round by: read it by its shortest text (99999999999.9999 stays that).
  if (std::fabs(v) >= 1e9) return decimalToMoney(*Decimal::fromDouble(v));
  return core::Currency::fromDouble(v);
}

core::Currency ValueConversion::checkedSmallMoney(core::Currency m) {
  constexpr std::int64_t kLimit = 2147483647;  // ten-thousandths in 32 bits
  if (m.raw() > kLimit || m.raw() < -kLimit - 1)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "smallmoney"});
  return m;
}

std::int64_t ValueConversion::checkedInt(std::int64_t v, bool bigint) {
  if (!bigint && (v > 2147483647 || v < -2147483648LL))
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "int"});
  return v;
}

std::int64_t ValueConversion::realToInt(double v, bool bigint) {
  double d = std::trunc(v);
  // 2^63 itself does not fit; NaN fails every comparison, so test for it first.
  if (std::isnan(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0) {
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", bigint ? "bigint" : "int"});
  }
  return checkedInt(static_cast<std::int64_t>(d), bigint);
}

core::Currency ValueConversion::intToMoney(std::int64_t v) {
  constexpr std::int64_t kLimit = 922337203685477;  // whole units of money's range
  if (v > kLimit || v < -kLimit)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "money"});
  return core::Currency::fromInt(v);
}

core::Currency ValueConversion::toMoney(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return intToMoney(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return realToMoney(sqlite3_value_double(v));
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return textToMoney(std::string_view(s ? s : "", sqlite3_value_bytes(v)));
    }
  }
}

bool ValueConversion::toBit(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return sqlite3_value_int64(v) != 0;
    case SQLITE_FLOAT:
      return sqlite3_value_double(v) != 0.0;
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return textToBit(std::string_view(s ? s : "", sqlite3_value_bytes(v)));
    }
  }
}

core::DateTime ValueConversion::toDateTime(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return numberToDateTime(sqlite3_value_double(v));
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return textToDateTime(std::string_view(s ? s : "", sqlite3_value_bytes(v)));
    }
  }
}

std::string ValueConversion::toText(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return realText(sqlite3_value_double(v));
    case SQLITE_NULL:
      return std::string();
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return std::string(s ? s : "", sqlite3_value_bytes(v));
    }
  }
}

// Written digit by digit: every datetime a statement stores or reads back as text comes
// through here, and snprintf cost more than the rest of those conversions together. A
// year past four digits keeps snprintf's form.
std::string ValueConversion::dateTimeText(core::DateTime d) {
  const int year = d.year();
  if (year < 0 || year > 9999) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", year, d.month(), d.day(),
                  d.hour(), d.minute(), d.second(), d.millisecond());
    return buf;
  }
  std::string text = "0000-00-00 00:00:00.000";
  auto put = [&text](std::size_t at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  put(0, year, 4);
  put(5, d.month(), 2);
  put(8, d.day(), 2);
  put(11, d.hour(), 2);
  put(14, d.minute(), 2);
  put(17, d.second(), 2);
  put(20, d.millisecond(), 3);
  return text;
}

std::string ValueConversion::padChars(std::string s, int length) {
  std::size_t chars = 0;
  for (unsigned char c : s) chars += (c & 0xC0) != 0x80;
  if (length > 0 && chars < static_cast<std::size_t>(length))
    s.append(static_cast<std::size_t>(length) - chars, ' ');
  return s;
}

core::DateTime ValueConversion::roundToTick(core::DateTime d) {
  std::int64_t ms = d.millis();
  std::int64_t intoSecond = ((ms % 1000) + 1000) % 1000;
  std::int64_t ticks = (intoSecond * 3 + 5) / 10;  // 0.3 ticks a millisecond, half up
  std::int64_t rounded = (ticks * 10 + 1) / 3;     // back to the nearest millisecond
  return d.addMillis(rounded - intoSecond);
}

core::DateTime ValueConversion::dayOf(core::DateTime d) {
  return core::DateTime::fromParts(d.year(), d.month(), d.day());
}

core::DateTime ValueConversion::roundToMinute(core::DateTime d) {
  std::int64_t ms = d.millis();
  std::int64_t intoMinute = ((ms % 60000) + 60000) % 60000;
  std::int64_t floor = ms - intoMinute;
  return core::DateTime::fromMillis(intoMinute >= 29999 ? floor + 60000 : floor);
}

std::string ValueConversion::floatText(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  std::string s = buf;
  auto e = s.find('e');
  if (e != std::string::npos) {  // SQL Server writes three exponent digits: 1e+006
    std::string exp = s.substr(e + 2);
    while (exp.size() < 3) exp.insert(exp.begin(), '0');
    s = s.substr(0, e + 2) + exp;
  }
  return s;
}

std::string ValueConversion::moneyText(core::Currency m, int style) {
  std::int64_t units = m.raw();
  bool negative = units < 0;
  std::uint64_t abs = negative ? static_cast<std::uint64_t>(-(units + 1)) + 1
                               : static_cast<std::uint64_t>(units);
  int decimals = style == 2 ? 4 : 2;
  if (decimals == 2) abs = (abs + 50) / 100;  // money shows cents, halves away from zero
  std::uint64_t scale = decimals == 2 ? 100 : 10000;
  std::string whole = std::to_string(abs / scale);
  if (style == 1) {
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<std::size_t>(i), 1, ',');
  }
  std::string frac = std::to_string(abs % scale);
  while (static_cast<int>(frac.size()) < decimals) frac.insert(frac.begin(), '0');
  return (negative ? "-" : "") + whole + "." + frac;
}

std::string ValueConversion::realText(double v) {
  if (v == std::trunc(v) && std::fabs(v) < 1e15) {
    return std::to_string(static_cast<std::int64_t>(v));
  }
  char buf[40];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

}  // namespace tsql::runtime
