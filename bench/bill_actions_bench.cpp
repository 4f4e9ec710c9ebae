// Every bill action of every bill editor the plug pool registers, on a bill of N lines
// (BILL_ACTIONS_LINES, 1,000 by default): new, open, save, audit, un-audit and delete,
// each timed in CPU time over BILL_ACTIONS_RUNS iterations (5 by default), with the
// statements the engine ran. Bills are found the way the reliability suite finds them,
// so a bill registered later is covered with no new code here. One table at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "reliability/bill_windows.h"
#include "reliability/demo_database.h"
#include "tsql/statement_fault.h"

namespace {

int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

const int kLines = fromEnvironment("BILL_ACTIONS_LINES", 1000);
const int kRuns = fromEnvironment("BILL_ACTIONS_RUNS", 5);

// Copies the whole database of `from` over `to` (SQLite's backup).
void copyDatabase(db::EmbeddedConnection& from, db::EmbeddedConnection& to) {
  sqlite3_backup* copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
  if (copy == nullptr) throw std::runtime_error(sqlite3_errmsg(to.handle()));
  sqlite3_backup_step(copy, -1);
  if (sqlite3_backup_finish(copy) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(to.handle()));
}

void exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql);
}

// Grows the bill to `lines` lines by copying its own lines (each copy a new uid), so
// that every line stays one the bill's type could hold.
void growLines(sqlite3* db, const std::string& detail, const std::string& billno, int lines) {
  std::string columns, values;
  sqlite3_stmt* info = nullptr;
  sqlite3_prepare_v2(db, ("pragma table_info(" + detail + ")").c_str(), -1, &info, nullptr);
  while (sqlite3_step(info) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(info, 1));
    if (sqlite3_column_int(info, 5) != 0) continue;  // the identity
    columns += (columns.empty() ? "" : ", ") + name;
    values += (values.empty() ? "" : ", ") + (name == "uid" ? "m.uid || '#' || k.i" : "m." + name);
  }
  sqlite3_finalize(info);
  const std::string quoted = "'" + billno + "'";  // a number the database made itself
  exec(db, "with recursive k(i) as (select 1 union all select i + 1 from k where i < " +
               std::to_string(lines) + ") insert into " + detail + "(" + columns + ") select " +
               values + " from " + detail + " m, k where m.billno = " + quoted + " limit max(0, " +
               std::to_string(lines) + " - (select count(*) from " + detail +
               " where billno = " + quoted + "))");
}

//! A bill of one type on a database that holds it with its lines grown.
struct BillCase {
  std::string code, table, billno;
  std::shared_ptr<db::EmbeddedConnection> database;
};

// The first scenario or recipe that leaves a bill of a type gives that type's bill.
std::vector<BillCase> findBills() {
  std::vector<std::string> codes = reliability::billEditorCodes();
  std::vector<BillCase> found;
  for (const std::string& file : reliability::scenarioFiles()) {
    if (codes.empty()) break;
    std::shared_ptr<db::EmbeddedConnection> conn = reliability::openDemoDatabase(":memory:");
    reliability::playScenario(file, *conn);
    reliability::BillWindows windows(*conn);
    for (auto code = codes.begin(); code != codes.end();) {
      BillCase c{*code, "", "", conn};
      c.billno = windows.newestBill(c.code, c.table);
      if (c.billno.empty()) {
        ++code;
        continue;
      }
      growLines(conn->handle(), c.table + "_mx", c.billno, kLines);
      found.push_back(std::move(c));
      code = codes.erase(code);
    }
  }
  for (const std::string& code : codes)
    std::fprintf(stderr, "bill %s: no scenario leaves one\n", code.c_str());
  return found;
}

// Counts the statements the engine runs while it lives (a fault that never fires).
class StatementCount {
 public:
  StatementCount() {
    fault_.failAt = INT_MAX;
    tsql::armStatementFault(&fault_);
  }
  ~StatementCount() { tsql::armStatementFault(nullptr); }
  StatementCount(const StatementCount&) = delete;
  StatementCount& operator=(const StatementCount&) = delete;
  int seen() const { return fault_.seen; }

 private:
  tsql::StatementFault fault_;
};

//! One benchmark's session: a private copy of the case's database and its windows.
class Session {
 public:
  explicit Session(const BillCase& c) : case_(c), windows(*conn) {
    copyDatabase(*c.database, *conn);
  }

  bool audited() { return windows.number(case_.table, case_.billno, "status") > 0; }

  //! Brings the bill to draft (false) or past it (true); false when refused.
  bool bringTo(bool audit) {
    if (audited() == audit) return true;
    auto form = windows.open(case_.code, case_.billno);
    form->clickAction(audit ? "actAudit" : reliability::BillWindows::unauditAction(*form));
    return audited() == audit;
  }

  std::unique_ptr<host::TBaseBillEditRibbonForm> open(bool bill = true) {
    return windows.open(case_.code, bill ? case_.billno : "");
  }

