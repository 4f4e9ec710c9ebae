// SqliteBackend: the embedded file as the interpreter's database. Registers the
// T-SQL runtime (functions, aggregates, tsql_ci) on the handle, keeps prepared
// statements by text (StatementCache), binds text in place without a copy and reads
// column types from SQLite's schema (Catalog). Does not own the handle. Not thread safe.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <utility>

#include "tsql/exec/backend.h"
#include "tsql/exec/sqlite_numbering.h"
#include "tsql/exec/sqlite_views.h"
#include "tsql/runtime/statement_cache.h"
#include "tsql/storage_fault.h"

namespace tsql::exec {

class SqliteBackend final : public Backend {
 public:
  //! Installs the runtime on `db`. Throws std::runtime_error when SQLite refuses.
  explicit SqliteBackend(sqlite3* db);

  const dialect::Dialect& dialect() const override { return dialect::sqliteDialect(); }
  std::unique_ptr<Cursor> prepare(const std::string& sql) override;
  void execute(const std::string& sql) override;
  std::int64_t changes() override { return sqlite3_changes64(db_); }
  void noteInsert() override { lastInsertId_ = sqlite3_last_insert_rowid(db_); }
  std::int64_t lastInsertId() override { return lastInsertId_; }
  bool writesRowsTogether() const override { return true; }
  bool transactionOpen() override { return sqlite3_get_autocommit(db_) == 0; }
  bool failedForItsRows(bool wasOpen) override;
  bool isIdentity(const std::string& object, const std::string& column) override;
  const std::vector<catalog::ColumnInfo>* columns(const std::string& object) override {
    return catalog_.columns(object);
  }
  bool uniqueOn(const std::string& object, const std::vector<std::string>& columns) override {
    return catalog_.uniqueOn(object, columns);
  }
  void recordTypes(const std::string& object, const std::vector<catalog::ColumnInfo>& columns,
                   bool temporary = false) override;
  void forgetTypes(const std::string& object) override { catalog_.forgetTypes(object); }
  void recordComputedOnRead(const std::string& object, const std::vector<catalog::ColumnInfo>& columns,
                            bool temporary) override {
    catalog_.recordComputedOnRead(object, columns, temporary);
  }
  void createView(const std::string& name, const std::string& createSql) override;
  void dropView(const std::string& name) override { views_.drop(name); }
  void invalidateSchema() override { catalog_.invalidate(); }
  bool schemaChangedElsewhere() override;
  std::uint64_t changeStamp() override;
  SqlError constraintError(const SqlError& e, std::string_view verb) override;
  void numberIdentity(const std::string& object, const std::string&, std::int64_t seed,
                      std::int64_t step) override {
    numbering_.numberIdentity(object, seed, step);
  }
  bool identityGivenByEngine(const std::string& object) override {
    return numbering_.givenByEngine(object);
  }
  void followIdentity(const std::string& object, const std::string& column) override {
    numbering_.follow(object, column);
  }
  void reseedIdentity(const std::string& object, const std::string& column,
                      std::optional<std::int64_t> value) override {
    numbering_.reseed(object, column, value);
  }
  void forgetIdentity(const std::string& object) override { numbering_.forget(object); }
  void restartIdentity(const std::string& object, const std::string&) override {
    numbering_.restart(object);
  }
  void defineSequence(const Sequence& s, bool alter, bool restart) override {
    numbering_.defineSequence(s, alter, restart);
  }
  std::optional<Sequence> sequence(const std::string& name) override {
    return numbering_.sequence(name);
  }
  void dropSequence(const std::string& name) override { numbering_.dropSequence(name); }
  //! The worst storage fault met since last asked (then forgotten).
  StorageFault takeStorageFault() { return std::exchange(fault_, StorageFault::None); }

  sqlite3* db() const { return db_; }  //!< the handle (not owned)

 private:
  sqlite3* db_;
  runtime::StatementCache cache_;
  catalog::Catalog catalog_;
  SqliteNumbering numbering_;
  SqliteViews views_{*this, db_};
  bool viewsToSync_ = true;  //!< the temporary views may no longer match tsql_views
  std::int64_t lastInsertId_ = 0;
  StorageFault fault_ = StorageFault::None;    //!< the worst since last taken
  std::int64_t schemaVersions_[2] = {-1, -1};  //!< SQLite's main and temp schema cookies
  //! The temp file's data version when its cookie was last read outside a transaction.
  std::optional<unsigned> tempDataVersion_;

  std::int64_t readSchemaVersion(const char* pragma);
  bool tempSchemaUnmoved();
  void noteTempDataVersion();
};

}  // namespace tsql::exec
