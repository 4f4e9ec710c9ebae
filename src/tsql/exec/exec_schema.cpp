// Schema statements and the procedure store. Tables, views and indexes are SQLite
// objects made from the translated DDL; procedures are kept as their T-SQL text in
// tsql_procedures and parsed again when the stored text changes.
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

std::string procedureKey(const std::string& name) { return catalog::normalizeObjectName(name); }

//! SQLite index names are global; SQL Server's are per table.
std::string indexName(const std::string& table, const std::string& index) {
  return catalog::normalizeObjectName(table) + "__" + toLower(index);
}

}  // namespace

bool Interpreter::objectExists(const std::string& type, const std::string& name) {
  translate::Translation t;
  t.sql = "SELECT 1 FROM (SELECT type, name FROM sqlite_master UNION ALL SELECT type, name FROM "
          "sqlite_temp_master) WHERE type = ?1 AND name = ?2 COLLATE NOCASE";
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  sqlite3_bind_text(stmt, 1, type.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(stmt) == SQLITE_ROW;
}

void Interpreter::execCreateTable(const ast::CreateTableStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  if (objectExists("table", name) || objectExists("view", name))
    throw SqlException(2714, 16, line(s), "There is already an object named '" + s.name + "' in the database.");
  translate::SqlTranslator tr(*this, true);
  // #name is a temporary table: SQLite's temp tables also live as long as the connection.
  execSql(tr.createTable(name, s.def, !name.empty() && name[0] == '#'), line(s));
}

void Interpreter::execCreateView(const ast::CreateViewStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  bool exists = objectExists("view", name);
  if (s.alter && !exists) throw SqlException(208, 16, line(s), "Invalid object name '" + s.name + "'.");
  if (!s.alter && exists)
    throw SqlException(2714, 16, line(s), "There is already an object named '" + s.name + "' in the database.");
  translate::SqlTranslator tr(*this, true);
  std::vector<catalog::ColumnInfo> columns;
  std::string sql = tr.createView(s, columns);
  if (exists) execSql("DROP VIEW " + translate::quoteIdent(name), line(s));
  execSql(sql, line(s));
  catalog_.recordTypes(name, columns);
  catalog_.invalidate();
}

void Interpreter::execCreateIndex(const ast::CreateIndexStmt& s) {
  std::string sql = s.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
  sql += translate::quoteIdent(indexName(s.table, s.name)) + " ON " +
         translate::quoteIdent(catalog::normalizeObjectName(s.table)) + " (";
  for (std::size_t i = 0; i < s.columns.size(); ++i) {
    if (i) sql += ", ";
    sql += translate::quoteIdent(s.columns[i]);
  }
  execSql(sql + ")", line(s));
}

void Interpreter::execDrop(const ast::DropStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  const char* kind = "table";
  switch (s.objectType) {
    case ast::ObjectType::Table: kind = "table"; break;
    case ast::ObjectType::View: kind = "view"; break;
    case ast::ObjectType::Index: kind = "index"; break;
    case ast::ObjectType::Procedure: kind = "procedure"; break;
  }
  if (s.objectType == ast::ObjectType::Index) {
    std::string table = s.onTable;
    if (table.empty()) {  // DROP INDEX table.index
      auto dot = s.name.find('.');
      table = dot == std::string::npos ? "" : s.name.substr(0, dot);
      name = dot == std::string::npos ? s.name : s.name.substr(dot + 1);
    }
    name = indexName(table, name);
  }
  bool exists = s.objectType == ast::ObjectType::Procedure ? storedProcedureText(name).has_value()
                                                           : objectExists(kind, name);
  if (!exists) {
    if (s.ifExists) return;
    throw SqlException(3701, 11, line(s), "Cannot drop the " + std::string(kind) + " '" + s.name +
                                              "', because it does not exist or you do not have permission.");
  }
  if (s.objectType == ast::ObjectType::Procedure) {
    translate::Translation t;
    t.sql = "DELETE FROM tsql_procedures WHERE name = ?1";
    runtime::StatementCache::Lease use = prepare(t);
    sqlite3_stmt* stmt = use.get();
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    runToEnd(stmt, line(s));
    procedures_.erase(name);
    return;
  }
  std::string upper = kind == std::string("table") ? "TABLE" : kind == std::string("view") ? "VIEW" : "INDEX";
  execSql("DROP " + upper + " " + translate::quoteIdent(name), line(s));
  if (s.objectType == ast::ObjectType::View) catalog_.forgetTypes(name);
}

std::optional<std::string> Interpreter::storedProcedureText(const std::string& name) {
  translate::Translation t;
  t.sql = "SELECT body FROM tsql_procedures WHERE name = ?1";
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(stmt) != SQLITE_ROW) return std::nullopt;
  return SqlValue::fromColumn(stmt, 0).toText();
}

void Interpreter::execCreateProcedure(const ast::CreateProcedureStmt& s) {
  std::string name = procedureKey(s.name);
  bool exists = storedProcedureText(name).has_value();
  if (s.alter && !exists) throw SqlException(208, 16, line(s), "Invalid object name '" + s.name + "'.");
  if (!s.alter && exists)
    throw SqlException(2714, 16, line(s), "There is already an object named '" + s.name + "' in the database.");
  translate::Translation t;
  t.sql = "INSERT OR REPLACE INTO tsql_procedures(name, body) VALUES (?1, ?2)";
  runtime::StatementCache::Lease use = prepare(t);
  sqlite3_stmt* stmt = use.get();
  sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, s.text.c_str(), static_cast<int>(s.text.size()), SQLITE_TRANSIENT);
  runToEnd(stmt, line(s));
  procedures_.erase(name);
}

// The procedure's parsed text, parsed again only when the stored text changed (another
// connection may have altered it).
const Interpreter::Procedure* Interpreter::loadProcedure(const std::string& name) {
  std::string key = procedureKey(name);
  std::optional<std::string> text = storedProcedureText(key);
  if (!text) return nullptr;
  auto it = procedures_.find(key);
  if (it != procedures_.end() && it->second.text == *text) return &it->second;
  Procedure p;
  p.text = std::move(*text);
  p.batch = std::make_shared<ast::Batch>(Parser::parse(p.text));
  p.memo = std::make_shared<TranslationMemo>();
  if (p.batch->statements.size() != 1 || p.batch->statements[0]->kind != ast::NodeKind::CreateProcedure)
    return nullptr;
  p.stmt = &ast::nodeCast<ast::CreateProcedureStmt>(*p.batch->statements[0]);
  return &(procedures_[key] = std::move(p));
}

}  // namespace tsql::exec
