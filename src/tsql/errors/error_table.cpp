// The table itself. Templates are SQL Server's texts character for character; an
// argument is a type name or the offending value, never anything a caller formats.
#include "tsql/errors/error_table.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace tsql::errors {

namespace {

constexpr ErrorEntry kTable[] = {
    {Error::MoneySyntax, 16, "Cannot convert a char value to money. The char value has incorrect syntax."},
    {Error::DateOutOfRange, 16,
     "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value."},
    {Error::ConversionFailed, 16, "Conversion failed when converting the %1 value '%2' to data type %3."},
    {Error::TranCountMismatch, 16,
     "Transaction count after EXECUTE indicates a mismatching number of BEGIN and COMMIT statements. "
     "Previous count = %1, current count = %2."},
    {Error::NullNotAllowed, 16,
     "Cannot insert the value NULL into column '%1', table '%2'; column does not allow nulls. %3 fails."},
    {Error::CheckConflict, 16,
     "The %1 statement conflicted with the CHECK constraint \"%2\". The conflict occurred in database "
     "\"main\", table \"%3\"%4."},
    {Error::SaveWithoutTran, 16, "Cannot issue SAVE TRANSACTION when there is no active transaction."},
    {Error::BadDateFormat, 16, "SET DATEFORMAT date order '%1' is invalid."},
    {Error::NoSuchSavepoint, 16, "Cannot roll back %1. No transaction or savepoint of that name was found."},
    {Error::ConvertDataType, 16, "Error converting data type %1 to %2."},
    {Error::ArithmeticOverflow, 16, "Arithmetic overflow error converting %1 to data type %2."},
    {Error::AllResultsNull, 16,
     "At least one of the result expressions in a CASE specification must be an expression other than "
     "the NULL constant."},
    {Error::DivideByZero, 16, "Divide by zero error encountered."},
    {Error::GuidConversion, 16, "Conversion failed when converting from a character string to uniqueidentifier."},
};

}  // namespace

std::span<const ErrorEntry> errorTable() { return kTable; }

const ErrorEntry& entry(Error e) {
  for (const ErrorEntry& x : kTable)
    if (x.error == e) return x;
  assert(false && "every Error has its entry");
  return kTable[0];
}

std::string message(Error e, std::initializer_list<std::string_view> args) {
  std::string_view t = entry(e).text;
  std::vector<std::string_view> values(args);
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '%' && i + 1 < t.size() && t[i + 1] >= '1' && t[i + 1] <= '9') {
      auto k = static_cast<std::size_t>(t[i + 1] - '1');
      if (k < values.size()) out += values[k];
      ++i;
    } else {
      out += t[i];
    }
  }
  return out;
}

namespace {

// True when `m` is `t` with each %N replaced by some text: the fixed pieces of the
// template appear in order, the first at the start and the last at the end.
bool madeFrom(std::string_view t, std::string_view m) {
  std::size_t at = 0;
  bool first = true;
  for (;;) {
    std::size_t arg = t.find('%');
    std::string_view piece = t.substr(0, arg);
    if (arg == std::string_view::npos)  // the last piece ends the message
      return m.size() >= at + piece.size() && m.substr(m.size() - piece.size()) == piece &&
             (!first || m.size() == piece.size());
    std::size_t found = first ? (m.substr(0, piece.size()) == piece ? 0 : std::string_view::npos)
                              : m.find(piece, at);
    if (found == std::string_view::npos) return false;
    at = found + piece.size();
    t.remove_prefix(std::min(t.size(), arg + 2));
    first = false;
  }
}

}  // namespace

int numberOfMessage(std::string_view m) {
  for (const ErrorEntry& x : kTable)
    if (madeFrom(x.text, m)) return number(x.error);
  return 0;
}

}  // namespace tsql::errors
