// MERGE as a short run of statements over a plan table (see MergePlan). The plan is
// filled once from the target and the source as they stand before anything changes:
//   target JOIN source ON cond                        -> the WHEN MATCHED clauses
//   source WHERE NOT EXISTS (target WHERE cond)       -> WHEN NOT MATCHED [BY TARGET]
//   target WHERE NOT EXISTS (source WHERE cond)       -> WHEN NOT MATCHED BY SOURCE
// each row tagged with the first clause whose AND condition holds (0: none acts). The
// steps then act on the plan's rows only, so what one clause writes never changes which
// rows another sees, and a source that reads the target is read before it changes.
// The source may be a join: each of its tables keeps its alias, and the plan holds all
// their columns side by side (tsql_c0, tsql_c1, ...). A step reads the plan through one
// derived table per alias that gives those columns back their own names, so the
// clauses' expressions read `alias.column` from the plan as they read the source.
#include "core/scoped_flag.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::DataType;
using ast::MergeAction;
using ast::MergeMatch;

struct SqlTranslator::MergeContext {
  std::string sqlName;   //!< the target table
  std::string alias;     //!< the name the statement reads the target by, lower-case
  std::string aliasSql;  //!< ... as written into SQL
  std::vector<catalog::ColumnInfo> targetColumns;
  struct Source {
    std::string alias;  //!< lower-case
    std::vector<catalog::ColumnInfo> columns;
    std::size_t first = 0;  //!< the plan column of its first column
  };
  std::vector<Source> sources;  //!< the source's tables (a join's several), in order
  //! The source of that alias; nullptr for none.
  const Source* find(const std::string& alias) const;
  //! The plan column of `name` read under qualifier `q` ("": the first source having it);
  //! -1 when no source has it.
  int planColumnOf(const std::string& q, const std::string& name) const;
  //! Source `k` read from the plan under its own alias and column names.
  std::string planSource(std::size_t k) const;
  //! The other sources joined to the first by plan row.
  std::string planJoins() const;
  //! Makes the sources known to `scope` as the plan gives them.
  void addTo(Scope& scope) const;
  std::string plan;       //!< the plan table's SQL name
  bool keepsOld = false;  //!< the plan holds the target rows as they were (for OUTPUT)
};

namespace {

constexpr const char* kPlanName = "tsql_merge_plan";
constexpr const char* kKey = "\"tsql_key\"";
constexpr const char* kClause = "\"tsql_clause\"";
constexpr const char* kRow = "\"tsql_row\"";  // the plan row's number, from 1

std::string oldColumn(std::size_t i) { return "\"tsql_old" + std::to_string(i) + "\""; }
std::string planColumn(std::size_t i) { return "\"tsql_c" + std::to_string(i) + "\""; }

bool hasClause(const ast::MergeStmt& s, MergeMatch m) {
  for (const auto& c : s.clauses)
    if (c.match == m) return true;
  return false;
}

const char* actionText(MergeAction a) {
  switch (a) {
    case MergeAction::Update: return "'UPDATE'";
    case MergeAction::Delete: return "'DELETE'";
    case MergeAction::Insert: return "'INSERT'";
  }
  return "NULL";
}

int columnIndex(const std::vector<catalog::ColumnInfo>& cols, const std::string& name) {
  std::string want = toLower(name);
  for (std::size_t i = 0; i < cols.size(); ++i)
    if (toLower(cols[i].name) == want) return static_cast<int>(i);
  return -1;
}

// The table part of a column reference, lower-case ("" when it has none).
std::string qualifierOf(const ast::ColumnRefExpr& c) {
  return c.parts.size() > 1 ? toLower(c.parts[c.parts.size() - 2]) : std::string();
}

// The reference as written, for a message.
std::string writtenName(const ast::ColumnRefExpr& c) {
  std::string name;
  for (const auto& p : c.parts) name += (name.empty() ? "" : ".") + p;
  return name;
}

}  // namespace

