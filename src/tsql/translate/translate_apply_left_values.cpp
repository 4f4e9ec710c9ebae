// CROSS / OUTER APPLY without LATERAL, for the queries no plain join reads (TOP or
// GROUP BY under any correlation, the left side in HAVING, in aggregates, in
// subqueries, mixed with the query's own columns where rows are grouped or made
// distinct): the query runs once per distinct set of the left columns it reads.
//  - "tsql_l_" is those columns' distinct values over the left side, written again;
//    it is a table of the query's FROM, and the query reads the left columns there.
//  - The query gives them as hidden columns, groups by them after its own GROUP BY,
//    partitions its windows by them, and TOP n or an OFFSET / FETCH page is a
//    numbering of each set's rows.
//  - The left side joins the query on each column being the hidden one (NULL meets
//    NULL), INNER for CROSS APPLY and LEFT for OUTER APPLY, so every left row, a
//    duplicate too, gets its set's rows.
//  - A compound query (UNION, EXCEPT, INTERSECT) runs each arm over the same values,
//    each giving the same hidden columns, so the compound compares each set's rows
//    only with that set's; an arm without FROM reads the values table as its FROM.
// Text is made distinct and met byte for byte, so the query reads 'ab' and 'AB' as
// each left row holds it; inside the query the columns keep their collation.
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

std::string valueName(std::size_t n) { return "tsql_l" + std::to_string(n) + "_"; }

bool innerJoinsOnly(const ast::TableRef& t) {
  const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t);
  if (j == nullptr) return true;
  if (j->type != ast::JoinType::Inner && j->type != ast::JoinType::Cross) return false;
  return innerJoinsOnly(*j->left) && innerJoinsOnly(*j->right);
}

bool joinsRight(const ast::TableRef& t) {
  const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t);
  if (j == nullptr) return false;
  if (j->type == ast::JoinType::Right || j->type == ast::JoinType::Full) return true;
  return joinsRight(*j->left) || joinsRight(*j->right);
}

void replaceAll(std::string& s, std::string_view mark, const std::string& with) {
  for (std::size_t at = s.find(mark); at != std::string::npos; at = s.find(mark, at + with.size()))
    s.replace(at, mark.size(), with);
}

}  // namespace

// One core's part: its WHERE written inside, and no aggregate that gives a row for no
// input (that row would be one per left row, not per set). An arm of a compound may
// have no FROM: the values table is its FROM.
bool SqlTranslator::planLeftValuesCore(const ast::SelectCore& c, bool arm, ApplyJoin& plan) {
  if ((c.from.empty() && !arm) || !c.groupingSets.empty() || !c.into.empty()) return false;
  for (const auto& t : c.from) {
    plan.joinsRight = plan.joinsRight || joinsRight(*t);
    plan.innerJoinsOnly = plan.innerJoinsOnly && innerJoinsOnly(*t);
  }
  bool aggregate = !c.groupBy.empty() || c.having;
  for (const auto& item : c.items)
    aggregate = aggregate || (!item.star && (exprReads(item.expr.get(), [](const ast::ColumnRefExpr&) { return 0u; }) &
                                             kReadsAggregate));
  if (aggregate && c.groupBy.empty()) return false;  // one row even for no input: not per set
  plan.core = &c;
  plan.leftValues = true;
  splitConjuncts(c.where.get(), plan.kept);
  plan.outside.assign(c.items.size(), {});
  plan.outsideTypes.assign(c.items.size(), {});
  return true;
}

bool SqlTranslator::planLeftValuesApply(const ast::Query& q, std::vector<ApplyJoin>& plans) {
  if (q.forJson) return false;
  plans.resize(q.cores.size());
  if (q.cores.size() > 1) {
    // UNION, EXCEPT and INTERSECT compare the hidden columns too: each set's rows alone
    if (!q.orderBy.empty() || q.offset) return false;
    for (std::size_t i = 0; i < q.cores.size(); ++i)
      if (q.cores[i].top || !planLeftValuesCore(q.cores[i], true, plans[i])) return false;
    return true;
  }
  ApplyJoin& plan = plans[0];
  const ast::SelectCore& c = q.cores[0];
  if (q.offset && c.top) throw TranslateError(errors::Error::TopWithOffset);
  const bool numbered = c.top || q.offset;  // a numbering of each set's rows in ORDER BY's order
  if ((!q.orderBy.empty() && !numbered) || !planLeftValuesCore(c, false, plan)) return false;
  if (numbered && (c.distinct || (c.topWithTies && q.orderBy.empty()))) return false;  // numbered before DISTINCT
  if (numbered) {
    for (const auto& o : q.orderBy) {
      const ast::Expr* key = topOrderKey(c, *o.expr);
      if (key == nullptr) return false;
      plan.order.emplace_back(key, o.descending);
    }
    plan.rank = c.topWithTies ? "RANK()" : "ROW_NUMBER()";
    plan.percent = c.topPercent;
    // OFFSET and FETCH read no column: the same page for every left row
    auto noColumns = [](const ast::Expr* e) { return !exprReads(e, [](const ast::ColumnRefExpr&) { return 1u; }); };
    if (q.offset && !(noColumns(q.offset.get()) && noColumns(q.fetch.get()))) return false;
    if (q.offset) plan.paged = &q;
  }
  return true;
}

