// PgBackend: a PostgreSQL server as the interpreter's database, through libpq. Each
// statement is sent with its ?N markers rewritten to $N and its values as typed text
// parameters, inside the batch's transaction on the server. The T-SQL types of
// columns live in tsql_column_types (the server keeps its own type names). Does not
// own the connection. Not thread safe.
#pragma once

#include <libpq-fe.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "db/connection.h"
#include "tsql/exec/backend.h"

namespace db {

//! Lower-case names by the spelling a batch gave them.
using Spellings = std::unordered_map<std::string, std::string>;

//! A statement's text as the server takes it (serverText below), with the spellings of
//! its names and the table it inserts into ("" for another statement).
struct ServerText {
  std::string sql;
  Spellings spellings;
  std::string insertTarget;
};

class PgBackend final : public tsql::exec::Backend {
 public:
  //! Works on `conn` (open, UTF8); creates the catalog's side table when missing.
  explicit PgBackend(PGconn* conn);

  const tsql::dialect::Dialect& dialect() const override {
    return tsql::dialect::postgresDialect();
  }
  std::unique_ptr<tsql::exec::Cursor> prepare(const std::string& sql) override;
  void execute(const std::string& sql) override;
  std::int64_t changes() override { return changes_; }
  void noteInsert() override;
  std::int64_t lastInsertId() override;
  bool isIdentity(const std::string& object, const std::string& column) override;
  const std::vector<tsql::catalog::ColumnInfo>* columns(const std::string& object) override;
  void recordTypes(const std::string& object, const std::vector<tsql::catalog::ColumnInfo>& columns,
                   bool temporary = false) override;
  void forgetTypes(const std::string& object) override;
  void recordComputedOnRead(const std::string& object, const std::vector<tsql::catalog::ColumnInfo>& columns,
                            bool temporary) override;
  //! In place where other views read it (the server drops no view they depend on).
  void replaceView(const std::string& name, const std::string& createSql) override;
  void invalidateSchema() override;
  //! Always: the batch's first statement would cost a round trip to find out, so
  //! what the interpreter learnt of the schema lasts one batch on the server.
  //! What was learnt of tables (their columns, and the translations made from them) is
  //! kept until this connection changes the schema, as the column cache below always
  //! was; a function's body, which other connections may change, is watched by the
  //! interpreter's function generation instead.
  bool schemaChangedElsewhere() override { return false; }
  //! NOT NULL and CHECK failures in SQL Server's words, a duplicate key as the
  //! embedded file words it, from what the server named.
  tsql::SqlError constraintError(const tsql::SqlError& e, std::string_view verb) override;
  // numbering (pg_numbering.cpp): identity columns and sequences are the server's own
  std::string identityColumn(const std::string& object) override;
  void numberIdentity(const std::string& object, const std::string& column, std::int64_t seed,
                      std::int64_t step) override;
  void followIdentity(const std::string& object, const std::string& column) override;
  void reseedIdentity(const std::string& object, const std::string& column,
                      std::optional<std::int64_t> value) override;
  void restartIdentity(const std::string& object, const std::string& column) override;
  void defineSequence(const Sequence& s, bool alter, bool restart) override;
  std::optional<Sequence> sequence(const std::string& name) override;
  void dropSequence(const std::string& name) override;

  //! Starts watching a batch: no conflict seen, nothing made durable yet, statements
  //! without their own savepoints until one fails or something becomes durable. A
  //! batch inside the host's unit of work can never be given up and run again (the
  //! unit's earlier batches share its transaction): a savepoint for every statement.
  void startBatch(bool inUnit = false) {
    sawConflict_ = givenUp_ = false;
    durableWrite_ = savepoints_ = ranAgain_ = inUnit;
    committedPart_ = false;
    loss_ = Loss::None;
  }
  //! How the batch met a connection that went away: InDoubt when a statement that
  //! would have made work durable (a COMMIT, a write outside a transaction) was sent
  //! and never answered, or part of the batch had already committed.
  Loss loss() const { return loss_; }

  //! What the batch's waits for the server ask (null or empty: nothing); see
  //! Connection::setProgress. Called before each batch.
  void watchProgress(const std::function<bool()>* progress) {
    progress_ = progress;
    stopped_ = false;
  }
  //! True when the progress callback stopped the batch.
  bool stopped() const { return stopped_; }
  bool refusesStatements() const override { return stopped_; }
  //! True when the batch failed on another session's concurrent work and nothing of it
  //! was committed, so running it again whole is safe.
  bool mayRunAgain() const { return sawConflict_ && !durableWrite_; }

