// Decimal: an exact decimal number (sign, digits, scale) of any length, for the values
// of decimal/numeric. Sums, differences and products are exact; a quotient is cut at
// the scale asked for; rounding is half away from zero, as the server rounds decimals.
// Long enough for decimal(38,s) and for the 77-digit product of two of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsql::runtime {

class Decimal {
 public:
  Decimal() = default;  //!< zero

  //! "[blanks][+|-]digits[.digits][blanks]" ("5.", ".5" too); with `exponent` also an
  //! "e[+|-]n" suffix (how a float prints). nullopt when the text is not such a number.
  static std::optional<Decimal> parse(std::string_view text, bool exponent = false);
  static Decimal fromInt(std::int64_t v);
  //! A double by its shortest round-trip text (0.1 is 0.1); nullopt for inf and NaN.
  static std::optional<Decimal> fromDouble(double v);

  //! Rounded half away from zero (or extended with zeros) to `scale` decimals;
  //! with `halfEven`, an exact half goes to the even neighbour (as money rounds).
  Decimal rounded(int scale, bool halfEven = false) const;
  //! Cut (toward zero) to `scale` decimals.
  Decimal truncated(int scale) const;
  //! The value times 10^places (places may be negative).
  Decimal shifted(int places) const;

  int scale() const { return scale_; }
  //! Digits before the point, leading zeros not counted (0.5 has none).
  int integerDigits() const;
  //! Digits from the first non-zero one to the last one kept (12.50 has 4).
  int digitCount() const { return static_cast<int>(digits_.size()); }
  bool isZero() const { return digits_.empty(); }
  bool isNegative() const { return negative_; }

  //! All `scale` decimals: "-12.50", "0.05", "7".
  std::string toText() const;
  double toDouble() const;

  Decimal operator-() const;
  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b) { return a + -b; }
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  //! a / b cut toward zero at `scale` decimals; b must not be zero.
  static Decimal divide(const Decimal& a, const Decimal& b, int scale);
  //! The remainder of a / b with a's sign (the quotient cut to a whole number).
  static Decimal remainder(const Decimal& a, const Decimal& b);
  friend int compare(const Decimal& a, const Decimal& b);

 private:
  Decimal(std::string digits, int scale, bool negative);

  std::string digits_;  // the unscaled magnitude, most significant first, no leading zero
  int scale_ = 0;
  bool negative_ = false;  // never set on zero
};

}  // namespace tsql::runtime
