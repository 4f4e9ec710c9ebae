// Data changes: INSERT (VALUES, SELECT, DEFAULT VALUES), UPDATE with SET lists and
// an optional FROM, DELETE with an optional second FROM.
#include <optional>

#include "tsql/parser/parser.h"

namespace tsql {

// insert := INSERT [INTO] object-name [ name-list ] [ output ]
//           ( VALUES '(' expr {',' expr} ')' {',' '(' ... ')'} | query | DEFAULT VALUES | exec )
ast::StmtPtr Parser::parseInsert() {
  auto stmt = std::make_unique<ast::InsertStmt>(advance().pos);
  accept(Keyword::Into);
  stmt->table = parseObjectName();
  if (at(TokenKind::LParen) && peek(1).keyword != Keyword::Select) stmt->columns = parseNameList();
  stmt->output = parseOutputClause();
  if (accept(Keyword::Values)) {
    do {
      expect(TokenKind::LParen, "'('");
      std::vector<ast::ExprPtr> row;
      do row.push_back(parseExpr()); while (accept(TokenKind::Comma));
      expect(TokenKind::RParen, "')'");
      stmt->rows.push_back(std::move(row));
    } while (accept(TokenKind::Comma));
  } else if (accept(Keyword::Default)) {
    expect(Keyword::Values);
    stmt->defaultValues = true;
  } else if (at(Keyword::Exec) || at(Keyword::Execute)) {
    stmt->exec = parseExec();
  } else if (atQueryStart()) {
    bool paren = accept(TokenKind::LParen);
    stmt->query = std::make_unique<ast::Query>(parseQuery());
    if (paren) expect(TokenKind::RParen, "')'");
  } else {
    fail(peek());
  }
  return stmt;
}

// assignment := ( @var | [qualifier '.'] column ) ( '=' | '+=' | '-=' ) expr
ast::Assignment Parser::parseAssignment() {
  ast::Assignment a;
  a.pos = peek().pos;
  if (at(TokenKind::Variable)) {
    a.target.push_back(toLower(advance().text));
  } else {
    a.target.push_back(parseName("a column name"));
    while (accept(TokenKind::Dot)) a.target.push_back(parseName("a column name"));
  }
  std::optional<ast::BinaryOp> compound;
  if (at(TokenKind::Plus)) compound = ast::BinaryOp::Add;
  if (at(TokenKind::Minus)) compound = ast::BinaryOp::Sub;
  if (compound) advance();
  expect(TokenKind::Eq, "'='");
  a.value = parseExpr();
  if (compound) {
    auto bin = std::make_unique<ast::BinaryExpr>(a.pos);
    bin->op = *compound;
    auto lhs = std::make_unique<ast::ColumnRefExpr>(a.pos);
    lhs->parts = a.target;
    bin->lhs = std::move(lhs);
    bin->rhs = std::move(a.value);
    a.value = std::move(bin);
  }
  return a;
}

// dml-top := TOP '(' expr ')'   -- at most that many rows, whichever the engine meets
ast::ExprPtr Parser::parseDmlTop() {
  if (!accept(Keyword::Top)) return nullptr;
  expect(TokenKind::LParen, "'('");
  ast::ExprPtr n = parseExpr();
  expect(TokenKind::RParen, "')'");
  return n;
}

// update := UPDATE [dml-top] object-name SET assignment { ',' assignment } [ output ]
//           [ FROM from-list ] [ WHERE dml-where ]
ast::StmtPtr Parser::parseUpdate() {
  auto stmt = std::make_unique<ast::UpdateStmt>(advance().pos);
  stmt->top = parseDmlTop();
  stmt->target = parseObjectName();
  skipTableHints();
  expect(Keyword::Set);
  do stmt->sets.push_back(parseAssignment()); while (accept(TokenKind::Comma));
  stmt->output = parseOutputClause();
  if (accept(Keyword::From)) stmt->from = parseFromList();
  if (accept(Keyword::Where)) parseDmlWhere(stmt->where, stmt->currentOf);
  return stmt;
}

// delete := DELETE [dml-top] [FROM] object-name [ output ] [ FROM from-list ] [ WHERE dml-where ]
ast::StmtPtr Parser::parseDelete() {
  auto stmt = std::make_unique<ast::DeleteStmt>(advance().pos);
  stmt->top = parseDmlTop();
  accept(Keyword::From);
  stmt->target = parseObjectName();
  stmt->output = parseOutputClause();
  if (accept(Keyword::From)) stmt->from = parseFromList();
  if (accept(Keyword::Where)) parseDmlWhere(stmt->where, stmt->currentOf);
  return stmt;
}

// dml-where := CURRENT OF [GLOBAL] (cursor | @var) | expr   (after WHERE)
void Parser::parseDmlWhere(ast::ExprPtr& where, ast::CurrentOf& currentOf) {
  auto isWord = [&](int ahead, std::string_view word) {
    const Token& t = peek(ahead);
    return t.kind == TokenKind::Identifier && toLower(t.text) == word;
  };
  if (!isWord(0, "current") || !isWord(1, "of")) {
    where = parseExpr();
    return;
  }
  advance();
  advance();
  currentOf.global = acceptCursorGlobal();
  currentOf.cursor = parseCursorName();
}

// output := OUTPUT select-item { ',' select-item } [ INTO object-name [ name-list ] ]
std::unique_ptr<ast::OutputClause> Parser::parseOutputClause() {
  if (!accept(Keyword::Output)) return nullptr;
  auto out = std::make_unique<ast::OutputClause>();
  do out->items.push_back(parseSelectItem());
  while (accept(TokenKind::Comma));
  if (accept(Keyword::Into)) {
    out->into = parseObjectName();
    if (at(TokenKind::LParen) && peek(1).keyword != Keyword::Select)
      out->intoColumns = parseNameList();
  }
  return out;
}

}  // namespace tsql
