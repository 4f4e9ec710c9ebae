// XlsxReader: the first sheet of an Excel workbook as text. The package is opened with
// libzip and its parts read with pugixml: the workbook names the first sheet, the shared
// strings hold the texts, a number cell's value is written back as the shortest text
// that reads as the same number ("12.5", "1001").
#pragma once

#include <string>

#include "host/import/sheet_rows.h"

namespace host {

class XlsxReader {
 public:
  //! The first sheet's rows, blank rows dropped; a gap between cells is an empty text.
  static SheetRows read(const std::string& path);
};

}  // namespace host
