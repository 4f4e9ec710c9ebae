// JsonTableFunctions: the table-valued functions a FROM list or an APPLY reads, as
// SQLite table functions (eponymous virtual tables whose arguments are hidden columns):
//   tsql_openjson(json[, path[, whole]])  key, value, type: the members of the object
//                                or the elements of the array the path names (OPENJSON);
//                                whole (WITH): an object is one row, every value JSON
//   tsql_string_split(text, sep) value, ordinal: the pieces between separators
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class JsonTableFunctions {
 public:
  //! Registers both modules; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
