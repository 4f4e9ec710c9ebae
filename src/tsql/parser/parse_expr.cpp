// Expressions: one precedence table and one precedence-climbing loop for the binary
// operators; predicates (IN, LIKE, BETWEEN, IS NULL) bind at the comparison level;
// NOT binds looser than comparisons and tighter than AND, as in T-SQL.
#include <optional>

#include "core/strings.h"
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

constexpr int kPrecOr = 1;
constexpr int kPrecAnd = 2;
constexpr int kPrecNot = 3;
constexpr int kPrecCompare = 4;
constexpr int kPrecAdd = 5;
constexpr int kPrecUnary = 7;

// @var, @@var or :param: the name in lower case, `skip` leading characters left out.
template <class T>
ast::ExprPtr namedValue(const Token& t, std::size_t skip) {
  auto v = std::make_unique<T>(t.pos);
  v->name = toLower(t.text.substr(skip));
  return v;
}

struct BinaryInfo {
  ast::BinaryOp op;
  int precedence;
};

// The one precedence table.
std::optional<BinaryInfo> binaryInfo(const Token& t) {
  using ast::BinaryOp;
  switch (t.kind) {
    case TokenKind::Star: return BinaryInfo{BinaryOp::Mul, 6};
    case TokenKind::Slash: return BinaryInfo{BinaryOp::Div, 6};
    case TokenKind::Percent: return BinaryInfo{BinaryOp::Mod, 6};
    case TokenKind::Plus: return BinaryInfo{BinaryOp::Add, kPrecAdd};
    case TokenKind::Minus: return BinaryInfo{BinaryOp::Sub, kPrecAdd};
    case TokenKind::Amp: return BinaryInfo{BinaryOp::BitAnd, kPrecAdd};
    case TokenKind::Pipe: return BinaryInfo{BinaryOp::BitOr, kPrecAdd};
    case TokenKind::Caret: return BinaryInfo{BinaryOp::BitXor, kPrecAdd};
    case TokenKind::Eq: return BinaryInfo{BinaryOp::Eq, kPrecCompare};
    case TokenKind::Ne: return BinaryInfo{BinaryOp::Ne, kPrecCompare};
    case TokenKind::Lt: return BinaryInfo{BinaryOp::Lt, kPrecCompare};
    case TokenKind::Le: return BinaryInfo{BinaryOp::Le, kPrecCompare};
    case TokenKind::Gt: return BinaryInfo{BinaryOp::Gt, kPrecCompare};
    case TokenKind::Ge: return BinaryInfo{BinaryOp::Ge, kPrecCompare};
    case TokenKind::Identifier:
      if (t.keyword == Keyword::And) return BinaryInfo{BinaryOp::And, kPrecAnd};
      if (t.keyword == Keyword::Or) return BinaryInfo{BinaryOp::Or, kPrecOr};
      return std::nullopt;
    default: return std::nullopt;
  }
}

bool isPredicateStart(const Token& t, const Token& next) {
  switch (t.keyword) {
    case Keyword::In: case Keyword::Like: case Keyword::Between: case Keyword::Is: return true;
    case Keyword::Not:
      return next.keyword == Keyword::In || next.keyword == Keyword::Like ||
             next.keyword == Keyword::Between;
    default: return false;
  }
}

}  // namespace

bool Parser::atQueryStart() const {
  return at(Keyword::Select) || (at(TokenKind::LParen) && peek(1).keyword == Keyword::Select);
}

// expr := prefix { binary-op expr | predicate }   (climbing by the table above)
ast::ExprPtr Parser::parseExpr(int minPrecedence) {
  DepthGuard guard(*this);
  ast::ExprPtr lhs = parsePrefix();
  for (;;) {
    if (minPrecedence <= kPrecCompare && isPredicateStart(peek(), peek(1))) {
      lhs = parsePredicate(std::move(lhs));
      continue;
    }
    auto info = binaryInfo(peek());
    if (!info || info->precedence < minPrecedence) break;
    const Token& op = advance();
    auto node = std::make_unique<ast::BinaryExpr>(op.pos);
    node->op = info->op;
    node->lhs = std::move(lhs);
    if (info->precedence == kPrecCompare && atQuantifier()) {
      lhs = parseQuantified(std::move(node));
      continue;
    }
    node->rhs = parseExpr(info->precedence + 1);
    lhs = std::move(node);
  }
  return lhs;
}

