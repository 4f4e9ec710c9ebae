// MERGE: the translator's plan run as one statement. Its steps run inside a savepoint
// of the open transaction (or a transaction of their own when none is open), so a
// failing step takes back every step before it and the plan table with them.
// @@ROWCOUNT counts the rows every step changed; OUTPUT gathers each step's rows.
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

constexpr const char* kSavepoint = "tsql_merge";

}  // namespace

void Interpreter::execMerge(const ast::MergeStmt& s) {
  translate::SqlTranslator tr(*this);
  runPlan(tr.merge(s), s.output.get(), s.target, line(s));
}

// UPDATE ... OUTPUT deleted.col: the rows to change, with their old values, go to a
// plan table first (RETURNING sees only the new row), then the UPDATE reads them there.
void Interpreter::execUpdateKeepingOld(const ast::UpdateStmt& s) {
  translate::SqlTranslator tr(*this);
  runPlan(tr.updateKeepingOld(s), s.output.get(), s.target, line(s));
}

void Interpreter::runPlan(const translate::MergePlan& plan, const ast::OutputClause* output,
                          const std::string& target, int at) {
  const bool own = tranCount_ == 0;
  execSql(own ? std::string(backend_->dialect().beginTransaction) : std::string("SAVEPOINT ") + kSavepoint, at,
          false);
  try {
    rowCount_ = runPlanSteps(plan, output, target, at);
    execSql("DROP TABLE " + plan.table, at, false);
    execSql(own ? std::string("COMMIT") : std::string("RELEASE SAVEPOINT ") + kSavepoint, at, false);
  } catch (const SqlException&) {
    if (own) {
      execSql("ROLLBACK", at, false);
    } else {
      execSql(std::string("ROLLBACK TO SAVEPOINT ") + kSavepoint, at, false);
      execSql(std::string("RELEASE SAVEPOINT ") + kSavepoint, at, false);
    }
    throw;
  }
}

// Fills the plan, refuses a target row two source rows would change, then runs the
// steps; the rows changed.
std::int64_t Interpreter::runPlanSteps(const translate::MergePlan& plan, const ast::OutputClause* output,
                                       const std::string& target, int at) {
  execSql(plan.create, at, false);
  {
    std::unique_ptr<Cursor> fill = prepare(plan.fill);
    bindSlots(*fill, plan.fill);
    runToEnd(*fill);
  }
  if (!plan.rowTwice.empty()) {
    translate::Translation check;
    check.sql = plan.rowTwice;
    if (prepare(check)->step()) throw SqlException(errors::Error::MergeRowTwice, at);
  }
  std::int64_t changed = 0;
  std::vector<std::vector<SqlValue>> rows;
  for (const auto& step : plan.steps) {
    const translate::Translation& t = step.t;
    if (step.insert && t.identityGiven && identityInsert_ != t.identityTable)
      throw SqlException(errors::Error::IdentityInsertOff, at, {target});
    std::vector<std::vector<SqlValue>> planRows{{}};  // one run with nothing bound per row
    if (!step.perRow.empty()) {
      planRows.clear();
      translate::Translation list;
      list.sql = step.perRow;
      std::unique_ptr<Cursor> numbers = prepare(list);
      while (numbers->step()) planRows.push_back({numbers->column(0)});
    }
    std::unique_ptr<Cursor> stmt = prepare(t);
    const std::size_t rowsBefore = rows.size();
    for (const auto& planRow : planRows) {
      bindSlots(*stmt, t, &planRow, true);
      changed += runStep(*stmt, output != nullptr, rows, step.insert ? "INSERT" : "UPDATE");
      stmt->reset();
    }
    if (t.returnsRowKey) keepMovedRowKeys(rows, rowsBefore);
    if (step.insert) noteIdentityInsert(t);
  }
  if (output) planOutput(*output, plan, rows, at);
  return changed;
}

// One run of a step: its RETURNING rows added to `rows` when it has an OUTPUT; the rows
// it changed.
std::int64_t Interpreter::runStep(Cursor& stmt, bool output, std::vector<std::vector<SqlValue>>& rows,
                                  const char* verb) {
  try {
    if (!output) {
      runToEnd(stmt);
      return backend_->changes();
    }
    std::int64_t n = 0;
    for (; stmt.step(); ++n) {
      std::vector<SqlValue> row;
      for (int i = 0; i < stmt.columnCount(); ++i) row.push_back(stmt.column(i));
      rows.push_back(std::move(row));
    }
    return n;
  } catch (const SqlException& e) {
    throw SqlException(backend_->constraintError(e.error(), verb));
  }
}

// The OUTPUT rows to the caller as a result set, or into the OUTPUT INTO table.
void Interpreter::planOutput(const ast::OutputClause& output, const translate::MergePlan& plan,
                             const std::vector<std::vector<SqlValue>>& rows, int at) {
  if (!output.into.empty()) return outputInto(output, rows, at);
  ResultSet rs;
  for (std::size_t i = 0; i < plan.outputTypes.size(); ++i) {
    const ast::DataType& type = plan.outputTypes[i];
    Column c;
    c.name = plan.outputNames[i];
    c.type = coreTypeOf(type);
    c.size = type.isText() && type.length > 0 ? type.length : 0;
    rs.columns.push_back(std::move(c));
  }
  for (const auto& r : rows) {
    std::vector<core::Value> row;
    for (std::size_t i = 0; i < r.size() && i < plan.outputTypes.size(); ++i)
      row.push_back(toCoreValue(r[i], plan.outputTypes[i]));
    rs.rows.push_back(std::move(row));
  }
  result_->resultSets.push_back(std::move(rs));
}

}  // namespace tsql::exec
