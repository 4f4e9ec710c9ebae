// DECLARE CURSOR, OPEN, FETCH, CLOSE and DEALLOCATE. The query is translated when the
// cursor is declared and the variables it reads take their values then, as on the
// server; OPEN reads its rows (see CursorSet) and FETCH moves over them.
#include <algorithm>
#include <optional>

#include "core/strings.h"
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

// A statement that is never run: it keeps the values bound to it.
class BoundValues final : public Cursor {
 public:
  std::vector<SqlValue> values;
  void bind(int index, const SqlValue& v) override {
    if (values.size() < static_cast<std::size_t>(index))
      values.resize(static_cast<std::size_t>(index));
    values[static_cast<std::size_t>(index - 1)] = v;
  }
  bool step() override { return false; }
  void reset() override {}
  int columnCount() override { return 0; }
  std::string columnName(int) override { return {}; }
  ast::DataType columnType(int) override { return {}; }
  SqlValue column(int) override { return {}; }
};

using Direction = ast::CursorStmt::Direction;

const char* directionName(Direction d) {
  switch (d) {
    case Direction::Next:
      return "NEXT";
    case Direction::Prior:
      return "PRIOR";
    case Direction::First:
      return "FIRST";
    case Direction::Last:
      return "LAST";
    case Direction::Absolute:
      return "ABSOLUTE";
    case Direction::Relative:
      return "RELATIVE";
  }
  return "";
}

}  // namespace

void Interpreter::execDeclareCursor(const ast::DeclareCursorStmt& s) {
  int depth = frames_.back()->depth;
  if (s.name[0] == '@') {  // SET @var = CURSOR: the variable's former cursor goes
    if (DeclaredCursor* former = cursors_.find(s.name, false, depth)) cursors_.remove(*former);
  } else if (cursors_.declared(s.name, s.local, depth))
    throw SqlException(errors::Error::CursorExists, line(s), {s.name});
  bool readOnly = s.readOnly || s.type == ast::CursorType::Static;
  std::vector<const ast::NamedTableRef*> tables;
  if (!readOnly) tables = writableTables(translate::SqlTranslator::cursorTables(s.query));
  auto kept = translation(s, [&](auto& tr) { return tr.cursorQuery(s.query, tables); });
  const translate::Translation& t = *kept;
  BoundValues bound;
  bindSlots(bound, t);
  bound.values.resize(t.slots.size());
  DeclaredCursor c;
  c.name = s.name;
  c.local = s.local;
  c.depth = depth;
  c.scroll = s.scroll;
  c.type = s.type;
  c.dynamicWritten = s.typeWritten && s.type == ast::CursorType::Dynamic;
  c.sql = t.sql;
  c.args = std::move(bound.values);
  c.types = t.columnTypes;
  // A query that reads no table row for row (DISTINCT, GROUP BY, UNION, a view) makes
  // the cursor read-only, as the server makes it static.
  c.readOnly = readOnly || t.rowKeyTables.empty();
  c.keyTables = t.rowKeyTables;
  cursors_.add(std::move(c));
}

// Of a cursor's tables, those it can write: not a view (no row keys of its own), and
// not a table it reads twice (a self-join), whose row would be ambiguous.
std::vector<const ast::NamedTableRef*> Interpreter::writableTables(
    std::vector<const ast::NamedTableRef*> tables) {
  translate::SqlTranslator names(*this);
  std::vector<std::string> sqlNames;
  for (const ast::NamedTableRef* n : tables) sqlNames.push_back(core::lowerCase(names.tableSqlName(n->name)));
  std::vector<const ast::NamedTableRef*> writable;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (std::count(sqlNames.begin(), sqlNames.end(), sqlNames[i]) > 1) continue;
    const ast::NamedTableRef* n = tables[i];
    if (!n->isVariable() && objectExists("view", catalog::normalizeObjectName(n->name))) continue;
    writable.push_back(n);
  }
  return writable;
}

