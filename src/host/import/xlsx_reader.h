// XlsxReader: the first sheet of an Excel workbook as text. The package is opened with
// libzip and its parts read with pugixml: the workbook names the first sheet, the shared
// strings hold the texts, a number cell's value is written back as the shortest text
// that reads as the same number ("12.5", "1001"). readCells() keeps what each cell is
// (a number, a shared or inline string) and the number format of its style, so a date
// cell is told from a plain number.
#pragma once

#include <string>
#include <vector>

#include "host/import/sheet_rows.h"

namespace host {

//! One cell of a sheet as the workbook stores it.
struct XlsxCell {
  enum class Kind { Empty, Number, SharedString, InlineString, FormulaString, Boolean, Error };
  Kind kind = Kind::Empty;
  std::string text;          //!< what read() gives for it
  std::string numberFormat;  //!< its style's number format code, "" = General
  //! A number under a date or time format: its value is a day serial.
  bool isDate() const;
};
using XlsxCells = std::vector<std::vector<XlsxCell>>;

class XlsxReader {
 public:
  //! The first sheet's cells, every row of the sheet in order; a gap is an Empty cell.
  static XlsxCells readCells(const std::string& path);
  //! The first sheet's rows, blank rows dropped; a gap between cells is an empty text.
  static SheetRows read(const std::string& path);
};

}  // namespace host
