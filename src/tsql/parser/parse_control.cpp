// Control flow and the statements around it: blocks, IF/ELSE, WHILE, RETURN,
// transactions, TRY/CATCH, RAISERROR, PRINT and EXEC. BEGIN needs one token of
// look-ahead: BEGIN TRAN, BEGIN TRY and a plain BEGIN ... END block.
#include "tsql/parser/parser.h"

#include "tsql/errors/error_table.h"

namespace tsql {

// begin := BEGIN (TRAN|TRANSACTION) [name] | BEGIN TRY ... | BEGIN statements END
ast::StmtPtr Parser::parseBegin() {
  SourcePos pos = advance().pos;
  if (accept(Keyword::Tran) || accept(Keyword::Transaction)) {
    auto stmt = std::make_unique<ast::BeginTranStmt>(pos);
    stmt->name = parseTransactionName();
    return stmt;
  }
  if (accept(Keyword::Try)) return parseTryCatch(pos);
  auto block = std::make_unique<ast::BlockStmt>(pos);
  block->body = parseStatementsUntilEnd();
  expect(Keyword::End);
  return block;
}

// A transaction name after BEGIN/COMMIT/ROLLBACK/SAVE TRAN: no statement but SAVE starts
// with a word that is not reserved, so another one here can only be the name. Names are
// case-blind.
std::string Parser::parseTransactionName() {
  if (at(TokenKind::Variable)) return toLower(advance().text);
  if (!atName() || at(Keyword::Save)) return {};  // SAVE starts the next statement
  return toLower(parseName("a transaction name"));
}

// save := SAVE (TRAN | TRANSACTION) name
ast::StmtPtr Parser::parseSaveTran() {
  auto stmt = std::make_unique<ast::SaveTranStmt>(advance().pos);
  if (!accept(Keyword::Tran)) expect(Keyword::Transaction);
  if (!atName()) fail(peek());
  stmt->name = parseTransactionName();
  return stmt;
}

// try-catch := BEGIN TRY statements END TRY BEGIN CATCH statements END CATCH
ast::StmtPtr Parser::parseTryCatch(SourcePos pos) {
  auto stmt = std::make_unique<ast::TryCatchStmt>(pos);
  stmt->tryBody = parseStatementsUntilEnd();
  expect(Keyword::End);
  expect(Keyword::Try);
  expect(Keyword::Begin);
  expect(Keyword::Catch);
  ++catchDepth_;
  stmt->catchBody = parseStatementsUntilEnd();
  --catchDepth_;
  expect(Keyword::End);
  expect(Keyword::Catch);
  return stmt;
}

// if := IF expr statement [ ELSE statement ]
ast::StmtPtr Parser::parseIf() {
  auto stmt = std::make_unique<ast::IfStmt>(advance().pos);
  stmt->cond = parseExpr();
  while (accept(TokenKind::Semicolon)) {}
  stmt->thenStmt = parseStatement();
  while (at(TokenKind::Semicolon) && peek(1).keyword == Keyword::Else) advance();
  if (accept(Keyword::Else)) stmt->elseStmt = parseStatement();
  return stmt;
}

// while := WHILE expr statement
ast::StmtPtr Parser::parseWhile() {
  auto stmt = std::make_unique<ast::WhileStmt>(advance().pos);
  stmt->cond = parseExpr();
  stmt->body = parseStatement();
  return stmt;
}

// return := RETURN [ expr ]  -- an expression follows only if the next token can
// start one and is not the first word of a statement (or a label).
ast::StmtPtr Parser::parseReturn() {
  auto stmt = std::make_unique<ast::ReturnStmt>(advance().pos);
  const Token& t = peek();
  bool startsExpr = false;
  switch (t.kind) {
    case TokenKind::Integer: case TokenKind::Number: case TokenKind::String:
    case TokenKind::NString: case TokenKind::Variable: case TokenKind::SystemVariable:
    case TokenKind::HostParameter: case TokenKind::LParen: case TokenKind::Minus:
    case TokenKind::Plus: case TokenKind::QuotedIdentifier:
      startsExpr = true;
      break;
    case TokenKind::Identifier:
      startsExpr = (!isReservedKeyword(t.keyword) && peek(1).kind != TokenKind::Colon) ||
                   t.keyword == Keyword::Case ||
                   t.keyword == Keyword::Cast || t.keyword == Keyword::Convert ||
                   t.keyword == Keyword::Null;
      break;
    default: break;
  }
  if (startsExpr) stmt->value = parseExpr();
  return stmt;
}

// transaction-end := (COMMIT | ROLLBACK) [ TRAN | TRANSACTION | WORK ] [ name ]
// (ROLLBACK TRAN name goes back to the savepoint of that name, if there is one)
ast::StmtPtr Parser::parseTransactionEnd() {
  const Token& t = advance();
  std::string name;
  if (accept(Keyword::Tran) || accept(Keyword::Transaction) || accept(Keyword::Work))
    name = parseTransactionName();
  if (t.keyword == Keyword::Commit) return std::make_unique<ast::CommitStmt>(t.pos);
  auto stmt = std::make_unique<ast::RollbackStmt>(t.pos);
  stmt->name = std::move(name);
  return stmt;
}

// raiserror := RAISERROR '(' expr ',' expr ',' expr { ',' expr } ')' [ WITH name {',' name} ]
ast::StmtPtr Parser::parseRaiserror() {
  auto stmt = std::make_unique<ast::RaiserrorStmt>(advance().pos);
  expect(TokenKind::LParen, "'('");
  stmt->message = parseExpr();
  expect(TokenKind::Comma, "','");
  stmt->severity = parseExpr();
  expect(TokenKind::Comma, "','");
  stmt->state = parseExpr();
  while (accept(TokenKind::Comma)) stmt->args.push_back(parseExpr());
  expect(TokenKind::RParen, "')'");
  if (accept(Keyword::With)) {
    do {
      const Token& option = peek();
      std::string name = toLower(parseName("an option"));
      if (name != "log" && name != "nowait" && name != "seterror") fail(option);
      stmt->options.push_back(std::move(name));
    } while (accept(TokenKind::Comma));
  }
  return stmt;
}

// throw := THROW [ expr ',' expr ',' expr ]. The statement before it must end with
// ';' (else THROW would read as part of it); without arguments it rethrows the
// caught error, so it belongs inside a CATCH block.
ast::StmtPtr Parser::parseThrow(bool afterUnterminated) {
  const Token& t = advance();
  if (afterUnterminated) fail(t);
  auto stmt = std::make_unique<ast::RaiserrorStmt>(t.pos);
  stmt->isThrow = true;
  if (atStatementEnd()) {
    if (catchDepth_ == 0)
      throw SyntaxError(errors::number(errors::Error::RethrowOutsideCatch),
                        errors::message(errors::Error::RethrowOutsideCatch), t.pos);
    return stmt;
  }
  stmt->number = parseExpr();
  expect(TokenKind::Comma, "','");
  stmt->message = parseExpr();
  expect(TokenKind::Comma, "','");
  stmt->state = parseExpr();
  return stmt;
}

// print := PRINT expr
ast::StmtPtr Parser::parsePrint() {
  auto stmt = std::make_unique<ast::PrintStmt>(advance().pos);
  stmt->value = parseExpr();
  return stmt;
}

// exec := EXEC[UTE] [ @ret '=' ] object-name [ arg { ',' arg } ] | exec-string
// arg := [ @param '=' ] ( expr | DEFAULT ) [ OUTPUT | OUT ]
ast::StmtPtr Parser::parseExec() {
  SourcePos pos = advance().pos;
  if (at(TokenKind::LParen)) return parseExecString(pos);
  auto stmt = std::make_unique<ast::ExecStmt>(pos);
  if (at(TokenKind::Variable) && peek(1).kind == TokenKind::Eq) {
    stmt->returnVar = toLower(advance().text);
    advance();
  }
  stmt->procedure = parseObjectName();
  if (atStatementEnd() && !at(Keyword::Default) && !at(Keyword::Null)) return stmt;
  do {
    ast::ExecArg arg;
    arg.pos = peek().pos;
    if (at(TokenKind::Variable) && peek(1).kind == TokenKind::Eq) {
      arg.name = toLower(advance().text);
      advance();
    }
    if (!accept(Keyword::Default)) {
      if (atName() && peek(1).kind != TokenKind::LParen && peek(1).kind != TokenKind::Dot) {
        // A bare word passes its text, as EXEC allows for string arguments.
        auto lit = std::make_unique<ast::LiteralExpr>(peek().pos);
        lit->literalKind = ast::LiteralKind::String;
        lit->text = unquoteIdentifier(advance());
        arg.value = std::move(lit);
      } else {
        arg.value = parseExpr();
      }
    }
    arg.output = accept(Keyword::Output) || accept(Keyword::Out);
    stmt->args.push_back(std::move(arg));
  } while (accept(TokenKind::Comma));
  return stmt;
}

}  // namespace tsql