// The values table comes last, joined CROSS, which SQLite reads as "loop over it
// innermost": the query's own tables drive the join and an equality with a left column
// looks the value up in an index SQLite builds on the values, where the values first
// would scan the query's tables once per value. An ON of the query's own joins that
// reads a left column needs the values before it: then they come first, unless a
// RIGHT or FULL join follows, which would keep its unmatched rows once with NULL
// values rather than once per set: such a query is refused.
void SqlTranslator::addApplyValuesTable(ApplyJoin& plan) {
  if (out_.find("\"tsql_l_\".") == std::string::npos) {
    out_ += " CROSS JOIN ";
    out_ += ApplyJoin::kValuesTable;
  } else if (plan.joinsRight) {
    plan.refused = true;
  } else {
    out_.insert(sizeof(" FROM ") - 1, std::string(ApplyJoin::kValuesTable) + ", ");
  }
}

bool SqlTranslator::emitLeftValuesApply(const ast::DerivedTableRef& d, bool cross, const std::string& leftSql,
                                        std::size_t firstLeft, Scope& scope) {
  const ast::Query& q = *d.query;
  std::vector<ApplyJoin> plans;
  if (!planLeftValuesApply(q, plans)) return false;
  const ApplyJoin& plan = plans[0];
  // The query sees the left side's columns as the values table's.
  Scope values;
  values.outer = scope.outer;
  std::vector<std::pair<const ast::Expr*, bool>> leftColumns;  // per value column: the left column, text
  for (std::size_t i = firstLeft; i < scope.sources.size(); ++i) {
    const Source& src = scope.sources[i];
    Source mapped;
    mapped.alias = src.alias;
    mapped.columns = src.columns;
    mapped.inner = std::make_shared<Scope>();
    for (const auto& col : src.columns) {
      mapped.inner->sqlItems.push_back("\"tsql_l_\"." + quoteIdent(valueName(leftColumns.size())));
      leftColumns.emplace_back(&madeColumn(d.pos, src.alias, col.name), col.type.isText());
    }
    values.sources.push_back(std::move(mapped));
  }
  if (leftColumns.empty()) return false;

  std::string head = std::exchange(out_, {});
  Scope* saved = std::exchange(scope_, &values);
  qualifyColumns_ = true;  // a left column is the values table's; the left side's as the ON reads it
  std::vector<Output> outputs;
  {
    EnclosingFlagsAside aside(*this);
    if (plans.size() == 1) {
      applyJoin_ = &plans[0];
      outputs = emitCore(q.cores[0], nullptr);
    } else {
      applyArms_ = &plans;  // each arm over the same values, typed as the compound types them
      outputs = emitQuery(q, nullptr);
    }
  }
  scope_ = saved;
  std::string rows = std::exchange(out_, std::move(head));
  for (const ApplyJoin& arm : plans)
    if (arm.refused) return false;

  // The left columns the query read. Where it reads none, the values table is one row
  // of a constant, and the query's rows meet every left row.
  std::vector<std::size_t> read;
  for (std::size_t n = 0; n < leftColumns.size(); ++n)
    if (rows.find(quoteIdent(valueName(n))) != std::string::npos) read.push_back(n);
  if (read.empty() && plans.size() > 1) return false;  // a compound of its own rows joins as it stands
  const std::string alias = quoteIdent(d.alias);
  std::string table = "(SELECT ", groups, hidden, keys, on;
  if (read.empty()) {
    table += "1 AS \"tsql_l_one_\"";
    keys = "\"tsql_l_\".\"tsql_l_one_\"";
    on = "1 = 1";
  }
  for (std::size_t i = 0; i < read.size(); ++i) {
    const std::size_t n = read[i];
    const char* exact = leftColumns[n].second ? " COLLATE BINARY" : "";
    const std::string name = quoteIdent(valueName(n));
    std::string left = std::exchange(out_, {});
    scope_ = &scope;
    emit(*leftColumns[n].first);
    scope_ = saved;
    std::swap(left, out_);
    const std::string sep = i ? ", " : "";
    table += sep + left + " AS " + name;
    groups += sep + "(" + left + ")" + exact;
    keys += sep + "\"tsql_l_\"." + name + exact;
    hidden += ", \"tsql_l_\"." + name + exact + " AS " + name;
    on += (i ? " AND (" : "(") + left + ")" + exact + " IS " + alias + "." + name + exact;
  }
  table += read.empty() ? ") AS \"tsql_l_\"" : " FROM " + leftSql + " GROUP BY " + groups + ") AS \"tsql_l_\"";
  replaceMatches(rows, read, leftColumns);
  replaceAll(rows, ApplyJoin::kValuesTable, table);
  replaceAll(rows, ApplyJoin::kValuesColumns, hidden);
  replaceAll(rows, ApplyJoin::kValuesKeys, keys);

  out_ += (cross ? " INNER JOIN (" : " LEFT JOIN (") + rows + ") AS " + alias + " ON " + on;
  if (plan.paged) emitApplyPageFilter(q, alias, scope);
  else if (plan.rank) emitApplyRankFilter(q.cores[0], alias, plan.percent, scope);
  // The hidden columns stay out of `*`: each column is read by its name.
  Source src = derivedSource(d.alias, outputs);
  src.inner = std::make_shared<Scope>();
  for (const Output& o : outputs) src.inner->sqlItems.push_back(alias + "." + quoteIdent(o.name));
  scope.sources.push_back(std::move(src));
  return true;
}

