// Every bill action of every bill editor the plug pool registers, on a bill of N lines
// (BILL_ACTIONS_LINES, 1,000 by default): new, open, save, audit, un-audit and delete,
// each timed in CPU time over BILL_ACTIONS_RUNS iterations (5 by default), with the
// statements the engine ran. Bills are found the way the reliability suite finds them,
// so a bill registered later is covered with no new code here (bill_enumeration.h); a
// bill type's own actions (bill_special_actions.h) are timed beside them. An action
// written by hand as well (bill_action_baselines.h: the same rows changed and read back
// through prepared SQLite statements, no engine and no form) shows that time and the
// ratio beside its own. One table at the end (bill_action_table.h).
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
#include "bill_action_steps.h"
#include "bill_action_table.h"
#include "bill_enumeration.h"
#include "bill_special_actions.h"

namespace {

using namespace bill_bench;

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

// Each bill type's bill on an in-memory copy of its scenario's database, its lines grown.
std::vector<BillCase> findBills() {
  std::vector<BillCase> cases;
  forEachFirstBill([] { return reliability::openDemoDatabase(":memory:"); },
                   [&](const FoundBill& found) {
                     auto file = std::static_pointer_cast<db::EmbeddedConnection>(found.database);
                     growLines(file->handle(), found.table + "_mx", found.billno, kLines);
                     cases.push_back({found.code, found.table, found.billno, file});
                   });
  return cases;
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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const std::vector<BillCase> cases = findBills();
  for (const BillCase& c : cases) {
    const std::string bill = "BillActions/" + c.code + "/";
    std::map<std::string, std::function<void(benchmark::State&)>> actions{
        {"new", [&c](benchmark::State& s) { benchNew<Session>(s, c); }},
        {"open", [&c](benchmark::State& s) { benchOpen<Session>(s, c); }},
        {"save", [&c](benchmark::State& s) { benchSave<Session>(s, c); }},
        {"audit", [&c](benchmark::State& s) { benchAudit<Session>(s, c, true); }},
        {"unaudit", [&c](benchmark::State& s) { benchAudit<Session>(s, c, false); }},
        {"delete", [&c](benchmark::State& s) { benchDelete<Session>(s, c); }}};
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
  TableReporter table("BillActions/", kLines, kRuns, false);
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
