// MasterDataImport's workbooks: the empty template a shop fills in, and the report of the
// rows that were refused, so the user fixes them in a spreadsheet instead of reading a
// long message. Both go through the one XLSX writer.
#include <map>

#include "host/export/xlsx_writer.h"
#include "plugs/coreapp/jczl/master_data_import.h"

namespace plugs::coreapp::jczl {

std::vector<std::string> MasterDataImport::header(const MasterDataPageSpec& spec) {
  std::vector<std::string> captions = {"编号", "名称"};
  for (const MasterField& f : spec.fields) captions.push_back(f.caption);
  return captions;
}

std::string MasterDataImport::writeTemplate(const MasterDataPageSpec& spec,
                                            const std::string& path) {
  std::vector<host::SheetColumn> columns;
  for (const std::string& caption : header(spec)) columns.push_back({caption});
  return host::XlsxWriter(path, spec.caption, std::move(columns)).close();
}

std::string MasterDataImport::writeProblemReport(const host::SheetRows& rows,
                                                 const std::vector<ImportProblem>& problems,
                                                 const std::string& path) {
  std::map<int, std::string> byRow;  // sheet row -> its problems, in row order
  for (const ImportProblem& p : problems) {
    std::string& text = byRow[p.row];
    text += (text.empty() ? "" : "；") + p.message;
  }
  std::size_t width = 0;
  for (const auto& [row, text] : byRow)
    if (row >= 1 && static_cast<std::size_t>(row) <= rows.size())
      width = std::max(width, rows[row - 1].size());
  // The sheet's own header names the columns; a row wider than it gets blank captions.
  std::vector<host::SheetColumn> columns = {{"行号", host::SheetCellKind::Number}};
  for (std::size_t c = 0; c < width; ++c)
    columns.push_back({!rows.empty() && c < rows.front().size() ? rows.front()[c] : ""});
  columns.push_back({"问题"});
  host::XlsxWriter book(path, "问题", std::move(columns));
  for (const auto& [row, text] : byRow) {
    std::vector<core::Value> values(width + 2);
    values.front() = core::Value(static_cast<std::int64_t>(row));
    if (row >= 1 && static_cast<std::size_t>(row) <= rows.size())
      for (std::size_t c = 0; c < rows[row - 1].size(); ++c)
        values[c + 1] = core::Value(rows[row - 1][c]);
    values.back() = core::Value(text);
    book.addRow(values);
  }
  return book.close();
}

}  // namespace plugs::coreapp::jczl
