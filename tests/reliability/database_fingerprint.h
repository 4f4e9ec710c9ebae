// Table fingerprints: one digest of every row of each table of a SQLite database, so a
// test can tell "the database is exactly as it was" from "something changed" (and
// where) without knowing the schema. Rows are compared as typed values, in rowid order.
#pragma once

#include <sqlite3.h>

#include <map>
#include <string>

namespace reliability {

//! One MD5 per table, by table name; throws std::runtime_error on SQLite errors.
std::map<std::string, std::string> tableFingerprints(sqlite3* db);
//! The tables whose rows differ between two sets of fingerprints (or that only one has).
std::string changedTables(const std::map<std::string, std::string>& before,
                          const std::map<std::string, std::string>& after);

}  // namespace reliability
