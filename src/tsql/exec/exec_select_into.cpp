// SELECT ... INTO new_table and INSERT ... EXEC. SELECT INTO makes the table from the
// query's columns and types, then fills it with the query's rows; a column that is the
// identity of the query's one table, selected as it is, stays an identity with that
// table's seed and step, and the numbering goes on past the copied values. INSERT ...
// EXEC runs the procedure and writes the rows of its result sets instead of showing them.
#include "tsql/exec/global_temps.h"
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

// The identity column of the query's single table when `item` selects it as it is.
bool carriesIdentity(const ast::SelectItem& item, const std::string& identity) {
  const auto* ref = item.expr ? ast::nodeAs<ast::ColumnRefExpr>(item.expr.get()) : nullptr;
  return ref && !identity.empty() && toLower(ref->column()) == toLower(identity);
}

}  // namespace

ast::TableDef Interpreter::selectIntoTable(const ast::SelectStmt& s, Cursor& stmt,
                                           const translate::Translation& t) {
  const ast::SelectCore& core = s.query.cores[0];
  std::string sourceTable, identity;
  const auto* named =
      core.from.size() == 1 ? ast::nodeAs<ast::NamedTableRef>(core.from[0].get()) : nullptr;
  if (named && s.query.cores.size() == 1 && core.groupBy.empty() && !core.distinct) {
    sourceTable = translate::SqlTranslator(*this).tableSqlName(named->name);
    identity = backend_->identityColumn(sourceTable);
  }
  ast::TableDef def;
  for (int i = 0; i < stmt.columnCount(); ++i) {
    const ast::SelectItem* item =
        static_cast<std::size_t>(i) < core.items.size() ? &core.items[i] : nullptr;
    if (item && !item->star && item->alias.empty() &&
        !ast::nodeAs<ast::ColumnRefExpr>(item->expr.get()))
      throw SqlException(errors::Error::ColumnNameMissing, line(s));
    ast::ColumnDef c;
    c.name = stmt.columnName(i);
    c.type =
        static_cast<std::size_t>(i) < t.columnTypes.size() ? t.columnTypes[i] : ast::DataType{};
    if (!c.type.isKnown() || c.type.kind == ast::TypeKind::Null) c.type = stmt.columnType(i);
    if (!c.type.isKnown()) c.type = ast::typeFromName("nvarchar"), c.type.length = -1;
    if (item && !item->star && carriesIdentity(*item, identity)) {
      auto numbering = backend_->prepare("SELECT ident_seed(?1), ident_incr(?1)");
      numbering->bind(1, SqlValue::text(sourceTable));
      numbering->step();
      c.identity = true;
      c.identitySeed = numbering->column(0).toInteger();
      c.identityStep = numbering->column(1).toInteger();
    }
    def.columns.push_back(std::move(c));
  }
  return def;
}

void Interpreter::execSelectInto(const ast::SelectStmt& s) {
  std::string name = newTableName(s.query.cores[0].into, line(s));
  auto kept = translation(s, [&](auto& tr) { return tr.query(s.query); });
  const translate::Translation t = *kept;  // the schema change below retires the memo's copy
  ast::TableDef def;
  {
    std::unique_ptr<Cursor> probe = prepare(t);  // run once: the server names columns only then
    bindSlots(*probe, t);
    probe->step();
    def = selectIntoTable(s, *probe, t);
  }
  bool temporary = name[0] == '#';
  execSql(translate::SqlTranslator(*this, true).createTable(name, def, temporary), line(s));
  noteGlobalTemp(*backend_, name);
  recordTableTypes(name, def, temporary);
  numberNewTable(name, def);
  std::string sql = "INSERT INTO " + translate::quoteIdent(name) + " (";
  std::string identity;
  for (std::size_t i = 0; i < def.columns.size(); ++i) {
    sql += (i ? ", " : "") + translate::quoteIdent(def.columns[i].name);
    if (def.columns[i].identity) identity = def.columns[i].name;
  }
  std::unique_ptr<Cursor> fill = backend_->prepare(sql + ") " + t.sql);
  bindSlots(*fill, t);
  runToEnd(*fill);
  rowCount_ = backend_->changes();
  if (identity.empty()) return;
  noteRowsWritten(name);
  backend_->followIdentity(name, identity);
}

void Interpreter::insertRows(const std::string& table, const std::vector<std::string>& names,
                             const std::vector<std::vector<SqlValue>>& rows) {
  std::string sql = "INSERT INTO " + translate::quoteIdent(table) + " (";
  std::string values;
  for (std::size_t i = 0; i < names.size(); ++i) {
    sql += (i ? ", " : "") + translate::quoteIdent(names[i]);
    values += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  sql += ") VALUES (" + values + ")";
  for (const auto& row : rows) runStatement(sql, row);
  if (!rows.empty()) noteRowsWritten(table);
}

// INSERT t [(cols)] EXEC p, or EXEC of a string: the result sets become t's rows;
// they are not shown. Every set must have as many columns as the insert names.
void Interpreter::execInsertExec(const ast::InsertStmt& s) {
  translate::SqlTranslator tr(*this);
  std::string table = tr.tableSqlName(s.table);
  const auto* cols = columns(table);
  if (!cols) throw SqlException(errors::Error::InvalidObject, line(s), {s.table});
  std::vector<std::string> names = s.columns;
  if (names.empty()) {
    std::string identity = backend_->identityColumn(table);
    for (const auto& c : *cols)
      if (toLower(c.name) != toLower(identity) && !c.computed) names.push_back(c.name);
  }
  std::size_t before = result_->resultSets.size();
  dispatch(*s.exec);  // a procedure or a batch built at run time
  std::vector<std::vector<SqlValue>> rows;
  for (std::size_t i = before; i < result_->resultSets.size(); ++i)
    for (const auto& r : result_->resultSets[i].rows) {
      if (r.size() != names.size()) throw SqlException(errors::Error::FewerInsertColumns, line(s));
      std::vector<SqlValue> row;
      for (const auto& v : r) row.push_back(SqlValue::fromCore(v));
      rows.push_back(std::move(row));
    }
  result_->resultSets.resize(before);
  insertRows(table, names, rows);
  rowCount_ = static_cast<std::int64_t>(rows.size());
}

}  // namespace tsql::exec
