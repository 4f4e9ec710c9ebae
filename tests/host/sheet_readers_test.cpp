// The sheet readers: CSV in each encoding a spreadsheet saves (UTF-8 with and without the
// mark, GBK) with quoted commas, quotes and line breaks; an XLSX package written here
// with libzip whose cells are shared strings, inline strings and numbers, with a gap.
#include <gtest/gtest.h>
#include <iconv.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>

#include "host/import/csv_reader.h"
#include "host/import/xlsx_reader.h"

namespace {

using host::SheetRows;

std::string toGbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = in.size(), dstLeft = out.size();
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

TEST(CsvReader, ReadsEachEncodingAndQuotedField) {
  const std::string text =
      "编号,名称,地址\r\n001,\"张三, \"\"老\"\"\",\"北京\n朝阳\"\n\n002,王五,\n";
  const SheetRows expected = {
      {"编号", "名称", "地址"}, {"001", "张三, \"老\"", "北京\n朝阳"}, {"002", "王五", ""}};
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {{"utf-8", text}, {"utf-8 with mark", "\xEF\xBB\xBF" + text}, {"gbk", toGbk(text)}};
  for (const auto& c : cases) EXPECT_EQ(host::CsvReader::read(c.bytes), expected) << c.what;
}

TEST(CsvReader, TellsUtf8FromOtherBytes) {
  EXPECT_TRUE(host::isValidUtf8("名称 abc"));
  EXPECT_FALSE(host::isValidUtf8(toGbk("名称")));
  EXPECT_FALSE(host::isValidUtf8("\xE5\x90"));  // cut short
  EXPECT_FALSE(host::isValidUtf8("\xC0\xAF"));  // overlong
}

void addPart(zip_t* zip, const char* name, const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size()));
  std::copy(text.begin(), text.end(), copy);
  zip_source_t* src = zip_source_buffer(zip, copy, text.size(), 1);
  ASSERT_GE(zip_file_add(zip, name, src, ZIP_FL_OVERWRITE), 0);
}

TEST(XlsxReader, ReadsSharedStringsNumbersAndGaps) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "sheet_reader_test.xlsx").string();
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr);
  addPart(
      zip, "xl/workbook.xml",
      R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="客户" sheetId="1" r:id="rId7"/></sheets></workbook>)");
  addPart(
      zip, "xl/_rels/workbook.xml.rels",
      R"(<Relationships><Relationship Id="rId7" Target="worksheets/data.xml"/></Relationships>)");
  addPart(
      zip, "xl/sharedStrings.xml",
      R"(<sst><si><t>编号</t></si><si><t>名称</t></si><si><r><t>张</t></r><r><t>三</t></r></si><si><t>售价</t></si></sst>)");
  addPart(
      zip, "xl/worksheets/data.xml",
      R"(<worksheet><sheetData>)"
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>3</v></c></row>)"
      R"(<row r="2"><c r="A2"><v>1001</v></c><c r="B2" t="s"><v>2</v></c><c r="C2"><v>12.300000000000001</v></c></row>)"
      R"(<row r="3"><c r="A3" t="inlineStr"><is><t>A-7</t></is></c><c r="C3"><v>5</v></c></row>)"
      R"(<row r="4"></row></sheetData></worksheet>)");
  ASSERT_EQ(zip_close(zip), 0);
  const SheetRows expected = {{"编号", "名称", "售价"}, {"1001", "张三", "12.3"}, {"A-7", "", "5"}};
  EXPECT_EQ(host::readSheetFile(path), expected);
  std::filesystem::remove(path);
}

// A number cell is a date when its format has a day, year, hour or second part outside
// quotes, escapes and colours.
TEST(XlsxReader, TellsDateFormatsFromNumberFormats) {
  const struct {
    const char* format;
    bool date;
  } cases[] = {
      {"yyyy-mm-dd", true},        {"mm-dd-yy", true}, {"h:mm", true},     {"[h]:mm:ss", true},
      {"yyyy\"年\"m\"月\"", true}, {"", false},        {"General", false}, {"#,##0.0000", false},
      {"[Red]0.00", false},        {"0\"d\"", false},  {"0\\d", false},    {"0.00E+00", false},
      {"[$-804]0.00", false}};
  for (const auto& c : cases) {
    host::XlsxCell cell{host::XlsxCell::Kind::Number, "46301", c.format};
    EXPECT_EQ(cell.isDate(), c.date) << c.format;
    cell.kind = host::XlsxCell::Kind::SharedString;
    EXPECT_FALSE(cell.isDate()) << c.format;
  }
}

TEST(XlsxReader, RefusesAFileThatIsNoPackage) {
  const std::string path = (std::filesystem::temp_directory_path() / "not_a_sheet.xlsx").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("PK\x03\x04 broken", f);
  std::fclose(f);
  EXPECT_THROW(host::readSheetFile(path), host::SheetError);
  std::filesystem::remove(path);
}

}  // namespace
