// JsonFunctions: ISJSON, JSON_VALUE, JSON_QUERY and JSON_MODIFY registered in SQLite as
// tsql_isjson, tsql_json_value, tsql_json_query and tsql_json_modify (SQLite's own json_
// functions write fragments compactly and read paths their own way).
//   tsql_isjson(x[, kind])            1/0, NULL for NULL; kind value|scalar|array|object,
//                                     without it an object or array
//   tsql_json_value(x, path)          a scalar as text (nvarchar(4000))
//   tsql_json_query(x[, path])        an object or array as written
//   tsql_json_modify(x, path, v, how) v set at path: how 's' text, 'n' number, 'b' bit,
//                                     'j' JSON text kept as it is
//   tsql_json_object(flags, name, kind, value, ...)  one row of FOR JSON as an object
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class JsonFunctions {
 public:
  //! Registers the functions and the table functions; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
