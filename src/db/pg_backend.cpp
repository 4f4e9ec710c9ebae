// The server backend: statements, results and the row counts the interpreter reads.
// Cursors run their statement on first use (the column list is known only then).
#include "db/pg_backend.h"

#include <sys/socket.h>
#include <poll.h>

#include <cctype>
#include <cstring>

#include "core/strings.h"
#include "db/connection_cut.h"
#include "db/connection.h"
#include "db/pg_values.h"
#include "tsql/exec/constraint_errors.h"
#include "tsql/exec/sql_exception.h"

namespace db {

using tsql::exec::SqlException;
using tsql::exec::SqlValue;

namespace {

// What an unnamed result column is called on the server (and read back as "").
constexpr const char* kUnnamedColumn = "tsql unnamed";

struct ResultGuard {
  PGresult* r;
  ~ResultGuard() { PQclear(r); }
};

// The table an INSERT writes ("" for any other statement): @@IDENTITY asks the
// server for the last identity value only after inserting into a table that has one.
std::string insertTarget(const std::string& sql) {
  static const std::string head = "INSERT INTO \"";
  if (sql.compare(0, head.size(), head) != 0) return {};
  auto end = sql.find('"', head.size());
  return end == std::string::npos ? "" : sql.substr(head.size(), end - head.size());
}

class PgCursor final : public tsql::exec::Cursor {
 public:
  PgCursor(PgBackend& backend, const std::string& sql) : backend_(backend), text_(backend.serverTextOf(sql)) {}
  ~PgCursor() override { PQclear(result_); }

  void bind(int index, const SqlValue& v) override {
    auto i = static_cast<std::size_t>(index - 1);
    if (types_.size() <= i) {
      types_.resize(i + 1, 0);
      texts_.resize(i + 1);
      nulls_.resize(i + 1, true);
    }
    types_[i] = db::pg::parameterType(v);
    texts_[i] = db::pg::parameterText(v);
    nulls_[i] = v.isNull();
  }
  bool step() override {
    ensureRun();
    return ++row_ < PQntuples(result_);
  }
  void reset() override {
    PQclear(result_);
    result_ = nullptr;
    row_ = -1;
  }
  int columnCount() override { return ensureRun(), PQnfields(result_); }
  std::string columnName(int i) override {
    ensureRun();
    std::string name = PQfname(result_, i);
    if (name == kUnnamedColumn) return "";
    auto spelt = text_->spellings.find(name);
    return spelt == text_->spellings.end() ? name : spelt->second;
  }
  // As SQLite's declared type: known for a table's own column, not for an expression,
  // whose type the translator worked out.
  tsql::ast::DataType columnType(int i) override {
    ensureRun();
    return backend_.resultColumnType(result_, i);
  }
  SqlValue column(int i) override { return db::pg::fieldValue(result_, row_, i); }
  bool sendWithoutWaiting(std::int64_t rows) override {
    return backend_.sendWithoutWaiting(text_->sql, types_, texts_, nulls_, rows, text_->insertTarget);
  }

 private:
  void ensureRun() {
    if (result_) return;
    result_ = backend_.run(text_->sql, types_, texts_, nulls_);
    backend_.noteCommand(result_, text_->insertTarget);
  }

