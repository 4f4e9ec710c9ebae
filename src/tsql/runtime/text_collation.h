// TextCollation: text comparison as SQL Server's default collation does it — case does
// not matter and trailing spaces are ignored — plus the LIKE matcher and the case
// mappings that agree with it. Pure functions over UTF-8; the SQLite glue is in Runtime.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tsql::runtime {

class TextCollation {
 public:
  //! <0, 0, >0 like strcmp, blind to case and to trailing spaces.
  static int compare(std::string_view a, std::string_view b);
  //! T-SQL LIKE: % _ [set] [a-z] [^set], case-blind; trailing spaces of the value are
  //! ignored; `escape` (0 = none) makes the next pattern character literal.
  static bool like(std::string_view value, std::string_view pattern, char32_t escape = 0);
  //! Case-folded code point (the mapping compare() uses).
  static char32_t fold(char32_t cp);
  //! Upper-case code point (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
  static char32_t toUpper(char32_t cp);
  static std::string upper(std::string_view s);
  static std::string lower(std::string_view s);
  //! The text without trailing spaces.
  static std::string_view trimRight(std::string_view s);
  //! Byte offset of the first case-blind occurrence of `needle` at or after byte
  //! `from`, and its byte length in `hay`; npos when absent.
  static std::size_t find(std::string_view hay, std::string_view needle, std::size_t from,
                          std::size_t& matchedBytes);
};

}  // namespace tsql::runtime
