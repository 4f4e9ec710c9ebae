// Table variables live in SQLite temp tables named after the frame depth and the
// variable. Creating and dropping a table changes the schema, which makes SQLite
// prepare every cached statement again, so a table whose frame ends is emptied and
// kept idle for the next DECLARE of the same name and definition instead.
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

std::string tempName(const std::string& table) { return "temp." + translate::quoteIdent(table); }

}  // namespace

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
  }
  frame.vars.emplace(v.name, std::move(var));
}

// The rows go at once; an identity column starts again from the first number.
bool Interpreter::emptyTableVariable(const Variable& v) {
  try {
    runStatement("DELETE FROM " + tempName(v.tempTable));
    if (v.createSql.find(" AUTOINCREMENT") != std::string::npos)
      runStatement("DELETE FROM temp.sqlite_sequence WHERE name = ?1", {SqlValue::text(v.tempTable)});
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
    // Failing to drop leaves a stale temp table that the next DECLARE replaces.
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    dropped = true;
  }
  if (dropped) forgetSchema();
}

// After a rollback an idle table may be gone (made inside the transaction) or hold
// rows again (emptied inside it); the next DECLARE makes it afresh.
void Interpreter::forgetIdleTableVariables() { idleTables_.clear(); }

void Interpreter::runStatement(const std::string& sql, const std::vector<SqlValue>& args) {
  translate::Translation t;
  t.sql = sql;
  runtime::StatementCache::Lease use = prepare(t);
  for (std::size_t i = 0; i < args.size(); ++i) args[i].bind(use.get(), static_cast<int>(i + 1));
  runToEnd(use.get(), 0);
}

}  // namespace tsql::exec
