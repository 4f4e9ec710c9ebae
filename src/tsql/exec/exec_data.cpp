// Statements that read and write data and variables: SELECT (result sets and
// variable assignment), INSERT/UPDATE/DELETE/TRUNCATE and DECLARE, and the evaluation of
// scalar expressions and conditions (plain literals and variables without SQLite).
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
  // A constant needs no statement: a procedure's arguments are mostly constants.
  if (const auto* l = ast::nodeAs<ast::LiteralExpr>(&e); l && l->literalKind != ast::LiteralKind::Null) {
    if (type) *type = translate::SqlTranslator::literalType(*l);
    return literalValue(l->literalKind, l->text);
  }
  auto kept = translation(e, [&](auto& tr) { return tr.scalar(e); });
  const translate::Translation& t = *kept;
  if (type) *type = t.columnTypes[0];
  if (e.kind == ast::NodeKind::Literal && !t.slots.empty()) return slotValue(t.slots[0], nullptr);
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  if (stmt->step()) return stmt->column(0);
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
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  if (stmt->step()) return stmt->column(0).toInteger() != 0;
  throw SqlException(errors::Error::UserMessage, line, {"The condition returned no row."});
}

void Interpreter::assign(const std::string& name, const SqlValue& v, int line) {
  Variable& var = variable(name, line);
  if (!var.tempTable.empty())
    throw SqlException(errors::Error::UndeclaredVariable, line, {name});
  var.value = convertValue(v, var.type);
}

void Interpreter::execSelect(const ast::SelectStmt& s) {
  if (!s.query.cores[0].into.empty()) return execSelectInto(s);
  for (const auto& item : s.query.cores[0].items) {
    if (!item.assignTo.empty()) return execAssigningSelect(s);
  }
  auto kept = translation(s, [&](auto& tr) { return tr.query(s.query); });
  const translate::Translation& t = *kept;
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  ResultSet rs;
  std::vector<ast::DataType> types = describeColumns(*stmt, t, 0, rs.columns);
  const int n = stmt->columnCount();
  while (stmt->step()) {
    std::vector<core::Value> row;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(toCoreValue(stmt->column(i), types[static_cast<std::size_t>(i)]));
    rs.rows.push_back(std::move(row));
  }
  typeUnknownColumns(rs);
  rowCount_ = static_cast<std::int64_t>(rs.rows.size());
  result_->resultSets.push_back(std::move(rs));
}

std::vector<ast::DataType> Interpreter::describeColumns(Cursor& stmt, const translate::Translation& t, int from,
                                                        std::vector<Column>& columns) {
  const int n = stmt.columnCount();
  std::vector<ast::DataType> types;
  for (int i = from; i < n; ++i) {
    ast::DataType type = stmt.columnType(i);
    if (!type.isKnown() && static_cast<std::size_t>(i) < t.columnTypes.size()) type = t.columnTypes[static_cast<std::size_t>(i)];
    if (type.kind == ast::TypeKind::Null) type = {};
    Column c;
    c.name = stmt.columnName(i);
    c.type = coreTypeOf(type);
    c.size = type.isText() && type.length > 0 ? type.length : 0;
    columns.push_back(std::move(c));
    types.push_back(type);
  }
  return types;
}

// Columns of unknown type take the type of their first non-null value.
void Interpreter::typeUnknownColumns(ResultSet& rs) {
  for (std::size_t c = 0; c < rs.columns.size(); ++c) {
    for (const auto& row : rs.rows) {
      if (rs.columns[c].type != core::ValueType::Null) break;
      if (!row[c].isNull()) rs.columns[c].type = row[c].type();
    }
  }
}

