// CROSS / OUTER APPLY over a query that reads the left side in its WHERE, where the
// database has no LATERAL: the query is written once as a derived table that does not
// read the left side, joined INNER (CROSS APPLY) or LEFT (OUTER APPLY) on the WHERE's
// conjuncts that do. Those conjuncts read the inner columns they need through hidden
// columns of the derived table ("tsql_key<n>_").
//  - A plain filter joins as it stands.
//  - TOP n per left row numbers the rows of each value of the equalities' inner sides
//    (ROW_NUMBER, or RANK for WITH TIES) and the join keeps those numbered n or less
//    (TOP n PERCENT: n percent of the rows of that value, counted alike).
//  - GROUP BY groups by those inner sides as well, so each group is one left row's,
//    and a window function partitions by them first, so it sees one left row's rows.
//  - A select item that reads the left side is a column of the join: written outside,
//    over the left row and the hidden columns, with NULL in its place inside.
// Every row of a partition or group has the same key, and the ON compares one of them:
// the join meets exactly the left rows the query would have read them for. Anything
// else (other correlations under TOP or GROUP BY, a subquery, the left side in HAVING
// or in an aggregate, an item mixing both sides where rows are grouped or made
// distinct) is left to the caller, which reads it over the left side's distinct values.
#include <algorithm>
#include <cassert>
#include <charconv>
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

SqlTranslator::EnclosingFlagsAside::EnclosingFlagsAside(SqlTranslator& translator)
    : t(translator),
      swap(std::exchange(t.swapRightJoins_, false)),
      trim(std::exchange(t.trimSetOutputs_, false)),
      collate(std::exchange(t.collateSetOutputs_, false)),
      windows(std::exchange(t.windowsAllowed_, false)) {}

SqlTranslator::EnclosingFlagsAside::~EnclosingFlagsAside() {
  t.swapRightJoins_ = swap;
  t.trimSetOutputs_ = trim;
  t.collateSetOutputs_ = collate;
  t.windowsAllowed_ = windows;
}

namespace {

// The classes of column exprReads tells apart.
constexpr unsigned kInner = 1;  // a column of the applied query's own sources
constexpr unsigned kLeft = 2;   // a column of the sources to the APPLY's left
constexpr unsigned kOpaque = kReadsOpaque;  // also a name whose table lacks it: not moved out

template <class Sources>
unsigned columnSide(const ast::ColumnRefExpr& c, const Sources& sources, unsigned side) {
  const std::string q = c.parts.size() == 2 ? toLower(c.parts[0]) : std::string();
  const std::string name = toLower(c.column());
  for (const auto& src : sources) {
    if (!q.empty() && src.alias != q) continue;
    for (const auto& col : src.columns)
      if (toLower(col.name) == name) return side;
    if (!q.empty()) return kOpaque;  // the inner alias hides the left one; the column is missing
  }
  return 0;
}

// The innermost sources win, as in the server's name resolution.
template <class Sources>
unsigned reads(const ast::Expr* e, const Sources& inner, const Sources& left) {
  return exprReads(e, [&](const ast::ColumnRefExpr& c) {
    if (c.parts.size() > 2) return kOpaque;
    const unsigned side = columnSide(c, inner, kInner);
    return side ? side : columnSide(c, left, kLeft);
  });
}

// The inner side of `inner = left` (either way round); nullptr for any other conjunct.
template <class Sources>
const ast::Expr* equalityKey(const ast::Expr& e, const Sources& inner, const Sources& left) {
  const auto* b = ast::nodeAs<ast::BinaryExpr>(&e);
  if (b == nullptr || b->op != ast::BinaryOp::Eq) return nullptr;
  const unsigned l = reads(b->lhs.get(), inner, left);
  const unsigned r = reads(b->rhs.get(), inner, left);
  if (!(l & kLeft) && !(r & kInner)) return b->lhs.get();
  if (!(r & kLeft) && !(l & kInner)) return b->rhs.get();
  return nullptr;
}

std::string hiddenName(std::size_t n) { return "tsql_key" + std::to_string(n) + "_"; }

}  // namespace

