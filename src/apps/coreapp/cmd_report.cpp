// `coreapp report NAME --db FILE [--from D --to D] [--store ID] [--param NAME=VALUE]...
// [--org ORGID] [--format json|csv|xlsx] [--out FILE]`: runs one of the owner's reports
// (the procedure its description names, every value bound) and prints its rows as
// `coreapp sql` prints result sets, or as CSV for a spreadsheet, or writes them to an XLSX
// workbook under the page's captions. An as-of report takes --to as its day. Ctrl+C
// stops a long report cleanly; on a terminal a progress line shows while it runs.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>

#include "apps/coreapp/command.h"
#include "core/date_time.h"
#include "db/param_text.h"
#include "db/pg_connection.h"
#include "db/result_csv.h"
#include "db/result_json.h"
#include "host/export/grid_export.h"
#include "plugs/coreapp/report/report_catalog.h"

namespace {

using plugs::coreapp::ReportParamKind;

struct ReportOptions {
  std::string name, db, from, to, org = "0001", format = "json", out;
  int store = 0;
  std::vector<std::string> params;
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "coreapp report: " << message << '\n';
  throw CLI::RuntimeError(2);
}

core::Value dayValue(const std::string& text, const char* option) {
  if (text.empty()) return {};
  const auto day = core::DateTime::parse(text);
  if (!day) usageError(std::string(option) + " is not a date: " + text);
  return core::Value(*day);
}

// The values of the report's parameters from the options; a --param of a list parameter
// given without a type is its id.
std::map<std::string, core::Value> reportValues(const plugs::coreapp::ReportSpec& spec,
                                                const ReportOptions& o) {
  std::map<std::string, core::Value> values;
  for (const auto& p : spec.params) {
    if (p.kind == ReportParamKind::Store) values[p.name] = core::Value(o.store);
    if (p.kind == ReportParamKind::DateFrom) values[p.name] = dayValue(o.from, "--from");
    if (p.kind == ReportParamKind::DateTo || p.kind == ReportParamKind::Day)
      values[p.name] = dayValue(o.to, "--to");
  }
  for (const std::string& text : o.params) {
    try {
      std::string typed = text;
      for (const auto& p : spec.params)
        if (p.kind == ReportParamKind::Pick && text.starts_with(p.name + "="))
          typed = p.name + ":int" + text.substr(p.name.size());
      auto [name, value] = db::ParamText::parse(typed);
      values[name] = value;
    } catch (const db::ParamTextError& e) {
      usageError(e.what());
    }
  }
  return values;
}

void writeOut(const ReportOptions& o, const std::string& text) {
  if (o.out.empty()) {
    std::cout << text;
    return;
  }
  std::ofstream file(o.out, std::ios::binary);
  if (!(file << text)) usageError("cannot write " + o.out);
}

volatile std::sig_atomic_t interrupted = 0;

// Runs the report's batch; Ctrl+C stops it (the batch rolls back and says 已取消)
// instead of killing the program mid-query, and on a terminal a line on standard error
// tells how long it has been running.
db::BatchResult runWatched(db::Connection& conn, const plugs::coreapp::ReportSpec& spec,
                           const tsql::Params& params) {
  using Clock = std::chrono::steady_clock;
  const bool tty = ::isatty(STDERR_FILENO) == 1;
  const Clock::time_point started = Clock::now();
  Clock::time_point shown = started;
  bool showing = false;
  interrupted = 0;
  const auto previous = std::signal(SIGINT, [](int) { interrupted = 1; });
  db::BatchResult result;
  {
    db::ProgressScope watch(conn, [&] {
      const Clock::time_point now = Clock::now();
      if (tty && now - shown >= std::chrono::milliseconds(250)) {
        shown = now;
        showing = true;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - started);
        std::cerr << '\r' << spec.caption << "：查询中 " << ms.count() / 1000 << '.'
                  << ms.count() % 1000 / 100 << " 秒（Ctrl+C 取消）" << std::flush;
      }
      return interrupted == 0;
    });
    result = conn.execBatch(spec.batch(), params);
  }
  std::signal(SIGINT, previous);
  if (showing) std::cerr << "\r\033[K" << std::flush;  // the line goes; the answer stays
  return result;
}

// The report's rows under its page's columns and captions, typed as the page shows them.
void writeWorkbook(const plugs::coreapp::ReportSpec& spec, const db::BatchResult& result,
                   const std::string& out) {
  dataset::ClientDataSet rows("cdsReport");
  if (!result.resultSets.empty()) rows.loadFrom(result.resultSets.back());
  const std::string error =
      host::exportGrid(rows, spec.gridColumns(), host::ExportFormat::Xlsx, out, spec.caption);
  if (!error.empty()) usageError("cannot write " + out + ": " + error);
}

void runReport(const ReportOptions& o) {
  if (o.format == "xlsx" && o.out.empty()) usageError("--format xlsx needs --out FILE");
  const plugs::coreapp::ReportSpec* spec = plugs::coreapp::findReport(o.name);
  if (spec == nullptr) {
    std::string names;
    for (const auto& s : plugs::coreapp::reportSpecs()) names += " " + s.name;
    usageError("unknown report " + o.name + "; one of:" + names);
  }
  const tsql::Params params = spec->bind(o.org, reportValues(*spec, o));
  std::unique_ptr<db::Connection> conn;
  try {
    conn = db::openConnection(o.db);
  } catch (const db::ConnectionError& e) {
    std::cerr << "coreapp report: " << e.what() << '\n';
    throw CLI::RuntimeError(1);
  }
  const db::BatchResult result = runWatched(*conn, *spec, params);
  if (!result.ok()) {
    for (const auto& e : result.errors) std::cerr << e.message << '\n';
    throw CLI::RuntimeError(1);
  }
  if (o.format == "xlsx") {
    writeWorkbook(*spec, result, o.out);
    return;
  }
  std::string text;
  for (const auto& rs : result.resultSets)
    text += o.format == "csv" ? db::ResultCsv::text(rs) : db::ResultJson::line(rs) + '\n';
  writeOut(o, text);
}

const bool registered = app::registerCommand("report", [](CLI::App& cli) {
  auto o = std::make_shared<ReportOptions>();
  CLI::App* cmd = cli.add_subcommand("report", "Run one of the owner's reports");
  cmd->add_option("name", o->name,
                  "day, stock, onhand, cash, payables, wip, staff, profit or sales")
      ->required();
  cmd->add_option("--db", o->db, "Database file or server (postgresql://...)")->required();
  cmd->add_option("--from", o->from, "First day (YYYY-MM-DD)");
  cmd->add_option("--to", o->to, "Last day, or the as-of day (YYYY-MM-DD)");
  cmd->add_option("--store", o->store, "Store id (0 or none = every store)");
  cmd->add_option("--org", o->org, "Branch id (default 0001)");
  cmd->add_option("--param", o->params,
                  "A report's own filter NAME=VALUE (zh_id=2, sp_id=1, gys_id=1)")
      ->allow_extra_args(false);
  cmd->add_option("--format", o->format, "json (default), csv or xlsx (with --out)")
      ->check(CLI::IsMember({"json", "csv", "xlsx"}));
  cmd->add_option("--out", o->out, "Write to this file instead of standard output");
  cmd->callback([o] { runReport(*o); });
});

}  // namespace
