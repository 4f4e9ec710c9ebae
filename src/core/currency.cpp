// Currency arithmetic, rounding and display formatting. Doubles reach us carrying
// binary noise (0.00005 is stored a hair above the tie), so a value within a few
// units of the last double place of an exact half is treated as the tie it stands for.
#include "core/currency.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/number_format.h"

namespace core {
namespace {

// Relative distance from an exact half below which the half is taken as a tie:
// about ten double ulps, far below any real money difference.
constexpr long double kTieTolerance = 1e-15L;

// Rounds to the nearest integer, ties (within the tolerance) to even.
long double roundUnitsHalfEven(long double p) {
  long double fl = std::floor(p);
  long double frac = p - fl;
  long double tol = std::fabs(p) * kTieTolerance;
  if (std::fabs(frac - 0.5L) <= tol) {
    return std::fmod(fl, 2.0L) == 0.0L ? fl : fl + 1.0L;
  }
  return frac < 0.5L ? fl : fl + 1.0L;
}

std::int64_t toUnits(long double p) {
  // A NaN or an amount beyond the 64-bit range has no money value; converting it
  // would be undefined, so it is refused loudly (a division by a zero quantity).
  if (!std::isfinite(p) || p >= 9223372036854775807.5L || p < -9223372036854775808.5L) {
    throw std::overflow_error("Amount out of range or not a number");
  }
  return static_cast<std::int64_t>(roundUnitsHalfEven(p));
}

// Digits of a number text: sign, all digits in order, and where the point sits.
struct DecimalText {
  bool negative = false;
  std::string digits;
  long pointPos = 0;  // count of digits before the decimal point
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "[+-]d[,ddd]*[.d*][e[+-]d+]" (or ".d+"); false on anything else.
bool readDecimal(std::string_view t, DecimalText& out) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) out.negative = t[i++] == '-';
  bool seenPoint = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (isDigit(c)) {
      out.digits += c;
      if (!seenPoint) ++out.pointPos;
    } else if (c == ',' && !seenPoint && !out.digits.empty() && i + 1 < t.size() &&
               isDigit(t[i + 1])) {
      continue;  // thousands separator
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (out.digits.empty()) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::string exp(t.substr(i + 1));
    char* end = nullptr;
    long e = std::strtol(exp.c_str(), &end, 10);
    if (exp.empty() || *end != '\0' || !isDigit(exp.back()) || e > 40 || e < -40) return false;
    out.pointPos += e;
    i = t.size();
  }
  return i == t.size();
}

std::string_view trim(std::string_view t) {
  const char* ws = " \t\r\n";
  std::size_t b = t.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return t.substr(b, t.find_last_not_of(ws) - b + 1);
}

// Half-even rounding of a raw count to a multiple of 10^(4 - decimals).
std::int64_t roundRawTo(std::int64_t units, int decimals) {
  if (decimals >= 4) return units;
  std::int64_t step = 1;
  for (int i = decimals; i < 4; ++i) step *= 10;
  std::int64_t q = units / step;
  std::int64_t r = units % step;
  std::int64_t twice = 2 * (r < 0 ? -r : r);
  int sign = units < 0 ? -1 : 1;
  if (twice > step || (twice == step && (q % 2 != 0))) q += sign;
  return q * step;
}

// Powers of ten up to 10^18 are exact in long double; a table spares the library's
// powl, which costs more than the rounding itself on a grid of thousands of lines.
long double powerOfTen(int decimals) {
  static constexpr long double kPowers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                            1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                            1e14L, 1e15L, 1e16L, 1e17L, 1e18L};
  if (decimals >= 0 && decimals <= 18) return kPowers[decimals];
  return std::pow(10.0L, decimals);
}

}  // namespace

long double roundHalfEven(long double v, int decimals) {
  long double scale = powerOfTen(decimals);
  return roundUnitsHalfEven(v * scale) / scale;
}

Currency Currency::fromDouble(double v) { return fromLongDouble(static_cast<long double>(v)); }

Currency Currency::fromLongDouble(long double v) { return fromRaw(toUnits(v * kScale)); }

Currency Currency::operator*(long double factor) const {
  return fromRaw(toUnits(static_cast<long double>(units_) * factor));
}

Currency Currency::operator/(long double divisor) const {
  assert(divisor != 0.0L && "currency divided by zero");
  return fromRaw(toUnits(static_cast<long double>(units_) / divisor));
}

std::optional<Currency> Currency::parse(std::string_view text) {
  DecimalText d;
  if (!readDecimal(trim(text), d)) return std::nullopt;
  // Align the digits so that exactly four decimals stand before position `cut`.
  std::string digits = d.digits;
  long point = d.pointPos;
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  long cut = point + 4;
  if (static_cast<long>(digits.size()) < cut) digits.append(cut - digits.size(), '0');
  std::string kept = digits.substr(0, cut);
  std::string rest = digits.substr(cut);
  kept.erase(0, std::min(kept.find_first_not_of('0'), kept.size() - 1));
  if (kept.size() > 18) return std::nullopt;  // beyond the range of money
  std::int64_t units = std::stoll(kept);
  if (!rest.empty() && rest[0] >= '5') {
    bool tie = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
    if (!tie || units % 2 != 0) ++units;
  }
  return fromRaw(d.negative ? -units : units);
}

std::string Currency::format(std::string_view pattern) const {
  return formatNumber(pattern, [this](int decimals) {
    std::int64_t r = roundRawTo(units_, decimals);
    std::int64_t a = r < 0 ? -r : r;
    RoundedNumber n;
    n.negative = r < 0;
    n.intDigits = std::to_string(a / kScale);
    std::string frac = std::to_string(a % kScale + kScale).substr(1);
    if (decimals < 4)
      frac.resize(static_cast<std::size_t>(decimals < 0 ? 0 : decimals));
    else
      frac.append(static_cast<std::size_t>(decimals - 4), '0');
    n.fracDigits = frac;
    return n;
  });
}

std::string Currency::toString() const {
  std::int64_t a = units_ < 0 ? -units_ : units_;
  std::string s = std::to_string(a / kScale);
  std::int64_t frac = a % kScale;
  if (frac != 0) {
    std::string f = std::to_string(frac + kScale).substr(1);
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += '.' + f;
  }
  return units_ < 0 ? "-" + s : s;
}

}  // namespace core