  PgBackend& backend_;
  std::shared_ptr<const ServerText> text_;
  std::vector<Oid> types_;
  std::vector<std::string> texts_;
  std::vector<bool> nulls_;
  PGresult* result_ = nullptr;
  int row_ = -1;
};

constexpr Oid kTextOid = 25;

bool isIndeterminate(const PGresult* r) {
  const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
  return state && std::string_view(state) == "42P18";
}

// Statements that open, end or mark the transaction: never under the statement's own
// savepoint (its release would release a batch's SAVE TRANSACTION made after it).
bool isTransactionControl(const std::string& sql) {
  for (const char* verb : {"BEGIN", "COMMIT", "ROLLBACK", "SAVEPOINT", "RELEASE"})
    if (sql.rfind(verb, 0) == 0) return true;
  return false;
}

SqlException connectionLost() {
  return SqlException(kConnectionLostNumber, 16, 0, kConnectionLostMessage);
}

// The test-only cut: the socket is shut, so the client meets the end of the stream as it
// would when the server went away. A cut after the send closes the way back before the
// statement leaves: the server (on its local socket) can then no longer answer, where an
// answer arriving before the cut, on a loaded machine, would still be read.
void cutIfArmed(PGconn* conn, const std::string& sql, bool sent) {
  ConnectionCut* cut = armedConnectionCut();
  if (!cut || cut->fired || sql.rfind(cut->statement, 0) != 0) return;
  if (!sent && cut->afterSend) shutdown(PQsocket(conn), SHUT_RD);
  if (cut->afterSend != sent) return;
  if (sent) PQflush(conn);
  cut->fired = true;
  shutdown(PQsocket(conn), SHUT_RDWR);
}

}  // namespace

std::string preparedKey(const std::string& sql, const std::vector<Oid>& types) {
  std::string key = sql;
  for (Oid t : types) key += '\x1f' + std::to_string(t);
  return key;
}

// SQL Server's names are case-blind; a quoted name on PostgreSQL is not. Every quoted
// name goes to the server in lower case (tables and columns are made so too); the
// spelling the batch used is remembered, so result columns keep it.
std::string serverText(const std::string& sql, Spellings* spellings) {
  std::string out;
  out.reserve(sql.size());
  for (std::size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (c == '\'') {  // a string literal (DDL defaults), copied as it is
      std::size_t end = i + 1;
      while (end < sql.size() && !(sql[end] == '\'' && (end + 1 >= sql.size() || sql[end + 1] != '\'')))
        end += sql[end] == '\'' ? 2 : 1;
      out.append(sql, i, end - i + 1);
      i = end;
    } else if (c == '"') {
      std::size_t end = i + 1;
      while (end < sql.size() && !(sql[end] == '"' && (end + 1 >= sql.size() || sql[end + 1] != '"')))
        end += sql[end] == '"' ? 2 : 1;
      std::string name = sql.substr(i + 1, end - i - 1);
      if (name.empty()) name = kUnnamedColumn;  // PostgreSQL refuses the empty name
      std::string lower = core::lowerCase(name);
      if (spellings && lower != name) spellings->emplace(lower, name);
      out += '"' + lower + '"';
      i = end;
    } else if (c == '?' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      out += '$';
    } else {
      out += c;
    }
  }
  return out;
}

std::shared_ptr<const ServerText> PgBackend::serverTextOf(const std::string& sql) {
  auto kept = serverTexts_.find(sql);
  if (kept != serverTexts_.end()) return kept->second;
  if (serverTexts_.size() >= 4096) serverTexts_.clear();  // a bound, not a policy: texts repeat
  auto text = std::make_shared<ServerText>();
  text->sql = serverText(sql, &text->spellings);
  text->insertTarget = insertTarget(text->sql);
  return serverTexts_[sql] = std::move(text);
}

std::unique_ptr<tsql::exec::Cursor> PgBackend::prepare(const std::string& sql) {
  return std::make_unique<PgCursor>(*this, sql);
}

// Inside a transaction, a failed statement aborts the whole transaction on the
// server, where SQL Server takes back only that statement and goes on (XACT_ABORT
// off). A savepoint around every statement would keep that meaning but costs the server
// a subtransaction each, so a batch first runs without them: when a statement fails,
// the transaction is given up and the batch runs again from its start with each
// statement under its own savepoint, which a failure rolls back to. A text sent for the
// first time always has its savepoint (the server may refuse to type it; see below).
// Outside a transaction each statement is its own transaction anyway.
PGresult* PgBackend::run(const std::string& sql, const std::vector<Oid>& types,
                         const std::vector<std::string>& texts, const std::vector<bool>& nulls) {
  if (stopped_ && sql.rfind("ROLLBACK", 0) != 0)
    throw SqlException(db::kCancelledNumber, 16, 0, db::kCancelled);
  collectAnswers();
  // a statement outside a transaction commits by itself; SELECTs change nothing
  const bool durableIfDone =
      sql.rfind("COMMIT", 0) == 0 || (PQtransactionStatus(conn_) == PQTRANS_IDLE &&
                                      sql.rfind("SELECT", 0) != 0 && !isTransactionControl(sql));
  if (lostConnection(false)) throw connectionLost();
  bool inTransaction = PQtransactionStatus(conn_) == PQTRANS_INTRANS && !isTransactionControl(sql);
  bool guarded = inTransaction && (savepoints_ || !prepared_.contains(preparedKey(sql, types)));
  std::vector<const char*> values(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) values[i] = nulls[i] ? nullptr : texts[i].c_str();
  PGresult* r = send(sql, types, values, guarded);
  if (isIndeterminate(r)) {
    // Text left for the server to type has no context here (SELECT 'a' UNION SELECT
    // 'b'): it is text, as the embedded engine would have it.
    std::vector<Oid> typed = types;
    for (Oid& t : typed) t = t ? t : kTextOid;
    PQclear(r);
    if (guarded) command("ROLLBACK TO SAVEPOINT tsql_statement; RELEASE SAVEPOINT tsql_statement");
    r = send(sql, typed, values, guarded);
  }
  ExecStatusType status = PQresultStatus(r);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
    noteDurable(r);
    return r;
  }
  ResultGuard guard{r};
  if (lostConnection(durableIfDone)) throw connectionLost();  // the server rolls back what is open
  bool conflict = pg::isConflict(r);
  sawConflict_ = sawConflict_ || conflict;
  // Another session's work in the way (the day's first bill number inserted at the same
  // moment): rolling back to the savepoint would let the batch go on and commit without
  // its row, so the batch runs again whole, once, as after any unguarded failure.
  bool rerunForConflict = guarded && conflict && !durableWrite_ && !ranAgain_;
  if (inTransaction && (!guarded || rerunForConflict)) {
    guarded = false;  // rolled back whole: its savepoint is gone
    giveUpTransaction();
  }
  SqlException error(pg::errorNumber(r), 16, 0, pg::errorMessage(r, conn_));
  auto field = [&](int code) {
    const char* v = PQresultErrorField(r, code);
    return std::string(v ? v : "");
  };
  lastBroken_ = {field(PG_DIAG_TABLE_NAME), field(PG_DIAG_COLUMN_NAME), field(PG_DIAG_CONSTRAINT_NAME),
                 field(PG_DIAG_MESSAGE_DETAIL)};
  if (guarded) command("ROLLBACK TO SAVEPOINT tsql_statement; RELEASE SAVEPOINT tsql_statement");
  throw error;
}

