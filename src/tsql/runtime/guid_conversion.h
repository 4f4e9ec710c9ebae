// Text to uniqueidentifier: 32 hex digits in the 8-4-4-4-12 form, optionally in
// braces, shown upper-case. A constant longer than that is refused; a longer value
// from a variable or column is cut to 36 characters first, as the server cuts it.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace tsql::runtime {

//! The GUID `text` names, upper-case; 8169 when it names none. `constant`: the text
//! was written in the batch (no cutting).
std::string textToGuid(std::string_view text, bool constant);

//! Registers tsql_guid(x, constant) (CAST to uniqueidentifier) and tsql_try_guid.
int installGuidFunctions(sqlite3* db);

}  // namespace tsql::runtime
