// INSERT, UPDATE, DELETE and assigning SELECTs.
//
// UPDATE ... FROM keeps SQL Server's meaning by computing the new values in a
// subquery over the FROM clause keyed by the target's rowid, then updating by rowid:
//   UPDATE t SET c = u.v1 FROM (SELECT <target>.rowid AS r_, <expr> AS v1
//                              FROM <from> WHERE <cond>) AS u WHERE t.rowid = u.r_
// A target row unmatched on a LEFT JOIN is in the subquery (with NULLs from the
// other side) and is updated; a RIGHT JOIN row without a target row has a NULL
// rowid and updates nothing; a target row joined many times is updated once.
#include "core/scoped_flag.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::DataType;

const std::vector<catalog::ColumnInfo>& SqlTranslator::tableColumns(const std::string& table) {
  std::string sqlName = tableSqlName(table);
  const auto* cols = env_.columns(sqlName);
  if (!cols) throw TranslateError(errors::Error::InvalidObject, {table});
  return *cols;
}

namespace {

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

DataType columnTypeIn(const std::vector<catalog::ColumnInfo>& cols, const std::string& name) {
  for (const auto& c : cols)
    if (sameName(c.name, name)) return c.type;
  return {};
}

bool hasColumn(const std::vector<catalog::ColumnInfo>& cols, const std::string& name) {
  for (const auto& c : cols)
    if (sameName(c.name, name)) return true;
  return false;
}

}  // namespace

// INSERT INTO t(cols) VALUES (...) | query | DEFAULT VALUES; each value converted
// to its column's type on the way in. An identity the engine numbers is added as a
// column whose value is tsql_identity_next, per row.
Translation SqlTranslator::insert(const ast::InsertStmt& s) {
  withPrefix_ = emitWith(s.with.get());
  const std::string sqlName = tableSqlName(s.table);
  const auto& cols = tableColumns(s.table);
  std::vector<std::string> names = s.columns;
  if (names.empty() && !s.defaultValues) {
    std::string identity = env_.identityColumn(sqlName);
    for (const auto& c : cols)
      if (!sameName(c.name, identity) && !c.computed) names.push_back(c.name);
  }
  std::vector<DataType> types;
  for (const auto& n : names) {
    if (!hasColumn(cols, n)) throw TranslateError(errors::Error::InvalidColumn, {n});
    refuseComputed(cols, n);
    types.push_back(columnTypeIn(cols, n));
  }
  bool given = false;
  std::string next;
  std::string identity = insertIdentity(sqlName, names, given, next);
  out_ = "INSERT INTO " + quoteIdent(sqlName);
  if (s.defaultValues && next.empty()) {
    out_ += " DEFAULT VALUES";
  } else if (s.defaultValues) {
    out_ += '(' + quoteIdent(identity) + ") VALUES (" + next + ')';
  } else {
    emitInsertRows(s, names, types, identity, next);
  }
  std::vector<DataType> outputTypes;
  if (s.output) emitReturning(*s.output, cols, "inserted", false, outputTypes);
  Translation t = finish();
  t.columnTypes = std::move(outputTypes);
  t.identityTable = identity.empty() ? std::string() : sqlName;
  t.identityColumn = identity;
  t.identityGiven = given;
  return t;
}

void SqlTranslator::emitInsertRows(const ast::InsertStmt& s, const std::vector<std::string>& names,
                                   const std::vector<DataType>& types, const std::string& identity,
                                   const std::string& next) {
  out_ += '(';
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out_ += ", ";
    out_ += quoteIdent(names[i]);
  }
  if (!next.empty()) out_ += (names.empty() ? "" : ", ") + quoteIdent(identity);
  out_ += ") ";
  if (s.query) {
    if (!next.empty()) out_ += "SELECT *, " + next + " FROM (";
    emitQuery(*s.query, &types);
    if (!next.empty()) out_ += ')';
    return;
  }
  out_ += "VALUES ";
  for (std::size_t r = 0; r < s.rows.size(); ++r) {
    if (r) out_ += ", ";
    if (s.rows[r].size() != names.size()) throw TranslateError(errors::Error::FewerInsertColumns);
    out_ += '(';
    for (std::size_t i = 0; i < s.rows[r].size(); ++i) {
      if (i) out_ += ", ";
      emitColumnStore(*s.rows[r][i], types[i]);
    }
    if (!next.empty()) out_ += (s.rows[r].empty() ? "" : ", ") + next;
    out_ += ')';
  }
}

