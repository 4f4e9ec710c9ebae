// Backend: the database that the interpreter's relational statements run on. The
// interpreter runs control flow itself and hands each translated statement here;
// SqliteBackend is the embedded file, db::PgBackend the shared server. Statements
// use ?N markers; a backend whose database spells them otherwise rewrites them.
// Errors come out as SqlException with SQL Server's number and line 0 (the
// interpreter puts the statement's line in). Not thread safe: one per connection.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tsql/batch_result.h"
#include "tsql/catalog/catalog.h"
#include "tsql/dialect/dialect.h"
#include "tsql/exec/sql_value.h"

namespace tsql::exec {

//! Thrown by a backend that gave up the batch's open transaction after a statement
//! failed where the database could not take back that statement alone; the backend has
//! rolled the transaction back and runs the rest of this batch with each statement
//! undoable on its own. Not an SQL error: TRY does not catch it; the interpreter throws
//! the attempt away (rows, messages, variables) and runs the batch again from its start.
//! A backend throws it at most once per batch, and only while nothing of the batch is
//! durable.
class RunBatchAgain : public std::exception {
 public:
  const char* what() const noexcept override { return "the batch runs again"; }
};

//! One run of a prepared statement: bind, step through the rows, read columns.
class Cursor {
 public:
  virtual ~Cursor() = default;
  //! Binds marker `index` (1-based).
  virtual void bind(int index, const SqlValue& v) = 0;
  //! Binds text that stays where it is until the run ends (no copy where the
  //! database can read it in place).
  virtual void bindTextInPlace(int index, std::string_view text) {
    bind(index, SqlValue::text(std::string(text)));
  }
  //! bindTextInPlace for a whole string, whose terminating NUL lets a function of the
  //! statement read it in place too.
  virtual void bindStringInPlace(int index, const std::string& text) { bindTextInPlace(index, text); }
  //! Runs to the next row: true while there is one. Throws SqlException.
  virtual bool step() = 0;
  //! Sends a write whose only outcome, when it succeeds, is `rows` rows written, without
  //! waiting for the database's answer: true when sent (a failure then surfaces later
  //! as RunBatchAgain), false when it must run now through step().
  virtual bool sendWithoutWaiting(std::int64_t rows) {
    (void)rows;
    return false;
  }
  //! Ready to run again with new bindings.
  virtual void reset() = 0;
  virtual int columnCount() = 0;
  virtual std::string columnName(int i) = 0;
  //! The declared T-SQL type of result column i where the database knows it.
  virtual ast::DataType columnType(int i) = 0;
  //! Column i of the current row.
  virtual SqlValue column(int i) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const dialect::Dialect& dialect() const = 0;
  //! A cursor over `sql` (?N markers). Throws SqlException when the text is refused.
  virtual std::unique_ptr<Cursor> prepare(const std::string& sql) = 0;
  //! Runs statements that return nothing (DDL, transaction control). Throws SqlException.
  virtual void execute(const std::string& sql) = 0;
  //! Rows the last INSERT/UPDATE/DELETE changed.
  virtual std::int64_t changes() = 0;
  //! An INSERT statement of the batch ran (not the engine's own bookkeeping writes).
  virtual void noteInsert() = 0;
  //! @@IDENTITY: the identity value issued by the last noted INSERT that issued one
  //! (0 when none). Asked only when a batch reads it.
  virtual std::int64_t lastInsertId() = 0;
  //! True when the column is the table's identity (filled in by the database).
  virtual bool isIdentity(const std::string& object, const std::string& column) = 0;
  //! Columns of a table, view or temp table with their T-SQL types; nullptr if none.
  virtual const std::vector<catalog::ColumnInfo>* columns(const std::string& object) = 0;
  //! True when equal values in `columns` (lower-case names) of `object` pick at most one
  //! row: they hold its primary key or a unique index's columns. False when not known.
  virtual bool uniqueOn(const std::string& object, const std::vector<std::string>& columns) {
    (void)object;
    (void)columns;
    return false;
  }
  //! Remembers the T-SQL types of an object's columns (views; tables where the
  //! database keeps other type names); replaces older ones. A temporary object's
  //! types are kept by this connection only.
  virtual void recordTypes(const std::string& object,
                           const std::vector<catalog::ColumnInfo>& columns,
                           bool temporary = false) = 0;
  //! Forgets the recorded types of a dropped object.
  virtual void forgetTypes(const std::string& object) = 0;
  //! Keeps the expressions of the new table's columns that every read computes (those
  //! of `columns` with an expression), for columns() to give back; a temporary table's
  //! stay with this connection. Throws SqlException.
  virtual void recordComputedOnRead(const std::string& object, const std::vector<catalog::ColumnInfo>& columns,
                                    bool temporary) = 0;
  //! CREATE VIEW `name` from the translator's `createSql`; DROP VIEW `name`. Throws SqlException.
  virtual void createView(const std::string& name, const std::string& createSql) {
    (void)name;
    execute(createSql);
  }
  virtual void dropView(const std::string& name);
  //! The view `name` made again from `createSql`, where others may read it.
  virtual void replaceView(const std::string& name, const std::string& createSql) {
    dropView(name);
    createView(name, createSql);
  }
  //! The schema changed: drop what was learnt of it.
  virtual void invalidateSchema() = 0;
  //! True when another connection may have changed the schema since last asked
  //! (what was learnt of it is then forgotten). Asked once per batch.
  virtual bool schemaChangedElsewhere() = 0;
  //! A mark that stays the same while no row of the database changed, whether through
  //! this connection or another; 0 when the backend cannot tell (every read is then
  //! made again).
  virtual std::uint64_t changeStamp() { return 0; }
  //! True when the database refuses every further statement of the batch (its caller
  //! stopped it): the interpreter then asks it even what it could decide by itself.
  virtual bool refusesStatements() const { return false; }
  //! True when one-row INSERTs may run as one statement of many rows (plain markers,
  //! numbered as they come) whose failure takes back all its rows and only them, unless
  //! it ended the transaction (failedForItsRows tells).
  virtual bool writesRowsTogether() const { return false; }
  //! True while the connection has a transaction open.
  virtual bool transactionOpen() { return false; }
  //! After a statement failed: true when it failed for the rows it wrote (a constraint,
  //! a value refused) and only it was taken back, the transaction open as it was
  //! (`wasOpen`); false for a lock, a storage fault, an interruption.
  virtual bool failedForItsRows(bool wasOpen) {
    (void)wasOpen;
    return false;
  }
  //! The identity column of `object` ("" when it has none).
  virtual std::string identityColumn(const std::string& object) {
    if (const auto* cols = columns(object))
      for (const auto& c : *cols)
        if (isIdentity(object, c.name)) return c.name;
    return {};
  }

