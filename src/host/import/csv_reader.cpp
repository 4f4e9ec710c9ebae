// CsvReader: the encoding is told from the bytes (GBK text is almost never valid UTF-8);
// the records are read by one pass that knows only whether it is inside quotes.
#include "host/import/csv_reader.h"

#include <iconv.h>

#include <memory>

namespace host {

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (more < 0 || (more == 1 && c < 0xC2) || i + more >= text.size()) return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += more + 1;
  }
  return true;
}

namespace {

// GB18030 is a superset of GBK: every GBK file converts the same.
std::string gbkToUtf8(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw SheetError("无法转换GBK编码");
  std::unique_ptr<void, int (*)(iconv_t)> guard(cd, &iconv_close);
  std::string in(bytes), out(bytes.size() * 2 + 4, '\0');
  char* src = in.data();
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
    throw SheetError("文件既不是UTF-8也不是GBK编码");
  out.resize(out.size() - dstLeft);
  return out;
}

bool blank(const std::vector<std::string>& record) {
  for (const std::string& f : record)
    if (!f.empty()) return false;
  return true;
}

}  // namespace

std::string CsvReader::toUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (isValidUtf8(bytes)) return std::string(bytes);
  return gbkToUtf8(bytes);
}

SheetRows CsvReader::parse(std::string_view text) {
  SheetRows rows;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  auto endRecord = [&] {
    record.push_back(std::move(field));
    field.clear();
    if (!blank(record)) rows.push_back(std::move(record));
    record.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"')
        field += c;
      else if (i + 1 < text.size() && text[i + 1] == '"')
        field += text[++i];
      else
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
    } else {
      field += c;
    }
  }
  if (!field.empty() || !record.empty()) endRecord();
  return rows;
}

}  // namespace host
