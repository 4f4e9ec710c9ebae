// Temporary tables by scope: a #table made in a procedure belongs to that procedure's
// level (see TempScope) and ends with it; one made by the batch lives on the
// connection until dropped. ##tables are the database's, shared by its connections
// (see global_temps.h).
// OBJECT_ID answers for tables, views and procedures, tempdb..#name included.
#include <functional>

#include "tsql/exec/global_temps.h"
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

std::string Interpreter::localTempTable(const std::string& name) const {
  if (isGlobalTemp(name)) return globalTempTable(name);
  return tempScope_.resolve(name);
}

std::string Interpreter::newTableName(const std::string& written, int at) {
  std::string name = catalog::normalizeObjectName(written);
  int depth = frames_.empty() ? 0 : frames_.back()->depth;
  if (isGlobalTemp(name)) {
    name = globalTempTable(name);
    if (objectExists("table", name)) sweepGlobalTemps(*backend_);  // its maker may be gone
  }
  if (TempScope::isLocalTemp(name) && depth > 0) {
    if (tempScope_.madeAt(name, depth))
      throw SqlException(errors::Error::ObjectExists, at, {written});
    std::string table = tempScope_.add(name, depth);
    execSql("DROP TABLE IF EXISTS " + tempName(table), at, false);  // left by a failed drop
    return table;
  }
  if (objectExists("table", name) || objectExists("view", name))
    throw SqlException(errors::Error::ObjectExists, at, {written});
  return name;
}

// Called as the procedure's frame goes: a failure to drop leaves a table no name
// reaches any more, which the next procedure at that level drops before making its own.
void Interpreter::endTempTables(int depth) {
  std::vector<std::string> ended = tempScope_.endLevel(depth);
  if (ended.empty()) return;
  for (const std::string& table : ended) {
    try {
      backend_->execute("DROP TABLE IF EXISTS " + tempName(table));
    } catch (const SqlException&) {
    }
    backend_->forgetIdentity(table);
  }
  forgetSchema();
}

namespace {

// The object's own name from [server.][database.][schema.]name, brackets removed.
std::string lastPart(const std::string& written) {
  std::string name = catalog::normalizeObjectName(written);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

}  // namespace

// Ids are positive and stable for a name; only whether one is NULL carries meaning.
// `written` is the name, then after a line break the type asked for (U, V or P).
SqlValue Interpreter::objectId(const std::string& written) const {
  std::size_t cut = written.find('\n');
  std::string type = cut == std::string::npos ? "" : toLower(written.substr(cut + 1));
  while (!type.empty() && type.back() == ' ') type.pop_back();
  std::string name = lastPart(written.substr(0, cut));
  if (TempScope::isLocalTemp(name) || isGlobalTemp(name)) name = localTempTable(name);
  auto exists = [&](const char* sql, const char* kind) {
    std::unique_ptr<Cursor> stmt = backend_->prepare(sql);
    int marker = 1;
    if (kind) stmt->bind(marker++, SqlValue::text(kind));
    stmt->bind(marker, SqlValue::text(name));
    return stmt->step();
  };
  const char* objectExists = backend_->dialect().objectExists;
  auto routine = [&] {  // a procedure ("p") or a function ("fn", "if", "tf") of that type
    std::unique_ptr<Cursor> stmt = backend_->prepare("SELECT body FROM tsql_procedures WHERE name = ?1");
    stmt->bind(1, SqlValue::text(name));
    if (!stmt->step()) return false;
    return type.empty() || storedRoutineKind(stmt->column(0).toText()) == type;
  };
  bool routineType = type.empty() || type == "p" || type == "fn" || type == "if" || type == "tf";
  bool found = ((type.empty() || type == "u") && exists(objectExists, "table")) ||
               ((type.empty() || type == "v") && exists(objectExists, "view")) ||
               (routineType && routine());
  if (!found) return {};
  return SqlValue::integer(static_cast<std::int64_t>(std::hash<std::string>{}(name)&0x3fffffff) +
                           1);
}

}  // namespace tsql::exec