void Interpreter::execCursorStatement(const ast::CursorStmt& s) {
  DeclaredCursor* c = cursors_.find(s.name, s.global, frames_.back()->depth);
  if (!c) throw SqlException(errors::Error::NoSuchCursor, line(s), {s.name});
  switch (s.op) {
    case ast::CursorStmt::Op::Open:
      return openCursor(*c, line(s));
    case ast::CursorStmt::Op::Fetch:
      return fetchCursor(*c, s);
    case ast::CursorStmt::Op::Close:
      if (!c->open) throw SqlException(errors::Error::CursorNotOpen, line(s));
      c->open = false;
      c->rows.reset();
      return;
    case ast::CursorStmt::Op::Deallocate:
      return cursors_.remove(*c);
  }
}

// The result columns take the database's types where it knows them, else the
// translation's, as a SELECT's do.
void Interpreter::openCursor(DeclaredCursor& c, int at) {
  if (c.open) throw SqlException(errors::Error::CursorAlreadyOpen, at);
  std::unique_ptr<Cursor> stmt = backend_->prepare(c.sql);
  for (std::size_t i = 0; i < c.args.size(); ++i) stmt->bind(static_cast<int>(i + 1), c.args[i]);
  int n = stmt->columnCount();
  int shown = n - static_cast<int>(c.keyTables.size());  // the row keys stay out of sight
  c.columns.clear();
  c.types.resize(static_cast<std::size_t>(shown));
  for (int i = 0; i < shown; ++i) {
    ast::DataType& type = c.types[static_cast<std::size_t>(i)];
    ast::DataType known = stmt->columnType(i);
    if (known.isKnown()) type = known;
    if (type.kind == ast::TypeKind::Null) type = {};
    Column column;
    column.name = stmt->columnName(i);
    column.type = coreTypeOf(type);
    column.size = type.isText() && type.length > 0 ? type.length : 0;
    c.columns.push_back(std::move(column));
  }
  auto rows = std::make_shared<DeclaredCursor::Rows>();
  while (stmt->step()) {
    std::vector<SqlValue> row;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(stmt->column(i));
    rows->push_back(std::move(row));
  }
  c.rows = std::move(rows);
  c.open = true;
  c.position = 0;
  c.deleted.clear();
  c.movedKeys.clear();
  cursors_.opened(c);
}

// The row FETCH goes to: 1..n, or 0 / n + 1 when it moves off either end.
std::int64_t Interpreter::fetchTarget(const DeclaredCursor& c, const ast::CursorStmt& s) {
  auto n = static_cast<std::int64_t>(c.rows->size());
  std::int64_t k = s.offset ? evaluate(*s.offset, line(s)).toInteger() : 0;
  k = std::clamp<std::int64_t>(k, -(n + 2), n + 2);  // any further lands off the same end
  std::int64_t p = 0;
  switch (s.direction) {
    case Direction::Next:
      p = c.position + 1;
      break;
    case Direction::Prior:
      p = c.position - 1;
      break;
    case Direction::First:
      p = 1;
      break;
    case Direction::Last:
      p = n;
      break;
    case Direction::Absolute:
      p = k >= 0 ? k : n + 1 + k;
      break;
    case Direction::Relative:
      p = c.position + k;
      break;
  }
  return std::clamp<std::int64_t>(p, 0, n + 1);
}

void Interpreter::fetchCursor(DeclaredCursor& c, const ast::CursorStmt& s) {
  if (!c.open) throw SqlException(errors::Error::CursorNotOpen, line(s));
  bool forwardOnly = !c.scroll || c.type == ast::CursorType::FastForward;
  if (forwardOnly && s.direction != Direction::Next)
    throw SqlException(errors::Error::FetchForwardOnly, line(s),
                       {"fetch", directionName(s.direction)});
  if (c.dynamicWritten && s.direction == Direction::Absolute)
    throw SqlException(errors::Error::FetchDynamic, line(s), {directionName(s.direction)});
  if (!s.into.empty() && s.into.size() != c.columns.size())
    throw SqlException(errors::Error::FetchIntoCount, line(s));
  c.position = fetchTarget(c, s);
  bool onRow = c.position >= 1 && c.position <= static_cast<std::int64_t>(c.rows->size());
  cursors_.fetchStatus = onRow ? 0 : -1;
  rowCount_ = onRow ? 1 : 0;
  const std::vector<SqlValue>* row =
      onRow ? &(*c.rows)[static_cast<std::size_t>(c.position - 1)] : nullptr;
  if (!s.into.empty()) {
    if (row)
      for (std::size_t i = 0; i < s.into.size(); ++i) assign(s.into[i], (*row)[i], line(s));
    return;
  }
  ResultSet rs;
  rs.columns = c.columns;
  if (row) {
    std::vector<core::Value> values;
    for (std::size_t i = 0; i < c.columns.size(); ++i)
      values.push_back(toCoreValue((*row)[i], c.types[i]));
    rs.rows.push_back(std::move(values));
  }
  result_->resultSets.push_back(std::move(rs));
}

