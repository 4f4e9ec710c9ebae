// StatementFault: a test-only switch that makes the engine fail the k-th statement it
// runs in the batches a predicate selects, as a full disk, a lost lock or a broken
// file would. Off (a null pointer) it costs one test per batch and per statement.
// Thread-local: each thread's connections see only the fault armed on that thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tsql {

struct StatementFault {
  //! Which batches count their statements (null = every batch).
  std::function<bool(std::string_view batchText)> selects;
  int failAt = 0;  //!< 1-based statement to fail, counted over the selected batches
  int seen = 0;    //!< statements counted so far
  bool fired = false;
  bool atBeginTran = false;  //!< the statement failed was a BEGIN TRAN (the batch ended there)
  std::string message = "injected fault: the statement could not be written";
};

//! Arms `fault` for the engines running on this thread (null disarms).
void armStatementFault(StatementFault* fault);
//! The fault armed on this thread, or null.
StatementFault* armedStatementFault();

}  // namespace tsql
