// Lexer implementation. One pass over the bytes; no allocation. Columns count
// characters, not bytes, so positions in Chinese text point where an editor would.
#include "tsql/lexer/lexer.h"

#include <cctype>

namespace tsql {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isIdentifierStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '#' || u >= 0x80;
}

}  // namespace

bool isIdentifierChar(char c) { return isIdentifierStart(c) || isDigit(c) || c == '$' || c == '@'; }

std::string_view tokenKindName(TokenKind kind) {
  switch (kind) {
    case TokenKind::End: return "end of batch";
    case TokenKind::Identifier: return "identifier";
    case TokenKind::QuotedIdentifier: return "quoted identifier";
    case TokenKind::Variable: return "variable";
    case TokenKind::SystemVariable: return "system variable";
    case TokenKind::HostParameter: return "parameter";
    case TokenKind::String: case TokenKind::NString: return "string";
    case TokenKind::Integer: case TokenKind::Number: return "number";
    case TokenKind::Binary: return "binary constant";
    default: return "symbol";
  }
}

void Lexer::advance(std::size_t n) {
  for (std::size_t i = 0; i < n && pos_ < text_.size(); ++i) {
    char c = text_[pos_++];
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column_;  // continuation bytes of UTF-8 do not start a new character
    }
  }
}

void Lexer::skipBlanksAndComments() {
  for (;;) {
    char c = peek();
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      advance();
    } else if (c == '-' && peek(1) == '-') {
      while (pos_ < text_.size() && peek() != '\n') advance();
    } else if (c == '/' && peek(1) == '*') {
      // T-SQL block comments nest.
      SourcePos start = here();
      advance(2);
      int depth = 1;
      while (depth > 0) {
        if (pos_ >= text_.size()) throw SyntaxError("Missing end comment mark '*/'", start);
        if (peek() == '*' && peek(1) == '/') {
          --depth;
          advance(2);
        } else if (peek() == '/' && peek(1) == '*') {
          ++depth;
          advance(2);
        } else {
          advance();
        }
      }
    } else {
      return;
    }
  }
}

Token Lexer::makeToken(TokenKind kind, std::size_t start, SourcePos pos) {
  Token t;
  t.kind = kind;
  t.pos = pos;
  t.text = text_.substr(start, pos_ - start);
  return t;
}

Token Lexer::next() {
  skipBlanksAndComments();
  std::size_t start = pos_;
  SourcePos pos = here();
  if (pos_ >= text_.size()) return makeToken(TokenKind::End, start, pos);
  char c = peek();
  if ((c == 'N' || c == 'n') && peek(1) == '\'') {
    advance();
    return lexString(start, pos, TokenKind::NString);
  }
  if (isIdentifierStart(c)) return lexWord(start, pos);
  if (c == '0' && (peek(1) == 'x' || peek(1) == 'X')) return lexBinary(start, pos);
  if (isDigit(c) || (c == '.' && isDigit(peek(1)))) return lexNumber(start, pos);
  // $12.50: a money constant, a number whose text keeps the '$' for the parser
  if (c == '$' && (isDigit(peek(1)) || (peek(1) == '.' && isDigit(peek(2))))) {
    advance();
    return lexNumber(start, pos);
  }
  // $action: the word MERGE's OUTPUT names the action of each row by
  if (c == '$' && isIdentifierStart(peek(1))) return lexWord(start, pos);
  switch (c) {
    case '\'': return lexString(start, pos, TokenKind::String);
    case '[': return lexQuoted(start, pos, ']');
    case '"': return lexQuoted(start, pos, '"');
    case '@':
    case ':':
      if (c == '@' || isIdentifierStart(peek(1))) return lexPrefixedName(start, pos);
      break;
    default:
      break;
  }
  return lexSymbol(start, pos);
}

// A word never spans lines: scan it without advance()'s line bookkeeping.
Token Lexer::lexWord(std::size_t start, SourcePos pos) {
  while (pos_ < text_.size() && isIdentifierChar(text_[pos_])) {
    if ((static_cast<unsigned char>(text_[pos_]) & 0xC0) != 0x80) ++column_;
    ++pos_;
  }
  Token t = makeToken(TokenKind::Identifier, start, pos);
  t.keyword = lookupKeyword(t.text);
  return t;
}

