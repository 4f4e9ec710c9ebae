// Schema statements and the procedure store. Tables, views and indexes are SQLite
// objects made from the translated DDL; procedures are kept as their T-SQL text in
// tsql_procedures and parsed again when the stored text changes.
#include "tsql/exec/global_temps.h"
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

// Runs `change`, placing an error it raises at `line` of the batch.
template <typename Change>
void atLine(int line, Change change) {
  try {
    change();
  } catch (const SqlException& e) {
    SqlError located = e.error();
    located.line = line;
    throw SqlException(located);
  }
}

}  // namespace

void Backend::dropView(const std::string& name) {
  execute("DROP VIEW " + translate::quoteIdent(name));
}

bool Interpreter::objectExists(const std::string& type, const std::string& name) {
  std::unique_ptr<Cursor> stmt = backend_->prepare(backend_->dialect().objectExists);
  stmt->bind(1, SqlValue::text(type));
  stmt->bind(2, SqlValue::text(name));
  return stmt->step();
}

void Interpreter::execCreateTable(const ast::CreateTableStmt& s) {
  std::string name = newTableName(s.name, line(s));
  translate::SqlTranslator tr(*this, true);
  // #name is a temporary table: SQLite's temp tables also live as long as the connection.
  bool temporary = !name.empty() && name[0] == '#';
  execSql(tr.createTable(name, s.def, temporary), line(s));
  noteGlobalTemp(*backend_, name);
  recordTableTypes(name, s.def, temporary);
  numberNewTable(name, s.def);
}

// The T-SQL types where the database keeps its own type names, and the expressions of
// the columns every read computes (the table holds no value for them).
void Interpreter::recordTableTypes(const std::string& name, const ast::TableDef& def,
                                   bool temporary) {
  std::vector<catalog::ColumnInfo> columns;
  bool computed = false;
  translate::SqlTranslator tr(*this);
  for (const auto& c : def.columns) {
    columns.push_back({toLower(c.name), c.computed ? tr.computedColumnType(def, c) : c.type, c.notNull,
                       c.primaryKey, c.computed != nullptr});
    if (translate::computedOnRead(c)) columns.back().expression = c.computedText;
    computed = computed || c.computed;
  }
  if (backend_->dialect().recordsTableTypes) backend_->recordTypes(name, columns, temporary);
  // also where none is computed on read: a dropped table of that name may have kept some
  if (computed) backend_->recordComputedOnRead(name, columns, temporary);
}

void Interpreter::execCreateView(const ast::CreateViewStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  bool exists = objectExists("view", name);
  if (s.alter && !exists) throw SqlException(errors::Error::InvalidObject, line(s), {s.name});
  if (!s.alter && exists) throw SqlException(errors::Error::ObjectExists, line(s), {s.name});
  defineView(s, exists);
}

void Interpreter::defineView(const ast::CreateViewStmt& s, bool exists) {
  std::string name = catalog::normalizeObjectName(s.name);
  translate::SqlTranslator tr(*this, true);
  std::vector<catalog::ColumnInfo> columns;
  std::string sql = tr.createView(s, columns);
  atLine(line(s), [&] {
    if (exists) backend_->replaceView(name, sql);
    else backend_->createView(name, sql);
    keepViewSource(s, tr.functionsRead());
  });
  forgetSchema();
  backend_->recordTypes(name, columns);
}

