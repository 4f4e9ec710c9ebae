// Catalog: the T-SQL types of the columns of tables, views and table variables, read
// from SQLite's schema (our CREATE TABLE keeps the T-SQL type names, so the declared
// type is the T-SQL type) plus a side table `tsql_column_types` for view columns that
// are expressions. The translator asks it to decide what `+` means and where money
// needs exact handling. Cached per object and dropped when the schema changes.
// Not thread safe: one catalog per connection.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tsql/ast/data_type.h"

namespace tsql::catalog {

//! One column of a table or view with its T-SQL type (Unknown when SQLite has none).
struct ColumnInfo {
  std::string name;
  ast::DataType type;
  bool notNull = false;
  bool primaryKey = false;
  bool computed = false;  //!< name AS expr: read like any column, never written
  //! A computed column whose value changes from read to read (GETDATE, NEWID ...): its
  //! T-SQL expression, which every read computes; the database holds no value for it.
  std::string expression = {};
};

class Catalog {
 public:
  //! Reads the schema of `db` (not owned; must outlive the catalog).
  explicit Catalog(sqlite3* db) : db_(db) {}

  //! Columns of a table, view or temp table in declaration order; nullopt when there
  //! is no such object. `dbo.` / `[dbo].` prefixes are ignored; names are case-blind.
  const std::vector<ColumnInfo>* columns(std::string_view object);
  //! Type of one column; nullopt when the object or the column does not exist.
  std::optional<ast::DataType> columnType(std::string_view object, std::string_view column);
  //! Remembers the T-SQL types of a view's columns (CREATE VIEW); replaces older ones.
  //! Throws std::runtime_error when SQLite refuses the write.
  void recordTypes(std::string_view object, const std::vector<ColumnInfo>& columns);
  //! Forgets the recorded types of a dropped object.
  void forgetTypes(std::string_view object);
  //! Keeps the expressions of a new table's columns that every read computes (those of
  //! `columns` with one), in the temp schema for a temporary table. Throws
  //! std::runtime_error when SQLite refuses the write.
  void recordComputedOnRead(std::string_view object, const std::vector<ColumnInfo>& columns, bool temporary);
  //! True when `columns` (lower-case names) hold every column of the primary key, or of
  //! a unique index over all rows whose collations are its columns' own, of `object`:
  //! a row is then the only one with its values there. Asked when translating only.
  bool uniqueOn(std::string_view object, const std::vector<std::string>& columns);
  //! Drops the cache (the schema changed behind our back).
  void invalidate() { cache_.clear(); }

 private:
  void checkSchemaVersion();
  std::vector<ColumnInfo> load(const std::string& object);
  void ensureSideTable();
  void loadComputedOnRead(const std::string& object, std::vector<ColumnInfo>& cols);
  bool uniqueIndexOn(const std::string& object, const std::vector<std::string>& columns);

  sqlite3* db_;
  int schemaVersion_ = -1;
  std::unordered_map<std::string, std::optional<std::vector<ColumnInfo>>> cache_;
};

//! The object name as the catalog keys it: lower case, without `dbo.` and brackets.
std::string normalizeObjectName(std::string_view name);

}  // namespace tsql::catalog