// One round trip per statement: the savepoint when guarded, its PREPARE the first time
// this text is sent with these parameter types, the statement, the release, pipelined.
// The result is the statement's, or the first error before it (a refused PREPARE);
// after a failure the server skips the rest and the caller rolls back to the savepoint.
PGresult* PgBackend::send(const std::string& sql, const std::vector<Oid>& types,
                          const std::vector<const char*>& values, bool guarded) {
  int n = static_cast<int>(values.size());
  std::string key = preparedKey(sql, types);
  auto [entry, isNew] = prepared_.try_emplace(key);
  if (isNew) entry->second = "tsql_" + std::to_string(++preparedCount_);
  const std::string name = entry->second;
  cutIfArmed(conn_, sql, false);
  PQenterPipelineMode(conn_);
  // the savepoint first: a refused PREPARE aborts the transaction too
  if (guarded) PQsendQueryParams(conn_, "SAVEPOINT tsql_statement", 0, nullptr, nullptr, nullptr, nullptr, 0);
  if (isNew) PQsendPrepare(conn_, name.c_str(), sql.c_str(), n, types.data());
  PQsendQueryPrepared(conn_, name.c_str(), n, values.data(), nullptr, nullptr, 0);
  if (guarded) PQsendQueryParams(conn_, "RELEASE SAVEPOINT tsql_statement", 0, nullptr, nullptr, nullptr, nullptr, 0);
  PQpipelineSync(conn_);
  cutIfArmed(conn_, sql, true);
  awaitAnswer();
  int queries = 1 + (isNew ? 1 : 0) + (guarded ? 2 : 0);
  int statementAt = (isNew ? 1 : 0) + (guarded ? 1 : 0);
  PGresult* result = nullptr;
  for (int query = 0; query < queries; ++query) {
    while (PGresult* r = PQgetResult(conn_)) {
      bool failed = PQresultStatus(r) == PGRES_FATAL_ERROR;
      if (!result && (query == statementAt || (failed && query < statementAt))) result = r;
      else PQclear(r);
    }
  }
  leavePipeline();
  if (!result) result = PQmakeEmptyPGresult(conn_, PGRES_FATAL_ERROR);
  if (isNew && PQresultStatus(result) == PGRES_FATAL_ERROR) prepared_.erase(key);  // may not exist now
  return result;
}

