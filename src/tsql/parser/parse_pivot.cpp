// PIVOT and UNPIVOT after a table source. PIVOT's cells are written here as the
// aggregate of a CASE over the source's rows; the translator, which knows the source's
// columns, adds the grouping by the others.
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

bool isPivotAggregate(const std::string& name) {
  for (const char* a : {"sum", "avg", "count", "count_big", "min", "max", "stdev", "stdevp", "var", "varp"})
    if (name == a) return true;
  return false;
}

std::unique_ptr<ast::ColumnRefExpr> columnNamed(SourcePos pos, const std::string& name) {
  auto c = std::make_unique<ast::ColumnRefExpr>(pos);
  c->parts.push_back(name);
  return c;
}

bool isInteger(const std::string& s) {
  std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (i == s.size() || s.size() - i > 18) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

enum class PivotKey { Text, Integer, TrimmedText };

// agg(CASE WHEN pivot = name THEN value END), the name an integer or an N'' text; the
// trimmed form compares rtrim(pivot), as SQL Server ignores trailing blanks there.
ast::ExprPtr pivotCell(const ast::PivotTableRef& p, const std::string& aggregate, const std::string& name,
                       PivotKey kind) {
  const bool integer = kind == PivotKey::Integer;
  auto lit = std::make_unique<ast::LiteralExpr>(p.pos);
  lit->text = name;
  lit->literalKind = integer ? ast::LiteralKind::Integer : ast::LiteralKind::String;
  lit->national = !integer;
  auto eq = std::make_unique<ast::BinaryExpr>(p.pos);
  eq->op = ast::BinaryOp::Eq;
  eq->lhs = columnNamed(p.pos, p.pivotColumn);
  if (kind == PivotKey::TrimmedText) {
    auto trim = std::make_unique<ast::FunctionCallExpr>(p.pos);
    trim->name = "rtrim";
    trim->args.push_back(std::move(eq->lhs));
    eq->lhs = std::move(trim);
  }
  eq->rhs = std::move(lit);
  auto when = std::make_unique<ast::CaseExpr>(p.pos);
  when->whens.push_back({std::move(eq), columnNamed(p.pos, p.valueColumn)});
  auto call = std::make_unique<ast::FunctionCallExpr>(p.pos);
  call->name = aggregate;
  call->args.push_back(std::move(when));
  return call;
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
  std::string aggregate;
  if (!p->unpivot) {
    const Token& fn = peek();
    aggregate = toLower(parseName("an aggregate"));
    if (!isPivotAggregate(aggregate)) fail(fn);
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
  if (p->unpivot) return p;
  bool integers = true;
  for (const std::string& name : p->names) {
    p->cells.push_back(pivotCell(*p, aggregate, name, PivotKey::Text));
    p->textCells.push_back(pivotCell(*p, aggregate, name, PivotKey::TrimmedText));
    integers = integers && isInteger(name);
  }
  for (const std::string& name : p->names)
    if (integers) p->integerCells.push_back(pivotCell(*p, aggregate, name, PivotKey::Integer));
  return p;
}

}  // namespace tsql
