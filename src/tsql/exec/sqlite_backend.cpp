// The embedded backend: statements from the cache, SQLite's complaints mapped to SQL
// Server's error numbers.
#include "tsql/exec/sqlite_backend.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "tsql/exec/constraint_errors.h"
#include "tsql/exec/name_errors.h"
#include "tsql/exec/sql_exception.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

// Maps SQLite's complaint to the number SQL Server would give for the same fault.
int numberForSqliteMessage(std::string_view msg) {
  int n = runtime::Runtime::errorNumber(msg);
  if (n) return n;
  using errors::Error;
  auto says = [&](std::string_view words) { return msg.find(words) != std::string_view::npos; };
  if (says("UNIQUE constraint failed")) return errors::number(Error::DuplicateKey);
  if (says("NOT NULL constraint failed")) return errors::number(Error::NullNotAllowed);
  if (says("CHECK constraint failed")) return errors::number(Error::CheckConflict);
  if (says("no such table")) return errors::number(Error::InvalidObject);
  if (says("no such column")) return errors::number(Error::InvalidColumn);
  if (says("already exists")) return errors::number(Error::ObjectExists);
  return errors::number(Error::UserMessage);
}

// The file's own failures, by SQLite's primary code (the extended code only says
// which read or write failed).
StorageFault storageFaultOf(int code) {
  switch (code & 0xff) {
    case SQLITE_FULL:
      return StorageFault::DiskFull;
    case SQLITE_IOERR:
      return StorageFault::IoError;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StorageFault::Damaged;
    default:
      return StorageFault::None;
  }
}

// SQLite's complaint as SQL Server's error, an unknown name in SQL Server's words; a
// fault of the file itself is also kept in `worst` for the batch's result.
SqlException errorOf(sqlite3* db, const std::string& msg, StorageFault& worst) {
  const StorageFault fault = storageFaultOf(sqlite3_extended_errcode(db));
  if (fault == StorageFault::None && msg == "integer overflow")  // sum() past bigint's range
    return SqlException(
        {errors::number(errors::Error::ArithmeticOverflow), 16, 1, 0,
         errors::message(errors::Error::ArithmeticOverflow, {"expression", "bigint"})});
  if (fault == StorageFault::None)
    return SqlException(nameError({numberForSqliteMessage(msg), 16, 1, 0, msg}));
  worst = std::max(worst, fault);
  return SqlException(SqlError{storageFaultNumber(fault), 16, 1, 0, msg});
}

SqlException errorOf(sqlite3* db, StorageFault& worst) {
  return errorOf(db, sqlite3_errmsg(db), worst);
}

class SqliteCursor final : public Cursor {
 public:
  SqliteCursor(sqlite3* db, runtime::StatementCache::Lease lease, StorageFault& fault)
      : db_(db), lease_(std::move(lease)), fault_(fault) {}
  void bind(int index, const SqlValue& v) override { v.bind(lease_.get(), index); }
  void bindTextInPlace(int index, std::string_view text) override {
    sqlite3_bind_text(lease_.get(), index, text.data(), static_cast<int>(text.size()),
                      SQLITE_STATIC);
  }
  void bindStringInPlace(int index, const std::string& text) override {
    // Bound by its terminating NUL, SQLite knows the text ends there and a function
    // reading it (rtrim of a comparand, a row at a time) needs no terminated copy.
    const bool terminated = std::memchr(text.data(), '\0', text.size()) == nullptr;
    sqlite3_bind_text(lease_.get(), index, text.c_str(), terminated ? -1 : static_cast<int>(text.size()),
                      SQLITE_STATIC);
  }
  bool step() override {
    int rc = sqlite3_step(lease_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw errorOf(db_, fault_);
  }
  void reset() override { sqlite3_reset(lease_.get()); }
  int columnCount() override { return sqlite3_column_count(lease_.get()); }
  std::string columnName(int i) override { return sqlite3_column_name(lease_.get(), i); }
  ast::DataType columnType(int i) override {
    const char* decl = sqlite3_column_decltype(lease_.get(), i);
    return decl ? ast::typeFromDeclaration(decl) : ast::DataType{};
  }
  SqlValue column(int i) override { return SqlValue::fromColumn(lease_.get(), i); }

  // A batch makes and drops a cursor for every statement it runs: the memory of the
  // last few dropped on this thread is handed out again instead of going to the heap.
  static void* operator new(std::size_t size) {
    Spare& spare = spares();
    return spare.count > 0 ? spare.blocks[--spare.count] : ::operator new(size);
  }
  static void operator delete(void* block) {
    Spare& spare = spares();
    if (spare.count < spare.blocks.size())
      spare.blocks[spare.count++] = block;
    else
      ::operator delete(block);
  }

 private:
  struct Spare {
    std::array<void*, 8> blocks{};
    std::size_t count = 0;
    ~Spare() {
      while (count > 0) ::operator delete(blocks[--count]);
    }
  };
  static Spare& spares() {
    thread_local Spare spare;
    return spare;
  }

  sqlite3* db_;
  runtime::StatementCache::Lease lease_;
  StorageFault& fault_;
};

}  // namespace