// prefix := NOT expr | '-' prefix | '+' prefix | '~' prefix | primary
ast::ExprPtr Parser::parsePrefix() {
  const Token& t = peek();
  ast::UnaryOp op;
  int operandPrecedence = kPrecUnary;
  if (t.keyword == Keyword::Not) {
    op = ast::UnaryOp::Not;
    operandPrecedence = kPrecNot;
  } else if (t.kind == TokenKind::Minus) {
    op = ast::UnaryOp::Negate;
  } else if (t.kind == TokenKind::Plus) {
    op = ast::UnaryOp::Plus;
  } else if (t.kind == TokenKind::Tilde) {
    op = ast::UnaryOp::BitNot;
  } else {
    return parseCollate(parsePrimary());
  }
  advance();
  auto node = std::make_unique<ast::UnaryExpr>(t.pos);
  node->op = op;
  node->operand = parseExpr(operandPrecedence);
  return node;
}

// collate := primary { COLLATE name } -- kept as collate(expr, 'name')
ast::ExprPtr Parser::parseCollate(ast::ExprPtr e) {
  while (at(TokenKind::Identifier) && toLower(peek().text) == "collate") {
    auto call = std::make_unique<ast::FunctionCallExpr>(advance().pos);
    call->name = "collate";
    auto name = std::make_unique<ast::LiteralExpr>(peek().pos);
    name->literalKind = ast::LiteralKind::String;
    name->text = parseName("a collation name");
    call->args.push_back(std::move(e));
    call->args.push_back(std::move(name));
    e = std::move(call);
  }
  return e;
}

// predicate := [NOT] IN '(' (query | expr {',' expr}) ')' | [NOT] LIKE expr [ESCAPE expr]
//            | [NOT] BETWEEN expr AND expr | IS [NOT] NULL
ast::ExprPtr Parser::parsePredicate(ast::ExprPtr lhs) {
  SourcePos pos = peek().pos;
  bool negated = accept(Keyword::Not);
  if (accept(Keyword::Is)) {
    auto node = std::make_unique<ast::IsNullExpr>(pos);
    node->negated = accept(Keyword::Not);
    expect(Keyword::Null);
    node->operand = std::move(lhs);
    return node;
  }
  if (accept(Keyword::In)) {
    auto node = std::make_unique<ast::InExpr>(pos);
    node->operand = std::move(lhs);
    node->negated = negated;
    if (peek().kind == TokenKind::LParen && peek(1).keyword == Keyword::Select) {
      node->subquery = parseParenthesizedQuery();
      return node;
    }
    expect(TokenKind::LParen, "'('");
    do node->list.push_back(parseExpr()); while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
    return node;
  }
  if (accept(Keyword::Like)) {
    auto node = std::make_unique<ast::LikeExpr>(pos);
    node->operand = std::move(lhs);
    node->negated = negated;
    node->pattern = parseExpr(kPrecAdd);
    if (accept(Keyword::Escape)) node->escape = parseExpr(kPrecAdd);
    return node;
  }
  expect(Keyword::Between);
  auto node = std::make_unique<ast::BetweenExpr>(pos);
  node->operand = std::move(lhs);
  node->negated = negated;
  node->low = parseExpr(kPrecAdd);
  expect(Keyword::And);
  node->high = parseExpr(kPrecAdd);
  return node;
}

// After a comparison: (ALL | ANY | SOME) '(' query ')'.
bool Parser::atQuantifier() const {
  if (peek(1).kind != TokenKind::LParen || peek(2).keyword != Keyword::Select) return false;
  if (at(Keyword::All)) return true;
  std::string word = toLower(peek().text);
  return peek().kind == TokenKind::Identifier && (word == "any" || word == "some");
}

// quantified := lhs op (ALL | ANY | SOME) '(' query ')'; the comparison's right side
// names the subquery's value, which the translator makes the column tsql_v_ of tsql_q_.
ast::ExprPtr Parser::parseQuantified(std::unique_ptr<ast::BinaryExpr> compare) {
  auto node = std::make_unique<ast::QuantifiedExpr>(compare->pos);
  node->all = accept(Keyword::All);
  if (!node->all) advance();
  auto value = std::make_unique<ast::ColumnRefExpr>(peek().pos);
  value->parts = {"tsql_q_", "tsql_v_"};
  compare->rhs = std::move(value);
  node->compare = std::move(compare);
  node->subquery = parseParenthesizedQuery();
  return node;
}

