// The batch-aborting errors: the failed conversions of a value to another type and
// the names that resolve to nothing. Overflow (8115), divide by zero (8134), constraint
// and truncation errors end only their statement.
#include "tsql/errors/abort_rules.h"

#include <algorithm>
#include <array>

namespace tsql::errors {

namespace {

constexpr std::array kBatchAborting = {
    207,   // an unknown column: the server does not compile the batch
    208,   // an unknown table: resolved when the statement runs, it ends the batch
    235,   // text to money with a wrong syntax
    241,   // text to a date or time
    245,   // text to a number ("Conversion failed when converting the varchar value ...")
    8114,  // "Error converting data type %1 to %2."
    8169,  // text to uniqueidentifier
};

}  // namespace

bool abortsBatch(int number) {
  return std::find(kBatchAborting.begin(), kBatchAborting.end(), number) != kBatchAborting.end();
}

}  // namespace tsql::errors
