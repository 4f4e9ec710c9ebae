// ConnectionCut: a test-only switch that cuts a server connection's socket at one
// statement, as a server stopped or a cable pulled at that moment would: before a
// write inside the transaction is sent (the server rolls the transaction back), or
// right after a COMMIT is sent, before its answer is read (the server commits; the
// client never learns it). Thread-local, like the statement fault: off (a null
// pointer) it costs one test per statement.
#pragma once

#include <string>

namespace db {

struct ConnectionCut {
  bool afterSend = true;             //!< cut once the statement is on its way (else just before)
  std::string statement = "COMMIT";  //!< the first statement whose server text starts so
  bool fired = false;
};

//! Arms `cut` for the server connections of this thread (null disarms).
void armConnectionCut(ConnectionCut* cut);
//! The cut armed on this thread, or null.
ConnectionCut* armedConnectionCut();

}  // namespace db
