// ParamText: a bound parameter written on the command line, "NAME=VALUE" (text) or
// "NAME:TYPE=VALUE" with TYPE one of int, float, money, datetime, bit, text.
#pragma once

#include <stdexcept>
#include <string_view>
#include <utility>

#include "tsql/batch_result.h"

namespace db {

//! A parameter text that cannot be read; the message names the problem.
class ParamTextError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

class ParamText {
 public:
  //! Parses one parameter; throws ParamTextError with a message naming the parameter.
  //! A leading ':' on the name is dropped; an empty typed value binds NULL.
  static std::pair<std::string, core::Value> parse(std::string_view text);
};

}  // namespace db
