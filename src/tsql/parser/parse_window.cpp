// Window functions: OVER ( [PARTITION BY ...] [ORDER BY ...] [ROWS | RANGE frame] ) after
// a call, and the ORDER BY lists the windows and queries share. None of these words is
// reserved, so they are read by their text.
#include "tsql/parser/parser.h"

namespace tsql {

// order-items := expr [ASC | DESC] { ',' expr [ASC | DESC] }
std::vector<ast::OrderItem> Parser::parseOrderItems() {
  std::vector<ast::OrderItem> items;
  do {
    ast::OrderItem item;
    item.expr = parseExpr();
    if (accept(Keyword::Desc))
      item.descending = true;
    else
      accept(Keyword::Asc);
    items.push_back(std::move(item));
  } while (accept(TokenKind::Comma));
  return items;
}

// After a call's ')': [WITHIN GROUP '(' ORDER BY items ')'] [OVER '(' window ')']
void Parser::parseWindowClauses(ast::FunctionCallExpr& call) {
  if (peek(1).is(Keyword::Group) && acceptWord("within")) {
    expect(Keyword::Group);
    expect(TokenKind::LParen, "'('");
    expect(Keyword::Order);
    expect(Keyword::By);
    call.withinGroup = parseOrderItems();
    expect(TokenKind::RParen, "')'");
  }
  if (peek(1).kind != TokenKind::LParen || !acceptWord("over")) return;
  advance();
  auto w = std::make_unique<ast::WindowSpec>();
  if (acceptWord("partition")) {
    expect(Keyword::By);
    do w->partitionBy.push_back(parseExpr());
    while (accept(TokenKind::Comma));
  }
  if (accept(Keyword::Order)) {
    expect(Keyword::By);
    w->orderBy = parseOrderItems();
  }
  parseWindowFrame(*w);
  expect(TokenKind::RParen, "')'");
  call.over = std::move(w);
}

// frame := (ROWS | RANGE) ( bound | BETWEEN bound AND bound ); a lone bound is the
// frame's start, its end the current row.
void Parser::parseWindowFrame(ast::WindowSpec& w) {
  if (acceptWord("rows"))
    w.rows = true;
  else if (!acceptWord("range"))
    return;
  w.hasFrame = true;
  if (!accept(Keyword::Between)) {
    w.start = parseFrameBound();
    return;
  }
  w.start = parseFrameBound();
  expect(Keyword::And);
  w.end = parseFrameBound();
}

// bound := UNBOUNDED (PRECEDING | FOLLOWING) | CURRENT ROW | n (PRECEDING | FOLLOWING)
ast::FrameBound Parser::parseFrameBound() {
  ast::FrameBound b;
  if (acceptWord("current")) {
    expectWord("row");
    return b;
  }
  bool unbounded = acceptWord("unbounded");
  if (!unbounded) b.offset = parsePrimary();
  if (acceptWord("preceding")) {
    b.kind = unbounded ? ast::FrameBoundKind::UnboundedPreceding : ast::FrameBoundKind::Preceding;
  } else {
    expectWord("following");
    b.kind = unbounded ? ast::FrameBoundKind::UnboundedFollowing : ast::FrameBoundKind::Following;
  }
  return b;
}

}  // namespace tsql