  const BillCase& case_;
  std::unique_ptr<db::EmbeddedConnection> conn =
      std::make_unique<db::EmbeddedConnection>(":memory:");
  reliability::BillWindows windows;
};

// Runs `timed` once per iteration between `before` and `after` (neither timed); an
// action whose outcome `worked` denies ends the benchmark with what the user was told.
template <typename Before, typename Timed, typename After, typename Worked>
void measure(benchmark::State& state, Session& s, Before before, Timed timed, After after,
             Worked worked) {
  int statements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    before();
    const std::size_t mark = s.windows.mark();
    state.ResumeTiming();
    {
      StatementCount count;
      timed();
      statements = count.seen();
    }
    state.PauseTiming();
    if (!worked()) {
      state.SkipWithError(("refused:" + s.windows.toldSince(mark)).c_str());
      break;  // a skipped benchmark's timing stays stopped
    }
    after();
    state.ResumeTiming();
  }
  state.counters["statements"] = statements;
}

void noop() {}

void benchNew(benchmark::State& state, const BillCase& c) {
  Session s(c);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(false); }, [&] { form->clickAction("actAdd"); }, noop,
      [&] { return form->cdsMaster.recordCount() == 1; });
}

void benchOpen(benchmark::State& state, const BillCase& c) {
  Session s(c);
  auto form = s.open();
  measure(
      state, s, noop, [&] { form->OpenBillData(c.billno); }, noop,
      [&] { return form->cdsDetail.recordCount() > 0; });
  state.counters["lines"] = form->cdsDetail.recordCount();
}

// A save writes a real edit of the header.
void benchSave(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  auto form = s.open();
  int edits = 0;
  auto edit = [&] {
    reliability::BillWindows::editHeader(*form, "edit " + std::to_string(++edits));
  };
  measure(
      state, s, edit, [&] { form->clickAction("actSave"); }, noop,
      [&] { return !form->hasUnsavedChanges(); });
}

void benchAudit(benchmark::State& state, const BillCase& c, bool audit) {
  Session s(c);
  if (!s.bringTo(!audit))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  auto form = s.open();
  const std::string action = audit ? "actAudit" : reliability::BillWindows::unauditAction(*form);
  measure(
      state, s, noop, [&] { form->clickAction(action); },
      [&] {
        if (!s.bringTo(!audit)) throw std::runtime_error("cannot put bill " + c.billno + " back");
        form->OpenBillData(c.billno);
      },
      [&] { return s.audited() == audit; });
}

void benchDelete(benchmark::State& state, const BillCase& c) {
  Session s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  db::EmbeddedConnection draft(":memory:");
  copyDatabase(*s.conn, draft);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(); }, [&] { form->clickAction("actDel"); },
      [&] {
        form.reset();
        copyDatabase(draft, *s.conn);
      },
      [&] { return s.windows.number(c.table, c.billno, "id") < 0; });
}

// Collects every run and prints the table once all have run.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      name = name.substr(std::string("BillActions/").size(), name.find("/iterations") - 12);
      Row row{name, "", 0, 0};
      if (run.error_occurred) {
        row.note = run.error_message.substr(0, run.error_message.find('\n', 10));
      } else {
        row.ms = run.GetAdjustedCPUTime();
        auto counter = run.counters.find("statements");
        row.statements =
            counter == run.counters.end() ? 0 : static_cast<int>(counter->second.value);
      }
      rows_.push_back(std::move(row));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-14s %10s %10s  (bills of %d lines; CPU ms per action, mean of %d)\n",
                "bill/action", "ms CPU", "statements", kLines, kRuns);
    for (const Row& r : rows_) {
      if (r.note.empty())
        std::printf("%-14s %10.2f %10d\n", r.name.c_str(), r.ms, r.statements);
      else
        std::printf("%-14s %10s %10s  %s\n", r.name.c_str(), "-", "-",
                    r.note.substr(0, 100).c_str());
    }
  }

 private:
  struct Row {
    std::string name, note;
    double ms;
    int statements;
  };
  std::vector<Row> rows_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const std::vector<BillCase> cases = findBills();
  for (const BillCase& c : cases) {
    const std::string bill = "BillActions/" + c.code + "/";
    std::map<std::string, std::function<void(benchmark::State&)>> actions{
        {"new", [&c](benchmark::State& s) { benchNew(s, c); }},
        {"open", [&c](benchmark::State& s) { benchOpen(s, c); }},
        {"save", [&c](benchmark::State& s) { benchSave(s, c); }},
        {"audit", [&c](benchmark::State& s) { benchAudit(s, c, true); }},
        {"unaudit", [&c](benchmark::State& s) { benchAudit(s, c, false); }},
        {"delete", [&c](benchmark::State& s) { benchDelete(s, c); }}};
    for (auto& [name, run] : actions)
      benchmark::RegisterBenchmark((bill + name).c_str(), run)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
  }
  TableReporter table;
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