std::string SqlTranslator::insertIdentity(const std::string& sqlName,
                                          const std::vector<std::string>& names, bool& given,
                                          std::string& nextIdentity) {
  std::string identity = env_.identityColumn(sqlName);
  if (identity.empty()) return identity;
  for (const auto& n : names) given = given || sameName(n, identity);
  if (!given && env_.identityGivenByEngine(sqlName)) {
    std::string quoted = sqlName;
    for (std::size_t i = quoted.find('\''); i != std::string::npos; i = quoted.find('\'', i + 2))
      quoted.insert(i, 1, '\'');
    nextIdentity = "tsql_identity_next('" + quoted + "')";
  }
  return identity;
}

void SqlTranslator::refuseComputed(const std::vector<catalog::ColumnInfo>& cols, const std::string& name) {
  for (const auto& c : cols)
    if (c.computed && sameName(c.name, name)) throw TranslateError(errors::Error::ComputedColumnWrite, {c.name});
}

// The FROM entry the UPDATE/DELETE target names: an alias first, else the only
// occurrence of the table itself.
const ast::NamedTableRef* SqlTranslator::findTarget(const std::vector<ast::TableRefPtr>& from,
                                                    const std::string& target) const {
  std::string want = toLower(target);
  std::string wantTable = target[0] == '@' ? want : catalog::normalizeObjectName(target);
  const ast::NamedTableRef* byAlias = nullptr;
  const ast::NamedTableRef* byName = nullptr;
  int nameCount = 0;
  std::vector<const ast::TableRef*> stack;
  for (const auto& t : from) stack.push_back(t.get());
  while (!stack.empty()) {
    const ast::TableRef* t = stack.back();
    stack.pop_back();
    if (const auto* j = ast::nodeAs<ast::JoinedTableRef>(t)) {
      stack.push_back(j->left.get());
      stack.push_back(j->right.get());
    } else if (const auto* n = ast::nodeAs<ast::NamedTableRef>(t)) {
      if (!n->alias.empty() && toLower(n->alias) == want) byAlias = n;
      std::string name = n->isVariable() ? n->name : catalog::normalizeObjectName(n->name);
      if (name == wantTable) {
        byName = n;
        ++nameCount;
      }
    }
  }
  if (byAlias) return byAlias;
  return nameCount == 1 ? byName : nullptr;
}

