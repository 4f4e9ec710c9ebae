// Schema statements: CREATE/ALTER PROCEDURE and VIEW, CREATE TABLE and INDEX,
// DROP and TRUNCATE. A procedure body runs to the end of the batch (or GO), as in
// SQL Server, and its source text is kept so it can be stored and parsed again.
#include "tsql/parser/parser.h"

namespace tsql {

// create := (CREATE | ALTER | CREATE OR ALTER) FUNCTION ...
//         | (CREATE | ALTER) ( PROC[EDURE] ... | VIEW ... | TABLE ... )
//         | CREATE [UNIQUE] [CLUSTERED | NONCLUSTERED] INDEX ...
ast::StmtPtr Parser::parseCreate() {
  const Token& start = advance();
  std::size_t startOffset = static_cast<std::size_t>(start.text.data() - text_.data());
  bool alter = start.keyword == Keyword::Alter;
  bool orAlter = !alter && at(Keyword::Or) && peek(1).keyword == Keyword::Alter;
  if (orAlter) {
    advance();
    advance();
    if (!at(Keyword::Function)) fail(peek());
  }
  if (accept(Keyword::Function)) return parseCreateFunction(start.pos, alter, orAlter, startOffset);
  if (accept(Keyword::Proc) || accept(Keyword::Procedure))
    return parseCreateProcedure(start.pos, alter, startOffset);
  if (accept(Keyword::View)) return parseCreateView(start.pos, alter, startOffset);
  if (acceptWord("sequence")) return parseSequence(start.pos, alter);
  if (!alter && accept(Keyword::Table)) {
    auto stmt = std::make_unique<ast::CreateTableStmt>(start.pos);
    stmt->name = parseObjectName();
    expect(TokenKind::LParen, "'('");
    stmt->def = parseTableDef();
    expect(TokenKind::RParen, "')'");
    return stmt;
  }
  if (!alter) {
    bool unique = accept(Keyword::Unique);
    if (!accept(Keyword::Clustered)) accept(Keyword::Nonclustered);
    if (accept(Keyword::Index)) return parseCreateIndex(start.pos, unique);
  }
  fail(peek());
}

// procedure := name [ '(' ] [ param { ',' param } ] [ ')' ] [ WITH name ] AS statements
// param := @name [AS] type [ '=' expr ] [ OUTPUT | OUT ]
ast::StmtPtr Parser::parseCreateProcedure(SourcePos pos, bool alter, std::size_t startOffset) {
  auto stmt = std::make_unique<ast::CreateProcedureStmt>(pos);
  stmt->alter = alter;
  stmt->name = parseObjectName();
  bool paren = accept(TokenKind::LParen);
  if (at(TokenKind::Variable)) stmt->params = parseProcParams();
  if (paren) expect(TokenKind::RParen, "')'");
  if (accept(Keyword::With)) parseName("an option");
  expect(Keyword::As);
  while (!at(TokenKind::End) && !at(Keyword::Go)) {
    if (accept(TokenKind::Semicolon)) continue;
    stmt->body.push_back(parseStatement());
  }
  const Token& last = tokens_[pos_ > 0 ? pos_ - 1 : 0];
  std::size_t endOffset = static_cast<std::size_t>(last.text.data() - text_.data()) + last.text.size();
  stmt->text = std::string(text_.substr(startOffset, endOffset - startOffset));
  return stmt;
}

// view := name AS [with-clause] query
ast::StmtPtr Parser::parseCreateView(SourcePos pos, bool alter, std::size_t startOffset) {
  auto stmt = std::make_unique<ast::CreateViewStmt>(pos);
  stmt->alter = alter;
  stmt->name = parseObjectName();
  expect(Keyword::As);
  std::shared_ptr<ast::WithClause> with = at(Keyword::With) ? parseWithClause() : nullptr;
  stmt->query = parseQuery();
  stmt->query.with = std::move(with);
  const Token& last = tokens_[pos_ > 0 ? pos_ - 1 : 0];
  std::size_t endOffset = static_cast<std::size_t>(last.text.data() - text_.data()) + last.text.size();
  stmt->text = std::string(text_.substr(startOffset, endOffset - startOffset));
  return stmt;
}

// index := name ON object-name name-list
ast::StmtPtr Parser::parseCreateIndex(SourcePos pos, bool unique) {
  auto stmt = std::make_unique<ast::CreateIndexStmt>(pos);
  stmt->unique = unique;
  stmt->name = parseName("an index name");
  expect(Keyword::On);
  stmt->table = parseObjectName();
  stmt->columns = parseNameList();
  return stmt;
}

// drop := DROP ( TABLE | VIEW | PROC[EDURE] | FUNCTION | INDEX | SEQUENCE ) [ IF EXISTS ] object-name [ ON object-name ]
ast::StmtPtr Parser::parseDrop() {
  auto stmt = std::make_unique<ast::DropStmt>(advance().pos);
  if (accept(Keyword::Table)) stmt->objectType = ast::ObjectType::Table;
  else if (accept(Keyword::View)) stmt->objectType = ast::ObjectType::View;
  else if (accept(Keyword::Proc) || accept(Keyword::Procedure)) stmt->objectType = ast::ObjectType::Procedure;
  else if (accept(Keyword::Index)) stmt->objectType = ast::ObjectType::Index;
  else if (acceptWord("sequence")) stmt->objectType = ast::ObjectType::Sequence;
  else if (accept(Keyword::Function)) stmt->objectType = ast::ObjectType::Function;
  else fail(peek());
  if (at(Keyword::If) && peek(1).keyword == Keyword::Exists) {
    advance();
    advance();
    stmt->ifExists = true;
  }
  stmt->name = parseObjectName();
  if (stmt->objectType == ast::ObjectType::Index && accept(Keyword::On)) stmt->onTable = parseObjectName();
  return stmt;
}

// truncate := TRUNCATE TABLE object-name
ast::StmtPtr Parser::parseTruncate() {
  auto stmt = std::make_unique<ast::TruncateStmt>(advance().pos);
  expect(Keyword::Table);
  stmt->table = parseObjectName();
  return stmt;
}

}  // namespace tsql