void Interpreter::execCreateIndex(const ast::CreateIndexStmt& s) {
  if (const auto* cols = columns(catalog::normalizeObjectName(s.table)))  // no value to index
    for (const auto& c : *cols)
      for (const auto& name : s.columns)
        if (!c.expression.empty() && toLower(c.name) == toLower(name))
          throw SqlException(errors::Error::IndexNotDeterministic, line(s), {c.name, s.table});
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
    case ast::ObjectType::Table:
      kind = "table";
      break;
    case ast::ObjectType::View:
      kind = "view";
      break;
    case ast::ObjectType::Index:
      kind = "index";
      break;
    case ast::ObjectType::Procedure:
      kind = "procedure";
      break;
    case ast::ObjectType::Sequence:
      return dropSequence(s);
    case ast::ObjectType::Function:
      return dropFunction(s);
  }
  bool global = s.objectType == ast::ObjectType::Table && isGlobalTemp(name);
  if (s.objectType == ast::ObjectType::Table && (TempScope::isLocalTemp(name) || global))
    name = localTempTable(name);
  if (s.objectType == ast::ObjectType::Index) {
    std::string table = s.onTable;
    if (table.empty()) {  // DROP INDEX table.index
      auto dot = s.name.find('.');
      table = dot == std::string::npos ? "" : s.name.substr(0, dot);
      name = dot == std::string::npos ? s.name : s.name.substr(dot + 1);
    }
    name = indexName(table, name);
  }
  bool exists = false;
  if (s.objectType == ast::ObjectType::Procedure) {  // a function kept beside it is no procedure
    std::optional<std::string> text = storedProcedureText(name);
    exists = text && storedRoutineKind(*text) == "p";
  } else {
    exists = objectExists(kind, name);
  }
  if (!exists) {
    if (s.ifExists) return;
    throw SqlException(errors::Error::CannotDrop, line(s), {kind, s.name});
  }
  if (s.objectType == ast::ObjectType::Procedure) {
    std::unique_ptr<Cursor> stmt = backend_->prepare("DELETE FROM tsql_procedures WHERE name = ?1");
    stmt->bind(1, SqlValue::text(name));
    runToEnd(*stmt);
    procedures_.erase(name);
    return;
  }
  if (s.objectType == ast::ObjectType::View) {
    atLine(line(s), [&] {
      backend_->dropView(name);
      forgetViewSource(name);
    });
    forgetSchema();
  } else {
    execSql(std::string(kind == std::string("table") ? "DROP TABLE " : "DROP INDEX ") +
                translate::quoteIdent(name),
            line(s));
  }
  if (s.objectType == ast::ObjectType::View) backend_->forgetTypes(name);
  if (s.objectType == ast::ObjectType::Table) {
    backend_->forgetIdentity(name);
    tempScope_.dropped(name);
    if (global) forgetGlobalTemp(*backend_, name);
  }
}

std::optional<std::string> Interpreter::storedProcedureText(const std::string& name) {
  std::unique_ptr<Cursor> stmt =
      backend_->prepare("SELECT body FROM tsql_procedures WHERE name = ?1");
  stmt->bind(1, SqlValue::text(name));
  if (!stmt->step()) return std::nullopt;
  return stmt->column(0).toText();
}

void Interpreter::execCreateProcedure(const ast::CreateProcedureStmt& s) {
  std::string name = procedureKey(s.name);
  bool exists = storedProcedureText(name).has_value();
  if (s.alter && !exists) throw SqlException(errors::Error::InvalidObject, line(s), {s.name});
  if (!s.alter && exists) throw SqlException(errors::Error::ObjectExists, line(s), {s.name});
  std::unique_ptr<Cursor> stmt = backend_->prepare(backend_->dialect().storeProcedure);
  stmt->bind(1, SqlValue::text(name));
  stmt->bind(2, SqlValue::text(s.text));
  runToEnd(*stmt);
  procedures_.erase(name);
}

// The procedure's parsed text, parsed again only when the stored text changed (another
// connection may have altered it). While no row of the database changed since the text
// was read, it is not read again: a procedure called once per line of a grid would
// otherwise copy its whole text out of the database on every call.
// A bill calls the same procedure once per line: the last name's key is kept.
const std::string& Interpreter::procedureKeyFor(const std::string& name) {
  if (name != lastProcedureName_) {
    lastProcedureKey_ = procedureKey(name);
    lastProcedureName_ = name;
  }
  return lastProcedureKey_;
}

const Interpreter::Procedure* Interpreter::loadProcedure(const std::string& name) {
  const std::string& key = procedureKeyFor(name);  // nothing below asks for another name
  const std::uint64_t stamp = backend_->changeStamp();
  auto it = procedures_.find(key);
  if (stamp != 0 && it != procedures_.end() && it->second.stamp == stamp) return &it->second;
  std::optional<std::string> text = storedProcedureText(key);
  if (!text) return nullptr;
  if (it != procedures_.end() && it->second.text == *text) {
    it->second.stamp = stamp;
    return &it->second;
  }
  Procedure p;
  p.stamp = stamp;
  p.text = std::move(*text);
  p.batch = std::make_shared<ast::Batch>(Parser::parse(p.text));
  p.memo = std::make_shared<TranslationMemo>();
  if (p.batch->statements.size() != 1 ||
      p.batch->statements[0]->kind != ast::NodeKind::CreateProcedure)
    return nullptr;
  p.stmt = &ast::nodeCast<ast::CreateProcedureStmt>(*p.batch->statements[0]);
  return &(procedures_[key] = std::move(p));
}

}  // namespace tsql::exec
