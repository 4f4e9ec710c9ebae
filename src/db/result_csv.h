// ResultCsv: a result set as CSV text for spreadsheets: UTF-8 with a byte order mark
// (so a spreadsheet does not read the Chinese as another code page), a header line of
// column names, CRLF line ends and RFC 4180 quoting. Values read as `coreapp sql`
// prints them (money with at most four decimals, date-times as text).
#pragma once

#include <string>

#include "tsql/batch_result.h"

namespace db {

class ResultCsv {
 public:
  //! The whole result set with its byte order mark and header line.
  static std::string text(const tsql::ResultSet& rs);
  //! One field, quoted when it holds a comma, a quote or a line break.
  static std::string field(const std::string& value);
};

}  // namespace db
