// printFolderOf: the print folder rule shared by the desktop, `coreapp demo` and
// `coreapp play`. A server database has no folder of its own, and the folder a command
// was started from is no place for a shop's documents: they go to the user's data
// folder, named by the place alone.
#include "host/print/print_folder.h"

#include <filesystem>

#include "core/user_folder.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"

namespace host {

std::string printFolderOf(const db::Connection& db) {
  if (const auto* server = dynamic_cast<const db::PgConnection*>(&db))
    return serverPrintFolder(server->placeName());
  const auto* file = dynamic_cast<const db::EmbeddedConnection*>(&db);
  if (file == nullptr || file->path().empty() || file->path() == ":memory:") return {};
  const std::filesystem::path path(file->path());
  return (path.parent_path() / (path.filename().string() + "-prints")).string();
}

std::string serverPrintFolder(std::string_view place) {
  const std::string data = core::userDataFolder();
  const std::filesystem::path folder =
      data.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(data);
  return (folder / (std::string(place) + "-prints")).string();
}

}  // namespace host
