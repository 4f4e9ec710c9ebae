// The host's unit of work: one transaction the host keeps open across several batches,
// so that an action made of two bill texts takes effect whole or not at all. Inside it
// a batch finds @@trancount at 1: its own BEGIN TRAN / COMMIT only move the count, and
// its ROLLBACK takes back every batch of the unit and ends it.
#include "tsql/exec/interpreter.h"

namespace tsql::exec {

void Interpreter::beginUnit() {
  if (unitOpen_) throw std::logic_error("a unit of work is already open");
  try {
    backend_->execute(backend_->dialect().beginTransaction);
  } catch (const SqlException& e) {  // another writer kept the file past the busy timeout
    throw std::runtime_error(e.error().message);
  }
  tranName_.clear();
  savepoints_.clear();
  unitOpen_ = true;
}

// A failed COMMIT (the disk refused it) leaves nothing behind: the transaction is
// rolled back and the failure returned.
std::string Interpreter::commitUnit() {
  if (!unitOpen_) return "the unit of work was already ended by a batch";
  try {
    backend_->execute("COMMIT");
  } catch (const SqlException& e) {
    rollbackUnit();
    return e.error().message;
  }
  unitOpen_ = false;
  return {};
}

void Interpreter::rollbackUnit() {
  if (!unitOpen_) return;
  unitOpen_ = false;
  try {
    backend_->execute("ROLLBACK");
  } catch (const SqlException&) {  // a transaction the server already gave up
  }
  forgetIdleTableVariables();  // temp tables made inside it are gone
  forgetSchema();
}

// Level 0: the batch rolled back (or committed) the host's transaction, and the unit
// is over. A level left above 1, or a batch-aborting error, rolls the whole unit back
// as a batch's open transaction is.
void Interpreter::endUnitBatch(bool batchAborted) {
  if (tranCount_ == 0) {
    unitOpen_ = false;
    return;
  }
  if (tranCount_ == 1 && !batchAborted) return;
  unitOpen_ = false;
  endOpenTransaction(batchAborted || tranCount_ == 1);
}

}  // namespace tsql::exec