const SqlTranslator::MergeContext::Source* SqlTranslator::MergeContext::find(const std::string& alias) const {
  for (const auto& src : sources)
    if (src.alias == alias) return &src;
  return nullptr;
}

int SqlTranslator::MergeContext::planColumnOf(const std::string& q, const std::string& name) const {
  for (const auto& src : sources) {
    if (!q.empty() && src.alias != q) continue;
    if (int i = columnIndex(src.columns, name); i >= 0) return static_cast<int>(src.first) + i;
  }
  return -1;
}

// (SELECT tsql_key, tsql_clause, tsql_row, tsql_c0 AS "item", ... FROM plan) AS "d"; a
// further source carries only the row number it is joined by.
std::string SqlTranslator::MergeContext::planSource(std::size_t k) const {
  const Source& src = sources[k];
  std::string sql = std::string("(SELECT ") + kRow;
  if (k == 0) sql += std::string(", ") + kKey + ", " + kClause;
  for (std::size_t i = 0; i < src.columns.size(); ++i)
    sql += ", " + planColumn(src.first + i) + " AS " + quoteIdent(src.columns[i].name);
  return sql + " FROM " + plan + ") AS " + quoteIdent(src.alias);
}

std::string SqlTranslator::MergeContext::planJoins() const {
  std::string sql;
  const std::string first = quoteIdent(sources[0].alias) + "." + kRow;
  for (std::size_t k = 1; k < sources.size(); ++k)
    sql += " JOIN " + planSource(k) + " ON " + quoteIdent(sources[k].alias) + "." + kRow + " = " + first;
  return sql;
}

// The steps read the source's columns from the plan, computed columns too.
void SqlTranslator::MergeContext::addTo(Scope& scope) const {
  for (const auto& src : sources) {
    scope.sources.push_back({src.alias, src.columns, {}, nullptr});
    for (auto& c : scope.sources.back().columns) c.expression.clear();
  }
}

// The source's tables with their columns, each column given its place in the plan.
// SQL Server refuses a source under the target's name, and a derived table that names
// a column twice.
void SqlTranslator::resolveMergeSources(const ast::MergeStmt& s, MergeContext& m) {
  Scope probe;
  probe.outer = scope_;
  resolveSource(*s.source, probe);
  std::size_t next = 0;
  for (auto& found : probe.sources) {
    if (found.alias == m.alias) throw TranslateError(errors::Error::MergeSourceIsTarget);
    const auto& cols = found.columns;
    for (std::size_t i = 0; i < cols.size(); ++i)
      for (std::size_t j = 0; j < i; ++j)
        if (toLower(cols[i].name) == toLower(cols[j].name))
          throw TranslateError(errors::Error::UserMessage, {"The column '" + cols[i].name +
                                                            "' was specified multiple times for '" + found.alias +
                                                            "'."});
    m.sources.push_back({found.alias, cols, next});
    next += cols.size();
  }
}

// WHEN NOT MATCHED has no target row, WHEN NOT MATCHED BY SOURCE no source row: their
// conditions and values may read only the other side (5333, 5334), which the server
// checks before the statement runs. A name qualified by the target that the target
// lacks is left to the usual 207.
void SqlTranslator::checkClauseScopes(const ast::MergeStmt& s, const MergeContext& m) const {
  for (const auto& c : s.clauses) {
    if (c.match == MergeMatch::Matched) continue;
    const bool bySource = c.match == MergeMatch::NotMatchedBySource;
    const ast::ColumnRefExpr* wrong = nullptr;
    auto outside = [&](const ast::ColumnRefExpr& r) {
      std::string q = qualifierOf(r);
      bool inScope = bySource ? q == m.alias || (q.empty() && columnIndex(m.targetColumns, r.column()) >= 0)
                              : m.planColumnOf(q, r.column()) >= 0;
      if (!inScope) wrong = &r;
      return !inScope;
    };
    bool found = readsColumn(c.condition.get(), outside);
    for (const auto& a : c.sets) found = found || readsColumn(a.value.get(), outside);
    for (const auto& v : c.values) found = found || readsColumn(v.get(), outside);
    if (found)
      throw TranslateError(bySource ? errors::Error::MergeBySourceReads : errors::Error::MergeNotMatchedReads,
                           {writtenName(*wrong)});
  }
}