// The row key of the row `of` is on, for a positioned write of `table`: the cursor must
// exist, be open, be updatable through `table` and be on a row it has not deleted.
SqlValue Interpreter::currentRowKey(const ast::CurrentOf& of, const std::string& table, int at) {
  DeclaredCursor* c = cursors_.find(of.cursor, of.global, frames_.back()->depth);
  if (!c) throw SqlException(errors::Error::NoSuchCursor, at, {of.cursor});
  if (!c->open) throw SqlException(errors::Error::CursorNotOpen, at);
  if (c->readOnly) throw SqlException(errors::Error::CursorReadOnly, at);
  std::string target = translate::SqlTranslator(*this).tableSqlName(table);
  auto keyed = std::find_if(c->keyTables.begin(), c->keyTables.end(),
                            [&](const std::string& k) { return core::sameText(k, target); });
  if (keyed == c->keyTables.end()) throw SqlException(errors::Error::CursorNotOnTable, at);
  positionedTable_ = static_cast<std::size_t>(keyed - c->keyTables.begin());
  bool onRow = c->position >= 1 && c->position <= static_cast<std::int64_t>(c->rows->size());
  if (!onRow || c->deleted.contains(c->position))
    throw SqlException(errors::Error::RowNotInFetchBuffer, at);
  positioned_ = c;
  auto moved = c->movedKeys.find({c->position, positionedTable_});
  if (moved != c->movedKeys.end()) return moved->second;
  const auto& row = (*c->rows)[static_cast<std::size_t>(c->position - 1)];
  return row[c->columns.size() + positionedTable_];
}

// UPDATE / DELETE ... WHERE CURRENT OF: the statement runs on the cursor's row alone; a
// deleted row is gone from the cursor's reach, a moved key is kept for the next write.
void Interpreter::execPositioned(const translate::Translation& t, const ast::CurrentOf& of,
                                 const std::string& table, bool deleting, int at) {
  positionedKey_ = currentRowKey(of, table, at);
  DeclaredCursor* c = positioned_;
  std::unique_ptr<Cursor> stmt = prepare(t);
  bindSlots(*stmt, t);
  std::optional<SqlValue> newKey;
  try {
    while (stmt->step())
      if (t.returnsRowKey) newKey = stmt->column(0);
  } catch (const SqlException& e) {
    throw SqlException(backend_->constraintError(e.error(), deleting ? "DELETE" : "UPDATE"));
  }
  rowCount_ = backend_->changes();
  if (deleting && rowCount_ > 0) c->deleted.insert(c->position);
  if (newKey) c->movedKeys[{c->position, positionedTable_}] = *newKey;
}

// A positioned UPDATE with OUTPUT on a backend whose row key moves returns the row's new
// key after its OUTPUT columns: taken off the rows from `from` on and kept for the
// cursor's next write of that row.
void Interpreter::keepMovedRowKeys(std::vector<std::vector<SqlValue>>& rows, std::size_t from) {
  for (std::size_t i = from; i < rows.size(); ++i) {
    if (rows[i].empty()) continue;
    if (positioned_) positioned_->movedKeys[{positioned_->position, positionedTable_}] = rows[i].back();
    rows[i].pop_back();
  }
}

}  // namespace tsql::exec
