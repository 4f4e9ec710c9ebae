// Walks sqlite_master and feeds each table's rows, with a type tag before each value,
// into one digest. The procedure store and the number counters are tables too, so a
// number issued by a failed save shows up as a change. Identity and sequence counters
// are left out: as on SQL Server, a number they issued stays used after a rollback.
#include "reliability/database_fingerprint.h"

#include <stdexcept>
#include <vector>

#include "core/md5.h"

namespace reliability {

namespace {

std::vector<std::string> tableNames(sqlite3* db) {
  std::vector<std::string> names;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db,
                         "select name from sqlite_master where type='table' and name not in "
                         "('sqlite_sequence', 'tsql_identity', 'tsql_sequences') order by name",
                         -1, &st, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  return names;
}

void appendRows(sqlite3* db, const std::string& table, std::string& out) {
  std::string quoted = "\"";
  for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  quoted += '"';
  sqlite3_stmt* st = nullptr;
  // main. first: an unqualified name finds a temp table of that name before main's (a
  // table variable with identity gives temp its own sqlite_sequence).
  std::string sql = "select * from main." + quoted + " order by rowid";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  out += "\n#" + table;
  while (sqlite3_step(st) == SQLITE_ROW) {
    out += '\n';
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const int type = sqlite3_column_type(st, i);
      out += static_cast<char>('0' + type);
      if (type != SQLITE_NULL) {
        const char* bytes = reinterpret_cast<const char*>(sqlite3_column_blob(st, i));
        out.append(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
      }
      out += '\x1f';
    }
  }
  sqlite3_finalize(st);
}

}  // namespace

std::map<std::string, std::string> tableFingerprints(sqlite3* db) {
  std::map<std::string, std::string> tables;
  for (const std::string& table : tableNames(db)) {
    std::string rows;
    appendRows(db, table, rows);
    tables[table] = core::md5Hex(rows);
  }
  return tables;
}

std::string changedTables(const std::map<std::string, std::string>& before,
                          const std::map<std::string, std::string>& after) {
  std::string names;
  auto note = [&names](const std::string& table) { names += (names.empty() ? "" : ", ") + table; };
  for (const auto& [table, digest] : before) {
    auto it = after.find(table);
    if (it == after.end() || it->second != digest) note(table);
  }
  for (const auto& [table, digest] : after)
    if (before.count(table) == 0) note(table);
  return names;
}

}  // namespace reliability
