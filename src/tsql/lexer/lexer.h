// Lexer: turns a T-SQL batch into tokens on demand. Skips blanks (spaces, tabs,
// CR LF) and both comment styles; tracks line and column for every token. Errors
// (an unterminated string, comment or bracket) are thrown as SyntaxError.
#pragma once

#include <string_view>

#include "tsql/lexer/syntax_error.h"
#include "tsql/lexer/token.h"

namespace tsql {

class Lexer {
 public:
  //! The text must outlive the lexer and every token it returns.
  explicit Lexer(std::string_view text) : text_(text) {}

  //! The next token; TokenKind::End at the end (repeatedly). Throws SyntaxError.
  Token next();

 private:
  void skipBlanksAndComments();
  Token makeToken(TokenKind kind, std::size_t start, SourcePos pos);
  Token lexWord(std::size_t start, SourcePos pos);
  Token lexNumber(std::size_t start, SourcePos pos);
  Token lexBinary(std::size_t start, SourcePos pos);
  Token lexString(std::size_t start, SourcePos pos, TokenKind kind);
  Token lexQuoted(std::size_t start, SourcePos pos, char close);
  Token lexPrefixedName(std::size_t start, SourcePos pos);
  Token lexSymbol(std::size_t start, SourcePos pos);
  void advance(std::size_t n = 1);
  char peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  SourcePos here() const { return {line_, column_}; }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::uint32_t line_ = 1;
  std::uint32_t column_ = 1;
};

//! True for characters that may continue an identifier (letters, digits, _, #, $, @
//! and any byte of a multi-byte UTF-8 character).
bool isIdentifierChar(char c);

}  // namespace tsql
