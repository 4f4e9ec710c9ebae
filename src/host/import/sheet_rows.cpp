// readSheetFile: one entry for both readers.
#include <fstream>
#include <sstream>

#include "host/import/csv_reader.h"
#include "host/import/xlsx_reader.h"

namespace host {

SheetRows readSheetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SheetError("无法读取文件" + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  if (data.starts_with("PK\x03\x04")) return XlsxReader::read(path);
  return CsvReader::read(data);
}

}  // namespace host
