// Query translation: FROM sources are translated first (they define the scope the
// select list and WHERE resolve against), then the select list; `?N` markers are
// numbered, so the order in which pieces are written does not matter. TOP becomes
// LIMIT; table variables become their temp tables under the name the batch uses.
#include <algorithm>
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::DataType;

std::string SqlTranslator::tableSqlName(const std::string& name) const {
  if (!name.empty() && name[0] == '@') {
    const std::string* temp = env_.tableVariable(name);
    if (!temp) throw TranslateError(errors::Error::UndeclaredTableVariable, {name});
    return *temp;
  }
  std::string normalized = catalog::normalizeObjectName(name);
  if (!normalized.empty() && normalized[0] == '#') return env_.localTempTable(normalized);
  return normalized;
}

Translation SqlTranslator::query(const ast::Query& q, const std::vector<DataType>* targetTypes) {
  std::string with = emitWith(q.with.get());
  std::vector<Output> outputs = emitQuery(q, targetTypes);
  Translation t;
  t.sql = with + out_;
  t.slots = std::move(slots_);
  t.functionRuns = std::move(functionRuns_);
  for (auto& o : outputs) t.columnTypes.push_back(o.type);
  return t;
}

namespace {

const char* setOpSql(ast::SetOp op) {
  switch (op) {
    case ast::SetOp::UnionAll: return " UNION ALL ";
    case ast::SetOp::Intersect: return " INTERSECT ";
    case ast::SetOp::Except: return " EXCEPT ";
    default: return " UNION ";
  }
}

const char* joinSql(ast::JoinType type) {
  switch (type) {
    case ast::JoinType::Inner: return " INNER JOIN ";
    case ast::JoinType::Left: return " LEFT JOIN ";
    case ast::JoinType::Right: return " RIGHT JOIN ";
    case ast::JoinType::Full: return " FULL JOIN ";
    case ast::JoinType::OuterApply: return " LEFT JOIN ";  // ON 1 = 1: every row of the left side stays
    default: return " CROSS JOIN ";  // CROSS APPLY too: SQLite keeps a CROSS JOIN's order
  }
}

// INTERSECT binds tighter than UNION and EXCEPT, while SQLite reads compound operators
// left to right: a run of INTERSECTs that follows another operator becomes one derived
// table ("a UNION b INTERSECT c" is "a UNION (b INTERSECT c)").
bool opensIntersectRun(const ast::Query& q, std::size_t i) {
  return i > 0 && i + 1 < q.cores.size() && q.setOps[i] == ast::SetOp::Intersect &&
         q.setOps[i - 1] != ast::SetOp::Intersect;
}

bool closesIntersectRun(const ast::Query& q, std::size_t i) {
  if (i < 2 || q.setOps[i - 1] != ast::SetOp::Intersect) return false;
  if (i + 1 < q.cores.size() && q.setOps[i] == ast::SetOp::Intersect) return false;
  std::size_t first = i - 1;  // the run's first core
  while (first > 0 && q.setOps[first - 1] == ast::SetOp::Intersect) --first;
  return first > 0;
}

// A key that is a select-list alias, which ORDER BY reads before any source's column.
template <class Output>
bool namesOutput(const ast::Expr& key, const std::vector<Output>& outputs) {
  const auto* col = ast::nodeAs<ast::ColumnRefExpr>(&key);
  return col && col->parts.size() == 1 &&
         std::any_of(outputs.begin(), outputs.end(), [&](const Output& o) { return core::sameText(o.name, col->column()); });
}

// Clears a flag for the life of the guard and puts back what it was.
class FlagOff {
 public:
  explicit FlagOff(bool& flag) : flag_(flag), before_(flag) { flag_ = false; }
  ~FlagOff() { flag_ = before_; }
  FlagOff(const FlagOff&) = delete;
  FlagOff& operator=(const FlagOff&) = delete;

