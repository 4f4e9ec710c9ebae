// Global temporary tables (##name): real tables of the database under the reserved
// prefix tsql_global, so every connection of the database reads the same table.
// tsql_global_temps (made with the first one) records the connection that made each;
// that connection drops its tables as it closes, and a table whose maker is no longer
// open (its process ended without closing, or another connection was still reading the
// table as it closed) is swept by the next connection to open or to make a ##table of
// that name.
// A connection is named by its process and a serial on the file, by its server
// process on the server. Names are case-blind: the normalized name is lower-case.
#pragma once

#include <string>

namespace tsql::exec {

class Backend;

//! True for a global temporary table's name (##name).
inline bool isGlobalTemp(const std::string& name) {
  return name.size() > 2 && name[0] == '#' && name[1] == '#';
}
//! The database's table for the ##table `name` (normalized).
std::string globalTempTable(const std::string& name);
//! Drops the ##tables whose makers are no longer open; best effort.
void sweepGlobalTemps(Backend& db);
//! Records `table`, when it is a ##table's, as made by the connection on `db`.
void noteGlobalTemp(Backend& db, const std::string& table);
//! The ##table `table` was dropped: its record goes.
void forgetGlobalTemp(Backend& db, const std::string& table);
//! Drops the ##tables the connection on `db` made; it is closing. Outside a transaction
//! of its own, a table another connection still reads is left for the sweep, without
//! waiting for that reader.
void closeGlobalTemps(Backend& db, bool inTransaction) noexcept;

}  // namespace tsql::exec
