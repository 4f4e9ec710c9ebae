// Transactions and TRY/CATCH. @@trancount counts nested BEGIN TRAN; only
// the outermost one starts a SQLite transaction (IMMEDIATE, so the write lock is
// taken up front) and only the last COMMIT commits. ROLLBACK undoes everything and
// resets the count to 0 — but not variables, and not table variables: their rows
// are saved before and put back after, as SQL Server keeps them.
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

// A name that resolves to nothing, raised at this TRY's own level, passes the CATCH
// by; raised inside a procedure the TRY called, it is caught like any other error.
Interpreter::Flow Interpreter::execTryCatch(const ast::TryCatchStmt& s) {
  ++tryDepth_;
  try {
    Flow f = execList(s.tryBody);
    --tryDepth_;
    return f;
  } catch (const NameResolutionError& e) {
    --tryDepth_;
    if (e.level() == frames_.size()) throw;
    return execCatch(s, e.error());
  } catch (const SqlException& e) {
    --tryDepth_;
    noteCaught(e);
    return execCatch(s, e.error());
  }
}

// The CATCH block, with the error it caught readable through ERROR_NUMBER() and friends.
Interpreter::Flow Interpreter::execCatch(const ast::TryCatchStmt& s, const SqlError& error) {
  lastError_ = error.number;
  caught_.push_back(error);
  struct Pop {
    std::vector<SqlError>& v;
    ~Pop() { v.pop_back(); }
  } pop{caught_};
  return execList(s.catchBody);
}

void Interpreter::execBeginTran(const ast::Stmt& s) {
  if (tranCount_ == 0) {
    try {
      execSql(backend_->dialect().beginTransaction, line(s), false);
    } catch (const SqlException& e) {  // e.g. another writer kept the file past the busy timeout
      throw BatchAbort(e.error());
    }
    tranName_ = ast::nodeCast<ast::BeginTranStmt>(s).name;
    savepoints_.clear();
  }
  ++tranCount_;
  rowCount_ = 0;
}

void Interpreter::execCommit(const ast::Stmt& s) {
  if (tranCount_ == 0)
    throw SqlException(errors::Error::CommitWithoutBegin, line(s));
  if (tranCount_ == 1) execSql("COMMIT", line(s), false);
  --tranCount_;
  rowCount_ = 0;
}

void Interpreter::execRollback(const ast::Stmt& s) {
  if (tranCount_ == 0)
    throw SqlException(errors::Error::RollbackWithoutBegin, line(s));
  if (rollbackToSavepoint(ast::nodeCast<ast::RollbackStmt>(s))) return;
  rollbackKeepingTableVariables(line(s));
  tranCount_ = 0;
}

void Interpreter::rollbackKeepingTableVariables(int at, const std::string& sql) {
  struct Saved {
    const Variable* var;
    std::vector<std::vector<SqlValue>> rows;
  };
  std::vector<Saved> saved;
  for (Frame* f : frames_) {
    for (const auto& [name, v] : f->vars) {
      if (v.tempTable.empty()) continue;
      Saved s{&v, {}};
      translate::Translation t;
      t.sql = "SELECT * FROM " + tempName(v.tempTable);
      std::unique_ptr<Cursor> stmt = prepare(t);
      int n = stmt->columnCount();
      while (stmt->step()) {
        std::vector<SqlValue> row;
        for (int i = 0; i < n; ++i) row.push_back(stmt->column(i));
        s.rows.push_back(std::move(row));
      }
      saved.push_back(std::move(s));
    }
  }
  execSql(sql, at);
  forgetIdleTableVariables();
  for (const auto& s : saved) restoreTableVariable(*s.var, s.rows, at);
}

// Makes the table variable's temp table again (it may have been created inside the
// rolled-back transaction) and puts the saved rows back.
void Interpreter::restoreTableVariable(const Variable& var, const std::vector<std::vector<SqlValue>>& rows,
                                       int at) {
  std::string table = tempName(var.tempTable);
  execSql("DROP TABLE IF EXISTS " + table, at);
  execSql(var.createSql, at);
  if (rows.empty()) return;
  // An identity column is the rowid itself, so `*` carries identity values too.
  translate::Translation insert;
  insert.sql = "INSERT INTO " + table + " VALUES (";
  for (std::size_t i = 0; i < rows[0].size(); ++i) insert.sql += (i ? ", ?" : "?") + std::to_string(i + 1);
  insert.sql += ")";
  std::unique_ptr<Cursor> stmt = prepare(insert);
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) stmt->bind(static_cast<int>(i + 1), row[i]);
    runToEnd(*stmt);
    stmt->reset();
  }
}

}  // namespace tsql::exec
