// TextFunctions: T-SQL's string functions registered in SQLite (len, ltrim, rtrim,
// replace, substring, left, right, charindex, upper, lower, like) and the collation,
// all counting characters, not bytes, and matching text case-blind.
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class TextFunctions {
 public:
  //! Registers the functions and the collation; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
