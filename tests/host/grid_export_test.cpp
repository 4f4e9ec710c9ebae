// 导出 of a grid: the XLSX is read back with the import's own reader, cell by cell —
// money, counts and dates must arrive as numbers (dates under a date format), texts as
// strings, hidden columns and the user's cancel leave nothing; CSV keeps its mark.
#include "host/export/grid_export.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/abort.h"
#include "host/import/xlsx_reader.h"
#include "services_test_host.h"

namespace {

using dataset::FieldType;
using host::XlsxCell;

// Days from the sheet's day zero (1899-12-30), counted by the calendar library.
double serialOf(std::chrono::year_month_day day, int hours) {
  using std::chrono::sys_days;
  const auto zero = std::chrono::year{1899} / std::chrono::December / 30;
  return static_cast<double>((sys_days(day) - sys_days(zero)).count()) + hours / 24.0;
}

host::GridColumn column(const char* field, const char* caption, const char* editor = "") {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.editor = editor;
  return c;
}

class GridExport : public host_test::HostTest {
 protected:
  GridExport() {
    folder = std::filesystem::temp_directory_path() / ("grid_export_" + std::to_string(::getpid()));
    host.printFolder = folder.string();
    for (auto [name, type] : {std::pair{"mc", FieldType::Text},
                              {"sl", FieldType::Integer},
                              {"je", FieldType::Currency},
                              {"rq", FieldType::DateTime},
                              {"bz", FieldType::Text},
                              {"jg", FieldType::Text}})
      ds.addField({name, type});
    ds.open();
    addRow({"喷绘写真", 3, core::Currency::fromRaw(12345678),
            core::DateTime::fromParts(2026, 10, 6, 14), "内部", "待定"});
    addRow({"", {}, {}, core::DateTime::fromParts(2026, 10, 7), {}, "8.5"});
    ds.first();
    columns = {column("mc", "项目名称"),      column("sl", "数量"),
               column("je", "金额", "money"), column("rq", "单据日期", "date"),
               column("bz", "备注"),          column("jg", "单价", "money")};
    columns[4].visible = false;
  }
  ~GridExport() override { std::filesystem::remove_all(folder); }

  void addRow(std::vector<core::Value> values) {
    ds.append();
    for (std::size_t i = 0; i < values.size(); ++i)
      ds.field(static_cast<int>(i)).setValue(values[i]);
    ds.post();
  }
  std::string exportAs(const char* format) {
    host::DialogReply reply;
    reply.result = host::mrOK;
    reply.values["format"] = format;
    ui.queueDialog("TExportDialog", reply);
    return host::exportGridAsked(ds, columns, "1130-0001", "营业日报");
  }

  std::filesystem::path folder;
  dataset::ClientDataSet ds{"cdsReport"};
  std::vector<host::GridColumn> columns;
};

TEST_F(GridExport, XlsxCellsAreTypedAsTheGridShowsThem) {
  ds.next();  // the clerk's row stays where it was
  const std::string file = exportAs("xlsx");
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(std::filesystem::path(file).filename(), "1130-0001.xlsx");
  const host::XlsxCells cells = host::XlsxReader::readCells(file);
  ASSERT_EQ(cells.size(), 3u);
  std::vector<std::string> header;
  for (const XlsxCell& c : cells[0]) {
    EXPECT_TRUE(c.kind == XlsxCell::Kind::SharedString || c.kind == XlsxCell::Kind::InlineString);
    header.push_back(c.text);
  }
  EXPECT_EQ(header, (std::vector<std::string>{"项目名称", "数量", "金额", "单据日期", "单价"}));
  const std::vector<XlsxCell>& first = cells[1];
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[0].text, "喷绘写真");
  EXPECT_NE(first[0].kind, XlsxCell::Kind::Number);
  EXPECT_EQ(first[1].kind, XlsxCell::Kind::Number);
  EXPECT_EQ(first[1].text, "3");
  EXPECT_FALSE(first[1].isDate());
  EXPECT_EQ(first[2].kind, XlsxCell::Kind::Number);
  EXPECT_EQ(first[2].text, "1234.5678");
  EXPECT_EQ(first[2].numberFormat, "#,##0.0000");
  EXPECT_TRUE(first[3].isDate());
  // the reader gives fifteen digits: a second is 1.2e-5 of a day
  EXPECT_NEAR(std::stod(first[3].text), serialOf(std::chrono::year{2026} / 10 / 6, 14), 1e-9);
  // A money column's text that is no number stays the text it is.
  EXPECT_NE(first[4].kind, XlsxCell::Kind::Number);
  EXPECT_EQ(first[4].text, "待定");
  // Nulls are empty cells; a day without a time is a date; a number text is a number.
  const std::vector<XlsxCell>& second = cells[2];
  ASSERT_EQ(second.size(), 5u);
  EXPECT_EQ(second[1].kind, XlsxCell::Kind::Empty);
  EXPECT_EQ(second[2].kind, XlsxCell::Kind::Empty);
  EXPECT_TRUE(second[3].isDate());
  EXPECT_EQ(second[3].numberFormat, "yyyy-mm-dd");
  EXPECT_EQ(std::stod(second[3].text), serialOf(std::chrono::year{2026} / 10 / 7, 0));
  EXPECT_EQ(second[4].kind, XlsxCell::Kind::Number);
  EXPECT_EQ(second[4].text, "8.5");
}

TEST_F(GridExport, CsvKeepsItsMarkAndACancelledChoiceWritesNothing) {
  const std::string csv = exportAs("csv");
  std::ifstream in(csv, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "\xEF\xBB\xBF项目名称,数量,金额,单据日期,单价");
  std::filesystem::remove_all(folder);
  EXPECT_EQ(host::exportGridAsked(ds, columns, "1130-0001", "营业日报"), "");  // closed
  EXPECT_FALSE(std::filesystem::exists(folder / "1130-0001.xlsx"));
  EXPECT_FALSE(std::filesystem::exists(folder / "1130-0001.csv"));
  // A folder that cannot be written says so and stops the action.
  host.printFolder = "/proc/no-such-folder";
  EXPECT_THROW(exportAs("xlsx"), core::Abort);
  EXPECT_NE(ui.transcript().back().find("导出失败"), std::string::npos);
}

}  // namespace
