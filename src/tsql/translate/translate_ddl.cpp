// Schema translation. Column types, identity and the collation come from the dialect:
// on SQLite tables keep the T-SQL type names as declared types, so the catalog reads
// them back; text columns get the case-blind collation so that comparisons, GROUP BY,
// DISTINCT, MIN and MAX follow SQL Server's default collation. An identity column is
// the database's own numbering (never reusing numbers, as in SQL Server); another
// declared primary key then becomes UNIQUE.
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

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
    if (c.computed) {
      sql += computedColumn(sqlName, def, c);
      continue;
    }
    if (c.identity) {
      sql += env_.dialect().identityColumn;
      continue;
    }
    sql += env_.dialect().columnType(c.type);
    if (c.notNull) sql += " NOT NULL";
    if (c.primaryKey) sql += hasIdentity ? " UNIQUE" : " PRIMARY KEY";
    if (c.unique) sql += " UNIQUE";
    if (c.defaultValue) {
      out_.clear();
      emitStore(*c.defaultValue, c.type);
      sql += " DEFAULT (" + out_ + ")";
      out_.clear();
    }
    if (c.type.isText()) sql += std::string(" ") + env_.dialect().caseBlindCollation;
  }
  if (!def.primaryKey.empty()) sql += std::string(", ") + (hasIdentity ? "UNIQUE " : "PRIMARY KEY ") + nameList(def.primaryKey);
  for (const auto& u : def.uniques) sql += ", UNIQUE " + nameList(u);
  sql += checkConstraints(sqlName, def);
  sql += ')';
  return sql;
}

// A computed column: its type is the expression's over the table's other columns.
SqlTranslator::Scope SqlTranslator::storedColumnsScope(const ast::TableDef& def) {
  Scope local;
  local.outer = scope_;
  Source src;
  for (const auto& other : def.columns)
    if (!other.computed) src.columns.push_back({other.name, other.type, other.notNull, other.primaryKey});
  local.sources.push_back(std::move(src));
  return local;
}

namespace {

// A value that changes from read to read: SQL Server computes such a column on every
// read and refuses to store it.
bool readsChangingValue(const ast::Expr* e) {
  return anyCall(e, [](const ast::FunctionCallExpr& f) {
    for (const char* n : {"getdate", "getutcdate", "sysdatetime", "sysutcdatetime", "sysdatetimeoffset",
                          "current_timestamp", "newid", "newsequentialid", "rand"})
      if (f.name == n && f.schema.empty()) return true;
    return false;
  });
}

}  // namespace

bool computedOnRead(const ast::ColumnDef& c) {
  return c.computed && !c.persisted && readsChangingValue(c.computed.get());
}

ast::DataType SqlTranslator::computedColumnType(const ast::TableDef& def, const ast::ColumnDef& c) {
  Scope local = storedColumnsScope(def);
  Scope* saved = std::exchange(scope_, &local);
  ast::DataType type = typeOf(*c.computed);
  scope_ = saved;
  return type;
}

// Both databases compute a stored column on every write, so a computed column whose
// value stays the same between reads is stored and reads like any other. One whose value
// changes from read to read (GETDATE, NEWID, RAND) is computed by every read instead, as
// SQL Server computes a column that is not PERSISTED: the table keeps a column without a
// value in its place (its declared order and type), and the catalog its expression, which
// every read writes where the column is named (emitColumnRef). PERSISTED on such an
// expression is 4936.
std::string SqlTranslator::computedColumn(const std::string& table, const ast::TableDef& def,
                                          const ast::ColumnDef& c) {
  ast::DataType type = computedColumnType(def, c);
  if (computedOnRead(c)) return env_.dialect().columnType(type) + env_.dialect().noValueColumn;
  if (c.persisted && readsChangingValue(c.computed.get()))
    throw TranslateError(errors::Error::ComputedNotPersistable, {c.name, table});
  Scope local = storedColumnsScope(def);
  Scope* saved = std::exchange(scope_, &local);
  std::string kept = std::move(out_);
  out_.clear();
  emit(*c.computed);
  std::string expr = std::exchange(out_, std::move(kept));
  scope_ = saved;
  std::string sql = env_.dialect().columnType(type) + " GENERATED ALWAYS AS (" + expr + ") STORED";
  if (c.notNull) sql += " NOT NULL";
  if (type.isText()) sql += std::string(" ") + env_.dialect().caseBlindCollation;
  return sql;
}

std::string checkConstraintName(std::string_view table, std::string_view columnOrNumber) {
  return "CK__" + std::string(table) + "__" + std::string(columnOrNumber);
}

// CHECK conditions are translated against the table's own columns (so text compares
// with the collation and money as money); SQLite reports a broken one by its name.
std::string SqlTranslator::checkConstraints(const std::string& sqlName, const ast::TableDef& def) {
  if (def.checks.empty()) return {};
  Scope local;
  Source self;
  self.alias = toLower(sqlName);
  for (const auto& c : def.columns) self.columns.push_back({c.name, c.type, c.notNull, c.primaryKey});
  local.sources.push_back(std::move(self));
  Scope* saved = scope_;
  scope_ = &local;
  std::string sql;
  int unnamed = 0;
  for (const auto& check : def.checks) {
    std::string name = !check.name.empty() ? check.name
                       : !check.column.empty() ? checkConstraintName(sqlName, check.column)
                                               : checkConstraintName(sqlName, std::to_string(++unnamed));
    out_.clear();
    emit(*check.expr);
    sql += ", CONSTRAINT " + quoteIdent(name) + " CHECK (" + out_ + ")";
  }
  out_.clear();
  scope_ = saved;
  return sql;
}

std::string SqlTranslator::createView(const ast::CreateViewStmt& s,
                                      std::vector<catalog::ColumnInfo>& columns) {
  out_.clear();
  std::string with = emitWith(s.query.with.get());  // a view may open with its own WITH
  std::vector<Output> outputs = emitQuery(s.query, nullptr);
  for (auto& o : outputs) columns.push_back({o.name, o.type, false, false});
  std::string sql = "CREATE VIEW " + quoteIdent(catalog::normalizeObjectName(s.name)) + " AS " + with + out_;
  out_.clear();
  return sql;
}

}  // namespace tsql::translate
