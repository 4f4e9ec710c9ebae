// CROSS APPLY and OUTER APPLY over a derived table, whose query may read the columns
// of the rows to its left.
//  - The server has LATERAL: CROSS JOIN LATERAL (query) / LEFT JOIN LATERAL (query) ON true.
//  - SQLite has none, but a subquery inside a scalar subquery may read the outer row.
//    A query that gives at most one row (TOP (1), aggregates without GROUP BY, a
//    SELECT without FROM) is read column by column: each column of the applied table
//    is written where it is read as (SELECT col FROM (query)), and CROSS APPLY keeps
//    the left row only where EXISTS (SELECT 1 FROM (query)).
//  - VALUES rows (or SELECTs without FROM under UNION ALL) are numbered rows, each
//    column a CASE over the number; a query that reads the left side in its WHERE
//    and select list becomes a join (translate_apply_join.cpp); other one-core queries
//    run once per distinct set of the left columns they read, joined on those
//    (translate_apply_left_values.cpp). Any other query is joined as it stands,
//    without sight of the left side, so a query that reads it is refused by the
//    database's own "invalid column" rather than answered wrongly.
#include <algorithm>
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

// True when an expression holds an aggregate of its own query.
bool aggregates(const ast::Expr* e) {
  return exprReads(e, [](const ast::ColumnRefExpr&) { return 0u; }) & kReadsAggregate;
}

// VALUES rows: SELECTs of values alone under UNION ALL.
bool onlyValues(const ast::Query& q) {
  if (q.cores.size() < 2 || !q.orderBy.empty() || q.offset || q.forJson) return false;
  for (std::size_t i = 0; i < q.cores.size(); ++i) {
    const ast::SelectCore& c = q.cores[i];
    if (!c.from.empty() || c.where || c.distinct || c.top || !c.groupBy.empty() || c.having || !c.into.empty())
      return false;
    if (i && q.setOps[i - 1] != ast::SetOp::UnionAll) return false;
    for (const auto& item : c.items)
      if (item.star) return false;
  }
  return true;
}

// True when the query cannot give more than one row.
bool atMostOneRow(const ast::Query& q) {
  if (q.cores.size() != 1 || q.offset) return false;
  const ast::SelectCore& c = q.cores[0];
  if (c.groupingSets.size() > 0 || !c.groupBy.empty()) return false;
  if (c.from.empty()) return true;
  const auto* top = ast::nodeAs<ast::LiteralExpr>(c.top.get());
  if (top && !c.topPercent && !c.topWithTies && top->literalKind == ast::LiteralKind::Integer && top->text == "1")
    return true;
  // aggregates without GROUP BY: one row (none under a false HAVING)
  bool aggregate = c.having != nullptr;
  for (const auto& item : c.items) {
    if (item.star) return false;
    aggregate = aggregate || aggregates(item.expr.get());
  }
  return aggregate;
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
  const std::size_t leftAt = out_.size(), leftSources = scope.sources.size();
  emitTableRef(*j.left, scope);
  if (!lateral && !atMostOneRow(*d.query)) {
    if (emitValuesApply(d, scope) || emitApplyJoin(d, cross, scope) ||
        emitLeftValuesApply(d, cross, out_.substr(leftAt), leftSources, scope))
      return;
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

// Every row gives one row whatever the left row holds, so CROSS and OUTER APPLY both
// are a CROSS JOIN with the numbers. A column's numbers of different types keep their
// values under the type every row fits in, as the rows of a UNION do; a cell of
// another kind is converted to the column's type.
bool SqlTranslator::emitValuesApply(const ast::DerivedTableRef& d, Scope& scope) {
  const ast::Query& q = *d.query;
  if (!onlyValues(q)) return false;
  Scope* saved = std::exchange(scope_, &scope);  // the values read the rows to their left
  std::vector<Output> outputs = queryOutputs(q);
  // A cell of another kind than its column (text among numbers, numbers among dates) is
  // converted to the column's type as a UNION's row is: 'x' among ints fails with 245.
  const std::vector<ast::DataType> mixed = mixedArmTypes(q);
  for (std::size_t i = 0; i < mixed.size() && i < outputs.size(); ++i) outputs[i].type = mixed[i];
  std::vector<const ast::Expr*> converted;
  for (const auto& core : q.cores) {
    for (std::size_t i = 0; i < core.items.size() && i < outputs.size(); ++i) {
      const ast::Expr& cell = *core.items[i].expr;
      const ast::DataType type = typeOf(cell);
      if (isNullLiteral(cell) || type.kind == outputs[i].type.kind) continue;
      if (type.isNumeric() && outputs[i].type.isNumeric() && !type.binary) continue;
      converted.push_back(&cell);
    }
  }
  const std::string alias = quoteIdent(d.alias);
  out_ += " CROSS JOIN (SELECT 1 AS \"n\"";
  for (std::size_t k = 2; k <= q.cores.size(); ++k) out_ += " UNION ALL SELECT " + std::to_string(k);
  out_ += ") AS " + alias;
  Source src = derivedSource(d.alias, outputs);
  src.inner = std::make_shared<Scope>();
  qualifyColumns_ = true;  // the columns are written where they are read
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    std::string head = std::exchange(out_, "(CASE " + alias + ".\"n\"");
    for (std::size_t k = 0; k < q.cores.size(); ++k) {
      out_ += " WHEN " + std::to_string(k + 1) + " THEN ";
      const ast::Expr& cell = *q.cores[k].items[i].expr;
      if (std::find(converted.begin(), converted.end(), &cell) != converted.end()) emitColumnStore(cell, outputs[i].type);
      else emit(cell);
    }
    out_ += outputs[i].type.isText() ? std::string(" END COLLATE ") + runtime::kCollation + ")" : " END)";
    src.inner->sqlItems.push_back(std::exchange(out_, std::move(head)));
  }
  scope_ = saved;
  scope.sources.push_back(std::move(src));
  return true;
}

}  // namespace tsql::translate