 private:
  bool& flag_;
  bool before_;
};

// Sets a value for the life of the guard and puts back what it was, also when an error
// ends the statement.
template <class T>
class SetFor {
 public:
  SetFor(T& slot, T value) : slot_(slot), before_(std::exchange(slot, value)) {}
  ~SetFor() { slot_ = before_; }
  SetFor(const SetFor&) = delete;
  SetFor& operator=(const SetFor&) = delete;

 private:
  T& slot_;
  T before_;
};

}  // namespace

std::vector<SqlTranslator::Output> SqlTranslator::emitQuery(const ast::Query& q,
                                                            const std::vector<DataType>* targetTypes) {
  if (q.forJson && forJsonInner_ != &q) {
    subqueryCores_ = false;  // its rows are gathered in a query of its own
    return emitForJson(q);
  }
  FlagOff keepSides(swapRightJoins_);  // a query of its own may expand `*` over its joins
  FlagOff ownOutputs(trimSetOutputs_);
  FlagOff ownCollations(collateSetOutputs_);
  FlagOff ownWindows(windowsAllowed_);  // a subquery's WHERE holds none, its select list may
  std::vector<Output> outputs;
  bool single = q.cores.size() == 1;
  const bool setCompares = std::any_of(q.setOps.begin(), q.setOps.end(),
                                       [](ast::SetOp op) { return op != ast::SetOp::UnionAll; });
  trimSetOutputs_ = env_.dialect().trimsTextComparands && setCompares;
  collateSetOutputs_ = env_.dialect().columnComparandCollation && setCompares;
  std::string singleLimit;
  // arms mixing text with other types in a column are converted to the type of precedence
  std::vector<DataType> mixed = targetTypes || recursion_ ? std::vector<DataType>{} : mixedArmTypes(q);
  if (!mixed.empty()) targetTypes = &mixed;
  const bool subquery = std::exchange(subqueryCores_, false);  // its cores', not a nested query's
  std::vector<ApplyJoin>* applyArms = std::exchange(applyArms_, nullptr);  // not for its subqueries
  for (std::size_t i = 0; i < q.cores.size(); ++i) {
    if (i) out_ += setOpSql(q.setOps[i - 1]);
    if (opensIntersectRun(q, i)) out_ += "SELECT * FROM (";
    const ast::SelectCore& core = q.cores[i];
    bool wrap = !single && core.top;  // TOP of one arm of a compound query
    if (wrap) out_ += "SELECT * FROM (";
    std::size_t start = out_.size();
    if (core.topWithTies && (!single || q.orderBy.empty()))
      throw TranslateError(errors::Error::TiesWithoutOrderBy);
    if (single && !q.orderBy.empty()) coreOrder_ = &q.orderBy;
    subqueryCores_ = subquery;
    if (applyArms) applyJoin_ = &(*applyArms)[i];
    auto coreOutputs = emitCore(core, targetTypes);
    subqueryCores_ = false;
    std::string limit = core.top ? topLimit(core, out_.substr(start)) : std::string();
    // every derived table is named: the server refuses one without an alias
    if (wrap) out_ += " LIMIT " + limit + ") AS \"tsql_arm_\"";
    if (closesIntersectRun(q, i)) out_ += ") AS \"tsql_run_\"";
    if (i == 0) outputs = std::move(coreOutputs);
    else if (!targetTypes && !recursion_) widenArmOutputs(outputs, coreOutputs);
    if (i == 1)  // a column of a compound query may come from any arm's expression
      for (Output& o : outputs) o.computed = true;
    if (single) singleLimit = std::move(limit);
  }
  if (!q.orderBy.empty()) {
    // ORDER BY resolves against the first core's sources (and its aliases).
    out_ += " ORDER BY ";
    std::vector<DataType> keyTypes = std::exchange(orderKeyTypes_, {});  // a key's subquery has its own
    std::vector<bool> hidden = single ? std::exchange(groupingOrderByHidden_, {}) : std::vector<bool>{};
    std::optional<GroupingSet> grouping = std::exchange(orderGrouping_, std::nullopt);
    groupingSet_ = grouping ? &*grouping : nullptr;
    windowsAllowed_ = single;
    std::shared_ptr<Scope> keyScope = std::exchange(orderScope_, nullptr);
    std::optional<OuterKeyCore> outerCore = std::exchange(outerKeyCore_, std::nullopt);
    auto outerReads = outerCore ? findOuterKeyReads(q, outputs, keyScope.get()) : std::vector<const ast::Expr*>{};
    std::swap(outerKeyReads_, outerReads);
    for (std::size_t i = 0; i < q.orderBy.size(); ++i) {
      if (i) out_ += ", ";
      Scope* saved = scope_;
      if (keyScope && !namesOutput(*q.orderBy[i].expr, outputs)) scope_ = keyScope.get();
      if (i < hidden.size() && hidden[i]) out_ += hiddenOrderKeyName(i);
      else emitOrderKey(q, i, outputs, keyTypes);
      scope_ = saved;
      out_ += orderDirection(q.orderBy[i].descending);
    }
    std::swap(outerKeyReads_, outerReads);
    if (outerCore) joinOuterKeyReads(*outerCore, outerReads);
    if (keyScope) finishRowCalls(*keyScope);
    groupingSet_ = nullptr;
    windowsAllowed_ = false;
  }
  if (applyArms) return outputs;  // its TOP and OFFSET number each set's rows, filtered by the join
  if (!singleLimit.empty()) out_ += " LIMIT " + singleLimit;
  emitOffsetFetch(q);
  return outputs;
}

