// Currency: exact money as a 64-bit count of ten-thousandths, like the database's
// money type. Every conversion into Currency rounds half to even at the fourth
// decimal; products with factors are computed in long double and rounded once.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

class Currency {
 public:
  static constexpr std::int64_t kScale = 10000;  //!< units per one (four decimals)

  constexpr Currency() = default;
  //! From a raw count of ten-thousandths.
  static constexpr Currency fromRaw(std::int64_t units) {
    Currency c;
    c.units_ = units;
    return c;
  }
  //! Rounds half to even at the fourth decimal; a value written as an exact half
  //! (0.00005 stored as a double) counts as the tie. Throws std::overflow_error when
  //! the value is not finite or beyond the money range (so do * and /).
  static Currency fromDouble(double v);
  static Currency fromLongDouble(long double v);
  //! Integer amount (no rounding needed).
  static constexpr Currency fromInt(std::int64_t v) { return fromRaw(v * kScale); }
  //! Parses "12", "-3.14159", "1,234.5", " 7 " (decimal point, optional thousands
  //! separators); nullopt when the text is not a number. Extra decimals round half even.
  static std::optional<Currency> parse(std::string_view text);

  constexpr std::int64_t raw() const { return units_; }
  long double toLongDouble() const { return static_cast<long double>(units_) / kScale; }
  double toDouble() const { return static_cast<double>(toLongDouble()); }

  Currency operator+(Currency o) const { return fromRaw(units_ + o.units_); }
  Currency operator-(Currency o) const { return fromRaw(units_ - o.units_); }
  Currency operator-() const { return fromRaw(-units_); }
  Currency& operator+=(Currency o) {
    units_ += o.units_;
    return *this;
  }
  Currency& operator-=(Currency o) {
    units_ -= o.units_;
    return *this;
  }
  //! Product with a factor, computed in long double and rounded once (half even).
  Currency operator*(long double factor) const;
  //! Quotient by a factor; the caller guards against zero (asserted).
  Currency operator/(long double divisor) const;
  auto operator<=>(const Currency&) const = default;

  //! Shortest plain text: "12.5", "-0.0001", "3" (no trailing zeros, '.' decimal point).
  std::string toString() const;
  //! Formats by a display pattern: "0.0000", "0.00", "0", "#,0.00",
  //! "¥,0.0000;¥-,0.0000" (positive;negative sections, ',' = thousands grouping,
  //! literal prefix text kept). Rounds half even to the pattern's decimals.
  std::string format(std::string_view pattern) const;

 private:
  std::int64_t units_ = 0;
};

//! Rounds a long double half to even at `decimals` places (used for amounts, prices).
long double roundHalfEven(long double v, int decimals);

}  // namespace core
