// The embedded file's connections open in this process, so one connection can tell
// whether the connection that made a ##table is still open: a name is the process id
// and a serial; a process that is gone holds no open connection.
#pragma once

#include <cstdint>
#include <string>

namespace tsql::exec {

//! Registers a new open connection of this process; its serial.
std::uint64_t openSession();
void closeSession(std::uint64_t serial);
//! "pid:serial", the connection's name for other connections of the file.
std::string processSessionName(std::uint64_t serial);
//! True while the connection `name` is open: one of this process registered and not
//! closed, or one of a process that still runs.
bool processSessionOpen(const std::string& name);

}  // namespace tsql::exec
