// Column types from SQLite's own schema. SQLite keeps the declared type text of every
// column, and our DDL declares T-SQL names (money, datetime, varchar(50)), so
// PRAGMA table_info gives the T-SQL type back without a shadow schema; only
// expression columns of views need the side table.
#include "tsql/catalog/catalog.h"

#include <stdexcept>

namespace tsql::catalog {
namespace {

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

// Finalizes the statement when the scope ends.
struct Stmt {
  sqlite3_stmt* s = nullptr;
  ~Stmt() { sqlite3_finalize(s); }
};

std::string columnText(sqlite3_stmt* s, int i) {
  auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
  return t ? std::string(t) : std::string();
}

bool among(const std::vector<std::string>& names, const std::string& name) {
  for (const auto& n : names)
    if (n == lowerAscii(name)) return true;
  return false;
}

constexpr const char* kSideTable =
    "create table if not exists tsql_column_types("
    "object text not null, name text not null, type text not null, primary key(object, name))";

}  // namespace

std::string normalizeObjectName(std::string_view name) {
  // One pass: every statement of a batch asks for its table, so no temporaries here.
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c == '[' || c == ']' || c == '"') continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  if (out.size() > 4 && out.compare(0, 4, "dbo.") == 0) out.erase(0, 4);
  return out;
}

void Catalog::checkSchemaVersion() {
  Stmt st;
  int version = -1;
  if (sqlite3_prepare_v2(db_, "pragma schema_version", -1, &st.s, nullptr) == SQLITE_OK &&
      sqlite3_step(st.s) == SQLITE_ROW) {
    version = sqlite3_column_int(st.s, 0);
  }
  // Temp tables (table variables) live in the temp schema, whose version the pragma
  // above does not cover; a changed temp schema is caught by the temp pragma.
  Stmt tmp;
  if (sqlite3_prepare_v2(db_, "pragma temp.schema_version", -1, &tmp.s, nullptr) == SQLITE_OK &&
      sqlite3_step(tmp.s) == SQLITE_ROW) {
    version = version * 7919 + sqlite3_column_int(tmp.s, 0);
  }
  if (version != schemaVersion_) {
    cache_.clear();
    schemaVersion_ = version;
  }
}

std::vector<ColumnInfo> Catalog::load(const std::string& object) {
  std::vector<ColumnInfo> cols;
  bool onRead = false;  // a virtual column: the place of one every read computes
  Stmt st;
  // table_xinfo: table_info leaves generated (computed) columns out
  std::string sql = "select name, type, \"notnull\", pk, hidden from pragma_table_xinfo(?1)";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK) return cols;
  sqlite3_bind_text(st.s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st.s) == SQLITE_ROW) {
    ColumnInfo c;
    c.name = columnText(st.s, 0);
    c.type = ast::typeFromDeclaration(columnText(st.s, 1));
    c.notNull = sqlite3_column_int(st.s, 2) != 0;
    c.primaryKey = sqlite3_column_int(st.s, 3) != 0;
    c.computed = sqlite3_column_int(st.s, 4) >= 2;  // 2: generated virtual, 3: generated stored
    onRead = onRead || sqlite3_column_int(st.s, 4) == 2;
    cols.push_back(std::move(c));
  }
  if (cols.empty()) return cols;
  if (onRead) loadComputedOnRead(object, cols);
  // Expression columns of views: the types recorded when the view was created.
  Stmt side;
  if (sqlite3_prepare_v2(db_, "select name, type from tsql_column_types where object = ?1", -1,
                         &side.s, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(side.s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(side.s) == SQLITE_ROW) {
      std::string name = lowerAscii(columnText(side.s, 0));
      for (auto& c : cols) {
        if (lowerAscii(c.name) == name && !c.type.isKnown()) {
          c.type = ast::typeFromDeclaration(columnText(side.s, 1));
        }
      }
    }
  }  // no side table yet: nothing was recorded, which is not an error
  return cols;
}

// The table's own schema (temp, where SQLite looks first) keeps them.
void Catalog::loadComputedOnRead(const std::string& object, std::vector<ColumnInfo>& cols) {
  for (const char* schema : {"temp", "main"}) {
    Stmt st;
    std::string sql = std::string("select name, expression from ") + schema + ".tsql_computed_columns where object = ?1";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK) continue;  // none kept there
    sqlite3_bind_text(st.s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st.s) == SQLITE_ROW) {
      std::string name = lowerAscii(columnText(st.s, 0));
      for (auto& c : cols)
        if (c.expression.empty() && lowerAscii(c.name) == name) c.expression = columnText(st.s, 1);
    }
  }
}

const std::vector<ColumnInfo>* Catalog::columns(std::string_view object) {
  checkSchemaVersion();
  std::string key = normalizeObjectName(object);
  auto it = cache_.find(key);
  if (it == cache_.end()) {
    auto cols = load(key);
    std::optional<std::vector<ColumnInfo>> entry;
    if (!cols.empty()) entry = std::move(cols);
    it = cache_.emplace(key, std::move(entry)).first;
  }
  return it->second ? &*it->second : nullptr;
}