MergePlan SqlTranslator::merge(const ast::MergeStmt& s) {
  withPrefix_ = emitWith(s.with.get());  // the fill reads the source, so it carries the WITH
  MergeContext m;
  m.sqlName = tableSqlName(s.target);
  m.targetColumns = tableColumns(s.target);
  if (!s.alias.empty()) m.alias = toLower(s.alias), m.aliasSql = quoteIdent(s.alias);
  else if (s.target[0] == '@') m.alias = s.target, m.aliasSql = quoteIdent(s.target);
  else m.alias = m.sqlName, m.aliasSql = quoteIdent(m.sqlName);
  resolveMergeSources(s, m);
  checkClauseScopes(s, m);
  m.keepsOld = s.output != nullptr;
  const auto& dialect = env_.dialect();
  m.plan = std::string(dialect.tempSchema) + quoteIdent(kPlanName);

  MergePlan plan;
  plan.table = m.plan;
  plan.create = "CREATE TEMP TABLE " + quoteIdent(kPlanName) + " (" + kKey + " " + dialect.rowKeyType + ", " +
                kClause + " integer";
  auto column = [&](const std::string& quoted, const DataType& type) {
    plan.create += ", " + quoted + " " + dialect.columnType(type);
    if (type.isText()) plan.create += std::string(" ") + dialect.caseBlindCollation;
  };
  for (const auto& src : m.sources)
    for (std::size_t i = 0; i < src.columns.size(); ++i) column(planColumn(src.first + i), src.columns[i].type);
  if (m.keepsOld)
    for (std::size_t i = 0; i < m.targetColumns.size(); ++i) column(oldColumn(i), m.targetColumns[i].type);
  plan.create += std::string(", ") + kRow + " bigint)";

  emitMergeFill(s, m, plan);
  for (const auto& c : s.clauses)
    if (c.match == MergeMatch::Matched && c.action != MergeAction::Insert)
      plan.rowTwice = "SELECT 1 FROM " + m.plan + " WHERE " + kKey + " IS NOT NULL GROUP BY " + kKey +
                      " HAVING count(*) > 1";
  for (std::size_t i = 0; i < s.clauses.size(); ++i) {
    if (s.clauses[i].action == MergeAction::Update) plan.steps.push_back({mergeUpdate(s, m, i), false, {}});
    if (s.clauses[i].action == MergeAction::Delete) plan.steps.push_back({mergeDelete(s, m, i), false, {}});
  }
  for (std::size_t i = 0; i < s.clauses.size(); ++i) {
    if (s.clauses[i].action != MergeAction::Insert) continue;
    MergePlan::Step step{mergeInsert(s, m, i), true, {}};
    if (mergePerRow_)
      step.perRow = "SELECT " + std::string(kRow) + " FROM " + m.plan + " WHERE " + kClause + " = " +
                    std::to_string(i + 1) + " ORDER BY " + kRow;
    plan.steps.push_back(std::move(step));
  }
  if (s.output) {
    out_.clear();
    emitMergeOutput(s, m, MergeAction::Update, "NULL", &plan);
    out_.clear();
    slots_.clear();
  }
  return plan;
}