void splitConjuncts(const ast::Expr* e, std::vector<const ast::Expr*>& out) {
  if (e == nullptr) return;
  const auto* b = ast::nodeAs<ast::BinaryExpr>(e);
  if (b && b->op == ast::BinaryOp::And) {
    splitConjuncts(b->lhs.get(), out);
    splitConjuncts(b->rhs.get(), out);
    return;
  }
  out.push_back(e);
}

// What a TOP's ORDER BY key stands for inside the core, where the select list's names
// and positions mean nothing: the item it names; nullptr for a position out of range.
const ast::Expr* topOrderKey(const ast::SelectCore& c, const ast::Expr& key) {
  if (const auto* lit = ast::nodeAs<ast::LiteralExpr>(&key)) {
    std::size_t n = 0;
    if (lit->literalKind != ast::LiteralKind::Integer) return nullptr;
    std::from_chars(lit->text.data(), lit->text.data() + lit->text.size(), n);
    if (n < 1 || n > c.items.size() || c.items[n - 1].star) return nullptr;
    return c.items[n - 1].expr.get();
  }
  const auto* col = ast::nodeAs<ast::ColumnRefExpr>(&key);
  if (col && col->parts.size() == 1) {
    for (const auto& item : c.items)
      if (!item.star && core::sameText(item.alias, col->column())) return item.expr.get();
  }
  return &key;
}

unsigned exprReads(const ast::Expr* e, const std::function<unsigned(const ast::ColumnRefExpr&)>& column) {
  using ast::NodeKind;
  if (e == nullptr) return 0;
  auto of = [&](const ast::Expr* x) { return exprReads(x, column); };
  switch (e->kind) {
    case NodeKind::ColumnRef: return column(ast::nodeCast<ast::ColumnRefExpr>(*e));
    case NodeKind::Unary: return of(ast::nodeCast<ast::UnaryExpr>(*e).operand.get());
    case NodeKind::IsNull: return of(ast::nodeCast<ast::IsNullExpr>(*e).operand.get());
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return of(b.lhs.get()) | of(b.rhs.get());
    }
    case NodeKind::Cast: {
      const auto& c = ast::nodeCast<ast::CastExpr>(*e);
      return of(c.operand.get()) | of(c.style.get());
    }
    case NodeKind::Between: {
      const auto& b = ast::nodeCast<ast::BetweenExpr>(*e);
      return of(b.operand.get()) | of(b.low.get()) | of(b.high.get());
    }
    case NodeKind::Like: {
      const auto& l = ast::nodeCast<ast::LikeExpr>(*e);
      return of(l.operand.get()) | of(l.pattern.get()) | of(l.escape.get());
    }
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(*e);
      unsigned r = of(c.operand.get()) | of(c.elseExpr.get());
      for (const auto& w : c.whens) r |= of(w.when.get()) | of(w.then.get());
      return r;
    }
    case NodeKind::In: {
      const auto& in = ast::nodeCast<ast::InExpr>(*e);
      unsigned r = of(in.operand.get()) | (in.subquery ? kReadsOpaque : 0);
      for (const auto& x : in.list) r |= of(x.get());
      return r;
    }
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(*e);
      unsigned r = f.over ? kReadsWindow : f.schema.empty() && isAggregateName(f.name) ? kReadsAggregate : 0;
      for (const auto& a : f.args) r |= of(a.get());
      for (const auto& o : f.withinGroup) r |= of(o.expr.get());
      if (f.over) {
        for (const auto& p : f.over->partitionBy) r |= of(p.get());
        for (const auto& o : f.over->orderBy) r |= of(o.expr.get());
        r |= of(f.over->start.offset.get()) | of(f.over->end.offset.get());
      }
      return r;
    }
    case NodeKind::Subquery:
    case NodeKind::Exists:
    case NodeKind::Quantified:
      return kReadsOpaque;
    default:
      return 0;  // literals, variables, parameters
  }
}

