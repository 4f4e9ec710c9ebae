// ResultJson: a result set as one JSON line, the output contract of `coreapp sql` and
// of the scenario player's sql step: {"columns":[...],"rows":[[...],...]} with
// integers and bits as JSON integers, float and money as JSON numbers (money with at
// most four decimals), text as strings, NULL as null and date-times as
// "YYYY-MM-DD HH:MM:SS" (".mmm" appended when the milliseconds are not zero).
#pragma once

#include <string>

#include "core/value.h"
#include "tsql/batch_result.h"

namespace db {

class ResultJson {
 public:
  //! The whole result set on one line (no trailing newline).
  static std::string line(const tsql::ResultSet& rs);
  //! One value as JSON; `columnType` (Null = unknown) decides how a float that belongs
  //! to a money column is written.
  static std::string value(const core::Value& v, core::ValueType columnType);
  //! A JSON string literal (UTF-8 kept, control characters escaped).
  static std::string quote(const std::string& text);
};

}  // namespace db