// INSERT INTO plan SELECT * FROM (matched UNION ALL not matched ...) WHERE clause > 0
// [LIMIT top]: TOP counts the rows acted on, whichever clause acts.
void SqlTranslator::emitMergeFill(const ast::MergeStmt& s, const MergeContext& m, MergePlan& plan) {
  out_ = "INSERT INTO " + m.plan + " (" + kKey + ", " + kClause;
  for (const auto& src : m.sources)
    for (std::size_t i = 0; i < src.columns.size(); ++i) out_ += ", " + planColumn(src.first + i);
  if (m.keepsOld)
    for (std::size_t i = 0; i < m.targetColumns.size(); ++i) out_ += ", " + oldColumn(i);
  out_ += std::string(", ") + kRow + ") SELECT \"m_\".*, row_number() OVER () FROM (";
  bool first = true;
  for (MergeMatch part : {MergeMatch::Matched, MergeMatch::NotMatchedByTarget, MergeMatch::NotMatchedBySource}) {
    if (!hasClause(s, part)) continue;
    if (!first) out_ += " UNION ALL ";
    first = false;
    emitMergePart(s, m, part);
  }
  out_ += std::string(") AS \"m_\" WHERE \"m_\".") + kClause + " > 0";
  if (s.top) {
    out_ += " LIMIT ";
    emit(*s.top);
  }
  plan.fill = finish();
}

// One arm of the plan's UNION ALL: the rows of one kind of clause, each tagged with the
// clause that acts on it. The FROM is written first so the select list can resolve.
void SqlTranslator::emitMergePart(const ast::MergeStmt& s, const MergeContext& m, MergeMatch part) {
  const auto& dialect = env_.dialect();
  std::string head = std::move(out_);
  Scope scope;
  scope.outer = scope_;
  Scope inner;
  inner.outer = &scope;
  Scope* saved = scope_;
  out_ = " FROM ";
  if (part == MergeMatch::Matched) {
    emitMergeTarget(s, scope);
    const bool joined = s.source->kind == ast::NodeKind::JoinedTable;
    out_ += joined ? " JOIN (" : " JOIN ";
    emitTableRef(*s.source, scope);
    out_ += joined ? ") ON " : " ON ";
    scope_ = &scope;
    emit(*s.on);
  } else {
    bool bySource = part == MergeMatch::NotMatchedBySource;
    if (bySource) emitMergeTarget(s, scope);
    else emitTableRef(*s.source, scope);
    out_ += " WHERE NOT EXISTS (SELECT 1 FROM ";
    if (bySource) emitTableRef(*s.source, inner);
    else emitMergeTarget(s, inner);
    out_ += " WHERE ";
    scope_ = &inner;
    emit(*s.on);
    out_ += ')';
  }
  std::string from = std::move(out_);
  scope_ = &scope;
  const std::string keyed = m.aliasSql + "." + dialect.rowKey;
  auto nullOf = [&](const DataType& type) { return "CAST(NULL AS " + dialect.columnType(type) + ")"; };
  out_ = head + "SELECT " +
         (part == MergeMatch::NotMatchedByTarget ? "CAST(NULL AS " + std::string(dialect.rowKeyType) + ")" : keyed) +
         " AS " + kKey + ", ";
  emitClauseChoice(s, part);
  out_ += std::string(" AS ") + kClause;
  for (const auto& src : m.sources)
    for (std::size_t i = 0; i < src.columns.size(); ++i) {
      const auto& c = src.columns[i];
      out_ += ", ";
      if (part == MergeMatch::NotMatchedBySource) out_ += nullOf(c.type);
      else if (!c.expression.empty()) emitComputedOnRead(Source{src.alias, src.columns, {}, nullptr}, i);
      else out_ += quoteIdent(src.alias) + "." + quoteIdent(c.name);
    }
  if (m.keepsOld)
    for (const auto& c : m.targetColumns)
      out_ += ", " + (part == MergeMatch::NotMatchedByTarget ? nullOf(c.type) : m.aliasSql + "." + quoteIdent(c.name));
  out_ += from;
  scope_ = saved;
}

// target [AS alias], known to `scope` by the name the statement reads it by.
void SqlTranslator::emitMergeTarget(const ast::MergeStmt& s, Scope& scope) {
  ast::NamedTableRef ref(s.pos);
  ref.name = s.target;
  ref.alias = s.alias;
  emitNamedTable(ref, scope);
}

