// The writes a server batch sends without waiting for their answers, and giving the
// batch's transaction up when one of them (or any statement without its savepoint)
// failed: the interpreter then runs the batch again with a savepoint per statement.
#include <exception>

#include "db/pg_backend.h"
#include "db/pg_values.h"
#include "tsql/exec/sql_exception.h"

namespace db {

using tsql::exec::SqlException;

// Inside a transaction that may still be given up, a write whose only answer is its row
// count needs no round trip of its own: it is sent at once, its answer read with the
// next statement that waits (a save's lines go to the server together). A failure
// among those answers gives the transaction up, as a failed statement would.
bool PgBackend::sendWithoutWaiting(const std::string& sql, const std::vector<Oid>& types,
                                   const std::vector<std::string>& texts, const std::vector<bool>& nulls,
                                   std::int64_t rows, const std::string& insertTarget) {
  if (savepoints_ || stopped_ || unanswered_ >= kMaxUnanswered || PQstatus(conn_) == CONNECTION_BAD)
    return false;
  // while answers are outstanding the connection reports a command in progress
  if (unanswered_ == 0 && PQtransactionStatus(conn_) != PQTRANS_INTRANS) return false;
  auto prepared = prepared_.find(preparedKey(sql, types));
  if (prepared == prepared_.end()) return false;  // its PREPARE may be refused: wait for it
  std::vector<const char*> values(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) values[i] = nulls[i] ? nullptr : texts[i].c_str();
  if (unanswered_ == 0 && !lostWrite_) PQenterPipelineMode(conn_);
  if (PQsendQueryPrepared(conn_, prepared->second.c_str(), static_cast<int>(values.size()), values.data(), nullptr,
                          nullptr, 0))
    ++unanswered_;
  else
    lostWrite_ = true;  // not sent: the batch runs again, waiting for each answer
  changes_ = rows;
  lastInsertTarget_ = insertTarget;
  return true;
}

// Reads up to the pipeline's sync point (the queries' own answers are read before) and
// puts the connection back to one query at a time.
void PgBackend::leavePipeline() {
  while (PGresult* r = PQgetResult(conn_)) {
    bool synced = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
    PQclear(r);
    if (synced) break;
  }
  PQexitPipelineMode(conn_);
}

// Reads the answers of the writes sent without waiting; gives the transaction up when
// one of them failed (or could not be sent).
void PgBackend::collectAnswers() {
  if (givenUp_ && std::uncaught_exceptions() == 0) {  // learnt while another error was leaving
    givenUp_ = false;
    throw tsql::exec::RunBatchAgain();
  }
  if (unanswered_ == 0 && !lostWrite_) return;
  PQpipelineSync(conn_);
  PGresult* failure = nullptr;
  for (int query = 0; query < unanswered_; ++query) {
    while (PGresult* r = PQgetResult(conn_)) {
      if (!failure && PQresultStatus(r) == PGRES_FATAL_ERROR) failure = r;
      else PQclear(r);
    }
  }
  leavePipeline();
  bool failed = failure || lostWrite_;
  unanswered_ = 0;
  lostWrite_ = false;
  if (lostConnection(false)) {  // nothing to give up: the server ends the transaction
    PQclear(failure);
    if (std::uncaught_exceptions() == 0)
      throw SqlException(kConnectionLostNumber, 16, 0, kConnectionLostMessage);
    return;
  }
  if (!failed) return;
  sawConflict_ = sawConflict_ || (failure && pg::isConflict(failure));
  PQclear(failure);
  giveUpTransaction();
}

// Nothing of the batch is durable yet (else savepoints would be on): rolling its
// transaction back puts the database where the batch found it.
// Learnt while another exception leaves (a table variable emptied as a procedure's
// frame ends), it is thrown by the next statement instead: one exception at a time.
void PgBackend::giveUpTransaction() {
  command("ROLLBACK");
  savepoints_ = ranAgain_ = true;
  invalidateSchema();
  if (std::uncaught_exceptions() > 0) {
    givenUp_ = true;
    return;
  }
  throw tsql::exec::RunBatchAgain();
}

}  // namespace db
