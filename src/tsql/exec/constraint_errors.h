// SQL Server's words for a row that breaks a NOT NULL (515) or CHECK (547) constraint.
// SQLite names the table and column (NOT NULL) or the constraint (CHECK); the CHECK
// constraint's table is found in the schema, its column in the name the engine gave it.
// The server names all of them; its backend words them with the two builders below.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "tsql/batch_result.h"

namespace tsql::exec {

//! `e` (SQLite's complaint) in SQL Server's words for statement `verb` ("INSERT",
//! "UPDATE"); `e` itself when it is not a NOT NULL or CHECK failure.
SqlError constraintError(sqlite3* db, const SqlError& e, std::string_view verb);

//! 515 for a NULL into `column` of `table` by statement `verb`.
SqlError nullNotAllowed(const SqlError& e, std::string_view column, std::string_view table, std::string_view verb);
//! 547 for a row of `table` that breaks CHECK `constraint`; an unnamed constraint's
//! name (CK__table__column) names the column too.
SqlError checkConflict(const SqlError& e, const std::string& constraint, const std::string& table,
                       std::string_view verb);

}  // namespace tsql::exec
