// Statements that read and write data and variables: SELECT (result sets and
// variable assignment), INSERT/UPDATE/DELETE, DECLARE and SET, and the evaluation of
// scalar expressions and conditions (plain literals and variables without SQLite).
#include "tsql/exec/constraint_errors.h"
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

SqlValue Interpreter::evaluate(const ast::Expr& e, int line, ast::DataType* type) {
  if (const auto* v = ast::nodeAs<ast::VariableExpr>(&e)) {
    const Variable& var = variable(v->name, line);
    if (type) *type = var.type;
    return var.value;
  }
  auto kept = translation(e, [&](auto& tr) { return tr.scalar(e); });
  const translate::Translation& t = *kept;
  if (type) *type = t.columnTypes[0];
  if (e.kind == ast::NodeKind::Literal && !t.slots.empty()) return slotValue(t.slots[0], nullptr);
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  bindSlots(stmt, t);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) return SqlValue::fromColumn(stmt, 0);
  if (rc != SQLITE_DONE) throw SqlException(sqliteError(line));
  return {};
}

// Money to int rounds where float to int truncates, so the conversion needs the
// value's own type as well as the target's.
SqlValue Interpreter::evaluateAs(const ast::Expr& e, const ast::DataType& type, int line) {
  ast::DataType from;
  SqlValue v = evaluate(e, line, &from);
  return convertValue(v, type, from, e.kind == ast::NodeKind::Literal);
}

bool Interpreter::evaluateCondition(const ast::Expr& e, int line) {
  auto kept = translation(e, [&](auto& tr) { return tr.condition(e); });
  const translate::Translation& t = *kept;
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  bindSlots(stmt, t);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) return sqlite3_column_int(stmt, 0) != 0;
  throw SqlException(sqliteError(line));
}

void Interpreter::assign(const std::string& name, const SqlValue& v, int line) {
  Variable& var = variable(name, line);
  if (!var.tempTable.empty())
    throw SqlException(137, 15, line, "Must declare the scalar variable \"" + name + "\".");
  var.value = convertValue(v, var.type);
}

void Interpreter::execSelect(const ast::SelectStmt& s) {
  for (const auto& item : s.query.cores[0].items) {
    if (!item.assignTo.empty()) return execAssigningSelect(s);
  }
  auto kept = translation(s, [&](auto& tr) { return tr.query(s.query); });
  const translate::Translation& t = *kept;
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  bindSlots(stmt, t);
  ResultSet rs;
  int n = sqlite3_column_count(stmt);
  std::vector<ast::DataType> types(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const char* decl = sqlite3_column_decltype(stmt, i);
    auto& type = types[static_cast<std::size_t>(i)];
    if (decl) type = ast::typeFromDeclaration(decl);
    if (!type.isKnown() && static_cast<std::size_t>(i) < t.columnTypes.size()) type = t.columnTypes[static_cast<std::size_t>(i)];
    if (type.kind == ast::TypeKind::Null) type = {};
    Column c;
    c.name = sqlite3_column_name(stmt, i);
    c.type = coreTypeOf(type);
    c.size = type.isText() && type.length > 0 ? type.length : 0;
    rs.columns.push_back(std::move(c));
  }
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<core::Value> row;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      row.push_back(toCoreValue(SqlValue::fromColumn(stmt, i), types[static_cast<std::size_t>(i)]));
    rs.rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) throw SqlException(sqliteError(line(s)));
  // Columns of unknown type take the type of their first non-null value.
  for (std::size_t c = 0; c < rs.columns.size(); ++c) {
    for (const auto& row : rs.rows) {
      if (rs.columns[c].type != core::ValueType::Null) break;
      if (!row[c].isNull()) rs.columns[c].type = row[c].type();
    }
  }
  rowCount_ = static_cast<std::int64_t>(rs.rows.size());
  result_->resultSets.push_back(std::move(rs));
}

// SELECT @a = x, @b = y FROM ...: each row assigns in turn; no row leaves the
// variables as they were.
void Interpreter::execAssigningSelect(const ast::SelectStmt& s) {
  auto kept = assignmentPlan(s);
  const translate::AssignmentPlan& plan = *kept;
  runtime::StatementCache::Lease use = prepare(plan.driver);
  sqlite3_stmt* driver = use.get();
  bindSlots(driver, plan.driver);
  int n = sqlite3_column_count(driver);
  std::vector<SqlValue> row(static_cast<std::size_t>(n));
  std::int64_t rows = 0;
  int rc;
  while ((rc = sqlite3_step(driver)) == SQLITE_ROW) {
    ++rows;
    for (int i = 0; i < n; ++i) row[static_cast<std::size_t>(i)] = SqlValue::fromColumn(driver, i);
    for (const auto& item : plan.items) {
      if (item.column >= 0) {
        assign(item.variable, row[static_cast<std::size_t>(item.column)], line(s));
        continue;
      }
      runtime::StatementCache::Lease stepUse = prepare(item.step);
      sqlite3_stmt* step = stepUse.get();
      bindSlots(step, item.step, &row);
      if (sqlite3_step(step) != SQLITE_ROW) throw SqlException(sqliteError(line(s)));
      assign(item.variable, SqlValue::fromColumn(step, 0), line(s));
    }
  }
  if (rc != SQLITE_DONE) throw SqlException(sqliteError(line(s)));
  rowCount_ = rows;
}

void Interpreter::execModify(const translate::Translation& t, int line, bool insert) {
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  bindSlots(stmt, t, nullptr, insert);  // an INSERT assigns no variable while it runs
  try {
    runToEnd(stmt, line);
  } catch (const SqlException& e) {
    throw SqlException(constraintError(db_, e.error(), insert ? "INSERT" : "UPDATE"));
  }
  rowCount_ = sqlite3_changes64(db_);
  if (insert) identity_ = sqlite3_last_insert_rowid(db_);
}

// DECLARE: a variable lives for the whole batch or procedure, whatever block declared
// it. Running the same DECLARE again (in a loop) only re-runs its initializer.
void Interpreter::execDeclare(const ast::DeclareStmt& s) {
  auto& vars = frames_.back()->vars;
  for (const auto& v : s.vars) {
    auto it = vars.find(v.name);
    if (it != vars.end() && it->second.decl != &v)
      throw SqlException(134, 15, line(s), "The variable name '" + v.name +
                                               "' has already been declared. Variable names must be "
                                               "unique within a query batch or stored procedure.");
    if (v.table) {
      if (it == vars.end()) declareTable(v);
      continue;
    }
    SqlValue init;
    if (v.init) init = evaluateAs(*v.init, v.type, line(s));
    if (it == vars.end()) {
      Variable var;
      var.type = v.type;
      var.decl = &v;
      var.value = std::move(init);
      vars.emplace(v.name, std::move(var));
    } else if (v.init) {
      it->second.value = std::move(init);
    }
  }
}

}  // namespace tsql::exec