Translation SqlTranslator::update(const ast::UpdateStmt& s) {
  withPrefix_ = emitWith(s.with.get());
  const ast::NamedTableRef* targetRef = s.from.empty() ? nullptr : findTarget(s.from, s.target);
  std::string table = targetRef ? targetRef->name : s.target;
  const auto& cols = tableColumns(table);
  std::string sqlName = tableSqlName(table);
  for (const auto& a : s.sets) {
    if (a.target[0][0] == '@')
      throw TranslateError(errors::Error::UpdateAssignsVariable);
    if (!hasColumn(cols, a.target.back()))
      throw TranslateError(errors::Error::InvalidColumn, {a.target.back()});
    refuseComputed(cols, a.target.back());
  }
  Scope scope;
  scope.outer = scope_;
  scope.hostsRowCalls = !scope.outer;
  scope_ = &scope;
  if (s.from.empty()) {
    scope.sources.push_back({sqlName, cols, {}, nullptr});  // the UPDATE names the table itself
    out_ = "UPDATE " + quoteIdent(sqlName) + " SET ";
    if (!scope.outer) scope.fromSql = " FROM " + quoteIdent(sqlName);
    for (std::size_t i = 0; i < s.sets.size(); ++i) {
      if (i) out_ += ", ";
      out_ += quoteIdent(s.sets[i].target.back()) + " = ";
      emitColumnStore(*s.sets[i].value, columnTypeIn(cols, s.sets[i].target.back()));
    }
    const std::size_t whereAt = out_.size(), runsBeforeWhere = functionRuns_.size();
    if (s.currentOf)
      emitCurrentOf(quoteIdent(sqlName));
    else
      emitLimitedWhere(quoteIdent(sqlName), s.where.get(), s.top.get());
    if (!s.top && functionRuns_.size() == runsBeforeWhere) scope.rowFilter = out_.substr(whereAt);
    finishRowCalls(scope);
  } else {
    emitUpdateFrom(s, targetRef, sqlName, cols, scope);
  }
  scope_ = scope.outer;
  std::vector<DataType> outputTypes;
  if (s.output) emitReturning(*s.output, cols, "inserted", true, outputTypes);
  bool moved = emitMovedRowKey(s, quoteIdent(sqlName));
  Translation t = finish();
  t.columnTypes = std::move(outputTypes);
  t.returnsRowKey = moved;
  return t;
}

// UPDATE t SET c = u.v0 FROM (SELECT <key>.rowid AS r_, <value> AS v0 FROM ... WHERE ...)
// AS u WHERE t.rowid = u.r_   (see the file header)
void SqlTranslator::emitUpdateFrom(const ast::UpdateStmt& s, const ast::NamedTableRef* targetRef,
                                   const std::string& sqlName,
                                   const std::vector<catalog::ColumnInfo>& cols, Scope& scope) {
  out_ = " FROM ";
  if (!targetRef) {  // the target is not in FROM: SQL Server joins it in
    out_ += quoteIdent(sqlName) + ", ";
    scope.sources.push_back({sqlName, cols, {}, nullptr});
  }
  {
    core::ScopedFlag swap(swapRightJoins_);
    emitFromList(s.from, scope);
  }
  std::string fromSql = std::move(out_);
  if (!scope.outer) scope.fromSql = fromSql;
  std::string key = sqlName;
  if (targetRef && !targetRef->alias.empty()) key = targetRef->alias;
  else if (targetRef && targetRef->isVariable()) key = targetRef->name;
  out_ = "UPDATE " + quoteIdent(sqlName) + " SET ";
  for (std::size_t i = 0; i < s.sets.size(); ++i) {
    if (i) out_ += ", ";
    out_ += quoteIdent(s.sets[i].target.back()) + " = \"u_\".\"v" + std::to_string(i) + "\"";
  }
  const std::string rowKey = env_.dialect().rowKey;
  out_ += " FROM (SELECT " + quoteIdent(key) + "." + rowKey + " AS \"r_\"";
  for (std::size_t i = 0; i < s.sets.size(); ++i) {
    out_ += ", ";
    emitDerivedColumnStore(*s.sets[i].value, columnTypeIn(cols, s.sets[i].target.back()));
    out_ += " AS \"v" + std::to_string(i) + "\"";
  }
  out_ += fromSql;
  const std::size_t whereAt = out_.size(), runsBeforeWhere = functionRuns_.size();
  if (s.where) {
    out_ += " WHERE ";
    emit(*s.where);
  } else if (s.currentOf) {
    emitCurrentOf(quoteIdent(key));
  }
  if (functionRuns_.size() == runsBeforeWhere) scope.rowFilter = out_.substr(whereAt);
  finishRowCalls(scope);
  emitRowLimit(s.top.get());
  out_ += ") AS \"u_\" WHERE " + quoteIdent(sqlName) + "." + rowKey + " = \"u_\".\"r_\"";
}

