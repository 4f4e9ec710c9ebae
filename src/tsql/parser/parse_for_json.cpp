// FOR JSON at the end of a query: the whole result becomes one JSON text (none of its
// words is reserved, so they are read by their text).
#include "tsql/parser/parser.h"

namespace tsql {

// for-json := FOR JSON (PATH | AUTO) { ',' (ROOT [ '(' 'name' ')' ] | INCLUDE_NULL_VALUES
//             | WITHOUT_ARRAY_WRAPPER) }
void Parser::parseForJson(ast::Query& q) {
  if (toLower(peek().text) != "for" || toLower(peek(1).text) != "json") return;
  advance();
  advance();
  auto f = std::make_shared<ast::ForJson>();
  if (!acceptWord("path")) {
    expectWord("auto");
    f->path = false;
  }
  while (accept(TokenKind::Comma)) {
    if (acceptWord("root")) {
      f->root = "root";
      if (accept(TokenKind::LParen)) {
        if (!at(TokenKind::String) && !at(TokenKind::NString)) fail(peek());
        f->root = unquoteString(advance());
        expect(TokenKind::RParen, "')'");
      }
    } else if (acceptWord("include_null_values")) {
      f->includeNulls = true;
    } else {
      expectWord("without_array_wrapper");
      f->withoutArrayWrapper = true;
    }
  }
  q.forJson = std::move(f);
}

}  // namespace tsql
