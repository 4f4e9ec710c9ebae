// Text stored into a varchar(n) / char(n) column must fit: a longer value is error 8152
// and the statement writes nothing. Blanks past the length are the exception: they are
// dropped without a word, as the server drops them. Variables keep cutting silently.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace tsql::runtime {

//! `text` as stored in a column of `length` characters (trailing blanks past it
//! dropped); raises RuntimeError 8152 when other characters lie past it.
std::string fitColumn(std::string_view text, int length);

//! Registers tsql_fit(x, n): x fitted to an n-character column, and tsql_pad(x, n): x
//! compared with an n-character column, padded as the column's text is.
int installColumnFit(sqlite3* db);

}  // namespace tsql::runtime