// DELETE [FROM] t [FROM sources] [WHERE ...]; with sources, the rows go by rowid.
Translation SqlTranslator::remove(const ast::DeleteStmt& s) {
  withPrefix_ = emitWith(s.with.get());
  const ast::NamedTableRef* targetRef = s.from.empty() ? nullptr : findTarget(s.from, s.target);
  std::string table = targetRef ? targetRef->name : s.target;
  const auto& cols = tableColumns(table);
  std::string sqlName = tableSqlName(table);
  Scope scope;
  scope.outer = scope_;
  scope_ = &scope;
  if (s.from.empty()) {
    scope.sources.push_back({s.target[0] == '@' ? s.target : sqlName, cols, {}, nullptr});
    std::string named = quoteIdent(sqlName);
    if (s.target[0] == '@') named += " AS " + quoteIdent(s.target);
    out_ = "DELETE FROM " + named;
    if (s.currentOf)
      emitCurrentOf(quoteIdent(s.target[0] == '@' ? s.target : sqlName));
    else
      emitLimitedWhere(named, s.where.get(), s.top.get());
  } else {
    out_.clear();
    if (!targetRef) {
      out_ += quoteIdent(sqlName) + ", ";
      scope.sources.push_back({sqlName, cols, {}, nullptr});
    }
    {
      core::ScopedFlag swap(swapRightJoins_);
      emitFromList(s.from, scope);
    }
    std::string fromSql = std::move(out_);
    std::string key = targetRef && !targetRef->alias.empty()
                          ? targetRef->alias
                          : (targetRef && targetRef->isVariable() ? targetRef->name : sqlName);
    const std::string rowKey = env_.dialect().rowKey;
    out_ = "DELETE FROM " + quoteIdent(sqlName) + " WHERE " + rowKey + " IN (SELECT " + quoteIdent(key) + "." +
           rowKey + " FROM " + fromSql;
    if (s.where) {
      out_ += " WHERE ";
      emit(*s.where);
    } else if (s.currentOf) {
      emitCurrentOf(quoteIdent(key));
    }
    emitRowLimit(s.top.get());
    out_ += ')';
  }
  scope_ = scope.outer;
  std::vector<DataType> outputTypes;
  if (s.output) emitReturning(*s.output, cols, "deleted", false, outputTypes);
  Translation t = finish();
  t.columnTypes = std::move(outputTypes);
  return t;
}

void SqlTranslator::emitRowLimit(const ast::Expr* top) {
  if (!top) return;
  out_ += " LIMIT ";
  emit(*top);
}

// WHERE of a one-table UPDATE or DELETE; with TOP (n) the rows are picked by rowid in
// a subquery over the same table, as SQLite's UPDATE has no LIMIT of its own.
void SqlTranslator::emitLimitedWhere(const std::string& table, const ast::Expr* where,
                                     const ast::Expr* top) {
  const std::string rowKey = env_.dialect().rowKey;
  if (top) out_ += " WHERE " + rowKey + " IN (SELECT " + rowKey + " FROM " + table;
  if (where) {
    out_ += " WHERE ";
    emit(*where);
  }
  emitRowLimit(top);
  if (top) out_ += ')';
}

bool SqlTranslator::readsAny(const ast::Expr& e, const std::vector<std::string>& vars) const {
  using ast::NodeKind;
  switch (e.kind) {
    case NodeKind::Variable: {
      const auto& name = ast::nodeCast<ast::VariableExpr>(e).name;
      for (const auto& v : vars)
        if (v == name) return true;
      return false;
    }
    case NodeKind::Unary: return readsAny(*ast::nodeCast<ast::UnaryExpr>(e).operand, vars);
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(e);
      return readsAny(*b.lhs, vars) || readsAny(*b.rhs, vars);
    }
    case NodeKind::FunctionCall:
      for (const auto& a : ast::nodeCast<ast::FunctionCallExpr>(e).args)
        if (readsAny(*a, vars)) return true;
      return false;
    case NodeKind::Cast: return readsAny(*ast::nodeCast<ast::CastExpr>(e).operand, vars);
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(e);
      if (c.operand && readsAny(*c.operand, vars)) return true;
      if (c.elseExpr && readsAny(*c.elseExpr, vars)) return true;
      for (const auto& w : c.whens)
        if (readsAny(*w.when, vars) || readsAny(*w.then, vars)) return true;
      return false;
    }
    default: return false;  // subqueries and predicates are computed by the driver
  }
}

