// XlsxWriter: one sheet of typed cells written as an Excel workbook, so a spreadsheet
// sums amounts and sorts dates without a conversion step. The workbook library stays
// behind this header: callers see only columns, values and an error text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/value.h"

namespace host {

//! How a column's cells are stored and shown.
enum class SheetCellKind {
  Text,    //!< a string cell
  Number,  //!< a number in the general format (counts, quantities)
  Money,   //!< a number shown with four decimals and thousands separators
  Date,    //!< a date serial shown as yyyy-mm-dd (with the time when it has one)
};

struct SheetColumn {
  std::string caption;  //!< the header cell
  SheetCellKind kind = SheetCellKind::Text;
};

class XlsxWriter {
 public:
  //! Starts the workbook `path` with one sheet named `sheetName` under these columns
  //! (a bold, frozen header row).
  XlsxWriter(const std::string& path, const std::string& sheetName,
             std::vector<SheetColumn> columns);
  ~XlsxWriter();
  XlsxWriter(const XlsxWriter&) = delete;
  XlsxWriter& operator=(const XlsxWriter&) = delete;

  //! Adds a row, one value per column: a null is an empty cell; a value that does not
  //! read as its column's kind (a text in a money column) is written as text.
  void addRow(const std::vector<core::Value>& values);
  //! Sizes each column to its widest text and writes the file; "" when written, else
  //! why not.
  std::string close();

  //! The width in characters a text takes in a sheet: a Chinese character counts two.
  static int displayWidth(const std::string& text);

 private:
  struct Book;
  std::unique_ptr<Book> book_;
};

}  // namespace host
