// The table itself. Templates are SQL Server's texts character for character; an
// argument is a type name or the offending value, never anything a caller formats.
#include "tsql/errors/error_table.h"

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
    {Error::SaveWithoutTran, 16, "Cannot issue SAVE TRANSACTION when there is no active transaction."},
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

int numberOfMessage(std::string_view m) {
  for (const ErrorEntry& x : kTable) {
    std::string_view fixed = x.text.substr(0, x.text.find('%'));
    if (m.substr(0, fixed.size()) == fixed) return number(x.error);
  }
  return 0;
}

}  // namespace tsql::errors
