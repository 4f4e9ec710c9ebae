// Identity columns: SET IDENTITY_INSERT, the checks an INSERT into an identity column
// passes, @@IDENTITY and SCOPE_IDENTITY(), the numbering of a new table and DBCC
// CHECKIDENT. A scope's last identity is read from the database only when asked
// (on the server it costs a round trip), unless a nested scope is about to issue one.
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

std::string Interpreter::identityColumn(const std::string& object) {
  return backend_->identityColumn(object);
}

bool Interpreter::identityGivenByEngine(const std::string& object) {
  return backend_->identityGivenByEngine(object);
}

// SET IDENTITY_INSERT t ON|OFF: one table of the session at a time.
void Interpreter::setIdentityInsert(const ast::SetOptionStmt& s) {
  translate::SqlTranslator tr(*this);
  std::string table = tr.tableSqlName(s.target);
  if (!backend_->columns(table))
    throw SqlException(errors::Error::InvalidObject, line(s), {s.target});
  if (backend_->identityColumn(table).empty())
    throw SqlException(errors::Error::NoIdentityProperty, line(s), {s.target});
  if (s.value == "OFF") {
    if (identityInsert_ == table) identityInsert_.clear();
    return;
  }
  if (!identityInsert_.empty() && identityInsert_ != table)
    throw SqlException(errors::Error::IdentityInsertElsewhere, line(s),
                       {identityInsert_, s.target});
  identityInsert_ = table;
}

// An explicit identity value needs IDENTITY_INSERT ON for its table, which then needs
// one. Outer scopes read their last number now, before this one issues another.
void Interpreter::checkIdentityInsert(const translate::Translation& t, const ast::InsertStmt& s) {
  if (t.identityTable.empty()) return;
  bool on = identityInsert_ == t.identityTable;
  if (t.identityGiven && !on)
    throw SqlException(errors::Error::IdentityInsertOff, line(s), {s.table});
  if (!t.identityGiven && on) {
    if (s.columns.empty())
      throw SqlException(errors::Error::IdentityColumnList, line(s), {s.table});
    throw SqlException(errors::Error::IdentityValueMissing, line(s), {s.table});
  }
  for (Frame* f : frames_)
    if (f != frames_.back() && f->scopeIdentityPending) {
      f->scopeIdentity = SqlValue::integer(backend_->lastInsertId());
      f->scopeIdentityPending = false;
    }
}

// After an INSERT into a table with an identity: @@IDENTITY and this scope's
// SCOPE_IDENTITY() take its last number; explicit numbers move the numbering on.
void Interpreter::noteIdentityInsert(const translate::Translation& t) {
  if (t.identityTable.empty()) return;
  backend_->noteInsert();
  identityIssued_ = true;
  frames_.back()->scopeIdentityPending = true;
  if (t.identityGiven) backend_->followIdentity(t.identityTable, t.identityColumn);
}

// Rows written by the engine itself (OUTPUT INTO, INSERT ... EXEC, SELECT ... INTO)
// number their identity like an INSERT's.
void Interpreter::noteRowsWritten(const std::string& table) {
  if (backend_->identityColumn(table).empty()) return;
  backend_->noteInsert();
  identityIssued_ = true;
  frames_.back()->scopeIdentityPending = true;
}

SqlValue Interpreter::scopeIdentity() const {
  Frame& f = *frames_.back();
  if (f.scopeIdentityPending) {
    f.scopeIdentity = SqlValue::integer(backend_->lastInsertId());
    f.scopeIdentityPending = false;
  }
  return f.scopeIdentity;
}

SqlValue Interpreter::sessionIdentity() const {
  return identityIssued_ ? SqlValue::integer(backend_->lastInsertId()) : SqlValue();
}

// A new table's identity declared with another seed or step than (1, 1).
void Interpreter::numberNewTable(const std::string& name, const ast::TableDef& def) {
  for (const auto& c : def.columns)
    if (c.identity && (c.identitySeed != 1 || c.identityStep != 1))
      backend_->numberIdentity(name, toLower(c.name), c.identitySeed, c.identityStep);
}

// DBCC CHECKIDENT ('t', RESEED, n): the next number is n + the step (n itself on a
// table that issued none); without n, or without RESEED, the numbering goes past the
// column's highest value.
void Interpreter::execCheckIdent(const ast::CheckIdentStmt& s) {
  translate::SqlTranslator tr(*this);
  std::string table = tr.tableSqlName(s.table);
  if (!backend_->columns(table))
    throw SqlException(errors::Error::InvalidObject, line(s), {s.table});
  std::string column = backend_->identityColumn(table);
  if (column.empty()) throw SqlException(errors::Error::NoIdentityProperty, line(s), {s.table});
  std::optional<std::int64_t> value;
  if (s.value) value = evaluate(*s.value, line(s)).toInteger();
  backend_->reseedIdentity(table, column, value);
}

}  // namespace tsql::exec
