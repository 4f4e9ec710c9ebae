// GROUP BY ROLLUP / CUBE / GROUPING SETS. SQLite has none of them, so a core with
// grouping sets is written once per set and the copies joined by UNION ALL inside a
// derived table. In each copy the grouping columns left out of its set read NULL in
// the select list and HAVING (but not inside an aggregate), GROUPING(x) is 1 for such
// a column and 0 for a grouped one, and GROUPING_ID packs those bits, first argument
// highest.
#include <algorithm>
#include <utility>

#include "core/strings.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

bool isAggregate(const std::string& name) {
  for (const char* a : {"count", "count_big", "sum", "avg", "min", "max", "stdev", "stdevp", "var", "varp"})
    if (name == a) return true;
  return false;
}

}  // namespace

bool sameExpr(const ast::Expr& a, const ast::Expr& b) {
  using ast::NodeKind;
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case NodeKind::ColumnRef: {
      const auto& x = ast::nodeCast<ast::ColumnRefExpr>(a);
      const auto& y = ast::nodeCast<ast::ColumnRefExpr>(b);
      bool bothQualified = !x.qualifier().empty() && !y.qualifier().empty();
      return core::sameText(x.column(), y.column()) && (!bothQualified || core::sameText(x.qualifier(), y.qualifier()));
    }
    case NodeKind::Literal: {
      const auto& x = ast::nodeCast<ast::LiteralExpr>(a);
      const auto& y = ast::nodeCast<ast::LiteralExpr>(b);
      return x.literalKind == y.literalKind && x.text == y.text;
    }
    case NodeKind::FunctionCall: {
      const auto& x = ast::nodeCast<ast::FunctionCallExpr>(a);
      const auto& y = ast::nodeCast<ast::FunctionCallExpr>(b);
      return x.name == y.name && x.star == y.star && x.distinct == y.distinct && !x.over && !y.over &&
             sameExprs(x.args, y.args);
    }
    case NodeKind::Binary: {
      const auto& x = ast::nodeCast<ast::BinaryExpr>(a);
      const auto& y = ast::nodeCast<ast::BinaryExpr>(b);
      return x.op == y.op && sameExpr(*x.lhs, *y.lhs) && sameExpr(*x.rhs, *y.rhs);
    }
    default: return false;
  }
}

bool sameExprs(const std::vector<ast::ExprPtr>& a, const std::vector<ast::ExprPtr>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!sameExpr(*a[i], *b[i])) return false;
  return true;
}

namespace {

enum class Grouping { NotAColumn, Grouped, RolledUp };

// What `e` is in the set, and which key it is (the grouped one where it is written twice).
Grouping groupingOf(const ast::SelectCore& core, const std::vector<bool>& grouped, const ast::Expr& e,
                    std::size_t* index = nullptr) {
  Grouping found = Grouping::NotAColumn;
  for (std::size_t i = 0; i < core.groupBy.size(); ++i) {
    if (!sameExpr(*core.groupBy[i], e)) continue;
    if (index) *index = i;
    if (grouped[i]) return Grouping::Grouped;
    found = Grouping::RolledUp;
  }
  return found;
}

}  // namespace

std::vector<SqlTranslator::Output> SqlTranslator::emitGroupingSets(const ast::SelectCore& c,
                                                                   const std::vector<ast::DataType>* targetTypes) {
  if (c.topWithTies)
    throw TranslateError(errors::number(errors::Error::TiesWithoutOrderBy),
                         "TOP WITH TIES is not supported together with ROLLUP, CUBE or GROUPING SETS.");
  // The ORDER BY reads the derived table's columns; a key that is not one of them is
  // computed in each copy as a column of its own, so it follows that copy's grouping.
  const std::vector<ast::OrderItem>* order = std::exchange(coreOrder_, nullptr);
  std::vector<const ast::Expr*> savedKeys = std::exchange(hiddenOrderKeys_, orderKeysOutsideOutputs(c, order));
  std::vector<Output> outputs;
  std::size_t start = out_.size();
  out_ += " FROM (";
  for (std::size_t i = 0; i < c.groupingSets.size(); ++i) {
    GroupingSet set{&c, std::vector<bool>(c.groupBy.size(), false), true, {}};
    for (std::size_t index : c.groupingSets[i]) set.grouped[index] = true;
    if (i) out_ += " UNION ALL ";
    coreGrouping_ = &set;
    std::vector<Output> o = emitCore(c, targetTypes);
    if (i == 0) outputs = std::move(o);
  }
  out_ += ") AS \"tsql_sets_\"";  // the server refuses a derived table without a name
  std::string select = "SELECT ";
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (i) select += ", ";
    select += outputs[i].name.empty() ? groupingColumnName(i) + " AS \"\"" : quoteIdent(outputs[i].name);
  }
  out_.insert(start, select);
  std::vector<const ast::Expr*> keys = std::exchange(hiddenOrderKeys_, std::move(savedKeys));
  groupingOrderByHidden_.clear();
  for (const ast::Expr* k : keys) groupingOrderByHidden_.push_back(k != nullptr);
  return outputs;
}

// The ORDER BY keys (in order; nullptr for the others) that are neither an ordinal nor
// the name of an output column.
std::vector<const ast::Expr*> SqlTranslator::orderKeysOutsideOutputs(const ast::SelectCore& c,
                                                                     const std::vector<ast::OrderItem>* order) {
  std::vector<const ast::Expr*> keys;
  if (!order) return keys;
  for (const auto& item : *order) {
    const auto* lit = ast::nodeAs<ast::LiteralExpr>(item.expr.get());
    const auto* col = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
    bool named = false;
    for (const auto& s : c.items) {
      const auto* itemCol = ast::nodeAs<ast::ColumnRefExpr>(s.expr.get());
      std::string name = !s.alias.empty() ? s.alias : itemCol ? itemCol->column() : std::string();
      named = named || (col && col->parts.size() == 1 && core::sameText(name, col->column()));
    }
    bool ordinal = lit && lit->literalKind == ast::LiteralKind::Integer;
    keys.push_back(ordinal || named || (col && c.items.size() == 1 && c.items[0].star) ? nullptr : item.expr.get());
  }
  return keys;
}

