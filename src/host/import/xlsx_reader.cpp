// XlsxReader: a cell's column comes from its reference ("C7"), not its place in the row,
// because a sheet leaves empty cells out.
#include "host/import/xlsx_reader.h"

#include <zip.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <pugixml.hpp>

namespace host {

namespace {

using Archive = std::unique_ptr<zip_t, int (*)(zip_t*)>;

// The part `name` of the package; empty when the package has none.
std::string readPart(zip_t* zip, const std::string& name) {
  zip_stat_t st;
  if (zip_stat(zip, name.c_str(), 0, &st) != 0) return {};
  zip_file_t* file = zip_fopen(zip, name.c_str(), 0);
  if (file == nullptr) throw SheetError("无法读取表格中的" + name);
  std::string data(st.size, '\0');
  const zip_int64_t n = zip_fread(file, data.data(), st.size);
  zip_fclose(file);
  if (n != static_cast<zip_int64_t>(st.size)) throw SheetError("无法读取表格中的" + name);
  return data;
}

pugi::xml_document parseXml(const std::string& text, const std::string& name) {
  pugi::xml_document doc;
  if (!text.empty() && !doc.load_buffer(text.data(), text.size()))
    throw SheetError("表格中的" + name + "已损坏");
  return doc;
}

// The first sheet's part: the workbook's first <sheet>, through the workbook's relations.
std::string firstSheetPart(zip_t* zip) {
  const auto book = parseXml(readPart(zip, "xl/workbook.xml"), "workbook.xml");
  const auto rels = parseXml(readPart(zip, "xl/_rels/workbook.xml.rels"), "workbook.xml.rels");
  const std::string id =
      book.child("workbook").child("sheets").child("sheet").attribute("r:id").value();
  for (const auto& rel : rels.child("Relationships").children("Relationship")) {
    if (id.empty() || rel.attribute("Id").value() != id) continue;
    const std::string target = rel.attribute("Target").value();
    return target.starts_with("/") ? target.substr(1) : "xl/" + target;
  }
  return "xl/worksheets/sheet1.xml";
}

// The text of a string item: one <t>, or the <t> of each run of a formatted one.
std::string itemText(const pugi::xml_node& item) {
  if (item.child("t")) return item.child("t").text().get();
  std::string text;
  for (const auto& run : item.children("r")) text += run.child("t").text().get();
  return text;
}

std::vector<std::string> sharedStrings(zip_t* zip) {
  std::vector<std::string> out;
  const auto doc = parseXml(readPart(zip, "xl/sharedStrings.xml"), "sharedStrings.xml");
  for (const auto& si : doc.child("sst").children("si")) out.push_back(itemText(si));
  return out;
}

// "1001" stays "1001", "12.300000000000001" becomes "12.3".
std::string numberText(const char* raw) {
  double v = 0;
  const std::string_view s(raw);
  if (std::from_chars(s.data(), s.data() + s.size(), v).ec != std::errc()) return std::string(s);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// The zero-based column of a reference such as "AB12".
std::size_t columnOf(const char* ref) {
  std::size_t col = 0;
  for (; *ref >= 'A' && *ref <= 'Z'; ++ref)
    col = col * 26 + static_cast<std::size_t>(*ref - 'A' + 1);
  return col == 0 ? 0 : col - 1;
}

std::string cellText(const pugi::xml_node& cell, const std::vector<std::string>& strings) {
  const std::string type = cell.attribute("t").value();
  const char* v = cell.child("v").text().get();
  if (type == "s") {
    const std::size_t i = static_cast<std::size_t>(cell.child("v").text().as_ullong(~0ULL));
    if (i >= strings.size()) throw SheetError("表格的共享字符串已损坏");
    return strings[i];
  }
  if (type == "inlineStr") return itemText(cell.child("is"));
  if (type == "str" || type == "e") return v;
  if (type == "b") return std::string(v) == "1" ? "TRUE" : "FALSE";
  return numberText(v);
}

}  // namespace

SheetRows XlsxReader::read(const std::string& path) {
  int error = 0;
  Archive zip(zip_open(path.c_str(), ZIP_RDONLY, &error), &zip_close);
  if (!zip) throw SheetError("无法打开表格文件" + path);
  const std::vector<std::string> strings = sharedStrings(zip.get());
  const std::string part = firstSheetPart(zip.get());
  const auto sheet = parseXml(readPart(zip.get(), part), part);
  SheetRows rows;
  for (const auto& row : sheet.child("worksheet").child("sheetData").children("row")) {
    std::vector<std::string> cells;
    for (const auto& cell : row.children("c")) {
      const char* ref = cell.attribute("r").value();
      const std::size_t col = *ref != '\0' ? columnOf(ref) : cells.size();
      if (cells.size() <= col) cells.resize(col + 1);
      cells[col] = cellText(cell, strings);
    }
    bool blank = true;
    for (const std::string& c : cells) blank = blank && c.empty();
    if (!blank) rows.push_back(std::move(cells));
  }
  return rows;
}

}  // namespace host
