// Hand-written baselines of the bill actions benchmark: what an action writes and reads
// back, as plain SQLite statements on the same database (no engine, no form), keyed by
// "bill/action".
#pragma once

#include <map>
#include <string>
#include <vector>

namespace bill_bench {

//! What an action writes and reads back, written by hand on the session's own database:
//! `timed` is the action, `undo` (not timed) puts the bill back. :orgid and :billno are
//! the bill's.
struct HandWritten {
  std::vector<const char*> timed, undo;
};

//! Every action written by hand, by "bill/action".
const std::map<std::string, HandWritten>& handWritten();

}  // namespace bill_bench
