// SheetRows: a spreadsheet read as text, row by row, whatever file it came from (CSV or
// XLSX); the first row is the header. readSheetFile() picks the reader by the file's
// content, so a renamed file still reads.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace host {

using SheetRows = std::vector<std::vector<std::string>>;

//! A file that cannot be read as a spreadsheet; the message is for the user.
struct SheetError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

//! Reads a CSV or XLSX file (an XLSX is a zip package: it starts with "PK").
SheetRows readSheetFile(const std::string& path);

}  // namespace host
