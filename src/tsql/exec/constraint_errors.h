// SQL Server's words for a row that breaks a NOT NULL (515) or CHECK (547) constraint.
// SQLite names the table and column (NOT NULL) or the constraint (CHECK); the CHECK
// constraint's table is found in the schema, its column in the name the engine gave it.
#pragma once

#include <sqlite3.h>

#include <string_view>

#include "tsql/batch_result.h"

namespace tsql::exec {

//! `e` (SQLite's complaint) in SQL Server's words for statement `verb` ("INSERT",
//! "UPDATE"); `e` itself when it is not a NOT NULL or CHECK failure.
SqlError constraintError(sqlite3* db, const SqlError& e, std::string_view verb);

}  // namespace tsql::exec
