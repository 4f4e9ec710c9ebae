// INSERT, UPDATE and DELETE with OUTPUT: the statement runs with its RETURNING list
// and the rows it gives go to the caller as a result set, or into the OUTPUT INTO
// table or table variable (its columns as listed, else all but its identity).
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

ResultSet emptyResult(Cursor& stmt, const translate::Translation& t,
                      std::vector<ast::DataType>& types) {
  ResultSet rs;
  int n = stmt.columnCount() - (t.returnsRowKey ? 1 : 0);
  types.assign(static_cast<std::size_t>(n), {});
  for (int i = 0; i < n; ++i) {
    auto& type = types[static_cast<std::size_t>(i)];
    if (static_cast<std::size_t>(i) < t.columnTypes.size())
      type = t.columnTypes[static_cast<std::size_t>(i)];
    if (type.kind == ast::TypeKind::Null) type = {};
    Column c;
    c.name = stmt.columnName(i);
    c.type = coreTypeOf(type);
    c.size = type.isText() && type.length > 0 ? type.length : 0;
    rs.columns.push_back(std::move(c));
  }
  return rs;
}

}  // namespace

void Interpreter::execOutput(const translate::Translation& t, const ast::OutputClause& o, int line,
                             const char* verb) {
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  std::vector<std::vector<SqlValue>> rows;
  try {
    while (stmt->step()) {
      std::vector<SqlValue> row;
      for (int i = 0; i < stmt->columnCount(); ++i) row.push_back(stmt->column(i));
      rows.push_back(std::move(row));
    }
  } catch (const SqlException& e) {
    throw SqlException(backend_->constraintError(e.error(), verb));
  }
  if (t.returnsRowKey) keepMovedRowKeys(rows, 0);
  if (!o.into.empty()) {
    outputInto(o, rows, line);
  } else {
    std::vector<ast::DataType> types;
    ResultSet rs = emptyResult(*stmt, t, types);
    for (const auto& r : rows) {
      std::vector<core::Value> row;
      for (std::size_t i = 0; i < r.size(); ++i) row.push_back(toCoreValue(r[i], types[i]));
      rs.rows.push_back(std::move(row));
    }
    result_->resultSets.push_back(std::move(rs));
  }
  rowCount_ = static_cast<std::int64_t>(rows.size());
}

// OUTPUT INTO: each row written into the target as one INSERT of bound values.
void Interpreter::outputInto(const ast::OutputClause& o,
                             const std::vector<std::vector<SqlValue>>& rows, int line) {
  translate::SqlTranslator tr(*this);
  std::string table = tr.tableSqlName(o.into);
  const auto* cols = columns(table);
  if (!cols) throw SqlException(errors::Error::InvalidObject, line, {o.into});
  std::vector<std::string> names = o.intoColumns;
  if (names.empty()) {
    std::string identity = backend_->identityColumn(table);
    for (const auto& c : *cols)
      if (toLower(c.name) != toLower(identity) && !c.computed) names.push_back(c.name);
  }
  if (!rows.empty() && rows[0].size() != names.size())
    throw SqlException(errors::Error::FewerInsertColumns, line);
  insertRows(table, names, rows);
}

}  // namespace tsql::exec
