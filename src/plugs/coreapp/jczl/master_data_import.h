// MasterDataImport: rows of a spreadsheet added to one master-data table, driven by that
// table's page description: the header names the columns by the page's captions (or a
// common synonym), lookups are matched by name or code, codes must be new in the file
// and in the branch, and every row passes the page's own checks. Every problem of every
// row is listed; the rows are written only when there is none, in one batch.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/connection.h"
#include "host/import/sheet_rows.h"
#include "plugs/coreapp/jczl/master_data_spec.h"

namespace plugs::coreapp::jczl {

//! One problem: the spreadsheet row (the header is row 1) and what is wrong.
struct ImportProblem {
  int row = 0;
  std::string message;
};

struct ImportOutcome {
  int rows = 0;  //!< data rows read
  std::vector<ImportProblem> problems;
  bool written = false;    //!< the rows are in the database
  bool cancelled = false;  //!< stopped by the user while checking: nothing written
};

class MasterDataImport {
 public:
  MasterDataImport(db::Connection& db, std::string orgid, const MasterDataPageSpec& spec);

  //! The page an import kind fills: customers, suppliers, goods, items, employees.
  static const MasterDataPageSpec* specOfKind(const std::string& kind);
  //! The header texts taken for `caption` besides the caption itself.
  static std::vector<std::string> synonyms(const std::string& caption);
  //! True for a page an import kind fills.
  static bool imports(const MasterDataPageSpec& spec);
  //! The captions a sheet for `spec` is headed by: 编号, 名称, then the page's fields.
  static std::vector<std::string> header(const MasterDataPageSpec& spec);
  //! Writes an empty workbook headed by header(spec); "" when written, else why not.
  static std::string writeTemplate(const MasterDataPageSpec& spec, const std::string& path);
  //! Writes the rows that have problems as they were read, each under 行号 (its sheet
  //! row) with its problems joined in a last column 问题; "" when written, else why not.
  static std::string writeProblemReport(const host::SheetRows& rows,
                                        const std::vector<ImportProblem>& problems,
                                        const std::string& path);

  //! Asked before the first row and every few hundred rows after; false stops the
  //! import before anything is written.
  std::function<bool()> keepGoing;

  //! Checks every row against the database; writes nothing.
  ImportOutcome preview(const host::SheetRows& rows) { return check(rows, false); }
  //! Checks, then writes every row or none.
  ImportOutcome run(const host::SheetRows& rows) { return check(rows, true); }

 private:
  ImportOutcome check(const host::SheetRows& rows, bool write);
  ImportOutcome inspect(const host::SheetRows& rows, std::vector<db::Params>& params);
  std::vector<int> mapHeader(const std::vector<std::string>& header,
                             std::vector<ImportProblem>& problems) const;
  db::Params rowParams(const std::vector<std::string>& cells, const std::vector<int>& columns,
                       int rowNumber, std::vector<ImportProblem>& problems);
  db::ResultSet select(const std::string& sql);
  db::Connection& db_;
  std::string orgid_;
  const MasterDataPageSpec& spec_;
  //! Per field: a lookup's ids by name and by code (empty for other fields).
  std::vector<std::unordered_map<std::string, std::int64_t>> lookups_;
};

}  // namespace plugs::coreapp::jczl
