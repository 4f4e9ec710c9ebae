// Row keys for a derived table that is a join, on the right of a LEFT JOIN. SQLite
// materialises such a table (it cannot join it in flat) and, guessing a handful of rows
// from its WHERE, scans every materialised row for each row on the left: the shipment
// form's lines joined with the bill's own audited lines read 1,000 x 1,000 rows.
// Grouped by the row keys of all its tables the derived table holds the same rows
// (no two rows share those keys: a row without a match on an outer-joined side has a
// NULL key there, once) but SQLite expects many, and builds an automatic index on the
// column the outer ON compares instead.
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

bool isAggregateName(const std::string& name) {
  for (const char* a : {"count", "count_big", "sum", "avg", "min", "max", "stdev", "stdevp", "var",
                        "varp", "string_agg", "checksum_agg", "grouping", "grouping_id"})
    if (name == a) return true;
  return false;
}

// True when grouping one row per group leaves `e`'s value as it was: no aggregate and no
// window of this query in it. A subquery's aggregates are its own.
bool rowWise(const ast::Expr* e) {
  using ast::NodeKind;
  if (e == nullptr) return true;
  switch (e->kind) {
    case NodeKind::Literal:
    case NodeKind::ColumnRef:
    case NodeKind::Variable:
    case NodeKind::SystemVariable:
    case NodeKind::HostParameter:
    case NodeKind::Subquery:
    case NodeKind::Exists:
      return true;
    case NodeKind::Unary:
      return rowWise(ast::nodeCast<ast::UnaryExpr>(*e).operand.get());
    case NodeKind::IsNull:
      return rowWise(ast::nodeCast<ast::IsNullExpr>(*e).operand.get());
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return rowWise(b.lhs.get()) && rowWise(b.rhs.get());
    }
    case NodeKind::Cast: {
      const auto& c = ast::nodeCast<ast::CastExpr>(*e);
      return rowWise(c.operand.get()) && rowWise(c.style.get());
    }
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(*e);
      for (const auto& w : c.whens)
        if (!rowWise(w.when.get()) || !rowWise(w.then.get())) return false;
      return rowWise(c.operand.get()) && rowWise(c.elseExpr.get());
    }
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(*e);
      if (f.over || isAggregateName(f.name)) return false;
      for (const auto& a : f.args)
        if (!rowWise(a.get())) return false;
      return true;
    }
    default:
      return false;
  }
}

bool leafTables(const ast::TableRef& t, std::vector<const ast::NamedTableRef*>& out) {
  if (const auto* n = ast::nodeAs<ast::NamedTableRef>(&t)) {
    out.push_back(n);
    return true;
  }
  const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t);
  return j != nullptr && leafTables(*j->left, out) && leafTables(*j->right, out);
}

// " GROUP BY <every table's row key>", or "" where the derived table is no plain join
// of tables, each with a primary key.
std::string SqlTranslator::derivedRowKeys(const ast::DerivedTableRef& d) {
  if (!env_.dialect().groupsJoinedDerivedTables) return "";
  const ast::Query& q = *d.query;
  if (q.cores.size() != 1 || !q.orderBy.empty() || q.offset || q.fetch) return "";
  const ast::SelectCore& c = q.cores[0];
  if (c.distinct || c.top || !c.groupBy.empty() || c.having) return "";
  for (const auto& item : c.items)
    if (!item.star && !rowWise(item.expr.get())) return "";
  std::vector<const ast::NamedTableRef*> tables;
  for (const auto& from : c.from)
    if (!leafTables(*from, tables)) return "";
  if (tables.size() < 2) return "";  // a single table is joined in flat already
  const std::string rowKey = env_.dialect().rowKey;
  std::string keys;
  for (const ast::NamedTableRef* t : tables) {
    if (findCte(*t)) return "";
    const std::string sqlName = tableSqlName(t->name);
    const auto* columns = env_.columns(sqlName);
    if (columns == nullptr) return "";
    std::string name = !t->alias.empty() ? t->alias : t->isVariable() ? t->name : sqlName;
    bool keyed = t->isVariable();  // a view has no primary key, and no row keys either
    for (const auto& col : *columns) {
      if (toLower(col.name) == rowKey) return "";  // the name would mean the column
      keyed = keyed || col.primaryKey;
    }
    if (!keyed) return "";
    keys += (keys.empty() ? " GROUP BY " : ", ") + quoteIdent(name) + "." + rowKey;
  }
  return keys;
}

}  // namespace tsql::translate