  //! Runs `sql` ($N markers) with text parameters; the result (caller clears it).
  //! Throws SqlException on error. Used by the cursors.
  PGresult* run(const std::string& sql, const std::vector<Oid>& types,
                const std::vector<std::string>& texts, const std::vector<bool>& nulls);
  //! Sends a write without waiting for its answer when the batch's transaction may still
  //! be given up and its text is prepared; false when it must run through run().
  bool sendWithoutWaiting(const std::string& sql, const std::vector<Oid>& types,
                          const std::vector<std::string>& texts, const std::vector<bool>& nulls,
                          std::int64_t rows, const std::string& insertTarget);
  //! The T-SQL type of a result column that is a table's or view's own column (as
  //! recorded with the table), Unknown for an expression.
  tsql::ast::DataType resultColumnType(const PGresult* r, int col);
  //! `sql` as the server takes it, kept by its text: the engine prepares the same texts
  //! over and over, and writing them again costs more than finding them.
  std::shared_ptr<const ServerText> serverTextOf(const std::string& sql);
  //! Called by a cursor once its statement ran: rows changed and the INSERT target.
  void noteCommand(const PGresult* r, const std::string& insertTarget);

 private:
  std::vector<tsql::catalog::ColumnInfo> loadColumns(const std::string& object);
  void loadComputedOnRead(const std::string& object, std::vector<tsql::catalog::ColumnInfo>& cols);
  //! Sends one statement, under a savepoint when `guarded`; its result.
  PGresult* send(const std::string& sql, const std::vector<Oid>& types,
                 const std::vector<const char*>& values, bool guarded);
  void noteDurable(const PGresult* r);
  //! Rolls the open transaction back and throws RunBatchAgain (at once, or from the
  //! next statement while another exception is leaving); savepoints from now on.
  void giveUpTransaction();
  void collectAnswers();
  void leavePipeline();
  //! Waits for the server's answers, asking the progress callback between short waits;
  //! when it says stop, asks the server to cancel the running statement.
  void awaitAnswer();
  //! Runs a parameterless command (savepoints). Throws SqlException.
  void command(const char* sql);
  //! True when the connection has gone away; notes how the batch met it.
  bool lostConnection(bool durableIfDone);

  PGconn* conn_;
  std::int64_t changes_ = 0;
  bool sawConflict_ = false;
  bool durableWrite_ = false;
  //! Each statement of a transaction under its own savepoint; off while a batch may
  //! still be run again whole (see run()).
  bool savepoints_ = true;
  //! Writes sent without waiting whose answers are not read yet (bounded, so that the
  //! server's answers never fill the socket while this side still sends).
  int unanswered_ = 0;
  static constexpr int kMaxUnanswered = 512;
  bool lostWrite_ = false;  //!< a write could not be sent
  const std::function<bool()>* progress_ = nullptr;
  bool stopped_ = false;    //!< the progress callback said stop: only a ROLLBACK runs now
  bool givenUp_ = false;    //!< the transaction was given up; RunBatchAgain is still to throw
  bool ranAgain_ = false;   //!< the transaction was given up once in this batch
  Loss loss_ = Loss::None;
  bool committedPart_ = false;  //!< a statement of this batch committed (not just a unit's batch)
  //! The table, column and constraint the last failed statement broke (server's names).
  struct Broken {
    std::string table, column, constraint, detail;
  } lastBroken_;
  std::string lastInsertTarget_;  //!< table of the last INSERT ("" when it was another statement)
  std::string identityTarget_;    //!< table of the last INSERT that issued an identity
  std::unordered_map<std::string, std::string> identityColumns_;  //!< by table, "" for none
  std::int64_t lastIdentity_ = 0;
  bool identityPending_ = false;  //!< an identity was issued since lastIdentity_ was read
  //! Types of this connection's temporary tables (table variables, #tables).
  std::unordered_map<std::string, std::vector<tsql::catalog::ColumnInfo>> temporaryTypes_;
  std::unordered_map<std::string, std::optional<std::vector<tsql::catalog::ColumnInfo>>> columns_;
  std::map<std::pair<std::string, std::string>, bool> identity_;
  std::unordered_map<Oid, std::string> relationNames_;
  //! Server-side prepared statements by text and parameter types.
  std::unordered_map<std::string, std::string> prepared_;
  std::size_t preparedCount_ = 0;  //!< names are never reused
  std::unordered_map<std::string, std::shared_ptr<const ServerText>> serverTexts_;
};

//! `sql` as the server takes it: ?N markers outside quotes written as $N, quoted names
//! in lower case (their other spellings into `spellings`), an empty quoted name (an
//! unnamed result column) given a name.
std::string serverText(const std::string& sql, Spellings* spellings = nullptr);

//! The key a server-side prepared statement is kept by: its text and parameter types.
std::string preparedKey(const std::string& sql, const std::vector<Oid>& types);

}  // namespace db
