// Table variables live in temp tables named after the frame depth and the variable.
// Creating and dropping a table changes the schema, which makes the database prepare
// every cached statement again, so a table whose frame ends is emptied and kept idle
// for the next DECLARE of the same name and definition instead.
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

void Interpreter::declareTable(const ast::VarDecl& v) {
  Frame& frame = *frames_.back();
  Variable var;
  var.type = v.type;
  var.decl = &v;
  var.tempTable = "tv" + std::to_string(frame.depth) + "_" + v.name.substr(1);
  translate::SqlTranslator tr(*this, true);
  var.createSql = tr.createTable(var.tempTable, *v.table, true);
  auto idle = idleTables_.find(var.tempTable);
  bool reusable = idle != idleTables_.end() && idle->second == var.createSql;
  if (idle != idleTables_.end()) idleTables_.erase(idle);
  if (!reusable) {
    int at = static_cast<int>(v.pos.line);
    execSql("DROP TABLE IF EXISTS " + tempName(var.tempTable), at);
    execSql(var.createSql, at);
    recordTableTypes(var.tempTable, *v.table, true);
  }
  frame.vars.emplace(v.name, std::move(var));
}

// The rows go at once; an identity column starts again from the first number.
bool Interpreter::emptyTableVariable(const Variable& v) {
  const dialect::Dialect& d = backend_->dialect();
  bool identity = v.createSql.find(d.identityColumn) != std::string::npos;
  if (identity && !d.restartTempIdentity) return false;
  try {
    runStatement("DELETE FROM " + tempName(v.tempTable));
    if (identity) runStatement(d.restartTempIdentity, {SqlValue::text(v.tempTable)});
    return true;
  } catch (const SqlException&) {
    return false;  // not kept: the next DECLARE makes the table again
  }
}

void Interpreter::dropTableVariables(Frame& frame) {
  bool dropped = false;
  for (auto& [name, v] : frame.vars) {
    if (v.tempTable.empty()) continue;
    if (emptyTableVariable(v)) {
      idleTables_[v.tempTable] = v.createSql;
      continue;
    }
    std::string sql = "DROP TABLE IF EXISTS " + tempName(v.tempTable);
    try {
      backend_->execute(sql);
    } catch (const SqlException&) {
      // Failing to drop leaves a stale temp table that the next DECLARE replaces.
    }
    dropped = true;
  }
  if (dropped) forgetSchema();
}

// After a rollback an idle table may be gone (made inside the transaction) or hold
// rows again (emptied inside it); the next DECLARE makes it afresh.
void Interpreter::forgetIdleTableVariables() { idleTables_.clear(); }

std::string Interpreter::tempName(const std::string& table) const {
  return backend_->dialect().tempSchema + translate::quoteIdent(table);
}

void Interpreter::runStatement(const std::string& sql, const std::vector<SqlValue>& args) {
  translate::Translation t;
  t.sql = sql;
  std::unique_ptr<Cursor> stmt = prepare(t);
  for (std::size_t i = 0; i < args.size(); ++i) stmt->bind(static_cast<int>(i + 1), args[i]);
  runToEnd(*stmt);
}

}  // namespace tsql::exec
