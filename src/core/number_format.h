// Display patterns for numbers in the style of the grids and labels: "0.0000",
// "#,0.00", "0", "0.00%", "¥,0.0000;¥-,0.0000" (positive;negative;zero sections,
// ',' turns on thousands grouping, '#' marks optional digits, quoted or other
// characters are literal text). Shared by Currency::format and formatFloat.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace core {

//! A number already rounded to a requested count of decimals, as digit strings.
struct RoundedNumber {
  bool negative = false;   //!< true for a value below zero after rounding
  std::string intDigits;   //!< integer digits without sign or leading zeros ("0" for none)
  std::string fracDigits;  //!< exactly the requested count of fraction digits
};

//! Rounds the caller's value half even to `decimals` places.
using NumberRounder = std::function<RoundedNumber(int decimals)>;

//! Formats the value produced by `round` through a display pattern; an empty
//! pattern shows the plain number ("0.##########").
std::string formatNumber(std::string_view pattern, const NumberRounder& round);

//! Formats a floating point value through a display pattern (half-even rounding).
std::string formatFloat(double value, std::string_view pattern);

}  // namespace core
