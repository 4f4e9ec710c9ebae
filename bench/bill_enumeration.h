// The bills the bill actions benchmarks time, found the way the reliability suite finds
// them: every registered bill editor, its newest bill from the first scenario or recipe
// that leaves one, each scenario played on a fresh demo database of the caller's
// backend. A bill registered later is covered with no new benchmark code.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reliability/bill_windows.h"
#include "reliability/demo_database.h"

namespace bill_bench {

//! A positive integer from the environment, or `fallback`.
inline int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

//! Lines of every bill (BILL_ACTIONS_LINES) and iterations of every action (BILL_ACTIONS_RUNS).
inline const int kLines = fromEnvironment("BILL_ACTIONS_LINES", 1000);
inline const int kRuns = fromEnvironment("BILL_ACTIONS_RUNS", 5);

//! Where a bill of a type was found: the scenario's database holds it.
struct FoundBill {
  std::string code, table, billno;
  std::shared_ptr<db::Connection> database;
};

//! Plays the scenarios in order, each on a database from `freshDemo`, and hands `found`
//! each bill editor's newest bill from the first that leaves one (while the database is
//! still open); bill types no scenario leaves are named on standard error.
inline void forEachFirstBill(const std::function<std::shared_ptr<db::Connection>()>& freshDemo,
                             const std::function<void(const FoundBill&)>& found) {
  std::vector<std::string> codes = reliability::billEditorCodes();
  for (const std::string& file : reliability::scenarioFiles()) {
    if (codes.empty()) break;
    std::shared_ptr<db::Connection> conn = freshDemo();
    reliability::playScenario(file, *conn);
    reliability::BillWindows windows(*conn);
    for (auto code = codes.begin(); code != codes.end();) {
      FoundBill bill{*code, "", "", conn};
      bill.billno = windows.newestBill(bill.code, bill.table);
      if (bill.billno.empty()) {
        ++code;
        continue;
      }
      found(bill);
      code = codes.erase(code);
    }
  }
  for (const std::string& code : codes)
    std::fprintf(stderr, "bill %s: no scenario leaves one\n", code.c_str());
}

}  // namespace bill_bench
