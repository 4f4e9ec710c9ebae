// StringFunctions: the character and code functions of T-SQL registered in SQLite under
// tsql_ names (ASCII, CHAR, UNICODE, NCHAR, SPACE, TRANSLATE, QUOTENAME, SOUNDEX,
// DIFFERENCE), so they never meet SQLite's own char(). varchar is taken to live in the
// Chinese_PRC collations' code page 936, where ASCII and CHAR count bytes.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace tsql::runtime {

class StringFunctions {
 public:
  //! Registers the functions; returns the first SQLite error code.
  static int install(sqlite3* db);
  //! SQL Server's four-character SOUNDEX code of `s` ("" when it has no letter).
  static std::string soundex(std::string_view s);
};

}  // namespace tsql::runtime
