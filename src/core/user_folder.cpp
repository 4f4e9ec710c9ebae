// userDataFolder: the XDG data folder rule, read from the environment on every call so a
// test (or a shell started with another HOME) gets its own.
#include "core/user_folder.h"

#include <cstdlib>

namespace core {

std::string userDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg != '\0') return std::string(xdg) + "/coreapp";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.local/share/coreapp";
  return {};
}

}  // namespace core