// Collects the largest subtrees of an assigned expression that do not read an
// assigned variable; the driving query computes them.
void SqlTranslator::emitAssignmentParts(const ast::Expr& e, const std::vector<std::string>& assigned,
                                        std::vector<const ast::Expr*>& parts) {
  using ast::NodeKind;
  if (!readsAny(e, assigned)) {
    if (e.kind != NodeKind::Literal && e.kind != NodeKind::Variable) parts.push_back(&e);
    return;
  }
  switch (e.kind) {
    case NodeKind::Unary: return emitAssignmentParts(*ast::nodeCast<ast::UnaryExpr>(e).operand, assigned, parts);
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(e);
      emitAssignmentParts(*b.lhs, assigned, parts);
      return emitAssignmentParts(*b.rhs, assigned, parts);
    }
    case NodeKind::FunctionCall:
      for (const auto& a : ast::nodeCast<ast::FunctionCallExpr>(e).args) emitAssignmentParts(*a, assigned, parts);
      return;
    case NodeKind::Cast: return emitAssignmentParts(*ast::nodeCast<ast::CastExpr>(e).operand, assigned, parts);
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(e);
      if (c.operand) emitAssignmentParts(*c.operand, assigned, parts);
      for (const auto& w : c.whens) {
        emitAssignmentParts(*w.when, assigned, parts);
        emitAssignmentParts(*w.then, assigned, parts);
      }
      if (c.elseExpr) emitAssignmentParts(*c.elseExpr, assigned, parts);
      return;
    }
    default: return;
  }
}

// The driving query: the SELECT's own FROM, WHERE, GROUP BY, HAVING, ORDER BY and
// TOP, with the parts the steps need as its select list.
void SqlTranslator::emitAssignmentDriver(const ast::Query& q, const std::vector<const ast::Expr*>& columns,
                                         Scope& scope, AssignmentPlan& plan) {
  const ast::SelectCore& core = q.cores[0];
  out_.clear();
  if (!core.from.empty()) {
    out_ += " FROM ";
    emitFromList(core.from, scope);
  }
  std::string fromSql = std::move(out_);
  Scope* saved = scope_;
  scope_ = &scope;
  out_ = core.distinct ? "SELECT DISTINCT " : "SELECT ";
  windowsAllowed_ = true;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) out_ += ", ";
    emit(*columns[i]);
    plan.driver.columnTypes.push_back(typeOf(*columns[i]));
  }
  windowsAllowed_ = false;
  if (columns.empty()) out_ += "1";
  out_ += fromSql;
  if (core.where) {
    out_ += " WHERE ";
    emit(*core.where);
  }
  for (std::size_t i = 0; i < core.groupBy.size(); ++i) {
    out_ += i ? ", " : " GROUP BY ";
    emit(*core.groupBy[i]);
  }
  if (core.having) {
    out_ += " HAVING ";
    emit(*core.having);
  }
  for (std::size_t i = 0; i < q.orderBy.size(); ++i) {
    out_ += i ? ", " : " ORDER BY ";
    emit(*q.orderBy[i].expr);
    out_ += orderDirection(q.orderBy[i].descending);
  }
  if (core.top) {
    out_ += " LIMIT ";
    emit(*core.top);
  }
  std::vector<ast::DataType> types = std::move(plan.driver.columnTypes);
  plan.driver = finish();
  plan.driver.columnTypes = std::move(types);
  scope_ = saved;
}

