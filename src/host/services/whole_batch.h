// Making a batch whole or nothing. A T-SQL batch that opens and commits its own
// transaction still goes on to its COMMIT after a statement fails part-way; wrapped in
// TRY/CATCH it rolls back instead.
#pragma once

#include <string>

namespace host {

//! `batch` (which opens and commits its own transaction) made whole or nothing: any
//! failure rolls everything back and reaches the caller in its own words (a refusal's
//! raised text too).
std::string wholeOrNothing(const std::string& batch);

}  // namespace host