// CASE WHEN <first clause's condition> THEN 1 WHEN ... ELSE 0 END over the clauses of
// one kind, numbered from 1 in the statement's order.
void SqlTranslator::emitClauseChoice(const ast::MergeStmt& s, MergeMatch part) {
  out_ += "CASE";
  for (std::size_t i = 0; i < s.clauses.size(); ++i) {
    if (s.clauses[i].match != part) continue;
    out_ += " WHEN ";
    if (s.clauses[i].condition) emit(*s.clauses[i].condition);
    else out_ += "1 = 1";
    out_ += " THEN " + std::to_string(i + 1);
  }
  out_ += " ELSE 0 END";
}

// UPDATE target SET c = u_.v0 FROM (SELECT t.key AS r_, <value> AS v0 FROM target AS t
// JOIN plan AS s ON t.key = s.tsql_key WHERE s.tsql_clause = n) AS u_ WHERE key = u_.r_
Translation SqlTranslator::mergeUpdate(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause) {
  const auto& c = s.clauses[clause];
  const std::string rowKey = env_.dialect().rowKey;
  for (const auto& a : c.sets) {
    if (a.target[0][0] == '@') throw TranslateError(errors::Error::UpdateAssignsVariable);
    if (columnIndex(m.targetColumns, a.target.back()) < 0)
      throw TranslateError(errors::Error::InvalidColumn, {a.target.back()});
    refuseComputed(m.targetColumns, a.target.back());
  }
  Scope scope;
  scope.outer = scope_;
  Scope* saved = scope_;
  const std::string source = quoteIdent(m.sources[0].alias);
  out_ = " FROM ";
  emitMergeTarget(s, scope);
  out_ += " JOIN " + m.planSource(0) + " ON " + m.aliasSql + "." + rowKey + " = " + source + "." + kKey +
          m.planJoins();
  m.addTo(scope);
  std::string from = std::move(out_);
  scope_ = &scope;
  out_ = "UPDATE " + quoteIdent(m.sqlName) + " SET ";
  for (std::size_t i = 0; i < c.sets.size(); ++i)
    out_ += (i ? ", " : "") + quoteIdent(c.sets[i].target.back()) + " = \"u_\".\"v" + std::to_string(i) + "\"";
  out_ += " FROM (SELECT " + m.aliasSql + "." + rowKey + " AS \"r_\"";
  for (std::size_t i = 0; i < c.sets.size(); ++i) {
    out_ += ", ";
    emitDerivedColumnStore(*c.sets[i].value,
                           m.targetColumns[columnIndex(m.targetColumns, c.sets[i].target.back())].type);
    out_ += " AS \"v" + std::to_string(i) + "\"";
  }
  out_ += from + " WHERE " + source + "." + kClause + " = " + std::to_string(clause + 1) + ") AS \"u_\" WHERE " +
          quoteIdent(m.sqlName) + "." + rowKey + " = \"u_\".\"r_\"";
  scope_ = saved;
  // SQLite keeps a row's rowid through an UPDATE; the server's ctid moves, so there
  // the old key is the one the FROM subquery read.
  std::string oldKey = !env_.dialect().rowKeyMovesOnUpdate ? quoteIdent(m.sqlName) + "." + rowKey
                                                            : std::string("\"u_\".\"r_\"");
  if (s.output) emitMergeOutput(s, m, MergeAction::Update, oldKey, nullptr);
  return finish();
}

// DELETE FROM target WHERE key IN (SELECT tsql_key FROM plan WHERE tsql_clause = n)
Translation SqlTranslator::mergeDelete(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause) {
  const std::string rowKey = env_.dialect().rowKey;
  out_ = "DELETE FROM " + quoteIdent(m.sqlName) + " WHERE " + rowKey + " IN (SELECT " + kKey + " FROM " + m.plan +
         " WHERE " + kClause + " = " + std::to_string(clause + 1) + ")";
  if (s.output) emitMergeOutput(s, m, MergeAction::Delete, quoteIdent(m.sqlName) + "." + rowKey, nullptr);
  return finish();
}