AssignmentPlan SqlTranslator::assignment(const ast::Query& q) {
  if (q.cores.size() != 1) throw TranslateError(errors::number(errors::Error::AssignWithRetrieval), "A SELECT that assigns variables cannot use UNION.");
  const ast::SelectCore& core = q.cores[0];
  std::vector<std::string> assigned = assignedVariables(core);
  // Driver columns: per item, either the whole value or the parts the step needs.
  std::vector<std::vector<const ast::Expr*>> itemParts(core.items.size());
  std::vector<const ast::Expr*> driverColumns;
  for (std::size_t i = 0; i < core.items.size(); ++i) {
    const ast::Expr& e = *core.items[i].expr;
    if (!readsAny(e, assigned)) itemParts[i].push_back(&e);
    else emitAssignmentParts(e, assigned, itemParts[i]);
    for (const auto* p : itemParts[i]) driverColumns.push_back(p);
  }
  AssignmentPlan plan;
  withPrefix_ = emitWith(q.with.get());
  Scope scope;
  scope.outer = scope_;
  emitAssignmentDriver(q, driverColumns, scope, plan);
  scope_ = &scope;  // the steps type their parts in the driver's scope
  int column = 0;
  for (std::size_t i = 0; i < core.items.size(); ++i)
    plan.items.push_back(assignmentStep(core.items[i], itemParts[i], driverColumns.size(), column));
  scope_ = scope.outer;
  return plan;
}

// Every item assigns a declared variable: their names, in order.
std::vector<std::string> SqlTranslator::assignedVariables(const ast::SelectCore& core) {
  std::vector<std::string> assigned;
  for (const auto& item : core.items) {
    if (item.assignTo.empty())
      throw TranslateError(errors::Error::AssignWithRetrieval);
    if (!env_.variableType(item.assignTo))
      throw TranslateError(errors::Error::UndeclaredVariable, {item.assignTo});
    assigned.push_back(item.assignTo);
  }
  return assigned;
}

// One assigned expression: a driver column as it is, or a step computed from its parts
// read from the driver row (columns from `column` on, which moves past them).
AssignmentPlan::Item SqlTranslator::assignmentStep(const ast::SelectItem& selectItem,
                                                   const std::vector<const ast::Expr*>& parts,
                                                   std::size_t driverWidth, int& column) {
  AssignmentPlan::Item item;
  item.variable = selectItem.assignTo;
  const ast::Expr& e = *selectItem.expr;
  if (parts.size() == 1 && parts[0] == &e) {
    item.column = column++;
    return item;
  }
  rowParts_.assign(driverWidth, nullptr);
  for (std::size_t p = 0; p < parts.size(); ++p) rowParts_[column + p] = parts[p];
  column += static_cast<int>(parts.size());
  out_ = "SELECT ";
  slots_.clear();
  emit(e);
  item.step = finish();
  rowParts_.clear();
  return item;
}

std::string SqlTranslator::repeatedValuesRow(const std::string& oneRow, std::size_t markers, std::size_t rows) {
  const std::size_t values = oneRow.rfind(") VALUES (");
  if (values == std::string::npos || oneRow.back() != ')') return {};
  const std::size_t rowAt = values + 9;
  std::string row;
  std::size_t next = 1;
  char quote = 0;  // a doubled quote closes and opens again
  for (std::size_t i = 0; i < oneRow.size(); ++i) {
    const char c = oneRow[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {  // ?N: only the row's, in order
      std::size_t end = i + 1, n = 0;
      while (end < oneRow.size() && oneRow[end] >= '0' && oneRow[end] <= '9') n = n * 10 + (oneRow[end++] - '0');
      if (i < rowAt || n != next++) return {};
      row += '?';
      i = end - 1;
      continue;
    }
    if (i >= rowAt) row += c;
  }
  if (next != markers + 1) return {};
  std::string sql = oneRow.substr(0, rowAt);
  sql.reserve(rowAt + rows * (row.size() + 2));
  for (std::size_t r = 0; r < rows; ++r) {
    if (r) sql += ", ";
    sql += row;
  }
  return sql;
}

}  // namespace tsql::translate
