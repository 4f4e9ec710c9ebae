// Where the printed documents of a database go, one folder per database so two shops
// (or a shop and its backup) never write over each other's documents.
#pragma once

#include <string>
#include <string_view>

namespace db {
class Connection;
}

namespace host {

//! A database file's prints go beside it, in "<folder>/<whole file name>-prints" (so
//! shop.db and shop.bak differ); a memory database's to "" (the print service's
//! temporary folder); a server database's to serverPrintFolder(its place name).
std::string printFolderOf(const db::Connection& db);

//! "<user data folder>/<place>-prints" for a server database named by `place`
//! (address, port and database; never a user or password), in the temporary folder
//! when the user has no data folder.
std::string serverPrintFolder(std::string_view place);

}  // namespace host