// OFFSET n ROWS [FETCH NEXT m ROWS ONLY] is LIMIT m OFFSET n (no FETCH: the dialect's
// "no limit").
void SqlTranslator::emitOffsetFetch(const ast::Query& q) {
  if (!q.offset) return;
  for (const auto& core : q.cores) {
    if (core.top) throw TranslateError(errors::Error::TopWithOffset);
  }
  out_ += " LIMIT ";
  if (q.fetch) emit(*q.fetch);
  else out_ += env_.dialect().noLimit;
  out_ += " OFFSET ";
  emit(*q.offset);
}

namespace {

// n percent of the core's rows, a part row rounded up to a whole one.
std::string percentOf(const std::string& n, const std::string& coreSql) {
  return "(SELECT CASE WHEN v > CAST(v AS INTEGER) THEN CAST(v AS INTEGER) + 1 ELSE CAST(v AS INTEGER) END "
         "FROM (SELECT COUNT(*) * (" + n + ") / 100.0 AS v FROM (" + coreSql + ") AS \"tsql_rows_\") AS \"tsql_share_\")";
}

}  // namespace

// core := SELECT [DISTINCT] items [FROM ...] [WHERE ...] [GROUP BY ...] [HAVING ...]
// TOP n is LIMIT n. TOP n PERCENT counts the core's own rows (the same SQL, so the
// same ?N markers) and keeps n percent of them.
std::string SqlTranslator::topLimit(const ast::SelectCore& core, const std::string& coreSql) {
  std::string saved = std::move(out_);
  out_.clear();
  emit(*core.top);
  std::string n = std::move(out_);
  out_ = std::move(saved);
  if (core.topWithTies) return tiesLimit(coreSql, core.topPercent ? percentOf(n, coreSql) : n);
  return core.topPercent ? percentOf(n, coreSql) : n;
}

