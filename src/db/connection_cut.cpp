// The armed connection cut of each thread.
#include "db/connection_cut.h"

namespace db {

namespace {
thread_local ConnectionCut* armed = nullptr;
}

void armConnectionCut(ConnectionCut* cut) { armed = cut; }

ConnectionCut* armedConnectionCut() { return armed; }

}  // namespace db