  // Numbering (identity columns and sequences). An identity numbered (1, 1) is the
  // database's own; other seeds and increments are declared through numberIdentity.
  //! Numbers the identity `column` of the new table `object` from `seed` by `step`.
  virtual void numberIdentity(const std::string& object, const std::string& column,
                              std::int64_t seed, std::int64_t step) = 0;
  //! True when an INSERT must give the identity column its value itself, from the
  //! runtime function tsql_identity_next(object) (the database cannot number it so).
  virtual bool identityGivenByEngine(const std::string& object) {
    (void)object;
    return false;
  }
  //! Rows were inserted into the identity column as written: the numbering goes on
  //! past the highest (lowest, counting down) of them.
  virtual void followIdentity(const std::string& object, const std::string& column) = 0;
  //! The next number issued is `value` + the step (`value` itself when the table has
  //! issued none yet); without `value`, as followIdentity.
  virtual void reseedIdentity(const std::string& object, const std::string& column,
                              std::optional<std::int64_t> value) = 0;
  //! TRUNCATE TABLE: the next number issued is the seed again.
  virtual void restartIdentity(const std::string& object, const std::string& column) = 0;
  //! The table `object` is gone: its numbering too.
  virtual void forgetIdentity(const std::string& object) { (void)object; }
  //! A sequence as declared, every option resolved.
  struct Sequence {
    std::string name;  //!< lower-case
    std::string type;  //!< T-SQL type name (bigint, int, smallint, tinyint, decimal)
    std::int64_t start, step, min, max;
    bool cycle;
  };
  //! CREATE SEQUENCE, or ALTER SEQUENCE (`restart`: numbering starts again at `start`).
  //! Throws SqlException.
  virtual void defineSequence(const Sequence& s, bool alter, bool restart) = 0;
  //! The sequence `name` (lower-case) as declared; nullopt when there is none.
  virtual std::optional<Sequence> sequence(const std::string& name) = 0;
  virtual void dropSequence(const std::string& name) = 0;

  //! `e` (a failed INSERT or UPDATE, `verb`) in SQL Server's words where the
  //! database words constraint failures otherwise.
  virtual SqlError constraintError(const SqlError& e, std::string_view verb) {
    (void)verb;
    return e;
  }
};

}  // namespace tsql::exec