std::vector<SqlTranslator::Output> SqlTranslator::emitCore(const ast::SelectCore& c,
                                                           const std::vector<DataType>* targetTypes) {
  ApplyJoin* applyJoin = std::exchange(applyJoin_, nullptr);  // not for its subqueries
  assert(!applyJoin || (applyJoin->core == &c && c.groupingSets.empty()));
  if (!c.groupingSets.empty() && !coreGrouping_) return emitGroupingSets(c, targetTypes);
  SetFor<const ApplyJoin*> windowApply(windowApply_, applyJoin);  // its subqueries' windows are their own
  const GroupingSet* grouping = std::exchange(coreGrouping_, nullptr);
  const GroupingSet* outerGrouping = std::exchange(groupingSet_, nullptr);  // a subquery's own
  const std::vector<ast::OrderItem>* order = std::exchange(coreOrder_, nullptr);  // not for subqueries
  Scope scope;
  scope.outer = scope_;
  scope.hostsRowCalls = true;
  scope.rowsFromOuter = std::exchange(subqueryCores_, false) && scope_;
  Scope* saved = scope_;
  std::string head = std::move(out_);
  out_.clear();
  if (!c.from.empty()) {
    out_ += " FROM ";
    std::optional<OuterReadWatch> watch;  // a subquery's FROM may be joined to the enclosing one
    if (scope.rowsFromOuter) watch.emplace(*this, &scope);
    {
      SetFor<ApplyJoin*> values(applyValuesFrom_, applyJoin && applyJoin->leftValues ? applyJoin : nullptr);
      emitFromList(c.from, scope);
    }
    if (applyJoin && applyJoin->leftValues) addApplyValuesTable(*applyJoin);
    scope.fromReadsOuter = watch && watch->read();
  } else if (applyJoin && applyJoin->leftValues) {
    out_ += std::string(" FROM ") + ApplyJoin::kValuesTable;  // an arm without FROM, once per set
  }
  std::string fromSql = std::move(out_);
  out_ = std::move(head);
  scope_ = &scope;
  if (!c.from.empty() && (!scope.outer || scope.rowsFromOuter)) scope.fromSql = fromSql;
  std::optional<GroupingSet> trimmed = trimmedGrouping(c, grouping);  // key types need the scope
  if (trimmed) grouping = &*trimmed;
  out_ += c.distinct ? "SELECT DISTINCT " : "SELECT ";
  std::vector<Output> outputs;
  groupingSet_ = grouping;
  // DISTINCT compares its text without trailing blanks, as UNION does
  bool trimOutputs = std::exchange(trimSetOutputs_, trimSetOutputs_ || (c.distinct && env_.dialect().trimsTextComparands));
  scope.grouping = trimming(grouping);  // its subqueries read its trimmed keys as it does
  windowsAllowed_ = true;
  emitSelectItems(c, targetTypes, outputs, applyJoin);
  if (applyJoin) emitApplyJoinColumns(*applyJoin);
  emitCursorKey(c);
  windowsAllowed_ = false;
  if (recursion_ && recursion_->core == &c) emitRecursionLevel();
  scope.grouping = nullptr;
  trimSetOutputs_ = trimOutputs;
  if (grouping && grouping->copies) emitHiddenOrderKeys();
  groupingSet_ = nullptr;
  out_ += fromSql;
  const std::size_t fromEnd = out_.size();
  const std::size_t whereAt = out_.size(), runsBeforeWhere = functionRuns_.size();
  if (applyJoin) {
    emitApplyJoinWhere(*applyJoin);
  } else if (c.where) {
    out_ += " WHERE ";
    scope.filterQualified = qualifiesFilter(c.where.get(), scope);
    const bool qualify = std::exchange(qualifyColumns_, qualifyColumns_ || scope.filterQualified);
    std::optional<OuterReadWatch> watch;
    if (scope.rowsFromOuter) watch.emplace(*this, &scope);
    emit(*c.where);
    scope.filterReadsOuter = watch && watch->read();
    qualifyColumns_ = qualify;
  }
  // a WHERE that reads function values of its own would read them before they are made
  if (!applyJoin && functionRuns_.size() == runsBeforeWhere) scope.rowFilter = out_.substr(whereAt);
  emitGroupByAndHaving(c, grouping, applyJoin);
  groupingSet_ = outerGrouping;
  if (order) noteOrderKeys(c, *order);  // in the core's own scope
  // ORDER BY keys that call functions worked out per row are worked out with the core's
  const bool keyCalls = order && scope.fromSql && ordersByUserFunction(*order);
  if (!keyCalls) finishRowCalls(scope);
  if (order) orderScope_ = std::make_shared<Scope>(scope);  // its keys read and are typed there
  if (order && trimmed && !trimmed->copies) orderGrouping_ = std::move(trimmed);
  if (order) noteOuterKeyCore(c, scope, fromEnd);
  scope_ = saved;
  return outputs;
}

