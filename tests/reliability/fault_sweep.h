// FaultSweep: plays a scenario and, before each action step, runs that action again and
// again with the engine failing its 1st, 2nd, ... statement that reaches the database
// in a writing batch, until an attempt runs clean (that attempt stands for the step).
// After each failed attempt it checks the promise of one batch, one transaction: the
// database is exactly as before, the form still holds what the user had entered, and
// the user was told. What it found is kept per action for the test to judge.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "host/player/scenario.h"

namespace reliability {

//! What sweeping one action step found.
struct SweptAction {
  std::string scenario;
  std::string where;        //!< "step 12" / "step 30.4"
  std::string plugCode;     //!< the form's plug item ("" for forms without one)
  std::string formClass;
  std::string action;
  int statements = 0;       //!< N: statements the clean run counted in its writing batches
  std::vector<std::string> failures;   //!< broken promises, one text each
  std::map<std::string, int> messages;  //!< what the user was told, and how often
};

//! Plays `scenarioPath` on a fresh demo database in memory, sweeping every action step.
//! Steps that come after queued answers, lookups or modal steps are played unswept:
//! a failed attempt would use up what the next one needs.
std::vector<SweptAction> sweepScenario(const std::string& scenarioPath);

//! True when a batch writes a table (INSERT, UPDATE or DELETE not aimed at a table
//! variable) or runs a procedure.
bool isWritingBatch(std::string_view text);

}  // namespace reliability
