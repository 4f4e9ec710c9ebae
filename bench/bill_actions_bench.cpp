// Every bill action of every bill editor the plug pool registers, on a bill of N lines
// (BILL_ACTIONS_LINES, 1,000 by default): new, open, save, audit, un-audit and delete,
// each timed in CPU time over BILL_ACTIONS_RUNS iterations (5 by default), with the
// statements the engine ran. Bills are found the way the reliability suite finds them,
// so a bill registered later is covered with no new code here; a bill type's own actions
// (bill_special_actions.h) are timed beside them. An action written by hand as well
// (bill_action_baselines.h: the same rows changed and read back through prepared SQLite
// statements, no engine and no form) shows that time and the ratio beside its own. One
// table at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bill_action_baselines.h"
#include "bill_action_session.h"
#include "bill_special_actions.h"
#include "reliability/demo_database.h"

namespace {

using namespace bill_bench;

int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

const int kLines = fromEnvironment("BILL_ACTIONS_LINES", 1000);
const int kRuns = fromEnvironment("BILL_ACTIONS_RUNS", 5);


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
// An audit starts from a draft, an un-audit from an audited bill, anything else as found.
void benchHandWritten(benchmark::State& state, const BillCase& c, const std::string& action,
                      const HandWritten& hand) {
  Session s(c);
  if ((action == "audit" && !s.bringTo(false)) || (action == "unaudit" && !s.bringTo(true)))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  const std::string orgid = billOrgid(s);
  HandStatements timed(s.conn->handle(), hand.timed, orgid, c.billno);
  HandStatements undo(s.conn->handle(), hand.undo, orgid, c.billno);
  const bool audited = s.audited();
  measure(
      state, s, noop, [&] { timed.run(); }, [&] { undo.run(); },
      [&] { return action == "open" || s.audited() != audited; });
}

// Collects every run and prints the table once all have run.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  static constexpr std::string_view kByHand = "/by-hand";

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      name = name.substr(std::string("BillActions/").size(), name.find("/iterations") - 12);
      Row row{name, "", 0, 0};
      if (run.error_occurred) {
        row.note = run.error_message.substr(0, run.error_message.find('\n', 10));
      } else {
        auto median = run.counters.find("median_ms");
        row.ms = median == run.counters.end() ? run.GetAdjustedCPUTime() : median->second.value;
        auto counter = run.counters.find("statements");
        row.statements =
            counter == run.counters.end() ? 0 : static_cast<int>(counter->second.value);
      }
      rows_.push_back(std::move(row));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::map<std::string, double> byHand;
    for (const Row& r : rows_)
      if (r.note.empty() && r.name.ends_with(kByHand))
        byHand[r.name.substr(0, r.name.size() - kByHand.size())] = r.ms;
    std::printf("\n%-5s %-8s %10s %10s %10s %7s  (bills of %d lines; CPU ms, median of %d runs)\n",
                "bill", "action", "ms CPU", "statements", "by hand", "ratio", kLines, kRuns);
    for (const Row& r : rows_) {
      if (r.name.ends_with(kByHand)) continue;
      const std::string bill = r.name.substr(0, r.name.find('/'));
      const std::string action = r.name.substr(r.name.find('/') + 1);
      if (!r.note.empty()) {
        std::printf("%-5s %-8s %10s %10s  %s\n", bill.c_str(), action.c_str(), "-", "-",
                    r.note.substr(0, 100).c_str());
        continue;
      }
      auto hand = byHand.find(r.name);
      if (hand == byHand.end())
        std::printf("%-5s %-8s %10.2f %10d\n", bill.c_str(), action.c_str(), r.ms, r.statements);
      else
        std::printf("%-5s %-8s %10.2f %10d %10.2f %7.1f\n", bill.c_str(), action.c_str(), r.ms,
                    r.statements, hand->second, r.ms / hand->second);
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
    for (auto& [name, run] : actions) {
      benchmark::RegisterBenchmark((bill + name).c_str(), run)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
      auto hand = handWritten().find(c.code + "/" + name);
      if (hand == handWritten().end()) continue;
      benchmark::RegisterBenchmark(
          (bill + name + std::string(TableReporter::kByHand)).c_str(),
          [&c, name, &hw = hand->second](benchmark::State& s) { benchHandWritten(s, c, name, hw); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
    }
    for (const SpecialAction& special : specialActions()) {
      if (special.code != c.code) continue;
      benchmark::RegisterBenchmark((bill + special.name).c_str(),
                                   [&c, run = special.engine](benchmark::State& s) { run(s, c); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
      benchmark::RegisterBenchmark(
          (bill + special.name + std::string(TableReporter::kByHand)).c_str(),
          [&c, run = special.byHand](benchmark::State& s) { run(s, c); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
    }
  }
  TableReporter table;
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