std::optional<ast::DataType> Catalog::columnType(std::string_view object,
                                                 std::string_view column) {
  const auto* cols = columns(object);
  if (cols == nullptr) return std::nullopt;
  std::string want = lowerAscii(column);
  for (const auto& c : *cols) {
    if (lowerAscii(c.name) == want) return c.type;
  }
  return std::nullopt;
}

void Catalog::ensureSideTable() {
  char* err = nullptr;
  if (sqlite3_exec(db_, kSideTable, nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : "unknown error";
    sqlite3_free(err);
    throw std::runtime_error("cannot create the column type table: " + msg);
  }
}

void Catalog::recordTypes(std::string_view object, const std::vector<ColumnInfo>& columns) {
  ensureSideTable();
  forgetTypes(object);
  std::string key = normalizeObjectName(object);
  Stmt st;
  if (sqlite3_prepare_v2(db_, "insert or replace into tsql_column_types values(?1, ?2, ?3)", -1,
                         &st.s, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("cannot record column types: ") + sqlite3_errmsg(db_));
  }
  for (const auto& c : columns) {
    if (!c.type.isKnown()) continue;
    sqlite3_bind_text(st.s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st.s, 2, c.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st.s, 3, ast::typeToSql(c.type).c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st.s) != SQLITE_DONE) {
      throw std::runtime_error(std::string("cannot record column types: ") + sqlite3_errmsg(db_));
    }
    sqlite3_reset(st.s);
  }
  cache_.erase(key);
}

void Catalog::recordComputedOnRead(std::string_view object, const std::vector<ColumnInfo>& columns,
                                   bool temporary) {
  const std::string table = std::string(temporary ? "temp" : "main") + ".tsql_computed_columns";
  const std::string key = normalizeObjectName(object);
  auto run = [&](const std::string& sql, const ColumnInfo* c) {
    Stmt st;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("cannot keep computed columns: ") + sqlite3_errmsg(db_));
    sqlite3_bind_text(st.s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    if (c) {
      sqlite3_bind_text(st.s, 2, lowerAscii(c->name).c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st.s, 3, c->expression.c_str(), -1, SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st.s) != SQLITE_DONE)
      throw std::runtime_error(std::string("cannot keep computed columns: ") + sqlite3_errmsg(db_));
  };
  run("create table if not exists " + table +
          "(object text not null, name text not null, expression text not null, primary key(object, name))",
      nullptr);
  run("delete from " + table + " where object = ?1", nullptr);
  for (const auto& c : columns)
    if (!c.expression.empty()) run("insert into " + table + " values(?1, ?2, ?3)", &c);
  cache_.erase(key);
}

void Catalog::forgetTypes(std::string_view object) {
  std::string key = normalizeObjectName(object);
  cache_.erase(key);
  Stmt st;
  if (sqlite3_prepare_v2(db_, "delete from tsql_column_types where object = ?1", -1, &st.s,
                         nullptr) != SQLITE_OK) {
    return;  // no side table: nothing was ever recorded, so nothing to forget
  }
  sqlite3_bind_text(st.s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(st.s);
}

bool Catalog::uniqueOn(std::string_view object, const std::vector<std::string>& columns) {
  const std::string key = normalizeObjectName(object);
  const auto* cols = this->columns(key);
  if (cols == nullptr) return false;
  bool keyed = false;
  bool keyAmong = true;
  for (const auto& c : *cols) {
    if (!c.primaryKey) continue;
    keyed = true;
    keyAmong = keyAmong && among(columns, c.name);
  }
  return (keyed && keyAmong) || uniqueIndexOn(key, columns);
}

// A partial index leaves rows out, an expression key or a collation other than the
// column's compares otherwise than `a.col = b.col` does: none of those counts.
bool Catalog::uniqueIndexOn(const std::string& object, const std::vector<std::string>& columns) {
  Stmt st;
  const char* sql =
      "select il.name, ii.name, ii.coll from pragma_index_list(?1) il, pragma_index_xinfo(il.name) ii "
      "where il.\"unique\" = 1 and il.partial = 0 and ii.key = 1 order by il.name, ii.seqno";
  if (sqlite3_prepare_v2(db_, sql, -1, &st.s, nullptr) != SQLITE_OK) return false;
  sqlite3_bind_text(st.s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
  std::string index;
  bool covered = false;
  while (sqlite3_step(st.s) == SQLITE_ROW) {
    const std::string name = columnText(st.s, 0);
    if (name != index) {
      if (covered) return true;
      index = name;
      covered = true;
    }
    const std::string column = columnText(st.s, 1);
    const char* declared = nullptr;
    covered = covered && sqlite3_column_type(st.s, 1) != SQLITE_NULL && among(columns, column) &&
              sqlite3_table_column_metadata(db_, nullptr, object.c_str(), column.c_str(), nullptr, &declared,
                                            nullptr, nullptr, nullptr) == SQLITE_OK &&
              declared != nullptr && lowerAscii(declared) == lowerAscii(columnText(st.s, 2));
  }
  return covered;
}

}  // namespace tsql::catalog
