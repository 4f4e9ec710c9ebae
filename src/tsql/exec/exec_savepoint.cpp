// Savepoints: SAVE TRANSACTION name marks a point inside the open transaction and
// ROLLBACK TRANSACTION name goes back to it without ending the transaction
// (@@TRANCOUNT stays). Each maps to a SQLite SAVEPOINT of a quoted name; the names
// the batch gave are kept in order, so the newest of a repeated name wins.
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

std::string savepointSql(const char* verb, const std::string& name) {
  return std::string(verb) + translate::quoteIdent("sp_" + name);
}

}  // namespace

void Interpreter::execSaveTran(const ast::SaveTranStmt& s) {
  if (tranCount_ == 0)
    throw SqlException(errors::Error::SaveWithoutTran, line(s));
  execSql(savepointSql("SAVEPOINT ", s.name), line(s));
  savepoints_.push_back(s.name);
}

// ROLLBACK TRAN name: to the newest savepoint of that name; the transaction's own
// name (or none) rolls everything back.
bool Interpreter::rollbackToSavepoint(const ast::RollbackStmt& s) {
  if (s.name.empty() || tranCount_ == 0) return false;
  for (std::size_t i = savepoints_.size(); i-- > 0;) {
    if (savepoints_[i] != s.name) continue;
    rollbackKeepingTableVariables(line(s), savepointSql("ROLLBACK TO ", s.name));
    savepoints_.resize(i + 1);  // later savepoints are gone; this one stays
    return true;
  }
  if (s.name == tranName_) return false;
  throw SqlException(errors::Error::NoSuchSavepoint, line(s), {s.name});
}

}  // namespace tsql::exec
