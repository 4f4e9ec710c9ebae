// PIVOT and UNPIVOT after a table source: what the clause names. The translator, which
// knows the source's columns, writes the rotation.
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

bool isPivotAggregate(const std::string& name) {
  for (const char* a : {"sum", "avg", "count", "count_big", "min", "max", "stdev", "stdevp", "var", "varp"})
    if (name == a) return true;
  return false;
}

}  // namespace

bool Parser::atPivot() const {
  if (peek(1).kind != TokenKind::LParen || peek().kind != TokenKind::Identifier) return false;
  std::string word = toLower(peek().text);
  return word == "pivot" || word == "unpivot";
}

// pivoted := source PIVOT '(' aggregate '(' column ')' FOR column IN '(' name {',' name} ')' ')' [AS] alias
//          | source UNPIVOT '(' column FOR column IN '(' column {',' column} ')' ')' [AS] alias
ast::TableRefPtr Parser::parsePivot(ast::TableRefPtr source) {
  auto p = std::make_unique<ast::PivotTableRef>(peek().pos);
  p->unpivot = toLower(advance().text) == "unpivot";
  p->source = std::move(source);
  expect(TokenKind::LParen, "'('");
  if (!p->unpivot) {
    const Token& fn = peek();
    p->aggregate = toLower(parseName("an aggregate"));
    if (!isPivotAggregate(p->aggregate)) fail(fn);
    expect(TokenKind::LParen, "'('");
  }
  p->valueColumn = parseName("a column name");
  if (!p->unpivot) expect(TokenKind::RParen, "')'");
  expectWord("for");
  p->pivotColumn = parseName("a column name");
  expect(Keyword::In);
  expect(TokenKind::LParen, "'('");
  do p->names.push_back(parseName("a column name"));
  while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
  expect(TokenKind::RParen, "')'");
  p->alias = parseOptionalAlias();
  if (p->alias.empty()) fail(peek());
  return p;
}

}  // namespace tsql