// subquery := '(' query ')'
std::unique_ptr<ast::Query> Parser::parseParenthesizedQuery() {
  expect(TokenKind::LParen, "'('");
  auto q = std::make_unique<ast::Query>(parseQuery());
  expect(TokenKind::RParen, "')'");
  return q;
}

// primary := literal | @var | @@var | :param | '(' (query | expr) ')' | CASE ...
//          | CAST ... | CONVERT ... | EXISTS subquery | name-or-call
ast::ExprPtr Parser::parsePrimary() {
  const Token& t = peek();
  switch (t.kind) {
    case TokenKind::Integer:
    case TokenKind::Number:
    case TokenKind::String:
    case TokenKind::Binary:
    case TokenKind::NString: return parseLiteral();
    case TokenKind::Variable: return namedValue<ast::VariableExpr>(advance(), 0);
    case TokenKind::SystemVariable: return namedValue<ast::SystemVariableExpr>(advance(), 0);
    case TokenKind::HostParameter: return namedValue<ast::HostParameterExpr>(advance(), 1);  // past the ':'
    case TokenKind::LParen: return parseParenthesized();
    default: break;
  }
  switch (t.keyword) {
    case Keyword::Null: return parseLiteral();
    case Keyword::Case: return parseCase();
    case Keyword::Cast: return parseCast(false);
    case Keyword::Convert: return parseCast(true);
    case Keyword::Exists: {
      auto e = std::make_unique<ast::ExistsExpr>(advance().pos);
      e->subquery = parseParenthesizedQuery();
      return e;
    }
    case Keyword::Left:
    case Keyword::Right:
      if (peek(1).kind == TokenKind::LParen) return parseNameOrCall();
      fail(t);
    default: break;
  }
  if (t.kind == TokenKind::Identifier && toLower(t.text) == "next" &&
      peek(1).kind == TokenKind::Identifier && toLower(peek(1).text) == "value")
    return parseNextValueFor();
  if (t.kind == TokenKind::Identifier && peek(1).kind == TokenKind::LParen) {
    std::string name = toLower(t.text);
    if (name == "try_cast" || name == "try_convert") return parseCast(name == "try_convert", true);
  }
  if (t.kind == TokenKind::QuotedIdentifier ||
      (t.kind == TokenKind::Identifier && !isReservedKeyword(t.keyword)))
    return parseNameOrCall();
  fail(t);
}

// '(' query ')' is a scalar subquery; '(' expr ')' the expression itself.
ast::ExprPtr Parser::parseParenthesized() {
  if (peek(1).keyword == Keyword::Select) {
    auto sub = std::make_unique<ast::SubqueryExpr>(peek().pos);
    sub->query = parseParenthesizedQuery();
    return sub;
  }
  advance();
  auto e = parseExpr();
  expect(TokenKind::RParen, "')'");
  return e;
}

// A money constant ($12.50) is the number cast to money, which is what it means.
ast::ExprPtr Parser::parseLiteral() {
  std::size_t index = pos_;
  const Token& t = advance();
  auto lit = std::make_unique<ast::LiteralExpr>(t.pos);
  if (!t.text.empty() && t.text[0] == '$') {  // kept in the batch's shape, not lifted as a value
    lit->literalKind = t.kind == TokenKind::Integer ? ast::LiteralKind::Integer : ast::LiteralKind::Number;
    lit->text = t.text.substr(1);
    auto cast = std::make_unique<ast::CastExpr>(t.pos);
    cast->operand = std::move(lit);
    cast->type = ast::typeFromName("money");
    return cast;
  }
  if (t.kind == TokenKind::Binary) {  // kept in the batch's shape, not lifted as a value
    lit->literalKind = ast::LiteralKind::String;
    lit->binary = true;
    std::string_view digits = t.text.substr(2);
    lit->text = (digits.size() % 2 ? "0x0" : "0x") + core::upperCase(digits);  // 0x123 is 0x0123
    return lit;
  }
  if (t.kind != TokenKind::Identifier) literals_.push_back({index, lit.get()});  // not NULL
  switch (t.kind) {
    case TokenKind::Integer: lit->literalKind = ast::LiteralKind::Integer; lit->text = t.text; break;
    case TokenKind::Number: lit->literalKind = ast::LiteralKind::Number; lit->text = t.text; break;
    case TokenKind::String:
    case TokenKind::NString:
      lit->literalKind = ast::LiteralKind::String;
      lit->national = t.kind == TokenKind::NString;
      lit->text = unquoteString(t);
      break;
    default: lit->literalKind = ast::LiteralKind::Null; break;
  }
  return lit;
}

