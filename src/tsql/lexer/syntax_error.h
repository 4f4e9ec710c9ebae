// SyntaxError: a batch that cannot be lexed or parsed. Carries the position so the
// caller can point the user at the offending line and column.
#pragma once

#include <stdexcept>
#include <string>

#include "tsql/lexer/token.h"

namespace tsql {

class SyntaxError : public std::runtime_error {
 public:
  //! `message` is the bare complaint; what() adds " (line L, column C)".
  SyntaxError(const std::string& message, SourcePos pos)
      : std::runtime_error(message + " (line " + std::to_string(pos.line) + ", column " +
                           std::to_string(pos.column) + ")"),
        pos_(pos) {}

  //! An error the server raises while compiling, with its own `number`; what() is
  //! `message` as it stands.
  SyntaxError(int number, const std::string& message, SourcePos pos)
      : std::runtime_error(message), pos_(pos), number_(number) {}

  SourcePos pos() const { return pos_; }
  //! SQL Server's number: 102 unless the constructor was given another.
  int number() const { return number_; }

 private:
  SourcePos pos_;
  int number_ = 102;
};

}  // namespace tsql
