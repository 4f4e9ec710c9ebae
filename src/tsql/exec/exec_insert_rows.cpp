// A save batch writes each of its lines, staff and consumables with a one-row INSERT
// of its own, hundreds of one shape in a row. Where the database can take them as one
// statement of many rows, consecutive statements kept under one shared shape with
// their values bound from the batch text run so: SQLite starts, opens its cursors and
// ends one statement for up to 64 rows, and the engine finds, checks and binds the
// shape once for them. What each statement leaves behind is what the last would
// (@@ROWCOUNT 1, the identity of the last row). A failure that takes back only that
// statement's rows sends the same statements one by one, where the failing one
// raises its error at its own line, after the rows before it, as without this.
#include <bit>

#include "tsql/exec/interpreter.h"
#include "tsql/runtime/value_conversion.h"
#include "tsql/storage_fault.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

constexpr std::size_t kMostRows = 64;
// Below every SQLite build's bound on one statement's markers.
constexpr std::size_t kMostMarkers = 999;

}  // namespace

const std::string& Interpreter::rowsTogetherSql(MemoEntry& e, std::size_t power) {
  std::string& sql = e.rowsTogether[power];
  if (!sql.empty() || e.rowsApart) return sql;
  // Numbers the engine issues row by row stay issued when a failed statement is taken
  // back: a failure there would leave other numbers than one statement at a time.
  const translate::Translation& t = *e.translation;
  if (!t.identityTable.empty() && !t.identityGiven && backend_->identityGivenByEngine(t.identityTable)) {
    e.rowsApart = true;
    return sql;
  }
  sql = translate::SqlTranslator::repeatedValuesRow(t.sql, t.slots.size(), std::size_t{1} << power);
  e.rowsApart = sql.empty();
  return sql;
}

std::size_t Interpreter::execInsertRows(const ast::StmtList& list, std::size_t from) {
  if (fault_ != nullptr || !backend_->writesRowsTogether()) return 0;
  const KeptTranslation* first = memo_->ahead(0, list[from].get());
  if (!first || !first->entry->valueOfSlot || first->firstLifted == KeptTranslation::kInTree) return 0;
  MemoEntry& e = *first->entry;
  const translate::Translation& t = *e.translation;
  if (e.rowsApart || t.slots.empty() || !t.functionRuns.empty() || !stillValid(e)) return 0;
  // A statement whose literals were not yet looked for in the text is looked at as its
  // own run would (execInsert), once its entry is known valid.
  const std::size_t most = std::min(kMostRows, kMostMarkers / t.slots.size());
  std::vector<std::uint32_t> firstLifted;
  while (firstLifted.size() < most && from + firstLifted.size() < list.size()) {
    const ast::Stmt& s = *list[from + firstLifted.size()];
    if (s.kind != ast::NodeKind::Insert) break;
    KeptTranslation* k = memo_->ahead(firstLifted.size(), &s);
    if (!k || k->entry.get() != &e) break;
    if (k->firstLifted == KeptTranslation::kUnknown) k->firstLifted = bindFromText(ast::nodeCast<ast::InsertStmt>(s));
    if (k->firstLifted >= KeptTranslation::kInTree) break;
    firstLifted.push_back(k->firstLifted);
  }
  const std::size_t rows = std::bit_floor(firstLifted.size());
  if (rows < 2 || (doomed_ && tranCount_ > 0)) return 0;
  const std::string& sql = rowsTogetherSql(e, static_cast<std::size_t>(std::countr_zero(rows)));
  if (sql.empty()) return 0;
  const auto& head = ast::nodeCast<ast::InsertStmt>(*list[from]);
  std::unique_ptr<Cursor> stmt;
  try {
    checkIdentityInsert(t, head);
    stmt = backend_->prepare(sql);
    for (std::size_t r = 0; r < rows; ++r)
      bindSlots(*stmt, t, nullptr, true, firstLifted[r], static_cast<int>(r * t.slots.size()));
  } catch (const SqlException&) {  // met again, and raised, by the statement it belongs to
    return 0;
  } catch (const runtime::RuntimeError&) {
    return 0;
  }
  const bool wasOpen = backend_->transactionOpen();
  try {
    runToEnd(*stmt);
  } catch (const SqlException& failed) {
    stmt.reset();
    if (backend_->transactionOpen() == wasOpen && !isStorageFaultNumber(failed.error().number)) return 0;
    // The database gave up more than the statement: running the rows again would write
    // them outside the transaction that is gone.
    SqlException attributed(backend_->constraintError(failed.error(), "INSERT"));
    attributed.attribute(frames_.back()->procedure);
    SqlError located = attributed.error();
    if (located.line == 0) located.line = line(head);
    throw SqlException(located);
  }
  rowCount_ = 1;
  noteIdentityInsert(t);
  memo_->pass(rows);
  return rows;
}

}  // namespace tsql::exec