// name-or-call := name { '.' name } [ '(' args ')' ]   -- schema.name(...) a user function
ast::ExprPtr Parser::parseNameOrCall() {
  SourcePos pos = peek().pos;
  const bool bare = peek().text.front() != '[' && peek().text.front() != '"';
  std::vector<std::string> parts;
  parts.push_back(unquoteIdentifier(advance()));
  // CURRENT_TIMESTAMP is GETDATE() written as a keyword; [current_timestamp] is a name
  if (bare && parts.size() == 1 && !at(TokenKind::Dot) && !at(TokenKind::LParen) &&
      toLower(parts[0]) == "current_timestamp") {
    auto call = std::make_unique<ast::FunctionCallExpr>(pos);
    call->name = "getdate";
    return call;
  }
  while (at(TokenKind::Dot)) {
    advance();
    if (at(TokenKind::Star)) {  // t.* is handled by the select list; back up
      --pos_;
      break;
    }
    parts.push_back(parseName("a column name"));
  }
  if (at(TokenKind::LParen) && parts.size() >= 2) {  // schema.function(...): user-defined
    auto call = std::make_unique<ast::FunctionCallExpr>(pos);
    call->name = toLower(parts.back());
    call->schema = toLower(parts[parts.size() - 2]);
    parseUserCallArgs(call->args, call->defaults);
    return call;
  }
  if (at(TokenKind::LParen)) return parseFunctionArgs(pos, toLower(parts.back()));
  auto col = std::make_unique<ast::ColumnRefExpr>(pos);
  col->parts = std::move(parts);
  return col;
}

// call-args := '(' [ DISTINCT ] [ '*' | expr { ',' expr } ] ')'
//            | '(' characters FROM string ')'   -- TRIM only: trim(string, characters)
ast::ExprPtr Parser::parseFunctionArgs(SourcePos pos, std::string name) {
  auto call = std::make_unique<ast::FunctionCallExpr>(pos);
  call->name = std::move(name);
  expect(TokenKind::LParen, "'('");
  if (accept(TokenKind::Star)) {
    call->star = true;
  } else if (!at(TokenKind::RParen)) {
    call->distinct = accept(Keyword::Distinct);
    if (!call->distinct) accept(Keyword::All);
    do call->args.push_back(parseExpr()); while (accept(TokenKind::Comma));
    if (call->name == "trim" && call->args.size() == 1 && accept(Keyword::From))
      call->args.insert(call->args.begin(), parseExpr());
  }
  expect(TokenKind::RParen, "')'");
  parseWindowClauses(*call);
  return call;
}

// cast := [TRY_]CAST '(' expr AS type ')' | [TRY_]CONVERT '(' type ',' expr [ ',' expr ] ')'
ast::ExprPtr Parser::parseCast(bool isConvert, bool tolerant) {
  auto node = std::make_unique<ast::CastExpr>(advance().pos);
  node->tolerant = tolerant;
  expect(TokenKind::LParen, "'('");
  if (isConvert) {
    node->type = parseDataType(30);
    expect(TokenKind::Comma, "','");
    node->operand = parseExpr();
    if (accept(TokenKind::Comma)) node->style = parseExpr();
  } else {
    node->operand = parseExpr();
    expect(Keyword::As);
    node->type = parseDataType(30);
  }
  expect(TokenKind::RParen, "')'");
  return node;
}

// case := CASE [expr] WHEN expr THEN expr { WHEN ... } [ ELSE expr ] END
ast::ExprPtr Parser::parseCase() {
  auto node = std::make_unique<ast::CaseExpr>(advance().pos);
  if (!at(Keyword::When)) node->operand = parseExpr();
  while (accept(Keyword::When)) {
    ast::WhenClause w;
    w.when = parseExpr();
    expect(Keyword::Then);
    w.then = parseExpr();
    node->whens.push_back(std::move(w));
  }
  if (node->whens.empty()) fail(peek());
  if (accept(Keyword::Else)) node->elseExpr = parseExpr();
  expect(Keyword::End);
  return node;
}

ast::ExprPtr Parser::parseExpression(std::string_view text) {
  Parser p(text);
  ast::ExprPtr e = p.parseExpr();
  if (!p.at(TokenKind::End)) p.fail(p.peek());
  return e;
}

}  // namespace tsql
