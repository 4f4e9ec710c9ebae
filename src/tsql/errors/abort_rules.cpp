// The batch-aborting errors: the failed conversions of a value to another type and
// the names that resolve to nothing. Overflow (8115), divide by zero (8134), constraint
// and truncation errors end only their statement.
#include "tsql/errors/abort_rules.h"

#include <algorithm>
#include <array>

#include "tsql/errors/error_table.h"

namespace tsql::errors {

namespace {

constexpr std::array kBatchAborting = {
    Error::InvalidColumn,     // the server does not compile the batch
    Error::InvalidObject,     // resolved when the statement runs, it ends the batch
    Error::MoneySyntax,       // text to money with a wrong syntax
    Error::DateConversion,    // text to a date or time
    Error::ConversionFailed,  // text to a number
    Error::ConvertDataType,
    Error::GuidConversion,    // text to uniqueidentifier
};

}  // namespace

bool failsNameResolution(int number) {
  return number == errors::number(Error::InvalidColumn) || number == errors::number(Error::InvalidObject);
}

bool abortsBatch(int number) {
  return std::any_of(kBatchAborting.begin(), kBatchAborting.end(), [&](Error e) { return errors::number(e) == number; });
}

}  // namespace tsql::errors
