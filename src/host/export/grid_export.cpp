// GridExport: CSV keeps the values as `coreapp sql` prints them; XLSX hands each value
// to the sheet with its column's kind. Both walk the dataset once from its first row.
#include "host/export/grid_export.h"

#include <filesystem>
#include <fstream>

#include "core/abort.h"
#include "db/result_csv.h"
#include "host/host.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

std::vector<const GridColumn*> shownColumns(const std::vector<GridColumn>& columns,
                                            const dataset::ClientDataSet& ds) {
  std::vector<const GridColumn*> shown;
  for (const GridColumn& c : columns)
    if (c.visible && ds.findField(c.field) != nullptr) shown.push_back(&c);
  return shown;
}

// Calls `each` with every row's values under the shown columns.
template <typename Each>
void eachRow(dataset::ClientDataSet& ds, const std::vector<const GridColumn*>& shown, Each each) {
  if (!ds.active()) return;
  const dataset::Bookmark at = ds.bookmark();
  std::vector<core::Value> row;
  for (ds.first(); !ds.eof(); ds.next()) {
    row.clear();
    for (const GridColumn* c : shown) row.push_back(ds.fieldByName(c->field).value());
    each(row);
  }
  if (at != 0) ds.gotoBookmark(at);
}

std::string writeCsv(dataset::ClientDataSet& ds, const std::vector<const GridColumn*>& shown,
                     const std::string& path) {
  tsql::ResultSet rs;
  for (const GridColumn* c : shown) rs.columns.push_back({c->caption, core::ValueType::Null});
  eachRow(ds, shown, [&](const std::vector<core::Value>& row) { rs.rows.push_back(row); });
  std::ofstream out(path, std::ios::binary);
  if (!(out << db::ResultCsv::text(rs))) return "cannot write " + path;
  return {};
}

std::string writeXlsx(dataset::ClientDataSet& ds, const std::vector<const GridColumn*>& shown,
                      const std::string& path, const std::string& sheetName) {
  std::vector<SheetColumn> columns;
  for (const GridColumn* c : shown) columns.push_back({c->caption, sheetCellKind(*c, ds)});
  XlsxWriter sheet(path, sheetName, std::move(columns));
  eachRow(ds, shown, [&](const std::vector<core::Value>& row) { sheet.addRow(row); });
  return sheet.close();
}

}  // namespace

std::filesystem::path exportFolder() {
  const std::string folder = currentHost().printFolder;
  std::filesystem::path dir = folder.empty()
                                  ? std::filesystem::temp_directory_path() / "coreapp-print"
                                  : std::filesystem::path(folder);
  std::error_code ec;  // a folder that cannot be made shows when its file is written
  std::filesystem::create_directories(dir, ec);
  return dir;
}

SheetCellKind sheetCellKind(const GridColumn& column, const dataset::ClientDataSet& ds) {
  if (column.editor == "money") return SheetCellKind::Money;
  if (column.editor == "date" || column.format.starts_with("yyyy")) return SheetCellKind::Date;
  const dataset::Field* f = ds.findField(column.field);
  if (f == nullptr) return SheetCellKind::Text;
  switch (f->type()) {
    case dataset::FieldType::Currency:
      return SheetCellKind::Money;
    case dataset::FieldType::DateTime:
      return SheetCellKind::Date;
    case dataset::FieldType::Integer:
    case dataset::FieldType::Float:
      return SheetCellKind::Number;
    default:
      return SheetCellKind::Text;
  }
}

std::string exportGrid(dataset::ClientDataSet& ds, const std::vector<GridColumn>& columns,
                       ExportFormat format, const std::string& path, const std::string& sheetName) {
  const std::vector<const GridColumn*> shown = shownColumns(columns, ds);
  return format == ExportFormat::Xlsx ? writeXlsx(ds, shown, path, sheetName)
                                      : writeCsv(ds, shown, path);
}

std::string exportGridAsked(dataset::ClientDataSet& ds, const std::vector<GridColumn>& columns,
                            const std::string& stem, const std::string& sheetName) {
  const DialogReply reply =
      currentHost().screen().hostDialog("TExportDialog", {{"title", sheetName}});
  if (reply.result != mrOK) return {};
  const auto chosen = reply.values.find("format");
  const bool xlsx = chosen != reply.values.end() && chosen->second == "xlsx";
  const std::filesystem::path dir = exportFolder();
  std::string name = stem + (xlsx ? ".xlsx" : ".csv");
  for (char& c : name)
    if (c == '/' || c == '\\' || c == ':') c = '_';
  const std::string file = (dir / name).string();
  if (!exportGrid(ds, columns, xlsx ? ExportFormat::Xlsx : ExportFormat::Csv, file, sheetName)
           .empty()) {
    MessageMyDlg("导出失败：" + file, "提示", mtInformation);
    throw core::Abort();
  }
  MessageMyDlg("已导出到 " + file, "提示", mtInformation);
  return file;
}

}  // namespace host
