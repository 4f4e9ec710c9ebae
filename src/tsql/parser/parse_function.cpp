// User-defined functions: CREATE / ALTER / CREATE OR ALTER FUNCTION in its three forms
// (scalar, inline table-valued, multi-statement table-valued), and the argument lists
// of their calls, where DEFAULT stands for a parameter's default value.
#include "tsql/parser/parser.h"

namespace tsql {

// function := name '(' [ param { ',' param } ] ')' RETURNS returns
//             [ WITH option { ',' option } ] [ AS ] body
// body := BEGIN statements END                  -- scalar, multi-statement
//       | RETURN ( '(' query ')' | query )      -- inline
ast::StmtPtr Parser::parseCreateFunction(SourcePos pos, bool alter, bool orAlter,
                                         std::size_t startOffset) {
  auto f = std::make_unique<ast::CreateFunctionStmt>(pos);
  f->alter = alter;
  f->orAlter = orAlter;
  f->name = parseObjectName();
  f->params = parseFunctionParams();
  expectWord("returns");
  parseFunctionReturns(*f);
  if (accept(Keyword::With)) parseFunctionOptions(*f);
  accept(Keyword::As);
  if (f->form == ast::CreateFunctionStmt::Form::InlineTable) {
    expect(Keyword::Return);
    if (at(TokenKind::LParen) && peek(1).keyword != Keyword::Select) fail(peek());
    f->query = at(TokenKind::LParen) ? parseParenthesizedQuery()
                                     : std::make_unique<ast::Query>(parseQuery());
  } else {
    if (!at(Keyword::Begin)) fail(peek());
    ast::StmtPtr block = parseStatement();
    if (block->kind != ast::NodeKind::Block) fail(peek());
    f->body = std::move(ast::nodeCast<ast::BlockStmt>(*block).body);
  }
  while (accept(TokenKind::Semicolon)) {
  }
  if (!at(TokenKind::End) && !at(Keyword::Go)) fail(peek());
  const Token& last = tokens_[pos_ > 0 ? pos_ - 1 : 0];
  std::size_t endOffset = static_cast<std::size_t>(last.text.data() - text_.data()) + last.text.size();
  f->text = std::string(text_.substr(startOffset, endOffset - startOffset));
  return f;
}

// options := option { ',' option }
// option := SCHEMABINDING | ENCRYPTION | RETURNS NULL ON NULL INPUT | CALLED ON NULL INPUT
//         | EXEC[UTE] AS name | INLINE '=' ( ON | OFF ) | ...
void Parser::parseFunctionOptions(ast::CreateFunctionStmt& f) {
  do {
    if (acceptWord("returns")) {
      expect(Keyword::Null);
      expect(Keyword::On);
      expect(Keyword::Null);
      expectWord("input");
      f.nullOnNullInput = true;
    } else if (accept(Keyword::Exec) || accept(Keyword::Execute)) {
      expect(Keyword::As);
      advance();  // CALLER, SELF, OWNER or 'user': one identity, the connection's
    } else {
      parseName("a function option");  // SCHEMABINDING, CALLED ON NULL INPUT, INLINE = ON ...
      while (!at(TokenKind::Comma) && !at(Keyword::As) && !at(Keyword::Begin) && !at(Keyword::Return) &&
             !at(TokenKind::End))
        advance();
    }
  } while (accept(TokenKind::Comma));
}

// params := '(' [ param { ',' param } ] ')'
std::vector<ast::ProcParam> Parser::parseFunctionParams() {
  std::vector<ast::ProcParam> params;
  expect(TokenKind::LParen, "'('");
  if (!at(TokenKind::RParen)) {
    do params.push_back(parseParam(false));
    while (accept(TokenKind::Comma));
  }
  expect(TokenKind::RParen, "')'");
  return params;
}

// returns := type | TABLE | @name TABLE '(' table-def ')'
void Parser::parseFunctionReturns(ast::CreateFunctionStmt& f) {
  using Form = ast::CreateFunctionStmt::Form;
  if (at(TokenKind::Variable)) {
    f.form = Form::MultiStatement;
    f.result.pos = peek().pos;
    f.result.name = toLower(advance().text);
    expect(Keyword::Table);
    expect(TokenKind::LParen, "'('");
    f.result.table = std::make_unique<ast::TableDef>(parseTableDef());
    expect(TokenKind::RParen, "')'");
  } else if (accept(Keyword::Table)) {
    f.form = Form::InlineTable;
  } else {
    f.form = Form::Scalar;
    f.returns = parseDataType(30);
  }
}

// user-call-args := '(' [ ( expr | DEFAULT ) { ',' ( expr | DEFAULT ) } ] ')'
void Parser::parseUserCallArgs(std::vector<ast::ExprPtr>& args, std::vector<bool>& defaults) {
  expect(TokenKind::LParen, "'('");
  if (!at(TokenKind::RParen)) {
    do {
      if (at(Keyword::Default)) {
        auto null = std::make_unique<ast::LiteralExpr>(advance().pos);
        null->literalKind = ast::LiteralKind::Null;
        args.push_back(std::move(null));
        defaults.push_back(true);
      } else {
        args.push_back(parseExpr());
        defaults.push_back(false);
      }
    } while (accept(TokenKind::Comma));
  }
  expect(TokenKind::RParen, "')'");
}

// user-table-function := schema '.' name user-call-args [ [AS] alias ]
ast::TableRefPtr Parser::parseUserTableFunction(SourcePos pos, std::string name, std::string written) {
  auto f = std::make_unique<ast::FunctionTableRef>(pos);
  f->name = toLower(name);
  f->written = std::move(written);
  f->user = true;
  parseUserCallArgs(f->args, f->defaults);
  f->alias = parseOptionalAlias();
  return f;
}

}  // namespace tsql