// SELECT @a = x, @b = y FROM ...: each row assigns in turn; no row leaves the
// variables as they were.
void Interpreter::execAssigningSelect(const ast::SelectStmt& s) {
  auto kept = assignmentPlan(s);
  const translate::AssignmentPlan& plan = *kept;
  std::unique_ptr<Cursor> driver = prepare(plan.driver);
  bindSlots(*driver, plan.driver);
  int n = driver->columnCount();
  std::vector<SqlValue> row(static_cast<std::size_t>(n));
  std::int64_t rows = 0;
  while (driver->step()) {
    ++rows;
    for (int i = 0; i < n; ++i) row[static_cast<std::size_t>(i)] = driver->column(i);
    for (const auto& item : plan.items) {
      if (item.column >= 0) {
        assign(item.variable, row[static_cast<std::size_t>(item.column)], line(s));
        continue;
      }
      std::unique_ptr<Cursor> step = prepare(item.step);
      bindSlots(*step, item.step, &row);
      if (!step->step()) throw SqlException(errors::Error::UserMessage, line(s), {"The assignment returned no row."});
      assign(item.variable, step->column(0), line(s));
    }
  }
  rowCount_ = rows;
}

// `valuesRows`: the rows an INSERT ... VALUES writes when it succeeds (0 for any other
// statement); the backend may then send it without waiting for the answer.
void Interpreter::execModify(const translate::Translation& t, int /*line: errors are located by exec*/, bool insert,
                             std::int64_t valuesRows, std::size_t firstLifted) {
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t, nullptr, insert, firstLifted);  // an INSERT assigns no variable while it runs
  if (valuesRows > 0 && stmt->sendWithoutWaiting(valuesRows)) {
    rowCount_ = valuesRows;
  } else {
    try {
      runToEnd(*stmt);
    } catch (const SqlException& e) {
      throw SqlException(backend_->constraintError(e.error(), insert ? "INSERT" : "UPDATE"));
    }
    rowCount_ = backend_->changes();
  }
}

// DECLARE: a variable lives for the whole batch or procedure, whatever block declared
// it. Running the same DECLARE again (in a loop) only re-runs its initializer.
void Interpreter::execUpdate(const ast::UpdateStmt& s) {
  if (s.currentOf && s.output) positionedKey_ = currentRowKey(s.currentOf, s.target, line(s));
  if (s.output && translate::outputReadsDeleted(*s.output)) return execUpdateKeepingOld(s);
  auto t = translation(s, [&](auto& tr) { return tr.update(s); });
  if (s.output) return execOutput(*t, *s.output, line(s), "UPDATE");
  if (s.currentOf) return execPositioned(*t, s.currentOf, s.target, false, line(s));
  execModify(*t, line(s), false);
}

void Interpreter::execDelete(const ast::DeleteStmt& s) {
  auto t = translation(s, [&](auto& tr) { return tr.remove(s); });
  if (s.output) {
    if (s.currentOf) positionedKey_ = currentRowKey(s.currentOf, s.target, line(s));
    execOutput(*t, *s.output, line(s), "DELETE");
    if (s.currentOf && rowCount_ > 0) positioned_->deleted.insert(positioned_->position);
    return;
  }
  if (s.currentOf) return execPositioned(*t, s.currentOf, s.target, true, line(s));
  execModify(*t, line(s), false);
}

// TRUNCATE TABLE empties the table as a DELETE of every row; its identity numbers from
// the seed again.
void Interpreter::execTruncate(const ast::TruncateStmt& s) {
  translate::SqlTranslator tr(*this);
  std::string table = tr.tableSqlName(s.table);
  execSql("DELETE FROM " + translate::quoteIdent(table), line(s));
  std::string identity = backend_->identityColumn(table);
  if (!identity.empty()) backend_->restartIdentity(table, identity);
}

void Interpreter::execDeclare(const ast::DeclareStmt& s) {
  auto& vars = frames_.back()->vars;
  for (const auto& v : s.vars) {
    auto it = vars.find(v.name);
    if (it != vars.end() && it->second.decl != &v)
      throw SqlException(errors::Error::VariableRedeclared, line(s), {v.name});
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
