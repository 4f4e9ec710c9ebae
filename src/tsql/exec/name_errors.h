// SQL Server's words for a name that resolves to nothing: SQLite's "no such table: t"
// is "Invalid object name 't'." (208), "no such column: c" is "Invalid column name
// 'c'." (207).
#pragma once

#include "tsql/batch_result.h"

namespace tsql::exec {

//! `e` reworded when it is SQLite's unknown table or column; `e` itself otherwise.
SqlError nameError(SqlError e);

}  // namespace tsql::exec
