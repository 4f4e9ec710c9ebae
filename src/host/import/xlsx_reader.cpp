// XlsxReader: a cell's column comes from its reference ("C7"), not its place in the row,
// because a sheet leaves empty cells out.
#include "host/import/xlsx_reader.h"

#include <zip.h>

#include <algorithm>
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

// The format codes the file format numbers without writing them out.
std::string builtinFormat(unsigned id) {
  static const std::pair<unsigned, const char*> kBuiltin[] = {
      {1, "0"},         {2, "0.00"},        {3, "#,##0"},
      {4, "#,##0.00"},  {9, "0%"},          {10, "0.00%"},
      {14, "mm-dd-yy"}, {15, "d-mmm-yy"},   {16, "d-mmm"},
      {17, "mmm-yy"},   {18, "h:mm AM/PM"}, {19, "h:mm:ss AM/PM"},
      {20, "h:mm"},     {21, "h:mm:ss"},    {22, "m/d/yy h:mm"},
      {45, "mm:ss"},    {46, "[h]:mm:ss"},  {47, "mmss.0"},
      {49, "@"}};
  for (const auto& [n, code] : kBuiltin)
    if (n == id) return code;
  return {};
}

// The number format code of each cell style (cellXfs), by the style's index.
std::vector<std::string> styleFormats(zip_t* zip) {
  const auto doc = parseXml(readPart(zip, "xl/styles.xml"), "styles.xml");
  const auto styleSheet = doc.child("styleSheet");
  std::vector<std::pair<unsigned, std::string>> custom;
  for (const auto& f : styleSheet.child("numFmts").children("numFmt"))
    custom.emplace_back(f.attribute("numFmtId").as_uint(), f.attribute("formatCode").value());
  std::vector<std::string> out;
  for (const auto& xf : styleSheet.child("cellXfs").children("xf")) {
    const unsigned id = xf.attribute("numFmtId").as_uint();
    std::string code = builtinFormat(id);
    for (const auto& [n, text] : custom)
      if (n == id) code = text;
    out.push_back(std::move(code));
  }
  return out;
}

XlsxCell::Kind kindOf(const std::string& type) {
  using K = XlsxCell::Kind;
  if (type == "s") return K::SharedString;
  if (type == "inlineStr") return K::InlineString;
  if (type == "str") return K::FormulaString;
  if (type == "b") return K::Boolean;
  if (type == "e") return K::Error;
  return K::Number;
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

bool XlsxCell::isDate() const {
  if (kind != Kind::Number) return false;
  // Quoted text ("d"), escaped letters (\d) and a colour ([Red]) are not date parts; an
  // elapsed time ([h]) is.
  const std::string_view code = numberFormat;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '"') {
      i = std::min(code.find('"', i + 1), code.size());
    } else if (c == '\\') {
      ++i;
    } else if (c == '[') {
      const std::size_t end = std::min(code.find(']', i), code.size());
      const std::string_view inside = code.substr(i + 1, end - i - 1);
      if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos)
        return true;
      i = end;
    } else if (std::string_view("yYdDhHsS").find(c) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

XlsxCells XlsxReader::readCells(const std::string& path) {
  int error = 0;
  Archive zip(zip_open(path.c_str(), ZIP_RDONLY, &error), &zip_close);
  if (!zip) throw SheetError("无法打开表格文件" + path);
  const std::vector<std::string> strings = sharedStrings(zip.get());
  const std::vector<std::string> formats = styleFormats(zip.get());
  const std::string part = firstSheetPart(zip.get());
  const auto sheet = parseXml(readPart(zip.get(), part), part);
  XlsxCells rows;
  for (const auto& row : sheet.child("worksheet").child("sheetData").children("row")) {
    std::vector<XlsxCell> cells;
    for (const auto& cell : row.children("c")) {
      const char* ref = cell.attribute("r").value();
      const std::size_t col = *ref != '\0' ? columnOf(ref) : cells.size();
      if (cells.size() <= col) cells.resize(col + 1);
      XlsxCell& out = cells[col];
      out.text = cellText(cell, strings);
      out.kind = cell.child("v") || cell.child("is") ? kindOf(cell.attribute("t").value())
                                                     : XlsxCell::Kind::Empty;
      const std::size_t style = cell.attribute("s").as_uint();
      if (style < formats.size()) out.numberFormat = formats[style];
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

SheetRows XlsxReader::read(const std::string& path) {
  SheetRows rows;
  for (const std::vector<XlsxCell>& cells : readCells(path)) {
    std::vector<std::string> texts;
    bool blank = true;
    for (const XlsxCell& c : cells) {
      blank = blank && c.text.empty();
      texts.push_back(c.text);
    }
    if (!blank) rows.push_back(std::move(texts));
  }
  return rows;
}

}  // namespace host
