// CROSS APPLY and OUTER APPLY over a derived table, whose query may read the columns
// of the rows to its left.
//  - The server has LATERAL: CROSS JOIN LATERAL (query) / LEFT JOIN LATERAL (query) ON true.
//  - SQLite has none, but a subquery inside a scalar subquery may read the outer row.
//    A query that gives at most one row (TOP (1), or aggregates without GROUP BY) is
//    read column by column: each column of the applied table is written where it is
//    read as (SELECT col FROM (query)), and CROSS APPLY keeps the left row only where
//    EXISTS (SELECT 1 FROM (query)). Any other query is joined as it stands, without
//    sight of the left side, so a query that reads it is refused by the database's own
//    "invalid column" rather than answered wrongly.
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

bool isAggregateCall(const ast::Expr* e) {
  const auto* f = ast::nodeAs<ast::FunctionCallExpr>(e);
  if (!f || f->over) return false;
  for (const char* a : {"count", "count_big", "sum", "avg", "min", "max", "stdev", "stdevp", "var", "varp",
                        "string_agg"})
    if (f->name == a) return true;
  return false;
}

// True when the query cannot give more than one row.
bool atMostOneRow(const ast::Query& q) {
  if (q.cores.size() != 1 || q.offset) return false;
  const ast::SelectCore& c = q.cores[0];
  if (c.groupingSets.size() > 0 || !c.groupBy.empty()) return false;
  const auto* top = ast::nodeAs<ast::LiteralExpr>(c.top.get());
  if (top && !c.topPercent && !c.topWithTies && top->literalKind == ast::LiteralKind::Integer && top->text == "1")
    return true;
  for (const auto& item : c.items)
    if (item.star || !isAggregateCall(item.expr.get())) return false;
  return !c.items.empty();
}

}  // namespace

bool SqlTranslator::appliesDerivedTable(const ast::JoinedTableRef& j) {
  return (j.type == ast::JoinType::CrossApply || j.type == ast::JoinType::OuterApply) &&
         j.right->kind == ast::NodeKind::DerivedTable;
}

void SqlTranslator::emitApply(const ast::JoinedTableRef& j, Scope& scope) {
  const auto& d = ast::nodeCast<ast::DerivedTableRef>(*j.right);
  const bool cross = j.type == ast::JoinType::CrossApply;
  const bool lateral = env_.dialect().lateralJoins;
  emitTableRef(*j.left, scope);
  if (!lateral && !atMostOneRow(*d.query)) {
    out_ += cross ? " CROSS JOIN " : " LEFT JOIN ";
    emitTableRef(d, scope);
    if (!cross) out_ += " ON 1 = 1";
    return;
  }
  std::string head = std::exchange(out_, {});
  Scope* saved = std::exchange(scope_, &scope);  // the query sees the rows to its left
  std::vector<Output> outputs = emitQuery(*d.query, nullptr);
  scope_ = saved;
  std::string rows = std::exchange(out_, std::move(head));
  const std::string alias = quoteIdent(d.alias);
  if (lateral) {
    out_ += (cross ? " CROSS JOIN LATERAL (" : " LEFT JOIN LATERAL (") + rows + ") AS " + alias;
    if (!cross) out_ += " ON true";
    scope.sources.push_back(derivedSource(d.alias, outputs));
    return;
  }
  const std::string from = " FROM (" + rows + ") AS \"tsql_apply_\")";
  out_ += (cross ? " INNER JOIN (SELECT 1) AS " : " LEFT JOIN (SELECT 1) AS ") + alias;
  out_ += cross ? " ON EXISTS (SELECT 1" + from : std::string(" ON 1 = 1");
  Source src = derivedSource(d.alias, outputs);
  src.inner = std::make_shared<Scope>();
  for (const Output& o : outputs) src.inner->sqlItems.push_back("(SELECT " + quoteIdent(o.name) + from);
  qualifyColumns_ = true;  // the columns are written where they are read
  scope.sources.push_back(std::move(src));
}

}  // namespace tsql::translate