// number := digits [ '.' digits ] [ ('e'|'E') ['+'|'-'] digits ]  |  '.' digits ...
Token Lexer::lexNumber(std::size_t start, SourcePos pos) {
  bool isInteger = true;
  while (isDigit(peek())) advance();
  if (peek() == '.') {
    isInteger = false;
    advance();
    while (isDigit(peek())) advance();
  }
  if ((peek() == 'e' || peek() == 'E') &&
      (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
    isInteger = false;
    advance(2);
    while (isDigit(peek())) advance();
  }
  return makeToken(isInteger ? TokenKind::Integer : TokenKind::Number, start, pos);
}

// binary := '0x' { hex digit }
Token Lexer::lexBinary(std::size_t start, SourcePos pos) {
  advance(2);
  while (std::isxdigit(static_cast<unsigned char>(peek()))) advance();
  return makeToken(TokenKind::Binary, start, pos);
}

// string := ''' { any character except ''' | '''' } '''
Token Lexer::lexString(std::size_t start, SourcePos pos, TokenKind kind) {
  advance();  // opening quote
  for (;;) {
    if (pos_ >= text_.size())
      throw SyntaxError("Unclosed quotation mark after the character string", pos);
    if (peek() == '\'') {
      if (peek(1) == '\'') {
        advance(2);
        continue;
      }
      advance();
      return makeToken(kind, start, pos);
    }
    advance();
  }
}

// quoted := '[' { any except ']' | ']]' } ']'  |  '"' { any except '"' | '""' } '"'
Token Lexer::lexQuoted(std::size_t start, SourcePos pos, char close) {
  advance();
  for (;;) {
    if (pos_ >= text_.size()) throw SyntaxError("Unclosed quoted identifier", pos);
    if (peek() == close) {
      if (peek(1) == close) {
        advance(2);
        continue;
      }
      advance();
      return makeToken(TokenKind::QuotedIdentifier, start, pos);
    }
    advance();
  }
}

// variable := '@' name | '@@' name ;  host parameter := ':' name
Token Lexer::lexPrefixedName(std::size_t start, SourcePos pos) {
  TokenKind kind = TokenKind::HostParameter;
  if (peek() == '@') {
    kind = peek(1) == '@' ? TokenKind::SystemVariable : TokenKind::Variable;
    advance(kind == TokenKind::SystemVariable ? 2 : 1);
  } else {
    advance();
  }
  while (pos_ < text_.size() && isIdentifierChar(peek())) advance();
  return makeToken(kind, start, pos);
}

Token Lexer::lexSymbol(std::size_t start, SourcePos pos) {
  char c = peek();
  char d = peek(1);
  TokenKind kind;
  std::size_t len = 1;
  switch (c) {
    case ',': kind = TokenKind::Comma; break;
    case '(': kind = TokenKind::LParen; break;
    case ')': kind = TokenKind::RParen; break;
    case '.': kind = TokenKind::Dot; break;
    case ';': kind = TokenKind::Semicolon; break;
    case ':': kind = TokenKind::Colon; break;  // ends a GOTO label; ':name' is a parameter
    case '+': kind = TokenKind::Plus; break;
    case '-': kind = TokenKind::Minus; break;
    case '*': kind = TokenKind::Star; break;
    case '/': kind = TokenKind::Slash; break;
    case '%': kind = TokenKind::Percent; break;
    case '&': kind = TokenKind::Amp; break;
    case '|': kind = TokenKind::Pipe; break;
    case '^': kind = TokenKind::Caret; break;
    case '~': kind = TokenKind::Tilde; break;
    case '=': kind = TokenKind::Eq; break;
    case '<':
      kind = d == '=' ? TokenKind::Le : d == '>' ? TokenKind::Ne : TokenKind::Lt;
      len = (d == '=' || d == '>') ? 2 : 1;
      break;
    case '>':
      kind = d == '=' ? TokenKind::Ge : TokenKind::Gt;
      len = d == '=' ? 2 : 1;
      break;
    case '!':
      if (d == '=' || d == '<' || d == '>') {
        kind = d == '=' ? TokenKind::Ne : d == '<' ? TokenKind::Ge : TokenKind::Le;
        len = 2;
        break;
      }
      [[fallthrough]];
    default:
      throw SyntaxError("Incorrect syntax near '" + std::string(text_.substr(start, 1)) + "'",
                        pos);
  }
  advance(len);
  return makeToken(kind, start, pos);
}

}  // namespace tsql
