// A view's translated SQLite text rewritten so that SQLite alone can run it: the
// engine's money rounding, division and text collation become SQLite's own round(),
// `/` and NOCASE. Money comes out rounded to four places as SQLite rounds, division
// by zero gives NULL instead of an error; the engine itself keeps reading the exact text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tsql::exec {

//! `body` with the engine's calls replaced; nullopt when a call or collation stays that
//! `isStockFunction` (asked with lower-case names) does not know, so no SQLite tool could run it.
std::optional<std::string> portableViewBody(
    std::string_view body, const std::function<bool(std::string_view)>& isStockFunction);

}  // namespace tsql::exec
