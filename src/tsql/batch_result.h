// What running one T-SQL batch gives back: the result sets in the order the batch
// produced them, and every error that reached the caller (SQL Server's number,
// severity and message). A batch with any error is a failed batch, but result sets
// produced before the error are still there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/value.h"

namespace tsql {

//! One column of a result set: its name and the type its values carry.
struct Column {
  std::string name;
  core::ValueType type = core::ValueType::Null;  //!< Null when the type is unknown
  int size = 0;                                   //!< declared text length, 0 = unknown/max
};

//! Rows of one SELECT that returned data to the caller.
struct ResultSet {
  std::vector<Column> columns;
  std::vector<std::vector<core::Value>> rows;
};

//! An error that reached the caller.
struct SqlError {
  int number = 50000;  //!< SQL Server's error number (50000 for RAISERROR with a text)
  int severity = 16;
  int state = 1;
  int line = 0;  //!< 1-based line of the batch, 0 when unknown
  std::string message;
  std::string procedure = {};  //!< the stored procedure that raised it, "" for the batch
};

//! Named parameter values bound to `:name` markers (names without the colon).
using Params = std::vector<std::pair<std::string, core::Value>>;

struct BatchResult {
  std::vector<ResultSet> resultSets;
  std::vector<SqlError> errors;
  std::vector<std::string> messages;  //!< PRINT output and informational RAISERRORs

  bool ok() const { return errors.empty(); }
  //! The first error's message ("" when the batch succeeded).
  std::string errorMessage() const { return errors.empty() ? std::string() : errors.front().message; }
};

}  // namespace tsql
