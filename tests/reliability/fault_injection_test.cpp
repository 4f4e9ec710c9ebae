// Fault injection at every statement: every scenario of the project (and the recipes
// kept here for bills no scenario saves) is played with each action swept: the k-th
// table statement of its writing batches fails, for k = 1..N. Every registered bill
// editor must have had its save, audit and un-audit swept, so a bill added later is
// covered as soon as a scenario or recipe saves, audits and un-audits it. Actions of
// several batches (completing and re-opening an order, a statement's review and its
// log row) run as one unit of work, so a fault in any of their batches changes nothing.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

#include "reliability/demo_database.h"
#include "reliability/fault_sweep.h"

namespace reliability {
namespace {

TEST(FaultInjection, EveryStatementOfEveryBillBatchFailsCleanly) {
  std::vector<SweptAction> all;
  for (const std::string& file : scenarioFiles()) {
    try {
      std::vector<SweptAction> swept = sweepScenario(file);
      all.insert(all.end(), swept.begin(), swept.end());
    } catch (const std::exception& e) {
      ADD_FAILURE() << file << ": " << e.what();
    }
  }
  long runs = 0;
  std::map<std::string, int> longest;  // "code action" -> N
  for (const SweptAction& a : all) {
    runs += a.statements;
    if (a.statements > 0)
      longest[a.plugCode + " " + a.action] =
          std::max(longest[a.plugCode + " " + a.action], a.statements);
    for (const std::string& f : a.failures) {
      ADD_FAILURE() << a.scenario << " " << a.where << " " << a.formClass << "." << a.action << ": "
                    << f;
    }
  }
  std::set<std::string> told;
  for (const SweptAction& a : all)
    for (const auto& [text, n] : a.messages) told.insert(text);
  std::cout << "fault sweep: " << all.size() << " action steps, " << runs << " faulted runs, "
            << longest.size() << " (bill, action) pairs with writes\n";
  for (const auto& [key, n] : longest) std::cout << "  " << key << " N=" << n << '\n';
  for (const std::string& t : told) std::cout << "  told: " << t << '\n';
  for (const std::string& code : billEditorCodes()) {
    for (const char* action : {"actSave", "actAudit", "actAudit_0"}) {
      EXPECT_GT(longest[code + " " + action], 0)
          << "bill " << code << ": no scenario or recipe runs " << action
          << " with a writing batch";
    }
  }
}

}  // namespace
}  // namespace reliability
