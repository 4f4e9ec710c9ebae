// CsvReader: comma-separated text as spreadsheets save it. Text in UTF-8 (with or
// without the byte-order mark) is taken as it is; anything else is taken for GBK, the
// code page Chinese spreadsheets export in, and converted. Fields follow RFC 4180:
// a quoted field may hold commas, doubled quotes and line breaks.
#pragma once

#include <string>
#include <string_view>

#include "host/import/sheet_rows.h"

namespace host {

class CsvReader {
 public:
  //! The file's bytes as UTF-8: the mark dropped, GBK converted.
  static std::string toUtf8(std::string_view bytes);
  //! The records of UTF-8 text; a blank line is no record.
  static SheetRows parse(std::string_view text);
  //! toUtf8 then parse.
  static SheetRows read(std::string_view bytes) { return parse(toUtf8(bytes)); }
};

//! True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace host
