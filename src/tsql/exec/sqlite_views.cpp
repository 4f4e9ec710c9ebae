// Keeping the file's views readable by SQLite alone while the engine reads its own
// exact texts (see sqlite_views.h). The file's view falls back to the exact text when
// it calls something only the engine has.
#include "tsql/exec/sqlite_views.h"

#include <map>
#include <set>
#include <stdexcept>

#include "tsql/exec/backend.h"
#include "tsql/exec/portable_view.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

constexpr const char* kStore =
    "CREATE TABLE IF NOT EXISTS tsql_views(name TEXT PRIMARY KEY COLLATE NOCASE, body TEXT NOT "
    "NULL)";

// The functions a SQLite library has with nothing of the engine's installed.
const std::set<std::string, std::less<>>& stockFunctions() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> out;
    sqlite3* fresh = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open(":memory:", &fresh) == SQLITE_OK &&
        sqlite3_prepare_v2(fresh, "SELECT name FROM pragma_function_list", -1, &st, nullptr) ==
            SQLITE_OK)
      while (sqlite3_step(st) == SQLITE_ROW)
        out.emplace(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(fresh);
    return out;
  }();
  return names;
}

std::string fileBody(const std::string& body) {
  auto isStock = [](std::string_view name) { return stockFunctions().contains(name); };
  return portableViewBody(body, isStock).value_or(body);
}

std::string viewSql(const std::string& name, const std::string& body, bool temporary) {
  return std::string(temporary ? "CREATE TEMP VIEW " : "CREATE VIEW ") +
         translate::quoteIdent(name) + " AS " + body;
}

bool storeExists(Backend& backend) {
  return backend
      .prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'tsql_views'")
      ->step();
}

}  // namespace

void SqliteViews::create(const std::string& name, const std::string& body) {
  backend_.execute(kStore);
  backend_.execute(viewSql(name, fileBody(body), false));
  std::unique_ptr<Cursor> keep =
      backend_.prepare("INSERT OR REPLACE INTO tsql_views(name, body) VALUES (?1, ?2)");
  keep->bind(1, SqlValue::text(name));
  keep->bind(2, SqlValue::text(body));
  keep->step();
  backend_.execute(viewSql(name, body, true));
}

void SqliteViews::drop(const std::string& name) {
  backend_.execute("DROP VIEW IF EXISTS temp." + translate::quoteIdent(name));
  if (storeExists(backend_)) {
    std::unique_ptr<Cursor> forget = backend_.prepare("DELETE FROM tsql_views WHERE name = ?1");
    forget->bind(1, SqlValue::text(name));
    forget->step();
  }
  backend_.execute("DROP VIEW main." + translate::quoteIdent(name));
}

// A temporary view is the stored text as SQLite keeps it ("CREATE VIEW …" without TEMP).
void SqliteViews::sync() {
  std::map<std::string, std::string> want, have;
  if (storeExists(backend_)) {
    std::unique_ptr<Cursor> rows = backend_.prepare("SELECT name, body FROM tsql_views");
    while (rows->step()) {
      const std::string name = rows->column(0).toText();
      want[name] = viewSql(name, rows->column(1).toText(), false);
    }
  }
  std::unique_ptr<Cursor> temps =
      backend_.prepare("SELECT name, sql FROM sqlite_temp_master WHERE type = 'view'");
  while (temps->step()) have[temps->column(0).toText()] = temps->column(1).toText();
  temps.reset();
  for (const auto& [name, sql] : have)
    if (auto it = want.find(name); it == want.end() || it->second != sql)
      backend_.execute("DROP VIEW temp." + translate::quoteIdent(name));
  for (const auto& [name, sql] : want)
    if (auto it = have.find(name); it == have.end() || it->second != sql)
      backend_.execute("CREATE TEMP" + sql.substr(std::string("CREATE").size()));
}

}  // namespace tsql::exec

namespace tsql::exec {

namespace {

void rawExec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK) return;
  const std::string msg = err ? err : sqlite3_errmsg(db);
  sqlite3_free(err);
  throw std::runtime_error(msg);
}

}  // namespace

// Only views the engine made (their text starts as the translator writes it) are kept;
// a view the shop made with another tool is left as it is.
int SqliteViews::keepExactTexts(sqlite3* db) {
  rawExec(db, kStore);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT name, sql FROM sqlite_master WHERE type = 'view' AND name NOT IN "
                         "(SELECT name FROM tsql_views)",
                         -1, &st, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  std::map<std::string, std::string> bodies;
  while (sqlite3_step(st) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    const std::string prefix = viewSql(name, "", false);
    if (sql.rfind(prefix, 0) == 0) bodies[name] = sql.substr(prefix.size());
  }
  sqlite3_finalize(st);
  int rewritten = 0;
  for (const auto& [name, body] : bodies) {
    sqlite3_stmt* keep = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO tsql_views(name, body) VALUES (?1, ?2)", -1, &keep,
                       nullptr);
    sqlite3_bind_text(keep, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(keep, 2, body.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(keep);
    sqlite3_finalize(keep);
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    const std::string file = fileBody(body);
    if (file == body) continue;
    rawExec(db, "DROP VIEW main." + translate::quoteIdent(name));
    rawExec(db, viewSql(name, file, false));
    ++rewritten;
  }
  return rewritten;
}

}  // namespace tsql::exec