// GROUP BY (one grouping set's columns under ROLLUP and friends, an applied query's
// keys after its own) and HAVING.
void SqlTranslator::emitGroupByAndHaving(const ast::SelectCore& c, const GroupingSet* grouping,
                                         const ApplyJoin* applyJoin) {
  if (grouping) {
    emitGroupingSetGroupBy(*grouping);
  } else if (!c.groupBy.empty()) {
    out_ += " GROUP BY ";
    for (std::size_t i = 0; i < c.groupBy.size(); ++i) {
      if (i) out_ += ", ";
      emit(*c.groupBy[i]);
    }
  }
  if (applyJoin && applyJoin->leftValues && !c.groupBy.empty()) {
    out_ += ", ";
    out_ += ApplyJoin::kValuesKeys;
  } else if (applyJoin && !c.groupBy.empty()) {
    for (const ast::Expr* key : applyJoin->keys) {
      out_ += ", ";
      emitApplyKey(*key, env_.dialect().trimsTextComparands);
    }
  }
  if (c.having) {
    out_ += " HAVING ";
    groupingSet_ = grouping;
    scope_->grouping = trimming(grouping);
    emit(*c.having);
    scope_->grouping = nullptr;
    groupingSet_ = nullptr;
  }
}

void SqlTranslator::emitSelectItems(const ast::SelectCore& c, const std::vector<DataType>* targetTypes,
                                    std::vector<Output>& outputs, ApplyJoin* applyJoin) {
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    const ast::SelectItem& item = c.items[i];
    if (i) out_ += ", ";
    if (item.star) {
      if (qualifyColumns_ || starReadsComputedOnRead(item)) {
        emitFlatStar(item);
      } else {
        out_ += item.starQualifier.empty() ? "*" : quoteIdent(item.starQualifier) + ".*";
      }
      expandStar(item, outputs);
      continue;
    }
    if (!item.assignTo.empty())
      throw TranslateError(errors::Error::AssignWithRetrieval);
    Output o;
    const bool outside = applyJoin && !applyJoin->outside[i].empty();
    o.type = outside ? applyJoin->outsideTypes[i] : typeOf(*item.expr);
    o.computed = outside || !storedColumn(*item.expr);
    if (outside) {
      applyJoin->outsideOutputs.push_back(outputs.size());
      out_ += "NULL";  // the join writes it over the left row and this row's hidden columns
    } else if (targetTypes && outputs.size() < targetTypes->size()) {
      emitColumnStore(*item.expr, (*targetTypes)[outputs.size()]);
      o.type = (*targetTypes)[outputs.size()];
    } else {
      // Where the collation counts trailing blanks, UNION, INTERSECT and EXCEPT compare
      // their text without them ('a' and 'A ' are one row).
      bool trim = trimSetOutputs_ && o.type.isText();
      bool widen = recursion_ && recursion_->core == &c && i < recursion_->widened.size() &&
                   recursion_->widened[i];
      out_ += trim ? "rtrim(" : widen ? "CAST(" : "";
      emit(*item.expr);
      out_ += trim ? ")" : widen ? " AS BIGINT)" : "";
      // A computed text column compares (UNION, DISTINCT, an outer GROUP BY) under the
      // default collation like a stored one; where the columns' collation counts blanks,
      // UNION, INTERSECT and EXCEPT compare a stored one under it too.
      bool collate = trim || collateSetOutputs_ || item.expr->kind != ast::NodeKind::ColumnRef;
      if (o.type.isText() && collate) {
        out_ += " COLLATE ";
        out_ += runtime::kCollation;
      }
    }
    if (valueCore_ == &c && i == 0) {  // the value an ALL / ANY comparison reads
      o.name = item.alias;
      out_ += " AS \"tsql_v_\"";
    } else if (!item.alias.empty()) {
      o.name = item.alias;
      out_ += " AS " + quoteIdent(item.alias);
    } else if (const auto* col = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get())) {
      o.name = col->column();
      const Source* source = nullptr;
      std::size_t index = 0;
      if (groupingSet_ || trimSetOutputs_ || collateSetOutputs_ || qualifyColumns_ ||
          isComputedOnRead(*col, source, index))
        out_ += " AS " + quoteIdent(o.name);  // written as an expression
    } else {
      // an unnamed expression has no column name, not its SQL text (under grouping sets
      // a name of its own in the derived table, which the outer select list drops)
      out_ += groupingSet_ && groupingSet_->copies ? " AS " + groupingColumnName(outputs.size()) : std::string(" AS \"\"");
    }
    outputs.push_back(std::move(o));
  }
}