SqliteBackend::SqliteBackend(sqlite3* db) : db_(db), cache_(db, 512), catalog_(db), numbering_(db) {
  runtime::Runtime::install(db);
  // "x" is always an identifier here, never SQLite's fallback string literal.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

bool SqliteBackend::failedForItsRows(bool wasOpen) {
  switch (sqlite3_errcode(db_)) {
    case SQLITE_CONSTRAINT:
    case SQLITE_ERROR:  // a function refused a value
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
      return transactionOpen() == wasOpen;
    default:
      return false;
  }
}

std::unique_ptr<Cursor> SqliteBackend::prepare(const std::string& sql) {
  try {
    return std::make_unique<SqliteCursor>(db_, cache_.acquire(sql), fault_);
  } catch (const std::runtime_error&) {
    throw errorOf(db_, fault_);  // SQLite's message for the refused text
  }
}

void SqliteBackend::execute(const std::string& sql) {
  // A rollback may undo temporary views made inside the transaction.
  if (sql.rfind("ROLLBACK", 0) == 0) viewsToSync_ = true;
  // A full disk or an I/O error makes SQLite roll the whole transaction back itself;
  // the CATCH's ROLLBACK then finds it already done.
  if (sql == "ROLLBACK" && fault_ != StorageFault::None && sqlite3_get_autocommit(db_)) return;
  // Identity numbers issued in the undone work stay used, as on the server.
  bool rollback = sql.rfind("ROLLBACK", 0) == 0 && fault_ == StorageFault::None;
  if (rollback) numbering_.beforeRollback();
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw errorOf(db_, msg, fault_);
  }
  if (rollback) numbering_.afterRollback();
}

// Identity columns are SQLite's AUTOINCREMENT rowid aliases (see the dialect).
bool SqliteBackend::isIdentity(const std::string& object, const std::string& column) {
  int autoinc = 0;
  if (sqlite3_table_column_metadata(db_, nullptr, object.c_str(), column.c_str(), nullptr, nullptr,
                                    nullptr, nullptr, &autoinc) != SQLITE_OK)
    return false;
  return autoinc != 0;
}

void SqliteBackend::recordTypes(const std::string& object,
                                const std::vector<catalog::ColumnInfo>& columns,
                                bool /*temporary: SQLite's temp schema is the connection's own*/) {
  catalog_.recordTypes(object, columns);
  catalog_.invalidate();
}

// Another connection may have changed the schema since the last batch.
bool SqliteBackend::schemaChangedElsewhere() {
  constexpr const char* kTemp = "PRAGMA temp.schema_version";
  std::int64_t versions[2] = {readSchemaVersion("PRAGMA main.schema_version"),
                              tempSchemaUnmoved() ? schemaVersions_[1] : readSchemaVersion(kTemp)};
  if (versions[0] != schemaVersions_[0]) viewsToSync_ = true;
  if (viewsToSync_) {
    views_.sync();
    viewsToSync_ = false;
    versions[1] = readSchemaVersion(kTemp);
  }
  noteTempDataVersion();
  if (versions[0] == schemaVersions_[0] && versions[1] == schemaVersions_[1]) return false;
  schemaVersions_[0] = versions[0];
  schemaVersions_[1] = versions[1];
  return true;
}

std::int64_t SqliteBackend::readSchemaVersion(const char* pragma) {
  runtime::StatementCache::Lease use = cache_.acquire(pragma);
  return sqlite3_step(use.get()) == SQLITE_ROW ? sqlite3_column_int64(use.get(), 0) : 0;
}

// Only this connection changes its temporary schema, and every commit of its own to
// the temp file moves that file's data version (a rollback leaves both as they were).
// Read outside a transaction, where nothing uncommitted can still be taken back, an
// unmoved data version means an unchanged temp schema: its cookie need not be read.
bool SqliteBackend::tempSchemaUnmoved() {
  unsigned version = 0;
  return tempDataVersion_ && sqlite3_get_autocommit(db_) &&
         sqlite3_file_control(db_, "temp", SQLITE_FCNTL_DATA_VERSION, &version) == SQLITE_OK &&
         version == *tempDataVersion_;
}

void SqliteBackend::noteTempDataVersion() {
  unsigned version = 0;
  if (sqlite3_get_autocommit(db_) &&
      sqlite3_file_control(db_, "temp", SQLITE_FCNTL_DATA_VERSION, &version) == SQLITE_OK)
    tempDataVersion_ = version;
  else
    tempDataVersion_.reset();
}

// The file's data version moves when another connection commits (and when this one
// does); the count of rows this connection changed moves with every write of its own,
// committed or not. Either moving changes the stamp.
std::uint64_t SqliteBackend::changeStamp() {
  unsigned int version = 0;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK) return 0;
  const auto own = static_cast<std::uint64_t>(sqlite3_total_changes64(db_));
  return ((own << 32) ^ version) | (std::uint64_t{1} << 63);  // never 0
}

// The translator wrote "CREATE VIEW <name> AS <body>".
void SqliteBackend::createView(const std::string& name, const std::string& createSql) {
  const std::string prefix = "CREATE VIEW " + translate::quoteIdent(name) + " AS ";
  if (createSql.rfind(prefix, 0) != 0) return execute(createSql);
  views_.create(name, createSql.substr(prefix.size()));
}

SqlError SqliteBackend::constraintError(const SqlError& e, std::string_view verb) {
  return exec::constraintError(db_, e, verb);
}

}  // namespace tsql::exec
