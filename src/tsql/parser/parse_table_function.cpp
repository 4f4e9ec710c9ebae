// The table-valued functions a FROM list or an APPLY reads: OPENJSON with its default
// columns or a WITH clause, and STRING_SPLIT. The columns a query sees are written
// here as expressions over the runtime function's own columns, so the translator
// treats them like any other computed source.
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

std::unique_ptr<ast::ColumnRefExpr> columnNamed(SourcePos pos, std::string name) {
  auto c = std::make_unique<ast::ColumnRefExpr>(pos);
  c->parts.push_back(std::move(name));
  return c;
}

}  // namespace

bool Parser::atTableFunction() const {
  if (peek(1).kind != TokenKind::LParen || peek().kind != TokenKind::Identifier) return false;
  std::string name = toLower(peek().text);
  return name == "openjson" || name == "string_split";
}

// table-function := OPENJSON '(' expr [',' expr] ')' [WITH '(' json-column {',' json-column} ')']
// [[AS] alias]
//                 | STRING_SPLIT '(' expr ',' expr [',' integer] ')' [[AS] alias]
ast::TableRefPtr Parser::parseTableFunction() {
  auto f = std::make_unique<ast::FunctionTableRef>(peek().pos);
  f->name = toLower(advance().text);
  const bool json = f->name == "openjson";
  expect(TokenKind::LParen, "'('");
  do f->args.push_back(parseExpr());
  while (accept(TokenKind::Comma));
  const std::size_t most = json ? 2 : 3, least = json ? 1 : 2;
  if (f->args.size() < least || f->args.size() > most)
    fail(peek(), "Wrong number of arguments to " + f->name);
  expect(TokenKind::RParen, "')'");
  f->functionColumns = json ? std::vector<std::string>{"key", "value", "type"}
                            : std::vector<std::string>{"value", "ordinal"};
  if (json && at(Keyword::With) && peek(1).kind == TokenKind::LParen) {
    parseOpenJsonWith(*f);
  } else {
    bool ordinal = false;  // STRING_SPLIT's third argument must be the constant 0 or 1
    if (f->args.size() == 3) {
      const auto* lit = ast::nodeAs<ast::LiteralExpr>(f->args[2].get());
      if (!lit || lit->literalKind != ast::LiteralKind::Integer ||
          (lit->text != "0" && lit->text != "1"))
        fail(peek(), "The third argument of STRING_SPLIT must be the constant 0 or 1");
      ordinal = lit->text == "1";
      f->args.pop_back();
    }
    for (const std::string& c : f->functionColumns) {
      if (c == "ordinal" && !ordinal) continue;
      f->columns.push_back(c);
      f->values.push_back(columnNamed(f->pos, c));
    }
  }
  f->alias = parseOptionalAlias();
  return f;
}

// json-column := name type ['path'] [AS JSON]
// A column without a path reads the member of its own name; AS JSON takes an object or
// array as written (JSON_QUERY), any other column a scalar (JSON_VALUE).
void Parser::parseOpenJsonWith(ast::FunctionTableRef& f) {
  advance();
  advance();
  f.withSchema = true;
  do {
    SourcePos pos = peek().pos;
    std::string name = parseName("a column name");
    ast::DataType type = parseDataType();
    ast::ExprPtr path;
    if (at(TokenKind::String) || at(TokenKind::NString)) {
      path = parseLiteral();
    } else {
      auto lit = std::make_unique<ast::LiteralExpr>(pos);
      lit->literalKind = ast::LiteralKind::String;
      lit->text =
          "$." + (name.find_first_of(" .[]\"") == std::string::npos ? name : "\"" + name + "\"");
      path = std::move(lit);
    }
    const bool asJson = at(Keyword::As) && toLower(peek(1).text) == "json";
    if (asJson) {
      advance();
      advance();
    }
    auto read = std::make_unique<ast::FunctionCallExpr>(pos);
    read->name = asJson ? "json_query" : "json_value";
    read->args.push_back(columnNamed(pos, "value"));
    read->args.push_back(std::move(path));
    auto cast = std::make_unique<ast::CastExpr>(pos);
    cast->operand = std::move(read);
    cast->type = type;
    f.columns.push_back(name);
    f.values.push_back(std::move(cast));
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
}

}  // namespace tsql
