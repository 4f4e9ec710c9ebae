// ValueConversion: T-SQL's implicit and explicit conversions between the values SQLite
// holds (integer, real, text) and the T-SQL types the engine declares, with SQL Server's
// error numbers and messages when a value does not convert ('abc' to int never
// becomes 0). Used by the runtime functions and by the connection's result typing.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/currency.h"
#include "core/date_time.h"
#include "tsql/errors/error_table.h"

namespace tsql::runtime {

//! An error a T-SQL conversion or operator raises, with SQL Server's number.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& message)
      : std::runtime_error(message), number_(number) {}
  //! Error `e` of the error table, its template filled in from `args`.
  explicit RuntimeError(errors::Error e, std::initializer_list<std::string_view> args = {})
      : RuntimeError(errors::number(e), errors::message(e, args)) {}
  int number() const { return number_; }  //!< SQL Server's error number

 private:
  int number_;
};

class ValueConversion {
 public:
  //! Text to int/bigint as CAST does: blanks around, a sign and digits; '' is 0.
  static std::int64_t textToInt(std::string_view text, bool bigint = false);
  //! Text to float; '' is 0; anything else not a number raises 8114.
  static double textToFloat(std::string_view text);
  //! Text to money (rounded half to even at four decimals); raises 235.
  static core::Currency textToMoney(std::string_view text);
  //! A float as money (half even at four decimals); beyond money's range (or not a
  //! number) it raises 8115 as the server does, never a C++ overflow.
  static core::Currency realToMoney(double v);
  //! `m` itself when smallmoney holds it (+-214,748.3647); 8115 otherwise.
  static core::Currency checkedSmallMoney(core::Currency m);
  //! A whole number as money; beyond money's range it raises 8115.
  static core::Currency intToMoney(std::int64_t v);
  //! A float truncated to int/bigint; beyond the type's range it raises 8115.
  static std::int64_t realToInt(double v, bool bigint);
  //! The integer itself when int (or bigint) holds it; 8115 otherwise.
  static std::int64_t checkedInt(std::int64_t v, bool bigint);
  //! Text to bit: 'true'/'false' in any case, or an integer (non-zero is 1).
  static bool textToBit(std::string_view text);
  //! Text to datetime: 'YYYY-MM-DD', 'YYYY/M/D', 'YYYYMMDD', each optionally followed
  //! by ' HH:MM[:SS[.fff]]' (or 'T'), or a time alone (on 1900-01-01); '' is 1900-01-01.
  static core::DateTime textToDateTime(std::string_view text);
  //! Days since 1900-01-01 (the fraction is the time of day) to datetime.
  static core::DateTime numberToDateTime(double days);

  //! A SQLite value converted to the T-SQL type; callers check for NULL first.
  static std::int64_t toInt(sqlite3_value* v, bool bigint = false);
  static double toFloat(sqlite3_value* v);
  static core::Currency toMoney(sqlite3_value* v);
  static bool toBit(sqlite3_value* v);
  static core::DateTime toDateTime(sqlite3_value* v);
  //! Text of a value as an implicit conversion to varchar gives it.
  static std::string toText(sqlite3_value* v);

  //! The stored form of a datetime: "YYYY-MM-DD HH:MM:SS.mmm".
  static std::string dateTimeText(core::DateTime d);
  //! datetime precision: 1/300 s, shown as .000, .003 or .007 (.998 is .997, .999 the next second).
  static core::DateTime roundToTick(core::DateTime d);
  //! The date alone (midnight), as a date value holds it.
  static core::DateTime dayOf(core::DateTime d);
  //! smalldatetime precision: 29.998 s or less round down, 29.999 s or more up.
  static core::DateTime roundToMinute(core::DateTime d);
  //! CAST(float AS varchar): six significant digits, exponent form past them.
  static std::string floatText(double v);
  //! CAST(money AS varchar): style 0 two decimals, 1 with thousands commas, 2 four.
  static std::string moneyText(core::Currency m, int style = 0);
  //! Text blank-padded to `length` characters, as a char(n) holds it.
  static std::string padChars(std::string s, int length);
  //! Shortest text of a double that reads back the same ("0.1", "12.5", "3").
  static std::string realText(double v);
};

}  // namespace tsql::runtime
