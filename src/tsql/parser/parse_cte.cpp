// Common table expressions: WITH name [(columns)] AS (query) {, ...} before a SELECT,
// INSERT, UPDATE or DELETE, and the OPTION (...) clause that may end such a statement
// (MAXRECURSION is kept; the other query hints mean nothing to the engine).
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

// The WITH clause of a statement that can carry one; nullptr for any other.
std::shared_ptr<ast::WithClause>* withOf(ast::Stmt& s) {
  switch (s.kind) {
    case ast::NodeKind::Select:
      return &ast::nodeCast<ast::SelectStmt>(s).query.with;
    case ast::NodeKind::Insert:
      return &ast::nodeCast<ast::InsertStmt>(s).with;
    case ast::NodeKind::Update:
      return &ast::nodeCast<ast::UpdateStmt>(s).with;
    case ast::NodeKind::Delete:
      return &ast::nodeCast<ast::DeleteStmt>(s).with;
    case ast::NodeKind::Merge:
      return &ast::nodeCast<ast::MergeStmt>(s).with;
    default:
      return nullptr;
  }
}

}  // namespace

// with-statement := with-clause ( select | insert | update | delete | merge )
ast::StmtPtr Parser::parseWithStatement() {
  std::shared_ptr<ast::WithClause> with = parseWithClause();
  const Token& next = peek();
  if (next.keyword != Keyword::Select && next.keyword != Keyword::Insert &&
      next.keyword != Keyword::Update && next.keyword != Keyword::Delete && next.keyword != Keyword::Merge)
    fail(next);
  ast::StmtPtr stmt = parseStatement();
  std::shared_ptr<ast::WithClause>& slot = *withOf(*stmt);
  if (slot) with->maxRecursion = std::move(slot->maxRecursion);  // the statement's OPTION
  slot = std::move(with);
  return stmt;
}

// with-clause := WITH cte { ',' cte }
// cte := name [ '(' name { ',' name } ')' ] AS '(' query ')'
std::shared_ptr<ast::WithClause> Parser::parseWithClause() {
  expect(Keyword::With);
  auto with = std::make_shared<ast::WithClause>();
  do {
    ast::CommonTableExpr cte;
    cte.pos = peek().pos;
    cte.name = parseName("a table name");
    if (at(TokenKind::LParen)) {
      advance();
      do cte.columns.push_back(parseName("a column name"));
      while (accept(TokenKind::Comma));
      expect(TokenKind::RParen, "')'");
    }
    expect(Keyword::As);
    cte.query = parseParenthesizedQuery();
    with->ctes.push_back(std::move(cte));
  } while (accept(TokenKind::Comma));
  return with;
}

// option := OPTION '(' hint { ',' hint } ')'   hint := MAXRECURSION n | any other words
void Parser::parseQueryOption(ast::Stmt& stmt) {
  std::shared_ptr<ast::WithClause>* slot = withOf(stmt);
  if (!slot || peek(1).kind != TokenKind::LParen || !acceptWord("option")) return;
  advance();
  do {
    if (acceptWord("maxrecursion")) {
      if (!*slot) *slot = std::make_shared<ast::WithClause>();
      (*slot)->maxRecursion = parsePrimary();
      continue;
    }
    int depth = 0;  // another hint: its words, up to the next comma at its level
    while (!at(TokenKind::End) &&
           (depth > 0 || (!at(TokenKind::Comma) && !at(TokenKind::RParen)))) {
      if (at(TokenKind::LParen)) ++depth;
      if (at(TokenKind::RParen)) --depth;
      advance();
    }
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
}

}  // namespace tsql