// Under a core over left values, a derived table of its FROM that reads the left side
// runs over the same values, gives them as hidden columns, and the core keeps its rows
// of the core's own set (NULL meets NULL). Inner joins only: the match is a filter of
// the WHERE, as is its TOP or OFFSET numbering of each set's rows.
bool SqlTranslator::emitLeftValuesDerived(const ast::DerivedTableRef& d, ApplyJoin& outer, Scope& scope) {
  if (!outer.innerJoinsOnly || scope.outer == nullptr) return false;
  std::vector<ApplyJoin> plans;
  if (!planLeftValuesApply(*d.query, plans)) return false;
  std::string head = std::exchange(out_, {});
  Scope* saved = std::exchange(scope_, scope.outer);
  applyArms_ = &plans;
  std::vector<Output> outputs = emitQuery(*d.query, nullptr);
  scope_ = saved;
  std::string rows = std::exchange(out_, std::move(head));
  for (const ApplyJoin& arm : plans)
    if (arm.refused) return false;
  std::string numbered;  // TOP (left.n) reads the core's values, which it is matched with
  if (plans[0].rank) {
    head = std::exchange(out_, {});
    if (plans[0].paged) emitApplyPageFilter(*d.query, quoteIdent(d.alias), *scope.outer);
    else emitApplyRankFilter(d.query->cores[0], quoteIdent(d.alias), plans[0].percent, *scope.outer);
    numbered = std::exchange(out_, std::move(head));
  }
  out_ += "(" + rows + ") AS " + quoteIdent(d.alias);
  scope.sources.push_back(derivedSource(d.alias, outputs));
  outer.matched.emplace_back(d.alias, numbered);
  return true;
}

// Each derived table's match: its hidden columns are the core's values.
void SqlTranslator::replaceMatches(std::string& rows, const std::vector<std::size_t>& read,
                                   const std::vector<std::pair<const ast::Expr*, bool>>& leftColumns) {
  const std::string mark = ApplyJoin::kValuesMatch;
  for (std::size_t at = rows.find(mark); at != std::string::npos; at = rows.find(mark, at)) {
    const std::size_t end = rows.find('\x01', at + mark.size());
    const std::string alias = quoteIdent(rows.substr(at + mark.size(), end - at - mark.size()));
    std::string match = read.empty() ? "1 = 1" : "";
    for (std::size_t i = 0; i < read.size(); ++i) {
      const char* exact = leftColumns[read[i]].second ? " COLLATE BINARY" : "";
      const std::string name = quoteIdent(valueName(read[i]));
      match += (i ? " AND " : "") + alias + "." + name + exact + " IS \"tsql_l_\"." + name + exact;
    }
    rows.replace(at, end + 1 - at, "(" + match + ")");
  }
}

// Rows numbered past the offset, and no further than offset + fetch. Both are read
// once per left row, as TOP (n) is.
void SqlTranslator::emitApplyPageFilter(const ast::Query& q, const std::string& alias, Scope& left) {
  Scope* saved = std::exchange(scope_, &left);
  out_ += " AND " + alias + ".\"tsql_rank_\" > (";
  emit(*q.offset);
  out_ += ")";
  if (q.fetch) {
    out_ += " AND " + alias + ".\"tsql_rank_\" <= (";
    emit(*q.offset);
    out_ += ") + (";
    emit(*q.fetch);
    out_ += ")";
  }
  scope_ = saved;
}

}  // namespace tsql::translate
