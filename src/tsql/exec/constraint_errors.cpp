// Rewording constraint failures. The table of a CHECK constraint is looked up by its
// quoted name in the schema text (bound as a parameter, never spliced into SQL).
#include "tsql/exec/constraint_errors.h"

#include <string>

#include "tsql/errors/error_table.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

constexpr std::string_view kNotNull = "NOT NULL constraint failed: ";
constexpr std::string_view kCheck = "CHECK constraint failed: ";

std::string tableOfConstraint(sqlite3* db, const std::string& constraint) {
  sqlite3_stmt* stmt = nullptr;
  const char* sql =
      "SELECT name FROM sqlite_master WHERE type = 'table' AND instr(sql, ?1) > 0 UNION ALL "
      "SELECT name FROM sqlite_temp_master WHERE type = 'table' AND instr(sql, ?1) > 0";
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return {};
  std::string quoted = translate::quoteIdent(constraint);
  sqlite3_bind_text(stmt, 1, quoted.c_str(), -1, SQLITE_TRANSIENT);
  std::string table;
  if (sqlite3_step(stmt) == SQLITE_ROW) table = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  sqlite3_finalize(stmt);
  return table;
}

}  // namespace

SqlError nullNotAllowed(const SqlError& e, std::string_view column, std::string_view table, std::string_view verb) {
  SqlError out = e;
  out.number = errors::number(errors::Error::NullNotAllowed);
  out.message = errors::message(errors::Error::NullNotAllowed, {column, table, verb});
  return out;
}

SqlError checkConflict(const SqlError& e, const std::string& constraint, const std::string& table,
                       std::string_view verb) {
  std::string prefix = translate::checkConstraintName(table, "");
  std::string column = constraint.rfind(prefix, 0) == 0 ? constraint.substr(prefix.size()) : std::string();
  bool numbered = !column.empty() && column.find_first_not_of("0123456789") == std::string::npos;
  std::string columnText = column.empty() || numbered ? "" : ", column '" + column + "'";
  SqlError out = e;
  out.number = errors::number(errors::Error::CheckConflict);
  out.message = errors::message(errors::Error::CheckConflict, {verb, constraint, "dbo." + table, columnText});
  return out;
}

SqlError constraintError(sqlite3* db, const SqlError& e, std::string_view verb) {
  std::string_view m = e.message;
  if (m.substr(0, kNotNull.size()) == kNotNull) {
    std::string_view where = m.substr(kNotNull.size());  // table.column
    std::size_t dot = where.rfind('.');
    std::string_view table = dot == std::string_view::npos ? std::string_view() : where.substr(0, dot);
    return nullNotAllowed(e, where.substr(dot + 1), table, verb);
  }
  if (m.substr(0, kCheck.size()) == kCheck) {
    std::string name(m.substr(kCheck.size()));
    return checkConflict(e, name, tableOfConstraint(db, name), verb);
  }
  return e;
}

}  // namespace tsql::exec
