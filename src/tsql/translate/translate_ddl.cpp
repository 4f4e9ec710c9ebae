// Schema translation. Tables keep the T-SQL type names as SQLite declared types, so
// the catalog reads them back; text columns get the tsql_ci collation so that
// comparisons, GROUP BY, DISTINCT, MIN and MAX follow SQL Server's default collation.
// An identity column becomes SQLite's INTEGER PRIMARY KEY AUTOINCREMENT (numbers are
// never reused, as in SQL Server); another declared primary key then becomes UNIQUE.
#include "tsql/parser/parser.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

std::string nameList(const std::vector<std::string>& names) {
  std::string out = "(";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out += ", ";
    out += quoteIdent(names[i]);
  }
  return out + ")";
}

// A decimal too long for a double is declared "decimal blob(p,s)": SQLite gives the
// column no affinity, so the exact text of a long value is kept as written (under
// NUMERIC affinity it would become a double and lose digits). Shorter values are
// stored as REALs either way.
std::string storedType(const ast::DataType& t) {
  std::string sql = ast::typeToSql(t);
  if (t.kind == ast::TypeKind::Decimal && t.precision > runtime::kExactDoubleDigits)
    sql.insert(sql.find('('), " blob");
  return sql;
}

}  // namespace

std::string SqlTranslator::createTable(const std::string& sqlName, const ast::TableDef& def, bool temp) {
  bool hasIdentity = false;
  for (const auto& c : def.columns) hasIdentity = hasIdentity || c.identity;
  std::string sql = temp ? "CREATE TEMP TABLE " : "CREATE TABLE ";
  sql += quoteIdent(sqlName) + " (";
  for (std::size_t i = 0; i < def.columns.size(); ++i) {
    const ast::ColumnDef& c = def.columns[i];
    if (i) sql += ", ";
    sql += quoteIdent(c.name) + ' ';
    if (c.identity) {
      sql += "INTEGER PRIMARY KEY AUTOINCREMENT";
      continue;
    }
    // SQLite's declared types take only numbers in parentheses: varchar(max) is
    // declared as plain varchar (no length, which reads back as unbounded).
    ast::DataType declared = c.type;
    if (declared.length < 0) declared.length = 0;
    sql += storedType(declared);
    if (c.notNull) sql += " NOT NULL";
    if (c.primaryKey) sql += hasIdentity ? " UNIQUE" : " PRIMARY KEY";
    if (c.unique) sql += " UNIQUE";
    if (c.defaultValue) {
      out_.clear();
      emitStore(*c.defaultValue, c.type);
      sql += " DEFAULT (" + out_ + ")";
      out_.clear();
    }
    if (c.type.isText()) sql += std::string(" COLLATE ") + runtime::kCollation;
  }
  if (!def.primaryKey.empty()) sql += std::string(", ") + (hasIdentity ? "UNIQUE " : "PRIMARY KEY ") + nameList(def.primaryKey);
  for (const auto& u : def.uniques) sql += ", UNIQUE " + nameList(u);
  sql += ')';
  return sql;
}

std::string SqlTranslator::createView(const ast::CreateViewStmt& s,
                                      std::vector<catalog::ColumnInfo>& columns) {
  out_.clear();
  std::vector<Output> outputs = emitQuery(s.query, nullptr);
  for (auto& o : outputs) columns.push_back({o.name, o.type, false, false});
  std::string sql = "CREATE VIEW " + quoteIdent(catalog::normalizeObjectName(s.name)) + " AS " + out_;
  out_.clear();
  return sql;
}

}  // namespace tsql::translate