// In one copy of the core: ", key AS tsql_key_i" for each key the ORDER BY needs.
void SqlTranslator::emitHiddenOrderKeys() {
  // a window function among them is refused as a window, not as one outside the select list
  bool allowed = std::exchange(windowsAllowed_, true);
  for (std::size_t i = 0; i < hiddenOrderKeys_.size(); ++i) {
    if (!hiddenOrderKeys_[i]) continue;
    out_ += ", ";
    emit(*hiddenOrderKeys_[i]);
    out_ += " AS " + hiddenOrderKeyName(i);
  }
  windowsAllowed_ = allowed;
}

std::string SqlTranslator::hiddenOrderKeyName(std::size_t index) {
  return "\"tsql_key_" + std::to_string(index) + "\"";
}

// The derived table's name for unnamed output `index` (the outer list shows it unnamed).
std::string SqlTranslator::groupingColumnName(std::size_t index) {
  return "\"tsql_col_" + std::to_string(index) + "\"";
}

// GROUP BY the set's own columns; nothing for the empty set (one row over all).
void SqlTranslator::emitGroupingSetGroupBy(const GroupingSet& g) {
  const char* separator = " GROUP BY ";
  for (std::size_t i = 0; i < g.core->groupBy.size(); ++i) {
    if (!g.grouped[i]) continue;
    out_ += separator;
    separator = ", ";
    emitGroupKey(g, i, *g.core->groupBy[i]);
  }
}

// Where the collation counts trailing blanks, 'abc' and 'ABC ' still form one group: a
// text key is grouped, and read, without them.
void SqlTranslator::emitGroupKey(const GroupingSet& g, std::size_t index, const ast::Expr& key) {
  bool trim = index < g.trimmed.size() && g.trimmed[index];
  out_ += trim ? "rtrim(" : "";
  emit(key);
  out_ += trim ? ")" : "";
}

// A trimmed text key of an enclosing query, read from a subquery of its select list or
// HAVING. The server matches grouped expressions only at their own level, so the key is
// read as an aggregate of the enclosing query (every row of the group holds it).
bool SqlTranslator::emitOuterGroupKey(const ast::ColumnRefExpr& c) {
  bool enclosed = false;
  for (const Scope* s = scope_ ? scope_->outer : nullptr; s && !enclosed; s = s->outer) enclosed = s->grouping;
  const Source* source = nullptr;
  std::size_t column = 0;
  const Scope* owner = nullptr;
  if (!enclosed || !resolveColumn(c, source, column, &owner) || owner == scope_ || !owner->grouping) return false;
  const GroupingSet& g = *owner->grouping;
  std::size_t key = 0;
  if (groupingOf(*g.core, g.grouped, c, &key) != Grouping::Grouped || key >= g.trimmed.size() || !g.trimmed[key])
    return false;
  out_ += "rtrim(min(";
  emitColumnRef(c);
  out_ += "))";
  return true;
}

// On a dialect whose collation counts trailing blanks: the copy's set, or a plain GROUP
// BY as the one set of all its keys, with its text keys marked for trimming. Nothing
// where no key is text.
std::optional<SqlTranslator::GroupingSet> SqlTranslator::trimmedGrouping(const ast::SelectCore& c,
                                                                         const GroupingSet* copy) {
  if (c.groupBy.empty() || !env_.dialect().trimsTextComparands || (!copy && !c.groupingSets.empty()))
    return std::nullopt;
  GroupingSet g = copy ? *copy : GroupingSet{&c, std::vector<bool>(c.groupBy.size(), true), false, {}};
  for (const auto& key : c.groupBy) {
    ast::DataType t = typeOf(*key);
    g.trimmed.push_back(t.isText() && !(t.fixed && !t.binary));  // char(n) compares without its padding
  }
  if (std::none_of(g.trimmed.begin(), g.trimmed.end(), [](bool t) { return t; })) return std::nullopt;
  return g;
}

bool SqlTranslator::emitGroupingReplacement(const ast::Expr& e) {
  const GroupingSet& g = *groupingSet_;
  if (const auto* f = ast::nodeAs<ast::FunctionCallExpr>(&e)) {
    if (f->name == "grouping" || f->name == "grouping_id") {
      long long bits = 0;
      for (const auto& arg : f->args) {
        Grouping state = groupingOf(*g.core, g.grouped, *arg);
        if (state == Grouping::NotAColumn)
          throw TranslateError(errors::Error::GroupingArgument);
        bits = bits * 2 + (state == Grouping::RolledUp ? 1 : 0);
      }
      out_ += std::to_string(bits);
      return true;
    }
    if (isAggregate(f->name)) {
      const GroupingSet* saved = std::exchange(groupingSet_, nullptr);  // it sees every row's value
      emit(e);
      groupingSet_ = saved;
      return true;
    }
  }
  std::size_t key = 0;
  Grouping state = groupingOf(*g.core, g.grouped, e, &key);
  if (state == Grouping::Grouped && key < g.trimmed.size() && g.trimmed[key]) {
    const GroupingSet* saved = std::exchange(groupingSet_, nullptr);
    emitGroupKey(g, key, e);
    groupingSet_ = saved;
    return true;
  }
  if (state != Grouping::RolledUp) return false;
  out_ += "NULL";
  return true;
}

}  // namespace tsql::translate
