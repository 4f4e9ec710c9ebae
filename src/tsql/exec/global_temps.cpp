#include "tsql/exec/global_temps.h"

#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "tsql/exec/backend.h"
#include "tsql/exec/process_sessions.h"
#include "tsql/exec/sql_exception.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

constexpr const char* kPrefix = "tsql_global";
constexpr const char* kRegistry =
    "CREATE TABLE IF NOT EXISTS tsql_global_temps(name text PRIMARY KEY, owner text NOT NULL)";

bool onFile(Backend& db) { return std::string_view(db.dialect().name) == "sqlite"; }

// The connections of this process that made a ##table, by their backend: their names.
std::mutex& namesMutex() {
  static std::mutex m;
  return m;
}
std::map<const Backend*, std::string>& sessionNames() {
  static std::map<const Backend*, std::string> names;
  return names;
}

std::string sessionName(Backend& db) {
  {
    std::lock_guard lock(namesMutex());
    auto known = sessionNames().find(&db);
    if (known != sessionNames().end()) return known->second;
  }
  std::string name;
  if (onFile(db)) {
    name = processSessionName(openSession());
  } else {
    std::unique_ptr<Cursor> pid = db.prepare("SELECT pg_backend_pid()::text");
    if (pid->step()) name = pid->column(0).toText();
  }
  std::lock_guard lock(namesMutex());
  sessionNames()[&db] = name;
  return name;
}

bool sessionOpen(Backend& db, const std::string& name) {
  if (onFile(db)) return processSessionOpen(name);
  std::unique_ptr<Cursor> live = db.prepare("SELECT 1 FROM pg_stat_activity WHERE pid::text = ?1");
  live->bind(1, SqlValue::text(name));
  return live->step();
}

bool registryExists(Backend& db) {
  std::unique_ptr<Cursor> exists = db.prepare(db.dialect().objectExists);
  exists->bind(1, SqlValue::text("table"));
  exists->bind(2, SqlValue::text("tsql_global_temps"));
  return exists->step();
}

void run(Backend& db, const std::string& sql, const std::vector<std::string>& args) {
  std::unique_ptr<Cursor> stmt = db.prepare(sql);
  for (std::size_t i = 0; i < args.size(); ++i)
    stmt->bind(static_cast<int>(i + 1), SqlValue::text(args[i]));
  while (stmt->step()) {
  }
}

void dropTable(Backend& db, const std::string& table) {
  db.execute("DROP TABLE IF EXISTS " + translate::quoteIdent(table));
  db.forgetTypes(table);
  db.forgetIdentity(table);
  db.invalidateSchema();
}

// Drops `table` when its record still names `owner` (another connection may have
// dropped it and made its own since).
void dropOwned(Backend& db, const std::string& table, const std::string& owner) {
  run(db, "DELETE FROM tsql_global_temps WHERE name = ?1 AND owner = ?2", {table, owner});
  if (db.changes() > 0) dropTable(db, table);
}

// At close, a table's record and the table go together or not at all: a reader's lock
// (the server's; the file's readers do not stop a DROP) gives up at once, and what is
// left is swept once its readers are done.
void dropAtClose(Backend& db, const std::string& table, const std::string& owner) {
  db.execute(db.dialect().beginTransaction);
  try {
    if (!onFile(db)) db.execute("SET LOCAL lock_timeout = '100ms'");
    dropOwned(db, table, owner);
    db.execute("COMMIT");
  } catch (const SqlException&) {
    db.execute("ROLLBACK");
  }
}

}  // namespace

std::string globalTempTable(const std::string& name) { return kPrefix + name; }

void sweepGlobalTemps(Backend& db) {
  if (!registryExists(db)) return;
  std::vector<std::pair<std::string, std::string>> made;
  {
    std::unique_ptr<Cursor> all = db.prepare("SELECT name, owner FROM tsql_global_temps");
    while (all->step()) made.emplace_back(all->column(0).toText(), all->column(1).toText());
  }
  for (const auto& [table, owner] : made) {
    try {
      if (!sessionOpen(db, owner)) dropOwned(db, table, owner);
    } catch (const SqlException&) {  // busy, or swept by another connection meanwhile
    }
  }
}

void noteGlobalTemp(Backend& db, const std::string& table) {
  if (!table.starts_with(std::string(kPrefix) + "##")) return;
  std::string owner = sessionName(db);
  db.execute(kRegistry);
  run(db, "INSERT INTO tsql_global_temps(name, owner) VALUES (?1, ?2)", {table, owner});
}

void forgetGlobalTemp(Backend& db, const std::string& table) {
  run(db, "DELETE FROM tsql_global_temps WHERE name = ?1", {table});
}

void closeGlobalTemps(Backend& db, bool inTransaction) noexcept {
  std::string owner;
  {
    std::lock_guard lock(namesMutex());
    auto known = sessionNames().find(&db);
    if (known == sessionNames().end()) return;
    owner = known->second;
    sessionNames().erase(known);
  }
  try {
    std::vector<std::string> mine;
    {
      std::unique_ptr<Cursor> own = db.prepare("SELECT name FROM tsql_global_temps WHERE owner = ?1");
      own->bind(1, SqlValue::text(owner));
      while (own->step()) mine.push_back(own->column(0).toText());
    }
    for (const std::string& table : mine) {
      if (inTransaction)  // the close rolls it back: swept at the next open
        dropOwned(db, table, owner);
      else
        dropAtClose(db, table, owner);
    }
  } catch (const std::exception&) {  // what is left is swept at the next open
  }
  if (onFile(db)) {
    std::size_t colon = owner.find(':');
    if (colon != std::string::npos) closeSession(std::stoull(owner.substr(colon + 1)));
  }
}

}  // namespace tsql::exec