bool SqlTranslator::starReadsComputedOnRead(const ast::SelectItem& item) const {
  std::string q = toLower(item.starQualifier);
  for (const auto& src : scope_->sources)
    if ((q.empty() || src.alias == q) && readsComputedOnRead(src)) return true;
  return false;
}

// A star over sources of which one is a flattened derived table, or a table with
// computed columns every read computes: those columns are written out as their
// expressions, the others as alias.*.
void SqlTranslator::emitFlatStar(const ast::SelectItem& item) {
  std::string q = toLower(item.starQualifier);
  bool first = true;
  for (const auto& src : scope_->sources) {
    if (!q.empty() && src.alias != q) continue;
    if (!src.inner && readsComputedOnRead(src)) {
      for (std::size_t i = 0; i < src.columns.size(); ++i) {
        out_ += first ? "" : ", ";
        first = false;
        if (src.columns[i].expression.empty()) out_ += quoteIdent(src.alias) + "." + quoteIdent(src.columns[i].name);
        else emitComputedOnRead(src, i);
        out_ += " AS " + quoteIdent(src.columns[i].name);
      }
      continue;
    }
    if (!src.inner) {
      out_ += (first ? "" : ", ") + quoteIdent(src.alias) + ".*";
      first = false;
      continue;
    }
    for (std::size_t i = 0; i < src.inner->sqlItems.size(); ++i) {
      out_ += (first ? "" : ", ") + src.inner->sqlItems[i] + " AS " + quoteIdent(src.columns[i].name);
      first = false;
    }
    for (std::size_t i = 0; i < src.items.size(); ++i) {
      out_ += first ? "" : ", ";
      first = false;
      emitSourceItem(src, i);
      out_ += " AS " + quoteIdent(src.columns[i].name);
    }
  }
}

void SqlTranslator::expandStar(const ast::SelectItem& item, std::vector<Output>& outputs) {
  std::string q = toLower(item.starQualifier);
  for (const auto& src : scope_->sources) {
    if (!q.empty() && src.alias != q) continue;
    for (const auto& col : src.columns) outputs.push_back({col.name, col.type, col.computed});
  }
}

// from-list: comma joins stay comma joins (a cross join filtered by WHERE).
void SqlTranslator::emitFromList(const std::vector<ast::TableRefPtr>& from, Scope& scope) {
  const auto* saved = currentFrom_;
  currentFrom_ = &from;
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (i) out_ += ", ";
    emitTableRef(*from[i], scope);
  }
  currentFrom_ = saved;
}

void SqlTranslator::emitTableRef(const ast::TableRef& t, Scope& scope) {
  switch (t.kind) {
    case ast::NodeKind::NamedTable: return emitNamedTable(ast::nodeCast<ast::NamedTableRef>(t), scope);
    case ast::NodeKind::DerivedTable: return emitDerivedTable(ast::nodeCast<ast::DerivedTableRef>(t), scope);
    case ast::NodeKind::JoinedTable: return emitJoin(ast::nodeCast<ast::JoinedTableRef>(t), scope);
    case ast::NodeKind::FunctionTable: {
      const auto& f = ast::nodeCast<ast::FunctionTableRef>(t);
      return f.user ? emitUserFunctionTable(f, scope) : emitFunctionTable(f, scope);
    }
    case ast::NodeKind::PivotTable: return emitPivotTable(ast::nodeCast<ast::PivotTableRef>(t), scope);
    default: assert(false && "not a table source");
  }
}

