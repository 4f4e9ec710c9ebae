// The server backend's catalog: the T-SQL types of columns, kept in tsql_column_types
// beside the tables (written in the same transaction as the CREATE, so a rolled-back
// CREATE leaves no types behind); temporary tables' types stay in the connection.
// An object made outside the engine is read from pg_attribute, its types unknown.
#include <algorithm>

#include "core/strings.h"
#include "db/pg_backend.h"
#include "tsql/exec/sql_exception.h"

namespace db {

using tsql::catalog::ColumnInfo;
using tsql::exec::SqlValue;

namespace {

constexpr const char* kSideTable =
    "CREATE TABLE IF NOT EXISTS tsql_column_types(object text NOT NULL, ord integer NOT NULL, "
    "name text NOT NULL, type text NOT NULL, not_null boolean NOT NULL, primary_key boolean NOT NULL, "
    "PRIMARY KEY (object, ord))";
// The expressions of computed columns that every read computes (the table holds no value).
constexpr const char* kComputedTable =
    "CREATE TABLE IF NOT EXISTS tsql_computed_columns(object text NOT NULL, name text NOT NULL, "
    "expression text NOT NULL, PRIMARY KEY (object, name))";

}  // namespace

PgBackend::PgBackend(PGconn* conn) : conn_(conn) {
  try {
    execute(kSideTable);
    execute(kComputedTable);
  } catch (const tsql::exec::SqlException& e) {
    throw std::runtime_error("cannot create the column type table: " + e.error().message);
  }
}

bool PgBackend::isIdentity(const std::string& object, const std::string& column) {
  auto key = std::make_pair(object, column);
  auto it = identity_.find(key);
  if (it != identity_.end()) return it->second;
  auto cursor = prepare(
      "SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass(quote_ident(lower(?1))) AND attname = lower(?2) "
      "AND attidentity <> ''");
  cursor->bind(1, SqlValue::text(object));
  cursor->bind(2, SqlValue::text(column));
  return identity_[key] = cursor->step();
}

const std::vector<ColumnInfo>* PgBackend::columns(const std::string& object) {
  auto temp = temporaryTypes_.find(object);
  if (temp != temporaryTypes_.end()) return &temp->second;
  auto it = columns_.find(object);
  if (it == columns_.end()) {
    std::vector<ColumnInfo> cols = loadColumns(object);
    it = columns_.emplace(object, cols.empty() ? std::nullopt : std::optional(std::move(cols))).first;
  }
  return it->second ? &*it->second : nullptr;
}

// The recorded types and the server's generated (computed) columns in one round trip:
// a batch reads the columns of every table it names, so each costs one.
std::vector<ColumnInfo> PgBackend::loadColumns(const std::string& object) {
  std::vector<ColumnInfo> cols;
  std::vector<std::string> generated;
  auto recorded = prepare(
      "SELECT 0, ord, name, type, not_null, primary_key FROM tsql_column_types WHERE object = ?1 "
      "UNION ALL SELECT 1, 0, attname::text, '', false, false FROM pg_attribute "
      "WHERE attrelid = to_regclass(quote_ident(lower(?1))) "
      "AND attnum > 0 AND NOT attisdropped AND attgenerated <> '' ORDER BY 1, 2");
  recorded->bind(1, SqlValue::text(object));
  while (recorded->step()) {
    if (recorded->column(0).toInteger() != 0) {
      generated.push_back(core::lowerCase(recorded->column(2).toText()));
      continue;
    }
    cols.push_back({recorded->column(2).toText(), tsql::ast::typeFromDeclaration(recorded->column(3).toText()),
                    recorded->column(4).toInteger() != 0, recorded->column(5).toInteger() != 0});
  }
  if (!cols.empty()) {
    for (const std::string& name : generated)
      for (auto& c : cols) c.computed = c.computed || core::lowerCase(c.name) == name;
    if (!generated.empty()) loadComputedOnRead(object, cols);
    return cols;
  }
  auto attributes = prepare(
      "SELECT attname, attnotnull, attgenerated <> '' FROM pg_attribute "
      "WHERE attrelid = to_regclass(quote_ident(lower(?1))) AND attnum > 0 AND NOT attisdropped ORDER BY attnum");
  attributes->bind(1, SqlValue::text(object));
  while (attributes->step())
    cols.push_back({attributes->column(0).toText(), {}, attributes->column(1).toInteger() != 0, false,
                    attributes->column(2).toInteger() != 0});
  return cols;
}

void PgBackend::loadComputedOnRead(const std::string& object, std::vector<ColumnInfo>& cols) {
  auto kept = prepare("SELECT name, expression FROM tsql_computed_columns WHERE object = ?1");
  kept->bind(1, SqlValue::text(object));
  while (kept->step()) {
    std::string name = core::lowerCase(kept->column(0).toText());
    for (auto& c : cols)
      if (c.computed && core::lowerCase(c.name) == name) c.expression = kept->column(1).toText();
  }
}

// A temporary table's stay in its recorded types.
void PgBackend::recordComputedOnRead(const std::string& object, const std::vector<ColumnInfo>& columns,
                                     bool temporary) {
  if (temporary) return;
  auto forget = prepare("DELETE FROM tsql_computed_columns WHERE object = ?1");
  forget->bind(1, SqlValue::text(object));
  forget->step();
  auto keep = prepare("INSERT INTO tsql_computed_columns(object, name, expression) VALUES (?1, ?2, ?3)");
  for (const ColumnInfo& c : columns) {
    if (c.expression.empty()) continue;
    keep->reset();
    keep->bind(1, SqlValue::text(object));
    keep->bind(2, SqlValue::text(core::lowerCase(c.name)));
    keep->bind(3, SqlValue::text(c.expression));
    keep->step();
  }
  invalidateSchema();
}

void PgBackend::recordTypes(const std::string& object, const std::vector<ColumnInfo>& columns, bool temporary) {
  invalidateSchema();
  if (temporary) {
    temporaryTypes_[object] = columns;
    return;
  }
  forgetTypes(object);
  auto insert = prepare(
      "INSERT INTO tsql_column_types(object, ord, name, type, not_null, primary_key) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  for (std::size_t i = 0; i < columns.size(); ++i) {
    insert->reset();
    insert->bind(1, SqlValue::text(object));
    insert->bind(2, SqlValue::integer(static_cast<std::int64_t>(i)));
    insert->bind(3, SqlValue::text(columns[i].name));
    insert->bind(4, SqlValue::text(tsql::ast::typeToSql(columns[i].type)));
    insert->bind(5, SqlValue::text(columns[i].notNull ? "true" : "false"));
    insert->bind(6, SqlValue::text(columns[i].primaryKey ? "true" : "false"));
    insert->step();
  }
}

void PgBackend::forgetTypes(const std::string& object) {
  invalidateSchema();
  temporaryTypes_.erase(object);
  auto remove = prepare("DELETE FROM tsql_column_types WHERE object = ?1");
  remove->bind(1, SqlValue::text(object));
  remove->step();
}

void PgBackend::invalidateSchema() {
  columns_.clear();
  identity_.clear();
  identityColumns_.clear();
  relationNames_.clear();
}

}  // namespace db