bool SqlTranslator::emitApplyJoin(const ast::DerivedTableRef& d, bool cross, Scope& scope) {
  const ast::Query& q = *d.query;
  if (q.cores.size() != 1 || q.offset || q.forJson) return false;
  const ast::SelectCore& c = q.cores[0];
  if (c.from.empty() || !c.groupingSets.empty() || !c.into.empty() || (!q.orderBy.empty() && !c.top)) return false;
  Scope inner;
  inner.outer = scope.outer;  // a derived table does not see its siblings
  Scope* saved = std::exchange(scope_, scope.outer);
  resolveSources(c.from, inner);
  scope_ = saved;
  ApplyJoin plan;
  plan.core = &c;
  std::vector<const ast::Expr*> conjuncts;
  std::vector<const ast::Expr*> moved;
  splitConjuncts(c.where.get(), conjuncts);
  for (const ast::Expr* e : conjuncts) {
    const unsigned r = reads(e, inner.sources, scope.sources);
    if (r & kOpaque) return false;  // a subquery that may read the left side
    ((r & kLeft) ? moved : plan.kept).push_back(e);
  }
  if (!planApplyJoin(q, inner.sources, scope.sources, moved, plan)) return false;
  const bool readsLeft = std::any_of(plan.outside.begin(), plan.outside.end(), [](auto& s) { return !s.empty(); });
  if (moved.empty() && !readsLeft) return false;  // joined as it stands
  plan.marked = !cross && readsLeft;
  const std::string on = applyJoinOn(inner, scope, moved, d.alias, d.pos, plan);

  std::string head = std::exchange(out_, {});
  saved = std::exchange(scope_, scope.outer);
  std::vector<Output> outputs;
  {
    EnclosingFlagsAside aside(*this);
    applyJoin_ = &plan;
    outputs = emitCore(c, nullptr);
    assert(applyJoin_ == nullptr);
  }
  scope_ = saved;
  std::string rows = std::exchange(out_, std::move(head));

  const std::string alias = quoteIdent(d.alias);
  out_ += (cross ? " INNER JOIN (" : " LEFT JOIN (") + rows + ") AS " + alias + " ON " + on;
  qualifyColumns_ = true;  // the left side's columns as the ON above reads them
  if (plan.rank) emitApplyRankFilter(c, alias, plan.percent, scope);
  // The hidden columns stay out of `*`: each column is read by its name, or written
  // over the joined row where it reads the left side.
  Source src = derivedSource(d.alias, outputs);
  src.inner = std::make_shared<Scope>();
  for (const Output& o : outputs) src.inner->sqlItems.push_back(alias + "." + quoteIdent(o.name));
  std::size_t n = 0;
  for (std::size_t i = 0; i < plan.outside.size(); ++i) {
    if (plan.outside[i].empty()) continue;
    std::string& sql = src.inner->sqlItems[plan.outsideOutputs[n++]];
    // OUTER APPLY without a match gives NULLs, whatever the left row holds
    sql = plan.marked ? "(CASE WHEN " + alias + ".\"tsql_row_\" IS NULL THEN NULL ELSE " + plan.outside[i] + " END" : "(" + plan.outside[i];
    sql += plan.outsideTypes[i].isText() ? std::string(" COLLATE ") + runtime::kCollation + ")" : ")";
  }
  assert(n == plan.outsideOutputs.size());
  scope.sources.push_back(std::move(src));
  return true;
}