void SqlTranslator::emitNamedTable(const ast::NamedTableRef& n, Scope& scope) {
  if (emitCteRef(n, scope)) return;
  std::string sqlName = tableSqlName(n.name);
  out_ += quoteIdent(sqlName);
  Source src;
  if (!n.alias.empty()) {
    src.alias = toLower(n.alias);
    out_ += " AS " + quoteIdent(n.alias);
  } else if (n.isVariable()) {
    src.alias = n.name;
    out_ += " AS " + quoteIdent(n.name);
  } else {
    src.alias = sqlName;
  }
  if (const auto* cols = env_.columns(sqlName)) src.columns = *cols;
  scope.sources.push_back(std::move(src));
}

void SqlTranslator::emitDerivedTable(const ast::DerivedTableRef& d, Scope& scope) {
  const bool keyed = std::exchange(rightOfLeftJoin_, false);
  ApplyJoin* values = applyValuesFrom_;
  SetFor<ApplyJoin*> own(applyValuesFrom_, nullptr);  // its FROM is its own
  const std::size_t at = out_.size();
  out_ += '(';
  Scope* saved = scope_;
  scope_ = scope.outer;  // a derived table does not see its siblings
  std::vector<Output> outputs = emitQuery(*d.query, nullptr);
  scope_ = saved;
  // one that reads an applied query's left side reads values of its own
  if (values && !keyed && out_.find("\"tsql_l_\".", at) != std::string::npos) {
    std::string written = out_.substr(at);
    out_.resize(at);
    if (emitLeftValuesDerived(d, *values, scope)) return;
    out_ += written;
  }
  if (keyed) out_ += derivedRowKeys(d);
  out_ += ") AS " + quoteIdent(d.alias);
  scope.sources.push_back(derivedSource(d.alias, outputs));
}

void SqlTranslator::emitJoin(const ast::JoinedTableRef& j, Scope& scope) {
  if (appliesDerivedTable(j)) return emitApply(j, scope);
  if (currentFrom_ && canFlatten(j, *currentFrom_)) return emitFlattenedJoin(j, scope);
  if (currentFrom_ && canJoinWithExists(j, *currentFrom_)) return emitExistsJoin(j, scope);
  // SQLite plans `t RIGHT JOIN (derived)` as a scan of the derived rows per table
  // row; the same join written the other way round uses t's key, so where no `*`
  // can see the order of the sides it is written as a LEFT JOIN.
  const bool swap = swapRightJoins_ && j.type == ast::JoinType::Right;
  emitTableRef(swap ? *j.right : *j.left, scope);
  out_ += joinSql(swap ? ast::JoinType::Left : j.type);
  // A join on the right side keeps its parentheses: a JOIN (b JOIN c ON ..) ON ..
  const ast::TableRef& right = swap ? *j.left : *j.right;
  const bool nested = right.kind == ast::NodeKind::JoinedTable;
  if (nested) out_ += '(';
  rightOfLeftJoin_ = !nested && (swap || j.type == ast::JoinType::Left);
  applyRight_ = j.type == ast::JoinType::CrossApply || j.type == ast::JoinType::OuterApply;
  emitTableRef(right, scope);
  applyRight_ = false;
  rightOfLeftJoin_ = false;
  if (nested) out_ += ')';
  if (j.on) {
    out_ += " ON ";
    Scope* saved = scope_;
    scope_ = &scope;
    emit(*j.on);
    scope_ = saved;
  } else if (j.type == ast::JoinType::OuterApply && !std::exchange(applyOnWritten_, false)) {
    out_ += " ON 1 = 1";
  }
  applyOnWritten_ = false;
}

}  // namespace tsql::translate
