// EXEC of a string, WITH RESULT SETS, GOTO and labels, and the check every batch and procedure body
// gets before it runs: each label declared once, each GOTO going to a declared label
// and never into a TRY or CATCH block it is not already in.
#include <unordered_map>

#include "tsql/ast/dynamic_stmt.h"
#include "tsql/errors/error_table.h"
#include "tsql/parser/parser.h"

namespace tsql {

// exec-string := EXEC[UTE] '(' part { '+' part } ')'   part := string | @variable
// Only constants and variables may be joined here, not other expressions.
ast::StmtPtr Parser::parseExecString(SourcePos pos) {
  auto stmt = std::make_unique<ast::ExecStringStmt>(pos);
  expect(TokenKind::LParen, "'('");
  do {
    const Token& t = peek();
    if (t.kind != TokenKind::String && t.kind != TokenKind::NString &&
        t.kind != TokenKind::Variable)
      fail(t);
    stmt->parts.push_back(parsePrimary());
  } while (accept(TokenKind::Plus));
  expect(TokenKind::RParen, "')'");
  return stmt;
}

// result-sets := WITH RESULT SETS ( UNDEFINED | NONE | '(' set { ',' set } ')' )
// set := '(' name type [ [NOT] NULL ] { ',' ... } ')'
ast::StmtPtr Parser::parseResultSets(ast::StmtPtr exec) {
  if (!at(Keyword::With) || toLower(peek(1).text) != "result" || toLower(peek(2).text) != "sets")
    return exec;
  auto stmt = std::make_unique<ast::ResultSetsStmt>(exec->pos);
  stmt->exec = std::move(exec);
  advance(), advance(), advance();
  if (acceptWord("undefined")) return stmt;
  if (acceptWord("none")) {
    stmt->mode = ast::ResultSetsStmt::Mode::None;
    return stmt;
  }
  stmt->mode = ast::ResultSetsStmt::Mode::Described;
  expect(TokenKind::LParen, "'('");
  do {
    expect(TokenKind::LParen, "'('");
    auto& set = stmt->sets.emplace_back();
    do {
      ast::ResultSetsStmt::Column c;
      c.name = parseName("a column name");
      c.type = parseDataType();
      if (!accept(Keyword::Null) && accept(Keyword::Not)) expect(Keyword::Null);
      set.push_back(std::move(c));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
  return stmt;
}

// goto := GOTO label
ast::StmtPtr Parser::parseGoto() {
  auto stmt = std::make_unique<ast::GotoStmt>(advance().pos);
  if (peek().kind != TokenKind::Identifier || isReservedKeyword(peek().keyword)) fail(peek());
  stmt->written = std::string(advance().text);
  stmt->label = toLower(stmt->written);
  return stmt;
}

// label := identifier ':'
ast::StmtPtr Parser::parseLabel() {
  auto stmt = std::make_unique<ast::LabelStmt>(peek().pos);
  stmt->written = std::string(advance().text);
  stmt->label = toLower(stmt->written);
  expect(TokenKind::Colon, "':'");
  return stmt;
}

// parameter-definitions := [ param { ',' param } ]   (the text sp_executesql declares)
std::vector<ast::ProcParam> Parser::parseParameterDefinitions(std::string_view text) {
  Parser p(text);
  std::vector<ast::ProcParam> params;
  if (!p.at(TokenKind::End)) params = p.parseProcParams();
  if (!p.at(TokenKind::End)) p.fail(p.peek());
  return params;
}

// params := param { ',' param }
std::vector<ast::ProcParam> Parser::parseProcParams() {
  std::vector<ast::ProcParam> params;
  do params.push_back(parseParam(true));
  while (accept(TokenKind::Comma));
  return params;
}

// param := @name [AS] type [ '=' expr ] [ READONLY ] [ OUTPUT | OUT ]; a function's
// parameters are never OUTPUT.
ast::ProcParam Parser::parseParam(bool outputAllowed) {
  ast::ProcParam p;
  p.pos = peek().pos;
  p.name = toLower(expect(TokenKind::Variable, "a parameter").text);
  accept(Keyword::As);
  p.type = parseDataType();
  if (accept(TokenKind::Eq)) p.defaultValue = parseExpr(5);
  acceptWord("readonly");
  if (outputAllowed) p.output = accept(Keyword::Output) || accept(Keyword::Out);
  return p;
}

namespace {

// One scope's labels and GOTOs (a batch, or a procedure's body), each with the TRY
// and CATCH blocks around it, outermost first.
class LabelCheck {
 public:
  void walk(const ast::StmtList& list) {
    for (const auto& s : list) walk(*s);
  }

  void finish() const {
    for (const auto& [go, around] : gotos_) {
      auto it = labels_.find(go->label);
      if (it == labels_.end())
        throw SyntaxError(errors::number(errors::Error::UndeclaredLabel),
                          errors::message(errors::Error::UndeclaredLabel, {go->written}), go->pos);
      // The label's blocks must all be blocks the GOTO is already in.
      const auto& labelAround = it->second;
      bool inside = labelAround.size() <= around.size() &&
                    std::equal(labelAround.begin(), labelAround.end(), around.begin());
      if (!inside)
        throw SyntaxError(errors::number(errors::Error::GotoIntoTry),
                          errors::message(errors::Error::GotoIntoTry), go->pos);
    }
  }

 private:
  using Blocks = std::vector<const ast::StmtList*>;

  void walk(const ast::Stmt& s) {
    using ast::NodeKind;
    switch (s.kind) {
      case NodeKind::Label: {
        const auto& label = ast::nodeCast<ast::LabelStmt>(s);
        if (!labels_.emplace(label.label, around_).second)
          throw SyntaxError(errors::number(errors::Error::LabelRedeclared),
                            errors::message(errors::Error::LabelRedeclared, {label.written}),
                            s.pos);
        break;
      }
      case NodeKind::Goto:
        gotos_.emplace_back(&ast::nodeCast<ast::GotoStmt>(s), around_);
        break;
      case NodeKind::Block:
        walk(ast::nodeCast<ast::BlockStmt>(s).body);
        break;
      case NodeKind::If: {
        const auto& i = ast::nodeCast<ast::IfStmt>(s);
        walk(*i.thenStmt);
        if (i.elseStmt) walk(*i.elseStmt);
        break;
      }
      case NodeKind::While:
        walk(*ast::nodeCast<ast::WhileStmt>(s).body);
        break;
      case NodeKind::TryCatch: {
        const auto& t = ast::nodeCast<ast::TryCatchStmt>(s);
        for (const ast::StmtList* body : {&t.tryBody, &t.catchBody}) {
          around_.push_back(body);
          walk(*body);
          around_.pop_back();
        }
        break;
      }
      case NodeKind::CreateProcedure: {  // a body of its own: its labels are not the batch's
        LabelCheck body;
        body.walk(ast::nodeCast<ast::CreateProcedureStmt>(s).body);
        body.finish();
        break;
      }
      default:
        break;
    }
  }

  std::unordered_map<std::string, Blocks> labels_;
  std::vector<std::pair<const ast::GotoStmt*, Blocks>> gotos_;
  Blocks around_;
};

}  // namespace

void Parser::checkLabels(const ast::StmtList& statements) {
  LabelCheck check;
  check.walk(statements);
  check.finish();
}

}  // namespace tsql
