// The engine's errors in one table: SQL Server's number, severity and message template
// for each ("%1", "%2" ... stand for the arguments). The runtime functions, the
// translator and the interpreter build their messages here, and a message that comes
// back out of SQLite is matched here to its number.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tsql::errors {

//! The errors by name; the value is SQL Server's number.
enum class Error : int {
  MoneySyntax = 235,          //!< text that is not a money amount
  DateOutOfRange = 242,       //!< varchar to datetime out of range
  ConversionFailed = 245,     //!< '%1' value '%2' to data type %3
  TranCountMismatch = 266,    //!< a procedure left @@TRANCOUNT changed: previous %1, current %2
  NullNotAllowed = 515,       //!< NULL into NOT NULL column %1 of table %2; %3 fails
  CheckConflict = 547,        //!< %1 statement against CHECK constraint %2 of table %3 (%4: column)
  SaveWithoutTran = 628,
  BadDateFormat = 2741,       //!< SET DATEFORMAT %1 is not one of the six orders
  NoSuchSavepoint = 6401,     //!< ROLLBACK TRAN %1 names no savepoint or transaction
  ConvertDataType = 8114,     //!< data type %1 to %2
  ArithmeticOverflow = 8115,  //!< converting %1 to data type %2
  AllResultsNull = 8133,      //!< CASE whose results are all NULL
  DivideByZero = 8134,
  GuidConversion = 8169,  //!< text that is not a uniqueidentifier
};

struct ErrorEntry {
  Error error;
  int severity;
  std::string_view text;  //!< the template
};

//! Every entry, in number order.
std::span<const ErrorEntry> errorTable();
//! The table's entry for `e`.
const ErrorEntry& entry(Error e);
//! SQL Server's number of `e`.
inline int number(Error e) { return static_cast<int>(e); }
//! The message of `e` with its %1, %2 ... filled in from `args`.
std::string message(Error e, std::initializer_list<std::string_view> args = {});
//! The number of a message made from the table (its text before the first argument
//! matches); 0 when no entry made it.
int numberOfMessage(std::string_view message);

}  // namespace tsql::errors
