// GridExport: the one way a grid's rows leave for a spreadsheet (导出 of the report
// pages and the bill lists, `coreapp report --format xlsx`): the dataset's rows under
// the grid's visible columns, as CSV (UTF-8 with a byte order mark) or as an XLSX
// workbook whose numbers, money and dates are typed cells.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "host/export/xlsx_writer.h"
#include "host/forms/control.h"

namespace host {

enum class ExportFormat { Csv, Xlsx };

//! How a column's cells go to a sheet: money and date columns by their editor, others
//! by the field's type (numbers stay numbers, the rest is text).
SheetCellKind sheetCellKind(const GridColumn& column, const dataset::ClientDataSet& ds);

//! Writes every row of `ds` under the visible `columns` (their captions as the header)
//! to `path`; "" when written, else why not. The dataset's current row is kept.
std::string exportGrid(dataset::ClientDataSet& ds, const std::vector<GridColumn>& columns,
                       ExportFormat format, const std::string& path, const std::string& sheetName);

//! Where exported sheets go: the print folder, made when missing (a temporary
//! "coreapp-print" folder when the host has none).
std::filesystem::path exportFolder();

//! 导出 of a page: asks CSV or XLSX (host dialog TExportDialog, value "format"), writes
//! <stem>.csv or <stem>.xlsx in the print folder and says where (or why it could not,
//! then aborts). Returns the file; "" when the user closed the dialog.
std::string exportGridAsked(dataset::ClientDataSet& ds, const std::vector<GridColumn>& columns,
                            const std::string& stem, const std::string& sheetName);

}  // namespace host
