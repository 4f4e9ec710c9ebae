// The user's data folder for coreapp: where the debug log and the prints of a server
// database go, so nothing lands in whatever folder a command was started from.
#pragma once

#include <string>

namespace core {

//! "$XDG_DATA_HOME/coreapp", else "$HOME/.local/share/coreapp", else "" (no user folder).
std::string userDataFolder();

}  // namespace core
