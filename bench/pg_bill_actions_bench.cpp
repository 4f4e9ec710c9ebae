// Every bill action of every bill editor on the shared server: the bills the file's
// benchmark finds (bill_enumeration.h), each on a database of the benchmark's own
// cluster made by the engine and grown to BILL_ACTIONS_LINES lines (1,000 by default),
// each action through its window as on the file (bill_action_steps.h). An action the
// file's benchmark also has written by hand is timed beside the same statements sent
// straight through libpq, prepared, in one transaction (pg_bill_baselines.h). Wall time
// first (the server does the work in its own process), the client's CPU beside it,
// medians of BILL_ACTIONS_RUNS (5) iterations; one table at the end.
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bill_action_baselines.h"
#include "bill_action_steps.h"
#include "bill_action_table.h"
#include "bill_enumeration.h"
#include "pg_bill_baselines.h"
#include "pg_bill_session.h"

namespace {

using namespace bill_bench;

std::vector<std::string> spelled(const std::vector<const char*>& texts) {
  std::vector<std::string> server;
  for (const char* text : texts) server.push_back(serverSpelling(text));
  return server;
}

// An audit starts from a draft, an un-audit from an audited bill, anything else as found.
void benchHandWritten(benchmark::State& state, const PgBillCase& c, const std::string& action,
                      const HandWritten& hand) {
  PgSession s(c);
  if ((action == "audit" && !s.bringTo(false)) || (action == "unaudit" && !s.bringTo(true)))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  const std::string orgid = serverOrgid(s);
  PgHandStatements timed(s.server().handle(), spelled(hand.timed), orgid, c.billno);
  PgHandStatements undo(s.server().handle(), spelled(hand.undo), orgid, c.billno);
  const bool audited = s.audited();
  measure(
      state, s, noop, [&] { timed.run(); }, [&] { undo.run(); },
      [&] { return action == "open" || s.audited() != audited; });
}

struct ServerSpecial {
  const char* code;
  const char* name;
  void (*engine)(benchmark::State&, const PgBillCase&);
  void (*byHand)(benchmark::State&, const PgBillCase&);
};

const ServerSpecial kSpecial[] = {
    {"1127", "fill", &benchFill<PgSession, PgBillCase>, &serverFillByHand},
    {"1117", "confirm", &benchConfirm<PgSession, PgBillCase>, &serverConfirmByHand},
};

void add(const std::string& name, std::function<void(benchmark::State&)> run) {
  benchmark::RegisterBenchmark(name.c_str(), std::move(run))
      ->Unit(benchmark::kMillisecond)
      ->Iterations(kRuns)
      ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const std::vector<PgBillCase> cases = findServerBills();
  const std::string byHand(TableReporter::kByHand);
  for (const PgBillCase& c : cases) {
    const std::string bill = "PgBillActions/" + c.code + "/";
    std::map<std::string, std::function<void(benchmark::State&)>> actions{
        {"new", [&c](benchmark::State& s) { benchNew<PgSession>(s, c); }},
        {"open", [&c](benchmark::State& s) { benchOpen<PgSession>(s, c); }},
        {"save", [&c](benchmark::State& s) { benchSave<PgSession>(s, c); }},
        {"audit", [&c](benchmark::State& s) { benchAudit<PgSession>(s, c, true); }},
        {"unaudit", [&c](benchmark::State& s) { benchAudit<PgSession>(s, c, false); }},
        {"delete", [&c](benchmark::State& s) { benchDelete<PgSession>(s, c); }}};
    for (auto& [name, run] : actions) {
      add(bill + name, run);
      auto hand = handWritten().find(c.code + "/" + name);
      if (hand == handWritten().end()) continue;
      add(bill + name + byHand, [&c, name, &hw = hand->second](benchmark::State& s) {
        benchHandWritten(s, c, name, hw);
      });
    }
    for (const ServerSpecial& special : kSpecial) {
      if (special.code != c.code) continue;
      add(bill + special.name, [&c, run = special.engine](benchmark::State& s) { run(s, c); });
      add(bill + special.name + byHand,
          [&c, run = special.byHand](benchmark::State& s) { run(s, c); });
    }
  }
  TableReporter table("PgBillActions/", kLines, kRuns, true);
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
