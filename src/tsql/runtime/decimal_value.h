// How a decimal travels through SQLite: as a REAL while it has at most 15 digits
// (a double gives those back exactly, read by its shortest text), as its exact TEXT
// beyond. Shared by the decimal functions and the executor's conversions.
#pragma once

#include <sqlite3.h>

#include <string>

#include "tsql/runtime/decimal.h"

namespace tsql::runtime {

//! Digits a double holds exactly, whatever the decimal point's place.
inline constexpr int kExactDoubleDigits = 15;
//! More digits than any decimal value or product of two has: text beyond is refused.
inline constexpr int kMaxDigits = 80;

//! A SQLite value as a decimal: integers exactly, REALs by their shortest text, text
//! as written (8114 when it is not a number).
Decimal decimalOf(sqlite3_value* v);
//! Text as a decimal; 8114 when it is not a number.
Decimal decimalOfText(std::string_view text);
//! `d` rounded to decimal(p,s), or 8115 when its whole part needs more than p-s digits.
//! `from` names the source type in the message ("numeric", "int", "expression").
Decimal fitDecimal(const Decimal& d, int precision, int scale, const char* from = "numeric");
//! True when `d` travels as a REAL (see above).
inline bool travelsAsReal(const Decimal& d) { return d.digitCount() <= kExactDoubleDigits; }

}  // namespace tsql::runtime