// INSERT INTO target (cols) SELECT <values> FROM plan AS s WHERE s.tsql_clause = n,
// in the order the plan holds the source rows; the values read the source only.
Translation SqlTranslator::mergeInsert(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause) {
  const auto& c = s.clauses[clause];
  std::vector<std::string> names = c.columns;
  if (names.empty() && !c.defaultValues) {
    std::string identity = env_.identityColumn(m.sqlName);
    for (const auto& col : m.targetColumns)
      if (toLower(col.name) != toLower(identity) && !col.computed) names.push_back(col.name);
  }
  if (c.defaultValues) names.clear();
  if (!c.defaultValues && names.size() != c.values.size()) throw TranslateError(errors::Error::FewerInsertColumns);
  for (const auto& n : names) {
    if (columnIndex(m.targetColumns, n) < 0) throw TranslateError(errors::Error::InvalidColumn, {n});
    refuseComputed(m.targetColumns, n);
  }
  bool given = false;
  std::string next;
  std::string identity = insertIdentity(m.sqlName, names, given, next);
  if (names.empty() && next.empty())
    throw TranslateError(errors::Error::UserMessage,
                         {"MERGE inserts DEFAULT VALUES only into a table whose identity the engine numbers."});
  Scope scope;
  scope.outer = scope_;
  m.addTo(scope);
  Scope* saved = scope_;
  scope_ = &scope;
  out_ = "INSERT INTO " + quoteIdent(m.sqlName) + " (";
  for (std::size_t i = 0; i < names.size(); ++i) out_ += (i ? ", " : "") + quoteIdent(names[i]);
  if (!next.empty()) out_ += (names.empty() ? "" : ", ") + quoteIdent(identity);
  out_ += ") SELECT ";
  for (std::size_t i = 0; i < c.values.size(); ++i) {
    if (i) out_ += ", ";
    emitColumnStore(*c.values[i], m.targetColumns[columnIndex(m.targetColumns, names[i])].type);
  }
  if (!next.empty()) out_ += (c.values.empty() ? "" : ", ") + next;
  const std::string source = quoteIdent(m.sources[0].alias);
  out_ += " FROM " + m.planSource(0) + m.planJoins() + " WHERE " + source + "." + kClause + " = " +
          std::to_string(clause + 1);
  // An OUTPUT that reads the source cannot find an inserted row's source row in
  // RETURNING, which sees the new row only: such an INSERT runs once per plan row.
  mergePerRow_ = s.output && outputReadsSource(s, m);
  if (mergePerRow_) {
    out_ += " AND " + source + "." + kRow + " = ";
    emitRowNumber();
  } else {
    out_ += " ORDER BY " + source + "." + kRow;
  }
  scope_ = saved;
  if (s.output) emitMergeOutput(s, m, MergeAction::Insert, "NULL", nullptr);
  Translation t = finish();
  t.identityTable = identity.empty() ? std::string() : m.sqlName;
  t.identityColumn = identity;
  t.identityGiven = given;
  return t;
}

