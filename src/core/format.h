// Format: the Delphi-style text formatting the SQL and message texts are written
// for: "%s", "%d", "%0:s" / "%1:s" (indexed, repeatable), "%0.8f" / "%.2f"
// (precision), "%-10s" (width, left aligned), "%%". QuotedStr makes an SQL string
// literal. A bad directive or a missing argument raises FormatError.
#pragma once

#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"

namespace core {

//! A format text that cannot be filled with the given arguments.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! Fills `format` with `args`. Directives: % [index ':'] ['-'] [width] ['.' precision]
//! type, types d u f n e g s x; an indexed directive moves the argument cursor, so a
//! following plain one takes the next argument. Throws FormatError.
std::string Format(std::string_view format, std::span<const Value> args);
inline std::string Format(std::string_view format, const std::vector<Value>& args) {
  return Format(format, std::span<const Value>(args));
}
//! The arguments written in place (`Format(f, {a, b})`), kept on the stack.
inline std::string Format(std::string_view format, std::initializer_list<Value> args) {
  return Format(format, std::span<const Value>(args.begin(), args.size()));
}

//! Wraps `text` in single quotes, doubling the quotes inside: O'Brien -> 'O''Brien'.
std::string QuotedStr(std::string_view text);

}  // namespace core
