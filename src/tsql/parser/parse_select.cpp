// Queries: SELECT cores joined by UNION / INTERSECT / EXCEPT, select lists with aliases
// and variable assignment, FROM lists with comma joins and JOIN trees, GROUP BY,
// ORDER BY, TOP.
#include "tsql/parser/parser.h"

namespace tsql {

// query := core { ( UNION [ALL] | INTERSECT | EXCEPT ) core }
//          [ ORDER BY expr [ASC|DESC] { ',' ... } ]
ast::Query Parser::parseQuery() {
  DepthGuard guard(*this);
  ast::Query q;
  q.cores.push_back(parseSelectCore());
  for (;;) {
    if (accept(Keyword::Union)) {
      q.setOps.push_back(accept(Keyword::All) ? ast::SetOp::UnionAll : ast::SetOp::Union);
    } else if (accept(Keyword::Intersect)) {
      q.setOps.push_back(ast::SetOp::Intersect);
    } else if (accept(Keyword::Except)) {
      q.setOps.push_back(ast::SetOp::Except);
    } else {
      break;
    }
    q.cores.push_back(parseSelectCore());
  }
  if (accept(Keyword::Order)) {
    expect(Keyword::By);
    q.orderBy = parseOrderItems();
    parseOffsetFetch(q);
  }
  parseForJson(q);
  return q;
}

// offset := OFFSET expr ROW[S] [ FETCH (NEXT | FIRST) expr ROW[S] ONLY ]
// (read by their text: FETCH is a keyword only where it starts a statement)
void Parser::parseOffsetFetch(ast::Query& q) {
  if (!acceptWord("offset")) return;
  q.offset = parseExpr();
  if (!acceptWord("rows")) expectWord("row");
  if (!acceptWord("fetch")) return;
  if (!acceptWord("next")) expectWord("first");
  q.fetch = parseExpr();
  if (!acceptWord("rows")) expectWord("row");
  expectWord("only");
}

// core := SELECT [ALL|DISTINCT] [TOP ( expr ) | TOP integer [PERCENT] [WITH TIES]] select-items
//         [FROM from-list] [WHERE expr] [GROUP BY group-by] [HAVING expr]
ast::SelectCore Parser::parseSelectCore() {
  ast::SelectCore core;
  core.pos = expect(Keyword::Select).pos;
  if (accept(Keyword::Distinct)) core.distinct = true;
  else accept(Keyword::All);
  if (accept(Keyword::Top)) {
    if (accept(TokenKind::LParen)) {
      core.top = parseExpr();
      expect(TokenKind::RParen, "')'");
    } else {
      core.top = parseLiteral();
    }
    core.topPercent = accept(Keyword::Percent);
    if (accept(Keyword::With)) {
      expectWord("ties");
      core.topWithTies = true;
    }
  }
  parseSelectItems(core);
  if (accept(Keyword::Into)) core.into = parseObjectName();
  if (accept(Keyword::From)) core.from = parseFromList();
  if (accept(Keyword::Where)) core.where = parseExpr();
  if (accept(Keyword::Group)) {
    expect(Keyword::By);
    parseGroupBy(core);
  }
  if (accept(Keyword::Having)) core.having = parseExpr();
  return core;
}

// select-items := select-item { ',' select-item }
void Parser::parseSelectItems(ast::SelectCore& core) {
  do core.items.push_back(parseSelectItem()); while (accept(TokenKind::Comma));
}

// select-item := '*' | name '.' '*' | @var '=' expr | alias '=' expr
//              | expr [ [AS] alias ]
ast::SelectItem Parser::parseSelectItem() {
  ast::SelectItem item;
  item.pos = peek().pos;
  if (accept(TokenKind::Star)) {
    item.star = true;
    return item;
  }
  if ((atName() || at(TokenKind::String)) && peek(1).kind == TokenKind::Dot &&
      peek(2).kind == TokenKind::Star) {
    item.star = true;
    item.starQualifier = unquoteIdentifier(advance());
    advance();
    advance();
    return item;
  }
  if (at(TokenKind::Variable) && peek(1).kind == TokenKind::Eq) {
    item.assignTo = toLower(advance().text);
    advance();
    item.expr = parseExpr();
    return item;
  }
  if ((atName() || at(TokenKind::String)) && peek(1).kind == TokenKind::Eq) {
    const Token& a = advance();
    item.alias = a.kind == TokenKind::String ? unquoteString(a) : unquoteIdentifier(a);
    advance();
    item.expr = parseExpr();
    return item;
  }
  item.expr = parseExpr();
  item.alias = parseOptionalAlias();
  return item;
}

// alias := [AS] ( name | 'string' )   -- OPTION ( starts the statement's query hints
std::string Parser::parseOptionalAlias() {
  bool as = accept(Keyword::As);
  if (at(TokenKind::String)) return unquoteString(advance());
  if (!as && peek(1).kind == TokenKind::LParen && toLower(peek().text) == "option") return {};
  if (!as && atPivot()) return {};  // PIVOT and UNPIVOT are reserved
  if (!as && toLower(peek().text) == "for" &&
      (toLower(peek(1).text) == "json" || peek(1).keyword == Keyword::Update ||
       toLower(peek(1).text) == "read"))
    return {};  // FOR JSON, and a cursor's FOR UPDATE / FOR READ ONLY
  if (atName()) return unquoteIdentifier(advance());
  if (as) fail(peek());
  return {};
}

// from-list := table-source { ',' table-source }
std::vector<ast::TableRefPtr> Parser::parseFromList() {
  std::vector<ast::TableRefPtr> list;
  do list.push_back(parseTableSource()); while (accept(TokenKind::Comma));
  return list;
}

// table-source := table-primary { join-type JOIN table-primary [ON expr] | pivoted }
//                 | table-primary { (CROSS | OUTER) APPLY table-primary }
// join-type := [INNER] | LEFT [OUTER] | RIGHT [OUTER] | FULL [OUTER] | CROSS
ast::TableRefPtr Parser::parseTableSource() {
  ast::TableRefPtr left = parseTablePrimary();
  for (;;) {
    SourcePos pos = peek().pos;
    ast::JoinType type;
    if (atPivot()) {
      left = parsePivot(std::move(left));
      continue;
    }
    if ((at(Keyword::Cross) || at(Keyword::Outer)) && toLower(peek(1).text) == "apply") {
      type = advance().keyword == Keyword::Cross ? ast::JoinType::CrossApply : ast::JoinType::OuterApply;
      advance();
    } else if (accept(Keyword::Join)) {
      type = ast::JoinType::Inner;
    } else if (at(Keyword::Inner) || at(Keyword::Left) || at(Keyword::Right) ||
               at(Keyword::Full) || at(Keyword::Cross)) {
      Keyword k = advance().keyword;
      type = k == Keyword::Inner  ? ast::JoinType::Inner
             : k == Keyword::Left  ? ast::JoinType::Left
             : k == Keyword::Right ? ast::JoinType::Right
             : k == Keyword::Full  ? ast::JoinType::Full
                                   : ast::JoinType::Cross;
      accept(Keyword::Outer);
      expect(Keyword::Join);
    } else {
      return left;
    }
    auto join = std::make_unique<ast::JoinedTableRef>(pos);
    join->type = type;
    join->left = std::move(left);
    join->right = parseTablePrimary();
    if (type != ast::JoinType::Cross && type != ast::JoinType::CrossApply && type != ast::JoinType::OuterApply) {
      expect(Keyword::On);
      join->on = parseExpr();
    }
    left = std::move(join);
  }
}

// table-primary := object-name [ [AS] alias ] [ WITH '(' hints ')' ]
//                | object-name '(' args ')' [ [AS] alias ]   -- a table-valued function
//                | '(' query ')' [AS] alias | '(' table-source ')'
//                | '(' VALUES row { ',' row } ')' [AS] alias '(' name { ',' name } ')'
ast::TableRefPtr Parser::parseTablePrimary() {
  DepthGuard guard(*this);
  SourcePos pos = peek().pos;
  if (at(TokenKind::LParen)) {
    if (peek(1).keyword == Keyword::Values) return parseValuesSource(pos);
    if (peek(1).keyword == Keyword::Select) {
      auto derived = std::make_unique<ast::DerivedTableRef>(pos);
      derived->query = parseParenthesizedQuery();
      derived->alias = parseOptionalAlias();
      if (derived->alias.empty()) fail(peek(), "A derived table needs an alias");
      return derived;
    }
    advance();
    ast::TableRefPtr inner = parseTableSource();
    expect(TokenKind::RParen, "')'");
    return inner;
  }
  if (atTableFunction()) return parseTableFunction();
  auto table = std::make_unique<ast::NamedTableRef>(pos);
  std::size_t nameStart = pos_;
  table->name = parseObjectName();
  if (at(TokenKind::LParen) && !atTableHint(peek(1))) {
    std::string written;
    for (std::size_t i = nameStart; i < pos_; ++i)
      written += tokens_[i].kind == TokenKind::Dot ? "." : unquoteIdentifier(tokens_[i]);
    return parseUserTableFunction(pos, table->name, written);
  }
  table->alias = parseOptionalAlias();
  skipTableHints();
  return table;
}

// `t (NOLOCK)`: a hint in parentheses without WITH, not a function's argument list.
bool Parser::atTableHint(const Token& t) const {
  static constexpr std::string_view kHints[] = {"nolock", "readuncommitted", "updlock", "holdlock",
                                                "rowlock", "tablock", "tablockx", "paglock",
                                                "xlock", "readpast", "readcommitted", "serializable"};
  if (t.kind != TokenKind::Identifier) return false;
  std::string word = toLower(t.text);
  for (std::string_view h : kHints)
    if (word == h) return true;
  return false;
}

// hints := WITH '(' name { ',' name } ')'   -- locking hints mean nothing here
void Parser::skipTableHints() {
  if (!(at(Keyword::With) && peek(1).kind == TokenKind::LParen)) return;
  advance();
  advance();
  while (!at(TokenKind::RParen) && !at(TokenKind::End)) advance();
  expect(TokenKind::RParen, "')'");
}

}  // namespace tsql
