// TextBuilders: the T-SQL functions that build a new text from parts (concat,
// concat_ws, replicate, reverse, stuff) or look for a pattern in one (patindex),
// registered in SQLite under their T-SQL names.
#pragma once

#include <sqlite3.h>

namespace tsql::runtime {

class TextBuilders {
 public:
  //! Registers the functions; returns the first SQLite error code.
  static int install(sqlite3* db);
};

}  // namespace tsql::runtime