// The RETURNING list of one step: inserted.* is the row as the step leaves it, deleted.*
// the row as the plan kept it, the source's columns come from the plan, and $action
// names the step; what a step has not (deleted on INSERT ...) is NULL. With `names`,
// the list's types and column names are noted there.
void SqlTranslator::emitMergeOutput(const ast::MergeStmt& s, const MergeContext& m, MergeAction action,
                                    const std::string& oldKey, MergePlan* names) {
  Scope scope;
  scope.outer = scope_;
  scope.sources.push_back({"inserted", m.targetColumns, {}, nullptr});
  scope.sources.push_back({"deleted", m.targetColumns, {}, nullptr});
  m.addTo(scope);
  DataType actionType = ast::typeFromName("nvarchar");
  actionType.length = 10;
  scope.sources.push_back({"", {{"$action", actionType}}, {}, nullptr});
  Scope* saved = scope_;
  scope_ = &scope;
  core::ScopedFlag returning(returning_);
  mergeOutput_ = &m;
  mergeAction_ = action;
  mergeOldKey_ = oldKey;
  out_ += " RETURNING ";
  bool first = true;
  for (const auto& item : s.output->items) {
    if (item.star) {
      std::string q = toLower(item.starQualifier);
      const MergeContext::Source* src = m.find(q);
      const auto* cols = q == "inserted" || q == "deleted" ? &m.targetColumns : src ? &src->columns : nullptr;
      if (!cols) throw TranslateError(errors::Error::InvalidObject, {item.starQualifier});
      for (std::size_t i = 0; i < cols->size(); ++i) {
        const auto& c = (*cols)[i];
        ast::ColumnRefExpr ref(item.pos);
        ref.parts = {q, c.name};
        out_ += first ? "" : ", ";
        first = false;
        if (cols == &m.targetColumns && !c.expression.empty()) emitComputedOnRead(Source{q, *cols, {}, nullptr}, i);
        else emitMergeOutputColumn(ref);
        if (names) names->outputTypes.push_back(c.type), names->outputNames.push_back(c.name);
      }
      continue;
    }
    out_ += first ? "" : ", ";
    first = false;
    emit(*item.expr);
    if (names) {
      const auto* ref = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
      names->outputTypes.push_back(typeOf(*item.expr));
      names->outputNames.push_back(!item.alias.empty() ? item.alias : ref ? ref->column() : std::string());
    }
    if (!item.alias.empty()) out_ += " AS " + quoteIdent(item.alias);
  }
  mergeOutput_ = nullptr;
  scope_ = saved;
}

// The number of the plan row a per-row step runs for.
void SqlTranslator::emitRowNumber() {
  Slot slot;
  slot.kind = Slot::Kind::RowValue;
  slot.rowIndex = 0;
  emitSlot(std::move(slot));
}

// The OUTPUT list reads a column of the source (by its alias, unqualified, or s.*).
bool SqlTranslator::outputReadsSource(const ast::MergeStmt& s, const MergeContext& m) const {
  auto fromSource = [&](const ast::ColumnRefExpr& c) {
    std::string q = qualifierOf(c);
    return q != "inserted" && q != "deleted" && toLower(c.column()) != "$action" &&
           m.planColumnOf(q, c.column()) >= 0;
  };
  for (const auto& item : s.output->items)
    if (item.star ? m.find(toLower(item.starQualifier)) != nullptr
                  : readsColumn(item.expr.get(), fromSource))
      return true;
  return false;
}

std::string SqlTranslator::planLookup(const std::string& column) const {
  return "(SELECT \"p_\"." + column + " FROM " + mergeOutput_->plan + " AS \"p_\" WHERE \"p_\"." + kKey + " = " +
         mergeOldKey_ + ")";
}

void SqlTranslator::emitMergeOutputColumn(const ast::ColumnRefExpr& c) {
  const MergeContext& m = *mergeOutput_;
  std::string q = qualifierOf(c);
  std::string name = c.column();
  if (q.empty() && toLower(name) == "$action") {
    out_ += actionText(mergeAction_);
    return;
  }
  int target = columnIndex(m.targetColumns, name);
  if ((q == "inserted" || q == "deleted") && target >= 0) {
    bool present = q == "inserted" ? mergeAction_ != MergeAction::Delete : mergeAction_ != MergeAction::Insert;
    if (!present) out_ += "NULL";
    else if (q == "deleted" && mergeAction_ == MergeAction::Update) out_ += planLookup(oldColumn(target));
    else out_ += quoteIdent(m.targetColumns[target].name);
    return;
  }
  if (int column = m.planColumnOf(q, name); column >= 0) {
    if (mergeAction_ == MergeAction::Insert) {  // the INSERT runs once per plan row
      out_ += "(SELECT \"p_\"." + planColumn(static_cast<std::size_t>(column)) + " FROM " + m.plan +
              " AS \"p_\" WHERE \"p_\"." + kRow + " = ";
      emitRowNumber();
      out_ += ')';
      return;
    }
    out_ += planLookup(planColumn(static_cast<std::size_t>(column)));
    return;
  }
  throw TranslateError(errors::Error::InvalidColumn, {name});
}

}  // namespace tsql::translate
