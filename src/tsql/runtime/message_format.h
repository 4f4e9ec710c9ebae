// MessageFormat: the printf-like substitutions of RAISERROR and FORMATMESSAGE
// (%d %i %u %o %x %X %s with flags - + 0 # and blank, a width and a precision, either
// of which may be * to take the next argument, and the h / l size prefixes).
// A message longer than 2,047 characters keeps its first 2,044 and an ellipsis.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::runtime {

//! One substitution argument: NULL, an integer (tinyint, smallint, int, bigint) or a
//! text (char, varchar, nchar, nvarchar).
struct MessageArg {
  enum class Kind : std::uint8_t { Null, Integer, Text };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  std::string text;
};

class MessageFormat {
 public:
  //! `format` with its substitutions filled from `args` in order; a missing or NULL
  //! argument shows as "(null)". Raises RuntimeError 2786 when an argument's type does
  //! not fit its substitution (text for %d, a number for %s).
  static std::string format(std::string_view format, const std::vector<MessageArg>& args);
  //! Cuts a message past 2,047 characters to its first 2,044 and "...".
  static std::string limitLength(std::string message);
};

}  // namespace tsql::runtime