void PgBackend::awaitAnswer() {
  if (progress_ == nullptr || !*progress_) return;
  constexpr int kWaitMs = 100;
  const int socket = PQsocket(conn_);
  while (PQconsumeInput(conn_) == 1 && PQisBusy(conn_)) {
    if (!stopped_ && !(*progress_)()) {
      stopped_ = true;
      if (PGcancel* cancel = PQgetCancel(conn_)) {
        char why[256];
        PQcancel(cancel, why, sizeof why);  // the statement then fails: its answer still comes
        PQfreeCancel(cancel);
      }
    }
    pollfd ready{socket, POLLIN, 0};
    poll(&ready, 1, kWaitMs);
  }
}

// A write (or COMMIT) that is now durable: the batch can no longer be run again.
void PgBackend::noteDurable(const PGresult* r) {
  const char* done = PQcmdStatus(const_cast<PGresult*>(r));
  if (PQtransactionStatus(conn_) == PQTRANS_IDLE && std::strncmp(done, "SELECT", 6) != 0 &&
      std::strncmp(done, "ROLLBACK", 8) != 0)
    durableWrite_ = savepoints_ = committedPart_ =
        true;  // running the batch again would do it twice
}

namespace {

// "Key (a, b)=(1, 2) already exists." -> "UNIQUE constraint failed: t.a, t.b".
tsql::SqlError duplicateKey(const tsql::SqlError& e, const std::string& table, const std::string& detail) {
  std::size_t open = detail.find('('), close = detail.find(")=");
  if (detail.rfind("Key (", 0) != 0 || close == std::string::npos) return e;
  tsql::SqlError out = e;
  out.message = "UNIQUE constraint failed: ";
  std::string columns = detail.substr(open + 1, close - open - 1);
  for (std::size_t start = 0; start <= columns.size();) {
    std::size_t comma = columns.find(", ", start);
    std::string column = columns.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    out.message += (start ? ", " : "") + table + "." + column;
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  return out;
}

}  // namespace

// The server keeps names in lower case: an unnamed CHECK's CK__ prefix is put back.
tsql::SqlError PgBackend::constraintError(const tsql::SqlError& e, std::string_view verb) {
  const Broken& b = lastBroken_;
  if (e.number == 515 && !b.column.empty()) return tsql::exec::nullNotAllowed(e, b.column, b.table, verb);
  if (e.number == 2627 && !b.table.empty()) return duplicateKey(e, b.table, b.detail);
  if (e.number != 547 || b.constraint.empty()) return e;
  std::string name = b.constraint.rfind("ck__", 0) == 0 ? "CK__" + b.constraint.substr(4) : b.constraint;
  return tsql::exec::checkConflict(e, name, b.table, verb);
}

void PgBackend::command(const char* sql) {
  collectAnswers();
  if (lostConnection(false)) throw connectionLost();
  ResultGuard guard{PQexec(conn_, sql)};
  if (lostConnection(false)) throw connectionLost();
  if (PQresultStatus(guard.r) != PGRES_COMMAND_OK)
    throw SqlException(pg::errorNumber(guard.r), 16, 0, pg::errorMessage(guard.r, conn_));
}

// Once the connection is gone every statement fails alike, in the clerk's words; a
// batch that may have committed part of its work stays in doubt whatever failed later.
bool PgBackend::lostConnection(bool durableIfDone) {
  if (PQstatus(conn_) != CONNECTION_BAD) return false;
  if (durableIfDone || committedPart_)
    loss_ = Loss::InDoubt;
  else if (loss_ == Loss::None)
    loss_ = Loss::NotDone;
  return true;
}

// Schema statements end every prepared statement: a plan over a table made again
// with other columns would fail ("cached plan must not change result type").
// CREATE OR REPLACE keeps the views that read this one, while its columns keep their
// names and types; a view nothing reads is dropped and made anew, so it may change them.
void PgBackend::replaceView(const std::string& name, const std::string& createSql) {
  bool read = false;
  {
    std::unique_ptr<tsql::exec::Cursor> readers =
        prepare("SELECT 1 FROM pg_depend d JOIN pg_rewrite r ON r.oid = d.objid "
                "WHERE d.refobjid = to_regclass(?1) AND r.ev_class <> d.refobjid LIMIT 1");
    readers->bind(1, tsql::exec::SqlValue::text("\"" + name + "\""));  // the catalog's names hold no quote
    read = readers->step();
  }
  const std::string prefix = "CREATE VIEW ";
  if (!read || createSql.rfind(prefix, 0) != 0) return Backend::replaceView(name, createSql);
  execute("CREATE OR REPLACE VIEW " + createSql.substr(prefix.size()));
}

void PgBackend::execute(const std::string& sql) {
  ResultGuard guard{run(serverText(sql), {}, {}, {})};
  // what the interpreter noted of the schema would outlive a given-up transaction
  if (!isTransactionControl(sql)) savepoints_ = true;
  if (!isTransactionControl(sql) && !prepared_.empty()) {
    prepared_.clear();
    command("DEALLOCATE ALL");
  }
}

void PgBackend::noteCommand(const PGresult* r, const std::string& insertTarget) {
  const char* n = PQcmdTuples(const_cast<PGresult*>(r));
  changes_ = n && *n ? std::strtoll(n, nullptr, 10) : 0;
  lastInsertTarget_ = insertTarget;
}

tsql::ast::DataType PgBackend::resultColumnType(const PGresult* r, int col) {
  Oid table = PQftable(r, col);
  if (table == InvalidOid) return {};
  auto name = relationNames_.find(table);
  if (name == relationNames_.end()) {
    auto lookup = prepare("SELECT relname FROM pg_class WHERE oid = ?1");
    lookup->bind(1, SqlValue::integer(table));
    name = relationNames_.emplace(table, lookup->step() ? lookup->column(0).toText() : "").first;
  }
  const auto* cols = name->second.empty() ? nullptr : columns(name->second);
  auto index = static_cast<std::size_t>(PQftablecol(r, col) - 1);
  if (cols && index < cols->size() && (*cols)[index].type.isKnown()) return (*cols)[index].type;
  return pg::columnType(r, col);
}

// Only an INSERT into a table with an identity column issues a value (the engine
// notes no other); reading it costs a round trip, so it is read when a batch asks for
// @@IDENTITY. It is that table's own counter: NEXT VALUE FOR moves lastval() too.
void PgBackend::noteInsert() {
  if (lastInsertTarget_.empty()) return;
  identityTarget_ = lastInsertTarget_;
  identityPending_ = true;
}

std::int64_t PgBackend::lastInsertId() {
  if (!identityPending_) return lastIdentity_;
  identityPending_ = false;
  auto current = prepare("SELECT currval(tsql_identity_sequence(?1))");
  current->bind(1, SqlValue::text(identityTarget_));
  if (current->step()) lastIdentity_ = current->column(0).toInteger();
  return lastIdentity_;
}

}  // namespace db
