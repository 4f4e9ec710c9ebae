// Token: one lexical unit of a T-SQL batch. Tokens point into the batch text (no
// copies), so the text must outlive them. Keywords are recognised by the lexer and
// carried as a Keyword tag on identifier tokens; quoted identifiers never are keywords.
#pragma once

#include <cstdint>
#include <string_view>

#include "tsql/lexer/keyword.h"

namespace tsql {

//! What a token is.
enum class TokenKind : std::uint8_t {
  End,               //!< end of the batch text
  Identifier,        //!< plain word; `keyword` says whether it is a reserved word
  QuotedIdentifier,  //!< [bracketed] or "quoted"; `text` is the raw token with delimiters
  Variable,          //!< @name
  SystemVariable,    //!< @@name
  HostParameter,     //!< :name (bound by the caller)
  String,            //!< 'text' with '' escapes (raw, quotes included)
  NString,           //!< N'text'
  Integer,           //!< 123
  Number,            //!< 1.5, .5, 1e3
  Binary,            //!< 0x1F (hex digits, maybe none)
  Comma, LParen, RParen, Dot, Semicolon, Colon,
  Plus, Minus, Star, Slash, Percent,
  Eq, Ne, Lt, Le, Gt, Ge,
  Amp, Pipe, Caret, Tilde,
};

//! A position in the batch text (1-based line and column).
struct SourcePos {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct Token {
  TokenKind kind = TokenKind::End;
  Keyword keyword = Keyword::None;  //!< set only for TokenKind::Identifier
  SourcePos pos;
  std::string_view text;  //!< the raw token as written

  bool is(Keyword k) const { return keyword == k; }
};

//! Human-readable name of a token kind for error messages.
std::string_view tokenKindName(TokenKind kind);

}  // namespace tsql
