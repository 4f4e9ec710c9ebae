// The upgrade works on the file's own schema table (the rows stay where they are):
// stored blanks are trimmed while the old collation still orders the indexes (trimmed
// text sorts where it did), the column declarations are rewritten, the schema is read
// again inside the same transaction and every index is sorted under the new collation.
// Missing columns are found against a new database made in memory from the scripts.
// Views made by the engine keep their exact texts aside and are written again in
// SQLite's plain functions, so other tools can read them.
#include "schema/file_upgrade.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "db/file_backup.h"
#include "schema/schema_script.h"
#include "tsql/exec/sqlite_views.h"

namespace schema {
namespace {

using Rows = std::vector<std::vector<std::string>>;

void exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw UpgradeError(msg);
  }
}

// Every row of `sql`, each value as text ("" for NULL).
Rows rowsOf(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    throw UpgradeError(sqlite3_errmsg(db));
  Rows rows;
  while (sqlite3_step(st) == SQLITE_ROW) {
    auto& row = rows.emplace_back();
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const unsigned char* text = sqlite3_column_text(st, i);
      row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
  }
  sqlite3_finalize(st);
  return rows;
}

int pragmaInt(sqlite3* db, const char* sql) {
  const Rows rows = rowsOf(db, sql);
  return rows.empty() ? 0 : std::stoi(rows.front().front());
}

std::string quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) out += c == quote ? std::string(2, c) : std::string(1, c);
  return out + quote;
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// varchar(n), nvarchar(n), varchar(max) (declared "varchar") and text: not char(n).
bool isVaryingText(const std::string& declared) {
  const std::string t = lowered(declared);
  return t.rfind("varchar", 0) == 0 || t.rfind("nvarchar", 0) == 0 || t == "text" || t == "ntext";
}

Rows tablesWith(sqlite3* db, const char* text) {
  return rowsOf(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND instr(sql, " +
                        quoted(text, '\'') + ") > 0");
}

// Generation 1 kept what it was given; generation 2's columns count trailing blanks.
void trimStoredBlanks(sqlite3* db) {
  for (const auto& table : tablesWith(db, "COLLATE tsql_ci")) {
    std::string set, where;
    for (const auto& col :
         rowsOf(db, "SELECT name, type FROM pragma_table_info(" + quoted(table[0], '\'') + ")")) {
      if (!isVaryingText(col[1])) continue;
      const std::string name = quoted(col[0], '"');
      set += (set.empty() ? "" : ", ") + name + " = rtrim(" + name + ")";
      where += (where.empty() ? "" : " OR ") + std::string("substr(") + name + ", -1) = ' '";
    }
    if (!set.empty())
      exec(db, "UPDATE " + quoted(table[0], '"') + " SET " + set + " WHERE " + where);
  }
}

// The schema version is raised by hand, as SQLite asks of any edit of its schema table,
// and RESET makes this connection read the edited schema before REINDEX sorts again.
void nocaseColumns(sqlite3* db) {
  exec(db, "PRAGMA writable_schema=ON");
  exec(db,
       "UPDATE sqlite_master SET sql = replace(sql, 'COLLATE tsql_ci', 'COLLATE NOCASE') "
       "WHERE type IN ('table', 'index') AND instr(sql, 'COLLATE tsql_ci') > 0");
  exec(db, "PRAGMA schema_version = " + std::to_string(pragmaInt(db, "PRAGMA schema_version") + 1));
  exec(db, "PRAGMA writable_schema=RESET");
  exec(db, "REINDEX");
}

}  // namespace

namespace {

// A column as a new database declares it, for ALTER TABLE ADD COLUMN: `column` is a row
// of pragma_table_info (cid, name, type, notnull, dflt_value, pk).
std::string columnDefinition(sqlite3* reference, const std::string& table,
                             const std::vector<std::string>& column) {
  const std::string& name = column[1];
  if (column[5] != "0")
    throw UpgradeError("the key column " + table + "." + name + " cannot be added to old rows");
  const char* collation = nullptr;
  sqlite3_table_column_metadata(reference, "main", table.c_str(), name.c_str(), nullptr, &collation,
                                nullptr, nullptr, nullptr);
  std::string sql = quoted(name, '"') + " " + column[2];
  if (collation && lowered(collation) != "binary") sql += std::string(" COLLATE ") + collation;
  if (column[3] == "1") sql += " NOT NULL";
  if (!column[4].empty()) sql += " DEFAULT " + column[4];
  return sql;
}

int addMissingColumns(sqlite3* db) {
  db::EmbeddedConnection reference(":memory:");
  try {
    createDatabase(reference, false);
  } catch (const SchemaError& e) {
    throw UpgradeError(e.what());
  }
  int added = 0;
  const std::string tablesSql =
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'";
  for (const auto& table : rowsOf(reference.handle(), tablesSql)) {
    const std::string info = "SELECT * FROM pragma_table_info(" + quoted(table[0], '\'') + ")";
    const Rows has = rowsOf(db, info);
    if (has.empty()) continue;  // a whole table missing is added by its script
    for (const auto& column : rowsOf(reference.handle(), info)) {
      const bool present = std::any_of(has.begin(), has.end(), [&](const auto& h) {
        return lowered(h[1]) == lowered(column[1]);
      });
      if (present) continue;
      exec(db, "ALTER TABLE " + quoted(table[0], '"') + " ADD COLUMN " +
                   columnDefinition(reference.handle(), table[0], column));
      ++added;
    }
  }
  return added;
}

int userVersion(sqlite3* db) { return pragmaInt(db, "PRAGMA user_version"); }

}  // namespace

bool FileUpgrade::needed(db::EmbeddedConnection& connection) {
  return userVersion(connection.handle()) < db::EmbeddedConnection::kSchemaVersion;
}

// Columns are compared only for a file of an earlier generation: a later column is
// added together with a new generation, so an up-to-date file needs no new database
// made in memory to be opened.
FileUpgrade::Outcome FileUpgrade::run(db::EmbeddedConnection& connection) {
  sqlite3* db = connection.handle();
  Outcome outcome;
  try {
    exec(db, "BEGIN IMMEDIATE");
    outcome.hadVersion = userVersion(db);
    if (outcome.hadVersion < 2) {
      trimStoredBlanks(db);
      nocaseColumns(db);
    }
    if (outcome.hadVersion < 3) tsql::exec::SqliteViews::keepExactTexts(db);
    if (outcome.hadVersion < db::EmbeddedConnection::kSchemaVersion) {
      outcome.addedColumns = addMissingColumns(db);
      exec(db, "PRAGMA user_version = " + std::to_string(db::EmbeddedConnection::kSchemaVersion));
    }
    exec(db, "COMMIT");
    return outcome;
  } catch (const std::exception& e) {
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA writable_schema=RESET", nullptr, nullptr, nullptr);
    throw UpgradeError("The database " + connection.path() + " could not be upgraded (" + e.what() +
                       "); it was not changed.");
  }
}

std::string FileUpgrade::runKeepingCopy(db::EmbeddedConnection& connection) {
  if (!needed(connection)) return {};
  const std::string copy = db::keptCopyName(connection.path(), "upgrade");
  db::backupDatabase(connection, copy);
  run(connection);
  return copy;
}

}  // namespace schema
