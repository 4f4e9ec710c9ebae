// Exact decimal arithmetic on digit strings. The numbers are short (a decimal(38,s)
// times another is at most 77 digits), so schoolbook methods on decimal digits are
// plenty and keep every step easy to check.
#include "tsql/runtime/decimal.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

// Magnitudes: digit strings, most significant first, no leading zero ("" is zero).

std::string stripped(std::string s) {
  std::size_t first = s.find_first_not_of('0');
  return first == std::string::npos ? std::string() : s.substr(first);
}

int compareMagnitude(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string addMagnitude(const std::string& a, const std::string& b) {
  std::string r;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int d = carry;
    if (i < a.size()) d += a[a.size() - 1 - i] - '0';
    if (i < b.size()) d += b[b.size() - 1 - i] - '0';
    r.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  std::reverse(r.begin(), r.end());
  return stripped(std::move(r));
}

// a - b where a >= b.
std::string subtractMagnitude(const std::string& a, const std::string& b) {
  assert(compareMagnitude(a, b) >= 0);
  std::string r;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int d = a[a.size() - 1 - i] - '0' - borrow;
    if (i < b.size()) d -= b[b.size() - 1 - i] - '0';
    borrow = d < 0;
    r.push_back(static_cast<char>('0' + (d + 10) % 10));
  }
  std::reverse(r.begin(), r.end());
  return stripped(std::move(r));
}

std::string multiplyMagnitude(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return {};
  std::vector<int> acc(a.size() + b.size(), 0);
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;) acc[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (std::size_t k = acc.size(); k-- > 1;) {
    acc[k - 1] += acc[k] / 10;
    acc[k] %= 10;
  }
  std::string r;
  for (int d : acc) r.push_back(static_cast<char>('0' + d));
  return stripped(std::move(r));
}

// Long division: the whole quotient of a / b (b not zero); `rest` gets the remainder.
std::string divideMagnitude(const std::string& a, const std::string& b, std::string& rest) {
  assert(!b.empty());
  std::string q;
  rest.clear();
  for (char c : a) {
    rest = stripped(rest + c);
    int digit = 0;
    while (compareMagnitude(rest, b) >= 0) {
      rest = subtractMagnitude(rest, b);
      ++digit;
    }
    q.push_back(static_cast<char>('0' + digit));
  }
  return stripped(std::move(q));
}

std::string withZeros(const std::string& m, int zeros) {
  return m.empty() ? m : m + std::string(static_cast<std::size_t>(zeros), '0');
}

}  // namespace

Decimal::Decimal(std::string digits, int scale, bool negative)
    : digits_(stripped(std::move(digits))), scale_(scale), negative_(negative) {
  if (digits_.empty()) negative_ = false;
}

std::optional<Decimal> Decimal::parse(std::string_view t, bool exponent) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  bool negative = !t.empty() && t.front() == '-';
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
  std::string digits;
  int scale = 0;
  bool point = false, any = false;
  std::size_t i = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      any = true;
      scale += point;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return std::nullopt;
  if (i < t.size()) {
    if (!exponent || (t[i] != 'e' && t[i] != 'E')) return std::nullopt;
    char* end = nullptr;
    std::string rest(t.substr(i + 1));
    long e = std::strtol(rest.c_str(), &end, 10);
    if (rest.empty() || *end != '\0' || e > 400 || e < -400) return std::nullopt;
    scale -= static_cast<int>(e);
    if (scale < 0) {
      digits += std::string(static_cast<std::size_t>(-scale), '0');
      scale = 0;
    }
  }
  return Decimal(std::move(digits), scale, negative);
}

Decimal Decimal::fromInt(std::int64_t v) {
  bool negative = v < 0;
  std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  return Decimal(std::to_string(m), 0, negative);
}

std::optional<Decimal> Decimal::fromDouble(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  return parse(ValueConversion::realText(v), true);
}

Decimal Decimal::truncated(int scale) const {
  if (scale >= scale_) return Decimal(withZeros(digits_, scale - scale_), scale, negative_);
  auto drop = static_cast<std::size_t>(scale_ - scale);
  std::string kept = digits_.size() > drop ? digits_.substr(0, digits_.size() - drop) : std::string();
  return Decimal(std::move(kept), scale, negative_);
}

Decimal Decimal::shifted(int places) const {
  if (places < 0) return Decimal(digits_, scale_ - places, negative_);
  if (scale_ >= places) return Decimal(digits_, scale_ - places, negative_);
  return Decimal(withZeros(digits_, places - scale_), 0, negative_);
}

Decimal Decimal::rounded(int scale, bool halfEven) const {
  if (scale >= scale_) return truncated(scale);
  auto drop = static_cast<std::size_t>(scale_ - scale);
  Decimal r = truncated(scale);
  char first = digits_.size() >= drop ? digits_[digits_.size() - drop] : '0';
  bool exactHalf = first == '5' && digits_.find_first_not_of('0', digits_.size() - drop + 1) == std::string::npos;
  bool evenBelow = r.digits_.empty() || (r.digits_.back() - '0') % 2 == 0;
  if (first >= '5' && !(halfEven && exactHalf && evenBelow))
    r = Decimal(addMagnitude(r.digits_, "1"), scale, negative_);
  return r;
}

int Decimal::integerDigits() const {
  return std::max(0, static_cast<int>(digits_.size()) - scale_);
}

std::string Decimal::toText() const {
  std::string m = digits_;
  if (m.size() <= static_cast<std::size_t>(scale_))
    m.insert(0, static_cast<std::size_t>(scale_) + 1 - m.size(), '0');
  if (scale_ > 0) m.insert(m.size() - static_cast<std::size_t>(scale_), 1, '.');
  return negative_ ? "-" + m : m;
}

double Decimal::toDouble() const { return std::strtod(toText().c_str(), nullptr); }

Decimal Decimal::operator-() const { return Decimal(digits_, scale_, !negative_); }

Decimal operator+(const Decimal& a, const Decimal& b) {
  int scale = std::max(a.scale_, b.scale_);
  std::string x = withZeros(a.digits_, scale - a.scale_), y = withZeros(b.digits_, scale - b.scale_);
  if (a.negative_ == b.negative_) return Decimal(addMagnitude(x, y), scale, a.negative_);
  if (compareMagnitude(x, y) >= 0) return Decimal(subtractMagnitude(x, y), scale, a.negative_);
  return Decimal(subtractMagnitude(y, x), scale, b.negative_);
}

Decimal operator*(const Decimal& a, const Decimal& b) {
  return Decimal(multiplyMagnitude(a.digits_, b.digits_), a.scale_ + b.scale_, a.negative_ != b.negative_);
}

Decimal Decimal::divide(const Decimal& a, const Decimal& b, int scale) {
  // a/b = (A / 10^sa) / (B / 10^sb); times 10^scale that is A * 10^(sb + scale) / (B * 10^sa).
  std::string rest;
  std::string q = divideMagnitude(withZeros(a.digits_, b.scale_ + scale), withZeros(b.digits_, a.scale_), rest);
  return Decimal(std::move(q), scale, a.negative_ != b.negative_);
}

Decimal Decimal::remainder(const Decimal& a, const Decimal& b) {
  Decimal whole = divide(a, b, 0);
  Decimal r = a - whole * b;
  return r.truncated(std::max(a.scale_, b.scale_));
}

int compare(const Decimal& a, const Decimal& b) {
  Decimal d = a - b;
  return d.isZero() ? 0 : (d.isNegative() ? -1 : 1);
}

}  // namespace tsql::runtime
