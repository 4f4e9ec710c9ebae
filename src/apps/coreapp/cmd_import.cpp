// `coreapp import --db FILE --kind customers|suppliers|goods|items|employees [--org ID]
// [--dry-run] SHEET`: adds the rows of a CSV or XLSX sheet to a master-data table. Every
// problem of every row goes to standard error ("第N行：..."), and then nothing is written
// (exit 2); --dry-run checks and writes nothing. Exit 1: the database failed.
#include <iostream>

#include "apps/coreapp/command.h"
#include "db/pg_connection.h"
#include "plugs/coreapp/jczl/master_data_import.h"

namespace {

using plugs::coreapp::jczl::ImportOutcome;
using plugs::coreapp::jczl::MasterDataImport;

struct ImportOptions {
  std::string db, kind, org, file;
  bool dryRun = false;
};

[[noreturn]] void fail(int code, const std::string& message) {
  std::cerr << "coreapp import: " << message << '\n';
  throw CLI::RuntimeError(code);
}

// The branch the rows belong to: --org, else the database's only branch.
std::string branchOf(db::Connection& conn, const std::string& org) {
  if (!org.empty()) return org;
  const db::BatchResult r = conn.execBatch("select orgid from vt_sys_org order by orgid");
  if (!r.ok()) fail(1, r.errorMessage());
  const auto& rows = r.resultSets.back().rows;
  if (rows.size() != 1)
    fail(2, rows.empty() ? "the database holds no branch; run coreapp db init --shop first"
                         : "the database holds several branches; choose one with --org");
  return rows.front().front().asText();
}

void report(const ImportOutcome& outcome, const ImportOptions& o) {
  for (const auto& p : outcome.problems) std::cerr << "第" << p.row << "行：" << p.message << '\n';
  if (!outcome.problems.empty())
    fail(2, std::to_string(outcome.problems.size()) + " problem(s); nothing was imported");
  std::cout << (outcome.written ? "imported " : "would import ") << outcome.rows << ' ' << o.kind
            << '\n';
}

void runImport(const ImportOptions& o) {
  const auto* spec = MasterDataImport::specOfKind(o.kind);
  if (spec == nullptr) fail(2, "unknown --kind " + o.kind);
  host::SheetRows rows;
  try {
    rows = host::readSheetFile(o.file);
  } catch (const host::SheetError& e) {
    fail(2, e.what());
  }
  try {
    const auto conn = db::openConnection(o.db, false);
    MasterDataImport import(*conn, branchOf(*conn, o.org), *spec);
    report(o.dryRun ? import.preview(rows) : import.run(rows), o);
  } catch (const CLI::RuntimeError&) {
    throw;
  } catch (const std::exception& e) {
    fail(1, e.what());
  }
}

const bool registered = app::registerCommand("import", [](CLI::App& cli) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* cmd = cli.add_subcommand(
      "import",
      "Add customers, suppliers, goods, service items or employees from a CSV or XLSX sheet");
  cmd->add_option("--db", options->db, "Database file or server (postgresql://...)")->required();
  cmd->add_option("--kind", options->kind, "customers, suppliers, goods, items or employees")
      ->required()
      ->check(CLI::IsMember({"customers", "suppliers", "goods", "items", "employees"}));
  cmd->add_option("--org", options->org, "Branch (orgid); default: the database's only branch");
  cmd->add_flag("--dry-run", options->dryRun,
                "Check every row and list the problems; write nothing");
  cmd->add_option("file", options->file, "The sheet (.csv in UTF-8 or GBK, or .xlsx)")->required();
  cmd->callback([options] { runImport(*options); });
});

}  // namespace