// The shapes read as a join; `plan` gets the keys and the row numbering.
bool SqlTranslator::planApplyJoin(const ast::Query& q, const std::vector<Source>& inner,
                                  const std::vector<Source>& left, const std::vector<const ast::Expr*>& moved,
                                  ApplyJoin& plan) {
  const ast::SelectCore& c = q.cores[0];
  unsigned items = 0;
  std::vector<unsigned> itemReads;
  for (const auto& item : c.items) {
    itemReads.push_back(item.star ? 0 : reads(item.expr.get(), inner, left));
    items |= itemReads.back();
  }
  unsigned grouped = reads(c.having.get(), inner, left);
  for (const auto& key : c.groupBy) grouped |= reads(key.get(), inner, left);
  if ((items | grouped) & kOpaque || grouped & kLeft) return false;  // what only the left values can read
  const bool windows = items & kReadsWindow;  // over one left row's rows: partitioned by the keys
  const bool aggregate = !c.groupBy.empty() || c.having || (items & kReadsAggregate);
  if (!planOutsideItems(itemReads, aggregate || c.distinct, plan)) return false;
  if (c.top) {
    if (aggregate || c.distinct || (c.topWithTies && q.orderBy.empty())) return false;
    for (const auto& o : q.orderBy) {
      const ast::Expr* key = topOrderKey(c, *o.expr);
      const unsigned r = key ? reads(key, inner, left) : kOpaque;
      if (r & (kReadsWindow | kReadsAggregate | kOpaque)) return false;
      // a key of the left row alone is one value for all the rows it orders
      if (r & kLeft) {
        if (r & kInner) return false;
        continue;
      }
      plan.order.emplace_back(key, o.descending);
    }
    plan.rank = c.topWithTies ? "RANK()" : "ROW_NUMBER()";
    plan.percent = c.topPercent;
  } else if (aggregate && c.groupBy.empty()) {
    return false;  // one row even for no input
  }
  if (!c.top && !aggregate && !c.distinct && !windows) return true;  // a filter: the ON reads it as it is
  for (const ast::Expr* m : moved) {
    if (!(reads(m, inner, left) & kInner)) continue;  // a test of the left row alone
    const ast::Expr* key = equalityKey(*m, inner, left);
    // DISTINCT compares the hidden columns too: they must be the keys themselves
    if (key == nullptr || (c.distinct && key->kind != ast::NodeKind::ColumnRef)) return false;
    plan.keys.push_back(key);
  }
  return true;
}

// The ON: the moved conjuncts read over the left side, each inner column as a hidden
// column of the derived table; the select items that read the left side are written
// the same way. `plan` gets the hidden columns they read.
std::string SqlTranslator::applyJoinOn(const Scope& inner, Scope& left, const std::vector<const ast::Expr*>& moved,
                                       const std::string& alias, SourcePos pos, ApplyJoin& plan) {
  Scope on;
  on.outer = &left;
  std::vector<std::pair<std::string, std::string>> columns;  // per hidden name: source, column
  for (const Source& src : inner.sources) {
    Source hidden;
    hidden.alias = src.alias;
    hidden.columns = src.columns;
    hidden.inner = std::make_shared<Scope>();
    for (const auto& col : src.columns) {
      hidden.inner->sqlItems.push_back(quoteIdent(alias) + "." + quoteIdent(hiddenName(columns.size())));
      columns.emplace_back(src.alias, col.name);
    }
    on.sources.push_back(std::move(hidden));
  }
  std::string head = std::exchange(out_, {});
  Scope* saved = std::exchange(scope_, &on);
  const bool qualify = std::exchange(qualifyColumns_, true);
  for (std::size_t i = 0; i < moved.size(); ++i) {
    out_ += i ? " AND (" : "(";
    emit(*moved[i]);
    out_ += ')';
  }
  if (moved.empty()) out_ += "1 = 1";
  std::string written;  // everything that reads the hidden columns
  for (std::size_t i = 0; i < plan.outside.size(); ++i) {
    if (plan.outside[i].empty()) continue;
    const ast::Expr& item = *plan.core->items[i].expr;
    plan.outsideTypes[i] = typeOf(item);
    std::string sql = std::exchange(out_, {});
    emit(item);
    plan.outside[i] = std::exchange(out_, std::move(sql));
    written += plan.outside[i];
  }
  qualifyColumns_ = qualify;
  scope_ = saved;
  std::string sql = std::exchange(out_, std::move(head));
  written += sql;
  for (std::size_t n = 0; n < columns.size(); ++n) {
    if (written.find(quoteIdent(hiddenName(n))) == std::string::npos) continue;
    plan.hidden.emplace_back(&madeColumn(pos, columns[n].first, columns[n].second), hiddenName(n));
  }
  return sql;
}

