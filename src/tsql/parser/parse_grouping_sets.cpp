// GROUP BY with ROLLUP, CUBE and GROUPING SETS. Every grouping column goes into
// SelectCore::groupBy once per mention; the grouping sets are lists of its indexes.
// Elements separated by commas combine as a cross product (GROUP BY a, ROLLUP(b) groups
// by (a, b) and by (a)); a plain GROUP BY keeps no sets at all. The older GROUP BY a, b
// WITH ROLLUP / WITH CUBE is ROLLUP(a, b) / CUBE(a, b).
#include "tsql/parser/parser.h"

namespace tsql {

namespace {

using Sets = std::vector<std::vector<std::size_t>>;

constexpr std::size_t kMaxGroupingSets = 4096;  // as many as the server takes

// Every set of `left` joined with every set of `right`.
Sets crossProduct(const Sets& left, const Sets& right) {
  Sets out;
  if (left.size() * right.size() > kMaxGroupingSets) return out;  // the caller refuses an empty result
  for (const auto& l : left) {
    for (const auto& r : right) {
      out.push_back(l);
      out.back().insert(out.back().end(), r.begin(), r.end());
    }
  }
  return out;
}

// ROLLUP(a, b, c): (a, b, c), (a, b), (a), ().
Sets rollup(const std::vector<std::size_t>& items) {
  Sets out;
  for (std::size_t n = items.size() + 1; n-- > 0;) out.emplace_back(items.begin(), items.begin() + n);
  return out;
}

// CUBE(a, b): every subset, the full one first and () last; none past the limit.
Sets cube(const std::vector<std::size_t>& items) {
  Sets out;
  if (items.size() > 12) return out;  // 2^13 sets
  std::size_t all = (std::size_t{1} << items.size()) - 1;
  for (std::size_t mask = all + 1; mask-- > 0;) {
    std::vector<std::size_t> set;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (mask & (std::size_t{1} << (items.size() - 1 - i))) set.push_back(items[i]);
    out.push_back(std::move(set));
  }
  return out;
}

}  // namespace

// group-by := grouping-element { ',' grouping-element }
void Parser::parseGroupBy(ast::SelectCore& core) {
  Sets sets{{}};
  bool expanded = false;
  do {
    bool plain = !(peek(1).kind == TokenKind::LParen &&
                   (toLower(peek().text) == "rollup" || toLower(peek().text) == "cube")) &&
                 !(toLower(peek().text) == "grouping" && toLower(peek(1).text) == "sets");
    expanded = expanded || !plain;
    const Token& start = peek();
    sets = crossProduct(sets, parseGroupingElement(core, false));
    if (sets.empty()) fail(start, "Too many grouping sets. The maximum number is 4096.");
  } while (accept(TokenKind::Comma));
  // GROUP BY a, b WITH ROLLUP | WITH CUBE
  if (!expanded && at(Keyword::With) && peek(2).kind != TokenKind::LParen) {
    std::string word = toLower(peek(1).text);
    if (word == "rollup" || word == "cube") {
      advance();
      advance();
      std::vector<std::size_t> all(core.groupBy.size());
      for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
      sets = word == "rollup" ? rollup(all) : cube(all);
      if (sets.empty()) fail(peek(), "Too many grouping sets. The maximum number is 4096.");
      expanded = true;
    }
  }
  if (expanded) core.groupingSets = std::move(sets);
}

// grouping-element := ROLLUP '(' expr-list ')' | CUBE '(' expr-list ')'
//                   | GROUPING SETS '(' set-element { ',' set-element } ')' | expr
// set-element (inside GROUPING SETS) := grouping-element | '(' [expr-list] ')'
std::vector<std::vector<std::size_t>> Parser::parseGroupingElement(ast::SelectCore& core, bool inSets) {
  if (peek(1).kind == TokenKind::LParen && acceptWord("rollup")) return rollup(parseGroupingList(core));
  if (peek(1).kind == TokenKind::LParen && acceptWord("cube")) return cube(parseGroupingList(core));
  if (toLower(peek().text) == "grouping" && toLower(peek(1).text) == "sets") {
    advance();
    advance();
    expect(TokenKind::LParen, "'('");
    Sets out;
    do {
      const Token& start = peek();
      Sets element = parseGroupingElement(core, true);
      out.insert(out.end(), element.begin(), element.end());
      if (element.empty() || out.size() > kMaxGroupingSets) fail(start, "Too many grouping sets. The maximum number is 4096.");
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
    return out;
  }
  if (inSets && at(TokenKind::LParen)) return {parseGroupingList(core)};
  core.groupBy.push_back(parseExpr());
  return {{core.groupBy.size() - 1}};
}

// '(' [expr { ',' expr }] ')': the indexes of the expressions added to GROUP BY.
std::vector<std::size_t> Parser::parseGroupingList(ast::SelectCore& core) {
  expect(TokenKind::LParen, "'('");
  std::vector<std::size_t> items;
  if (!at(TokenKind::RParen)) {
    do {
      core.groupBy.push_back(parseExpr());
      items.push_back(core.groupBy.size() - 1);
    } while (accept(TokenKind::Comma));
  }
  expect(TokenKind::RParen, "')'");
  return items;
}

}  // namespace tsql
