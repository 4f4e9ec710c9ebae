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

// The statements of `list` before `until` run one by one from here on: 0 of them ran.
std::size_t Interpreter::runApart(const ast::StmtList& list, std::size_t until) {
  apartIn_ = &list;
  apartUntil_ = until;
  return 0;
}

// The statements are looked up (and translated, the first time) in order as each
// would look itself up in execInsert; those found but not run here find themselves
// again when they run.
std::size_t Interpreter::execInsertRows(const ast::StmtList& list, std::size_t from) {
  if (fault_ != nullptr || !backend_->writesRowsTogether() || (doomed_ && tranCount_ > 0)) return 0;
  if (&list == apartIn_ && from < apartUntil_) return 0;  // they failed together: each runs alone
  MemoEntry* shape = nullptr;
  std::size_t most = 2;
  std::vector<std::pair<const ast::InsertStmt*, std::uint32_t>> rowsOf;  // and where its literals are
  while (rowsOf.size() < most && from + rowsOf.size() < list.size()) {
    const ast::Stmt& st = *list[from + rowsOf.size()];
    if (st.kind != ast::NodeKind::Insert) break;
    const auto& s = ast::nodeCast<ast::InsertStmt>(st);
    KeptTranslation* k = memo_->ahead(0, &s);  // kept in the order it ran: nothing else to read
    if (k && k->entry.get() == shape) {
      memo_->pass(1);
    } else {
      if (!k && (s.rows.size() != 1 || s.exec || s.query || s.output)) break;
      k = memo_->find(&s);
      try {
        if (!k || !stillValid(*k->entry)) {
          if (k && k->firstLifted < KeptTranslation::kInTree) writeLiftedValues(s, k->firstLifted);
          k = &memo_->put(&s, insertEntry(s));
        }
      } catch (const SqlException&) {  // met again, and raised, when the statement runs
        break;
      } catch (const translate::TranslateError&) {
        break;
      }
      MemoEntry& e = *k->entry;
      if (!e.valueOfSlot || (shape && &e != shape)) break;
      if (!shape) {
        const translate::Translation& t = *e.translation;
        if (e.rowsApart || t.slots.empty() || !t.functionRuns.empty()) break;
        shape = &e;
        most = std::min(kMostRows, kMostMarkers / t.slots.size());
      }
    }
    if (k->firstLifted == KeptTranslation::kUnknown) k->firstLifted = bindFromText(s);
    rowsOf.emplace_back(&s, k->firstLifted);
  }
  const std::size_t rows = rowsOf.size() < 2 ? 0 : std::bit_floor(rowsOf.size());
  if (rows == 0) return 0;
  MemoEntry& e = *shape;
  translate::Translation& t = *e.translation;
  const std::string& sql = rowsTogetherSql(e, static_cast<std::size_t>(std::countr_zero(rows)));
  if (sql.empty()) return 0;
  const ast::InsertStmt& head = *rowsOf[0].first;
  std::unique_ptr<Cursor> stmt;
  try {
    checkIdentityInsert(t, head);
    stmt = backend_->prepare(sql);
    for (std::size_t r = 0; r < rows; ++r) {
      const auto [s, firstLifted] = rowsOf[r];
      if (firstLifted >= KeptTranslation::kInTree) pointAtLiterals(t, *e.valueOfSlot, *s);
      bindSlots(*stmt, t, nullptr, true, firstLifted, static_cast<int>(r * t.slots.size()));
    }
  } catch (const SqlException&) {  // met again, and raised, by the statement it belongs to
    return runApart(list, from + rows);
  } catch (const runtime::RuntimeError&) {
    return runApart(list, from + rows);
  }
  const bool wasOpen = backend_->transactionOpen();
  try {
    runToEnd(*stmt);
  } catch (const SqlException& failed) {
    const bool alone = backend_->failedForItsRows(wasOpen);
    stmt.reset();
    if (alone) return runApart(list, from + rows);
    // A lock, the disk or the transaction's end: the first statement meets it too, and
    // running the rows again could write them outside a transaction that is gone.
    SqlException attributed(backend_->constraintError(failed.error(), "INSERT"));
    attributed.attribute(frames_.back()->procedure);
    SqlError located = attributed.error();
    if (located.line == 0) located.line = line(head);
    throw SqlException(located);
  }
  rowCount_ = 1;
  noteIdentityInsert(t);
  return rows;
}

}  // namespace tsql::exec