// Which select items are written outside the derived table, over the joined row: those
// that read the left side. Where the core groups or drops duplicate rows, only items of
// the left row alone can be (one value for all the rows of a left row); an aggregate,
// window or subquery reading the left side cannot be written outside at all.
bool SqlTranslator::planOutsideItems(const std::vector<unsigned>& itemReads, bool grouped, ApplyJoin& plan) {
  plan.outside.assign(itemReads.size(), {});
  plan.outsideTypes.assign(itemReads.size(), {});
  for (std::size_t i = 0; i < itemReads.size(); ++i) {
    const unsigned r = itemReads[i];
    if (!(r & kLeft)) continue;
    if ((r & (kOpaque | kReadsWindow | kReadsAggregate)) || (grouped && (r & kInner))) return false;
    plan.outside[i] = "?";  // written by applyJoinOn
  }
  return true;
}

void SqlTranslator::emitApplyRankFilter(const ast::SelectCore& c, const std::string& alias, bool percent, Scope& left) {
  out_ += " AND " + alias + ".\"tsql_rank_\" <= (";
  // n percent of the left row's rows, a part row rounded up
  if (percent)
    out_ += "SELECT CASE WHEN v > CAST(v AS INTEGER) THEN CAST(v AS INTEGER) + 1 ELSE CAST(v AS INTEGER) END FROM (SELECT " +
            alias + ".\"tsql_count_\" * (";
  Scope* saved = std::exchange(scope_, &left);  // TOP (left.n) counts per left row
  emit(*c.top);
  scope_ = saved;
  out_ += percent ? ") / 100.0 AS v) AS \"tsql_share_\")" : ")";
}

void SqlTranslator::emitApplyPartition(const ApplyJoin& plan) {
  if (plan.leftValues) {
    out_ += "PARTITION BY ";
    out_ += ApplyJoin::kValuesKeys;
    return;
  }
  for (std::size_t i = 0; i < plan.keys.size(); ++i) {
    out_ += i ? ", " : "PARTITION BY ";
    emitApplyKey(*plan.keys[i], env_.dialect().trimsTextComparands);
  }
}

void SqlTranslator::emitApplyJoinColumns(const ApplyJoin& plan) {
  const bool qualify = std::exchange(qualifyColumns_, true);  // a source's column as its scope has it
  for (const auto& [column, name] : plan.hidden) {
    out_ += ", ";
    emitApplyKey(*column, trimSetOutputs_);  // DISTINCT compares them with the items
    out_ += " AS " + quoteIdent(name);
  }
  qualifyColumns_ = qualify;
  if (plan.leftValues) out_ += ApplyJoin::kValuesColumns;
  if (plan.marked) out_ += ", 1 AS \"tsql_row_\"";
  if (plan.rank == nullptr) return;
  out_ += ", ";
  out_ += plan.rank;
  out_ += " OVER (";
  emitApplyPartition(plan);
  const bool partitioned = plan.leftValues || !plan.keys.empty();
  for (std::size_t i = 0; i < plan.order.size(); ++i) {
    out_ += i ? ", " : partitioned ? " ORDER BY " : "ORDER BY ";
    emitValueOrderKey(*plan.order[i].first);
    out_ += orderDirection(plan.order[i].second);
  }
  out_ += ") AS \"tsql_rank_\"";
  if (!plan.percent) return;
  out_ += ", COUNT(*) OVER (";
  emitApplyPartition(plan);
  out_ += ") AS \"tsql_count_\"";
}

void SqlTranslator::emitApplyJoinWhere(const ApplyJoin& plan) {
  for (std::size_t i = 0; i < plan.kept.size(); ++i) {
    out_ += i ? " AND (" : " WHERE (";
    emit(*plan.kept[i]);
    out_ += ')';
  }
  for (std::size_t i = 0; i < plan.matched.size(); ++i) {
    out_ += i || !plan.kept.empty() ? " AND " : " WHERE ";
    out_ += ApplyJoin::kValuesMatch + plan.matched[i].first + '\x01' + plan.matched[i].second;
  }
}

void SqlTranslator::emitApplyKey(const ast::Expr& key, bool trim) {
  const bool text = typeOf(key).isText();
  trim = trim && text;
  out_ += trim ? "rtrim(" : "";
  emit(key);
  out_ += trim ? ")" : "";
  if (text && (trim || key.kind != ast::NodeKind::ColumnRef)) {
    out_ += " COLLATE ";
    out_ += runtime::kCollation;
  }
}

}  // namespace tsql::translate
