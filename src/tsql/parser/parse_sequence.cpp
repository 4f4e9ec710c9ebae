// Numbering statements: CREATE / ALTER SEQUENCE with their options, NEXT VALUE FOR,
// SET IDENTITY_INSERT and DBCC CHECKIDENT. None of their words is reserved, so they
// are recognised by their spelling where a statement or a primary may start.
#include <cstdlib>

#include "tsql/parser/parser.h"

namespace tsql {

namespace {

// A signed whole number, as sequence options and reseed values are written.
long long signedNumber(const Token& sign, const Token& digits) {
  long long v = std::strtoll(std::string(digits.text).c_str(), nullptr, 10);
  return sign.kind == TokenKind::Minus ? -v : v;
}

}  // namespace

long long Parser::parseSignedInteger() {
  const Token& sign = peek();
  if (sign.kind == TokenKind::Minus || sign.kind == TokenKind::Plus) advance();
  const Token& digits = expect(TokenKind::Integer, "a whole number");
  return signedNumber(sign, digits);
}

// sequence := name [ AS type ] { START WITH n | INCREMENT BY n | [NO] MINVALUE [n]
//             | [NO] MAXVALUE [n] | [NO] CYCLE | RESTART [WITH n] | CACHE [n] | NO CACHE }
ast::StmtPtr Parser::parseSequence(SourcePos pos, bool alter) {
  auto stmt = std::make_unique<ast::SequenceStmt>(pos);
  stmt->alter = alter;
  stmt->name = parseObjectName();
  if (!alter && accept(Keyword::As)) stmt->type = parseDataType();
  for (;;) {
    if (acceptWord("start")) {
      accept(Keyword::With);
      stmt->start = parseSignedInteger();
    } else if (acceptWord("restart")) {
      stmt->restart = true;
      if (accept(Keyword::With)) stmt->start = parseSignedInteger();
    } else if (acceptWord("increment")) {
      expect(Keyword::By);
      stmt->increment = parseSignedInteger();
    } else if (acceptWord("minvalue")) {
      stmt->minValue = parseSignedInteger();
    } else if (acceptWord("maxvalue")) {
      stmt->maxValue = parseSignedInteger();
    } else if (acceptWord("cycle")) {
      stmt->cycle = true;
    } else if (acceptWord("cache")) {
      if (at(TokenKind::Integer)) advance();  // how many values are kept in memory: none here
    } else if (acceptWord("no")) {
      if (acceptWord("minvalue"))
        stmt->noMinValue = true;
      else if (acceptWord("maxvalue"))
        stmt->noMaxValue = true;
      else if (acceptWord("cycle"))
        stmt->cycle = false;
      else
        expectWord("cache");
    } else {
      break;
    }
  }
  return stmt;
}

// next-value := NEXT VALUE FOR sequence-name: a call of the runtime's numbering
// function with the sequence's name, which both databases provide.
ast::ExprPtr Parser::parseNextValueFor() {
  SourcePos pos = advance().pos;
  expectWord("value");
  expectWord("for");
  auto call = std::make_unique<ast::FunctionCallExpr>(pos);
  call->name = "tsql_next_value";
  auto name = std::make_unique<ast::LiteralExpr>(peek().pos);
  name->literalKind = ast::LiteralKind::String;
  name->text = toLower(parseObjectName());
  call->args.push_back(std::move(name));
  return call;
}

// SET IDENTITY_INSERT object-name ( ON | OFF )
ast::StmtPtr Parser::parseIdentityInsert(SourcePos pos) {
  auto opt = std::make_unique<ast::SetOptionStmt>(pos);
  opt->option = "identity_insert";
  opt->target = parseObjectName();
  if (!accept(Keyword::On)) expectWord("off");
  opt->value = toLower(tokens_[pos_ - 1].text) == "on" ? "ON" : "OFF";
  return opt;
}

// dbcc := DBCC CHECKIDENT '(' 'table' [ ',' RESEED [ ',' expr ] ] ')' [ WITH NO_INFOMSGS ]
ast::StmtPtr Parser::parseDbcc() {
  auto stmt = std::make_unique<ast::CheckIdentStmt>(advance().pos);
  expectWord("checkident");
  expect(TokenKind::LParen, "'('");
  const Token& table = peek();
  if (table.kind == TokenKind::String) {
    advance();
    stmt->table = unquoteString(table);
  } else {
    stmt->table = parseObjectName();
  }
  if (accept(TokenKind::Comma)) {
    if (!acceptWord("noreseed")) {
      expectWord("reseed");
      stmt->reseed = true;
      if (accept(TokenKind::Comma)) stmt->value = parseExpr();
    }
  }
  expect(TokenKind::RParen, "')'");
  if (accept(Keyword::With)) parseName("an option");
  return stmt;
}

}  // namespace tsql
