// Statements that read and write data and variables: SELECT (result sets and
// variable assignment), INSERT/UPDATE/DELETE, DECLARE and SET, and the evaluation of
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
  translate::SqlTranslator tr(*this);
  translate::Translation t = tr.scalar(e);
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
  translate::SqlTranslator tr(*this);
  translate::Translation t = tr.condition(e);
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  if (stmt->step()) return stmt->column(0).toInteger() != 0;
  throw SqlException(50000, 16, line, "The condition returned no row.");
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
  translate::SqlTranslator tr(*this);
  translate::Translation t = tr.query(s.query);
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  ResultSet rs;
  int n = stmt->columnCount();
  std::vector<ast::DataType> types(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto& type = types[static_cast<std::size_t>(i)];
    type = stmt->columnType(i);
    if (!type.isKnown() && static_cast<std::size_t>(i) < t.columnTypes.size()) type = t.columnTypes[static_cast<std::size_t>(i)];
    if (type.kind == ast::TypeKind::Null) type = {};
    Column c;
    c.name = stmt->columnName(i);
    c.type = coreTypeOf(type);
    c.size = type.isText() && type.length > 0 ? type.length : 0;
    rs.columns.push_back(std::move(c));
  }
  while (stmt->step()) {
    std::vector<core::Value> row;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(toCoreValue(stmt->column(i), types[static_cast<std::size_t>(i)]));
    rs.rows.push_back(std::move(row));
  }
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
  translate::SqlTranslator tr(*this);
  translate::AssignmentPlan plan = tr.assignment(s.query);
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
      if (!step->step()) throw SqlException(50000, 16, line(s), "The assignment returned no row.");
      assign(item.variable, step->column(0), line(s));
    }
  }
  rowCount_ = rows;
}

void Interpreter::execModify(const translate::Translation& t, int /*line: errors are located by exec*/, bool insert) {
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  runToEnd(*stmt);
  rowCount_ = backend_->changes();
  if (insert) backend_->noteInsert();
}

namespace {

bool isNullLiteral(const ast::Expr& e) {
  const auto* l = ast::nodeAs<ast::LiteralExpr>(&e);
  return l && l->literalKind == ast::LiteralKind::Null;
}

// The shape of a one-row INSERT ... VALUES whose values are all literals, variables
// or caller parameters: everything its translation depends on. Empty when the
// statement has another form.
std::string insertShapeKey(const ast::InsertStmt& s, const void* frame) {
  if (s.query || s.defaultValues || s.rows.size() != 1) return {};
  std::string key(reinterpret_cast<const char*>(&frame), sizeof frame);
  key += s.table;
  for (const auto& c : s.columns) {
    key += '\x1f';
    key += c;
  }
  key += '\x1e';
  for (const auto& v : s.rows[0]) {
    switch (v->kind) {
      case ast::NodeKind::Literal: key += isNullLiteral(*v) ? 'N' : 'L'; break;
      case ast::NodeKind::Variable: key += 'V' + ast::nodeCast<ast::VariableExpr>(*v).name; break;
      case ast::NodeKind::HostParameter:
        key += 'H' + ast::nodeCast<ast::HostParameterExpr>(*v).name;
        break;
      default: return {};
    }
    key += '\x1f';
  }
  return key;
}

}  // namespace

// A save batch repeats one INSERT ... VALUES shape hundreds of times with other
// literals. Such a statement's translation does not depend on the literal values
// (they are bound, converted to the column type in C++), so it is made once per
// shape and pointed at each statement's own literals.
void Interpreter::execInsert(const ast::InsertStmt& s) {
  std::string key = insertShapeKey(s, frames_.back());
  if (key.empty()) {
    translate::SqlTranslator tr(*this);
    return execModify(tr.insert(s), line(s), true);
  }
  const auto& values = s.rows[0];
  auto it = insertShapes_.find(key);
  if (it == insertShapes_.end()) {
    translate::SqlTranslator tr(*this);
    InsertShape shape;
    shape.translation = tr.insert(s);
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!isNullLiteral(*values[i])) shape.valueOfSlot.push_back(i);
    if (shape.valueOfSlot.size() != shape.translation.slots.size())
      return execModify(shape.translation, line(s), true);  // not one slot per value
    it = insertShapes_.emplace(std::move(key), std::move(shape)).first;
  } else {
    InsertShape& shape = it->second;
    for (std::size_t k = 0; k < shape.valueOfSlot.size(); ++k) {
      translate::Slot& slot = shape.translation.slots[k];
      if (slot.kind == translate::Slot::Kind::Literal)
        slot.literal = &ast::nodeCast<ast::LiteralExpr>(*values[shape.valueOfSlot[k]]);
    }
  }
  execModify(it->second.translation, line(s), true);
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

void Interpreter::declareTable(const ast::VarDecl& v) {
  Frame& frame = *frames_.back();
  Variable var;
  var.type = v.type;
  var.decl = &v;
  var.tempTable = "tv" + std::to_string(frame.depth) + "_" + v.name.substr(1);
  translate::SqlTranslator tr(*this, true);
  var.createSql = tr.createTable(var.tempTable, *v.table, true);
  int at = static_cast<int>(v.pos.line);
  execSql("DROP TABLE IF EXISTS " + std::string(backend_->dialect().tempSchema) + translate::quoteIdent(var.tempTable), at);
  execSql(var.createSql, at);
  recordTableTypes(var.tempTable, *v.table, true);
  frame.vars.emplace(v.name, std::move(var));
}

}  // namespace tsql::exec
