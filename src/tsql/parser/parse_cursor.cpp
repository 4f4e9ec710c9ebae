// Cursor statements: DECLARE name CURSOR (both the T-SQL and the ISO form), OPEN,
// FETCH, CLOSE and DEALLOCATE.
#include "tsql/parser/parser.h"

namespace tsql {

// declare-cursor := name [INSENSITIVE] [SCROLL] CURSOR options FOR query
//                   [FOR READ ONLY | FOR UPDATE [OF name {, name}]]
//                 | @var '=' CURSOR options FOR query ...   (SET @var = CURSOR ...)
// A cursor variable's cursor is a local one named after the variable.
ast::StmtPtr Parser::parseDeclareCursor(SourcePos pos) {
  auto c = std::make_unique<ast::DeclareCursorStmt>(pos);
  bool variable = at(TokenKind::Variable);
  if (variable) {
    c->name = toLower(advance().text);
    expect(TokenKind::Eq, "'='");
  } else {
    c->name = toLower(parseName("a cursor name"));
    if (acceptWord("insensitive")) c->type = ast::CursorType::Static;
    if (acceptWord("scroll")) c->scroll = true;
  }
  expect(Keyword::Cursor);
  parseCursorOptions(*c);
  if (variable) c->local = true;
  expectWord("for");
  if (!at(Keyword::Select) && !at(Keyword::With) && !at(TokenKind::LParen)) fail(peek());
  c->query = parseQuery();
  if (peek().kind == TokenKind::Identifier && toLower(peek().text) == "for") {
    advance();
    if (accept(Keyword::Update)) {
      if (acceptWord("of")) {
        do parseName("a column name");
        while (accept(TokenKind::Comma));
      }
    } else {
      expectWord("read");
      expectWord("only");
      c->readOnly = true;
    }
  }
  return c;
}

// options := { LOCAL | GLOBAL | FORWARD_ONLY | SCROLL | STATIC | KEYSET | DYNAMIC |
//              FAST_FORWARD | READ_ONLY | SCROLL_LOCKS | OPTIMISTIC | TYPE_WARNING }
// STATIC, KEYSET and DYNAMIC scroll unless FORWARD_ONLY is written.
void Parser::parseCursorOptions(ast::DeclareCursorStmt& c) {
  bool forwardOnly = false;
  bool typed = false;
  for (;;) {
    if (acceptWord("local"))
      c.local = true;
    else if (acceptWord("global"))
      c.local = false;
    else if (acceptWord("forward_only"))
      forwardOnly = true;
    else if (acceptWord("scroll"))
      c.scroll = true;
    else if (acceptWord("static"))
      c.type = ast::CursorType::Static, typed = true;
    else if (acceptWord("keyset"))
      c.type = ast::CursorType::Keyset, typed = true;
    else if (acceptWord("dynamic"))
      c.type = ast::CursorType::Dynamic, typed = true;
    else if (acceptWord("fast_forward"))
      c.type = ast::CursorType::FastForward, c.readOnly = true;
    else if (acceptWord("read_only"))
      c.readOnly = true;
    else if (!acceptWord("scroll_locks") && !acceptWord("optimistic") &&
             !acceptWord("type_warning"))
      break;
  }
  if (c.type == ast::CursorType::FastForward && (c.scroll || forwardOnly))
    fail(peek(), "Conflicting cursor options FAST_FORWARD and " +
                     std::string(c.scroll ? "SCROLL" : "FORWARD_ONLY") + ".");
  if (c.scroll && forwardOnly) fail(peek(), "Conflicting cursor options SCROLL and FORWARD_ONLY.");
  if (typed && !forwardOnly) c.scroll = true;
  c.typeWritten = typed || c.type == ast::CursorType::FastForward;
}

// cursor-statement := (OPEN | CLOSE | DEALLOCATE) [GLOBAL] (name | @var)
//   | FETCH [[NEXT | PRIOR | FIRST | LAST | (ABSOLUTE | RELATIVE) expr] FROM] [GLOBAL] name
//     [INTO @var {, @var}]
ast::StmtPtr Parser::parseCursorStatement() {
  const Token& verb = advance();
  auto c = std::make_unique<ast::CursorStmt>(verb.pos);
  using Op = ast::CursorStmt::Op;
  using Dir = ast::CursorStmt::Direction;
  c->op = verb.keyword == Keyword::Open         ? Op::Open
          : verb.keyword == Keyword::Close      ? Op::Close
          : verb.keyword == Keyword::Deallocate ? Op::Deallocate
                                                : Op::Fetch;
  if (c->op == Op::Fetch) {
    bool direction = true;
    if (acceptWord("next"))
      c->direction = Dir::Next;
    else if (acceptWord("prior"))
      c->direction = Dir::Prior;
    else if (acceptWord("first"))
      c->direction = Dir::First;
    else if (acceptWord("last"))
      c->direction = Dir::Last;
    else if (acceptWord("absolute"))
      c->direction = Dir::Absolute, c->offset = parseExpr();
    else if (acceptWord("relative"))
      c->direction = Dir::Relative, c->offset = parseExpr();
    else
      direction = false;
    if (direction)
      expect(Keyword::From);
    else
      accept(Keyword::From);
  }
  c->global = acceptCursorGlobal();
  c->name = parseCursorName();
  if (c->op == Op::Fetch && accept(Keyword::Into)) {
    do c->into.push_back(toLower(expect(TokenKind::Variable, "a variable name").text));
    while (accept(TokenKind::Comma));
  }
  return c;
}

// GLOBAL is a word: a cursor may itself be named global.
bool Parser::acceptCursorGlobal() {
  if (peek().kind != TokenKind::Identifier || toLower(peek().text) != "global" ||
      peek(1).keyword != Keyword::None ||
      (peek(1).kind != TokenKind::Identifier && peek(1).kind != TokenKind::QuotedIdentifier))
    return false;
  advance();
  return true;
}

// A cursor's name or a cursor variable, lower-case.
std::string Parser::parseCursorName() {
  return at(TokenKind::Variable) ? toLower(advance().text) : toLower(parseName("a cursor name"));
}

}  // namespace tsql
