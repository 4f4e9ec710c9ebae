// `coreapp import --db FILE --kind customers|suppliers|goods|items|employees [--org ID]
// [--dry-run] [--errors OUT.xlsx] SHEET`: adds the rows of a CSV or XLSX sheet to a
// master-data table. Every problem of every row goes to standard error ("第N行：..."), and
// to the --errors workbook, and then nothing is written (exit 2); --dry-run checks and
// writes nothing. Exit 1: the database failed. `--kind K --template --out FILE.xlsx`
// writes an empty sheet headed for kind K.
#include <iostream>

#include "apps/coreapp/command.h"
#include "db/pg_connection.h"
#include "plugs/coreapp/jczl/master_data_import.h"

namespace {

using plugs::coreapp::jczl::ImportOutcome;
using plugs::coreapp::jczl::MasterDataImport;

struct ImportOptions {
  std::string db, kind, org, file, errors, out;
  bool dryRun = false, templ = false;
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

void report(const ImportOutcome& outcome, const host::SheetRows& rows, const ImportOptions& o) {
  for (const auto& p : outcome.problems) std::cerr << "第" << p.row << "行：" << p.message << '\n';
  if (!outcome.problems.empty() && !o.errors.empty()) {
    const std::string error =
        MasterDataImport::writeProblemReport(rows, outcome.problems, o.errors);
    if (!error.empty()) fail(1, "cannot write " + o.errors + ": " + error);
    std::cerr << "the rows with problems are in " << o.errors << '\n';
  }
  if (!outcome.problems.empty())
    fail(2, std::to_string(outcome.problems.size()) + " problem(s); nothing was imported");
  std::cout << (outcome.written ? "imported " : "would import ") << outcome.rows << ' ' << o.kind
            << '\n';
}

void runImport(const ImportOptions& o) {
  const auto* spec = MasterDataImport::specOfKind(o.kind);
  if (spec == nullptr) fail(2, "unknown --kind " + o.kind);
  if (o.templ) {
    if (o.out.empty()) fail(2, "--template needs --out FILE.xlsx");
    const std::string error = MasterDataImport::writeTemplate(*spec, o.out);
    if (!error.empty()) fail(1, "cannot write " + o.out + ": " + error);
    std::cout << "wrote " << o.out << '\n';
    return;
  }
  if (o.db.empty() || o.file.empty()) fail(2, "--db and the sheet are required");
  host::SheetRows rows;
  try {
    rows = host::readSheetFile(o.file);
  } catch (const host::SheetError& e) {
    fail(2, e.what());
  }
  try {
    const auto conn = db::openConnection(o.db, false);
    MasterDataImport import(*conn, branchOf(*conn, o.org), *spec);
    report(o.dryRun ? import.preview(rows) : import.run(rows), rows, o);
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
  cmd->add_option("--db", options->db, "Database file or server (postgresql://...)");
  cmd->add_option("--kind", options->kind, "customers, suppliers, goods, items or employees")
      ->required()
      ->check(CLI::IsMember({"customers", "suppliers", "goods", "items", "employees"}));
  cmd->add_option("--org", options->org, "Branch (orgid); default: the database's only branch");
  cmd->add_flag("--dry-run", options->dryRun,
                "Check every row and list the problems; write nothing");
  cmd->add_option("--errors", options->errors,
                  "With problems, write the rows that have them to this .xlsx");
  cmd->add_flag("--template", options->templ,
                "Write an empty sheet headed for --kind to --out instead of importing");
  cmd->add_option("--out", options->out, "The template's file (.xlsx)");
  cmd->add_option("file", options->file, "The sheet (.csv in UTF-8 or GBK, or .xlsx)");
  cmd->callback([options] { runImport(*options); });
});

}  // namespace
