// The embedded file's dialect: tables keep the T-SQL type names as SQLite declared
// types (the catalog reads them back from SQLite's schema), identity is SQLite's
// AUTOINCREMENT rowid. Text columns are declared NOCASE, a collation every SQLite tool
// knows, so the stock shell can read and check the file; text that is not a column
// compares under the runtime's tsql_ci (case-blind, trailing blanks ignored).
#include "tsql/dialect/dialect.h"

#include "tsql/runtime/decimal_value.h"

namespace tsql::dialect {

namespace {

// SQLite's declared types take only numbers in parentheses: varchar(max) is declared
// as plain varchar (no length, which reads back as unbounded). A decimal too long for
// a double is declared "decimal blob(p,s)": SQLite gives the column no affinity, so the
// exact text of a long value is kept as written (under NUMERIC affinity it would
// become a double and lose digits). Shorter values are stored as REALs either way.
std::string sqliteColumnType(const ast::DataType& type) {
  ast::DataType declared = type;
  if (declared.length < 0) declared.length = 0;
  std::string sql = ast::typeToSql(declared);
  if (declared.kind == ast::TypeKind::Decimal && declared.precision > runtime::kExactDoubleDigits)
    sql.insert(sql.find('('), " blob");
  return sql;
}

}  // namespace

const Dialect& sqliteDialect() {
  static const Dialect d{
      "sqlite",
      sqliteColumnType,
      "INTEGER PRIMARY KEY AUTOINCREMENT",
      "rowid",
      false,
      "COLLATE NOCASE",
      false,
      "-1",
      "ifnull",
      "BEGIN IMMEDIATE",
      "temp.",
      "DELETE FROM temp.sqlite_sequence WHERE name = ?1",
      "CREATE TABLE IF NOT EXISTS tsql_procedures(name TEXT PRIMARY KEY COLLATE NOCASE, body TEXT NOT NULL)",
      "INSERT OR REPLACE INTO tsql_procedures(name, body) VALUES (?1, ?2)",
      "SELECT 1 FROM (SELECT type, name FROM sqlite_master UNION ALL SELECT type, name FROM "
      "sqlite_temp_master) WHERE type = ?1 AND name = ?2 COLLATE NOCASE",
      "",
      false,
      false,
      false,
      "NOCASE",
      true,
      nullptr,
      false,
      "BINARY",
      nullptr,
      false,
      true,
      nullptr,
      "integer",
      false,
      " IS ",
      true,
      false,
  };
  return d;
}

}  // namespace tsql::dialect
