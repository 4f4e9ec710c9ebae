// The thread's armed fault: a plain pointer, so the engine's check is one load.
#include "tsql/statement_fault.h"

namespace tsql {

namespace {
thread_local StatementFault* armed = nullptr;
}

void armStatementFault(StatementFault* fault) { armed = fault; }

StatementFault* armedStatementFault() { return armed; }

}  // namespace tsql
