// MERGE: target, source, the WHEN clauses and OUTPUT. The server checks the shape of
// the clauses while it compiles, so a clause with an action its kind does not take, a
// second action of one kind or a missing semicolon fails the whole batch here, before
// anything runs.
#include "tsql/errors/error_table.h"
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

const char* matchName(ast::MergeMatch m) {
  switch (m) {
    case ast::MergeMatch::Matched: return "WHEN MATCHED";
    case ast::MergeMatch::NotMatchedByTarget: return "WHEN NOT MATCHED";
    case ast::MergeMatch::NotMatchedBySource: return "WHEN NOT MATCHED BY SOURCE";
  }
  return "";
}

const char* actionName(ast::MergeAction a) {
  switch (a) {
    case ast::MergeAction::Update: return "UPDATE";
    case ast::MergeAction::Delete: return "DELETE";
    case ast::MergeAction::Insert: return "INSERT";
  }
  return "";
}

SyntaxError mergeError(errors::Error e, std::initializer_list<std::string_view> args, SourcePos pos) {
  return SyntaxError(errors::number(e), errors::message(e, args), pos);
}

// The rules the server checks while it compiles: WHEN NOT MATCHED only inserts, the
// other two kinds only update or delete; each kind takes each action once (so there is
// one WHEN NOT MATCHED [BY TARGET]); and of two clauses of one kind, the one without a
// condition comes last, since it leaves no row for the other.
void checkClauses(const std::vector<ast::MergeClause>& clauses) {
  for (const auto& c : clauses) {
    bool inserts = c.match == ast::MergeMatch::NotMatchedByTarget;
    if (inserts && c.action != ast::MergeAction::Insert)
      throw mergeError(errors::Error::MergeActionNotInsert, {actionName(c.action)}, c.pos);
    if (!inserts && c.action == ast::MergeAction::Insert)
      throw mergeError(errors::Error::MergeInsertNotAllowed, {matchName(c.match)}, c.pos);
  }
  for (std::size_t i = 0; i < clauses.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (clauses[i].match == clauses[j].match && clauses[i].action == clauses[j].action)
        throw mergeError(errors::Error::MergeActionTwice,
                         {matchName(clauses[i].match), actionName(clauses[i].action)}, clauses[i].pos);
  for (std::size_t i = 0; i < clauses.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (clauses[i].match == clauses[j].match && clauses[i].condition && !clauses[j].condition)
        throw mergeError(errors::Error::MergeUnconditionalFirst, {matchName(clauses[i].match)}, clauses[i].pos);
}

}  // namespace

// merge := MERGE [dml-top] [INTO] object-name [hints] [[AS] alias] USING merge-source
//          ON expr when-clause { when-clause } [ output ] ';'
ast::StmtPtr Parser::parseMerge() {
  auto stmt = std::make_unique<ast::MergeStmt>(advance().pos);
  stmt->top = parseDmlTop();
  accept(Keyword::Into);
  stmt->target = parseObjectName();
  skipTableHints();
  if (accept(Keyword::As)) stmt->alias = parseName("an alias");
  else if (atName() && toLower(peek().text) != "using") stmt->alias = parseName("an alias");
  expectWord("using");
  stmt->source = parseMergeSource();
  expect(Keyword::On);
  stmt->on = parseExpr();
  while (at(Keyword::When)) stmt->clauses.push_back(parseMergeClause());
  if (stmt->clauses.empty()) fail(peek());
  checkClauses(stmt->clauses);
  stmt->output = parseOutputClause();
  if (!at(TokenKind::Semicolon))
    throw SyntaxError(errors::number(errors::Error::MergeUnterminated),
                      errors::message(errors::Error::MergeUnterminated), peek().pos);
  return stmt;
}

// merge-source := '(' VALUES row { ',' row } ')' [AS] alias '(' name { ',' name } ')'
//               | table-source [ '(' name { ',' name } ')' ]   -- columns of a derived table
ast::TableRefPtr Parser::parseMergeSource() {
  SourcePos pos = peek().pos;
  if (at(TokenKind::LParen) && peek(1).keyword == Keyword::Values) return parseValuesSource(pos);
  ast::TableRefPtr source = parseTableSource();
  auto* derived = ast::nodeAs<ast::DerivedTableRef>(source.get());
  if (derived && at(TokenKind::LParen)) {
    std::vector<std::string> names = parseNameList();
    for (auto& core : derived->query->cores) {
      if (core.items.size() != names.size())
        fail(peek(), "The derived table '" + derived->alias + "' names " + std::to_string(names.size()) +
                         " columns for " + std::to_string(core.items.size()) + " values");
      for (std::size_t i = 0; i < names.size(); ++i) core.items[i].alias = names[i];
    }
  }
  return source;
}

// values-source := '(' VALUES '(' expr {',' expr} ')' {',' ...} ')' [AS] alias name-list
// held as the derived table (SELECT v1 AS c1, ... UNION ALL SELECT ...) alias
ast::TableRefPtr Parser::parseValuesSource(SourcePos pos) {
  expect(TokenKind::LParen, "'('");
  expect(Keyword::Values);
  auto query = std::make_unique<ast::Query>();
  do {
    ast::SelectCore core;
    core.pos = peek().pos;
    expect(TokenKind::LParen, "'('");
    do {
      ast::SelectItem item;
      item.pos = peek().pos;
      item.expr = parseExpr();
      core.items.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
    if (!query->cores.empty()) {
      if (core.items.size() != query->cores[0].items.size()) fail(peek(), "The rows of VALUES differ in length");
      query->setOps.push_back(ast::SetOp::UnionAll);
    }
    query->cores.push_back(std::move(core));
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
  auto derived = std::make_unique<ast::DerivedTableRef>(pos);
  accept(Keyword::As);
  derived->alias = parseName("an alias");
  std::vector<std::string> names = parseNameList();
  if (names.size() != query->cores[0].items.size())
    fail(peek(), "The derived table '" + derived->alias + "' names " + std::to_string(names.size()) +
                     " columns for " + std::to_string(query->cores[0].items.size()) + " values");
  for (auto& core : query->cores)
    for (std::size_t i = 0; i < names.size(); ++i) core.items[i].alias = names[i];
  derived->query = std::move(query);
  return derived;
}

// when-clause := WHEN MATCHED [AND expr] THEN ( UPDATE SET ... | DELETE )
//              | WHEN NOT MATCHED [BY TARGET] [AND expr] THEN INSERT ...
//              | WHEN NOT MATCHED BY SOURCE [AND expr] THEN ( UPDATE SET ... | DELETE )
ast::MergeClause Parser::parseMergeClause() {
  ast::MergeClause c;
  c.pos = advance().pos;
  if (accept(Keyword::Not)) {
    c.match = ast::MergeMatch::NotMatchedByTarget;
    expectWord("matched");
    if (accept(Keyword::By)) {
      if (acceptWord("source")) c.match = ast::MergeMatch::NotMatchedBySource;
      else expectWord("target");
    }
  } else {
    expectWord("matched");
  }
  if (accept(Keyword::And)) c.condition = parseExpr();
  expect(Keyword::Then);
  parseMergeAction(c);
  return c;
}

// action := UPDATE SET assignment { ',' assignment } | DELETE
//         | INSERT [ name-list ] ( VALUES '(' expr { ',' expr } ')' | DEFAULT VALUES )
// Any clause takes any action here; checkClauses refuses the ones its kind does not take.
void Parser::parseMergeAction(ast::MergeClause& c) {
  if (accept(Keyword::Update)) {
    c.action = ast::MergeAction::Update;
    expect(Keyword::Set);
    do c.sets.push_back(parseAssignment()); while (accept(TokenKind::Comma));
  } else if (accept(Keyword::Delete)) {
    c.action = ast::MergeAction::Delete;
  } else if (accept(Keyword::Insert)) {
    c.action = ast::MergeAction::Insert;
    if (at(TokenKind::LParen)) c.columns = parseNameList();
    if (accept(Keyword::Default)) {
      expect(Keyword::Values);
      c.defaultValues = true;
      return;
    }
    expect(Keyword::Values);
    expect(TokenKind::LParen, "'('");
    do c.values.push_back(parseExpr()); while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
  } else {
    fail(peek());
  }
}

}  // namespace tsql
