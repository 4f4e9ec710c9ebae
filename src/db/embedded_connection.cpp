// Opening the SQLite file the way a shop's desktop needs it: WAL so the counter can
// read while another window saves, a busy timeout so two saves queue instead of
// failing at once, and FULL sync: each commit reaches the disk before the save
// returns, so a bill whose number was shown or printed survives a power cut (NORMAL
// would keep the file whole but could lose the last bills, and their numbers would be
// issued again). Human-paced saves do not feel the one flush per commit.
#include "db/embedded_connection.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "db/storage_fault.h"
#include "tsql/engine.h"

namespace db {
namespace {

void execPragma(sqlite3* db, const std::string& path, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    if (msg.find("locked") != std::string::npos || msg.find("busy") != std::string::npos) {
      throw ConnectionError(EmbeddedConnection::lockedMessage(path));
    }
    if (msg.find("not a database") != std::string::npos)
      throw ConnectionError("The file " + path + " is not a coreapp database (" + msg +
                            "); it was not changed.");
    throw ConnectionError("cannot open database " + path + ": " + msg);
  }
}

bool isLockedMessage(const std::string& m) {
  return m.find("database is locked") != std::string::npos ||
         m.find("database table is locked") != std::string::npos ||
         m.find("database is busy") != std::string::npos;
}

}  // namespace

namespace {

// A fault of the file itself is told in the clerk's words: as the batch's error when
// nothing caught it, else as an error after the batch's own text (a CATCH's "单据保存失败"
// stays first, word for word). A damaged file is marked for the next start.
void tellStorageFault(tsql::Engine& engine, const std::string& path, BatchResult& result) {
  const tsql::StorageFault fault = engine.takeStorageFault();
  if (fault == tsql::StorageFault::None) return;
  if (fault == tsql::StorageFault::Damaged && path != ":memory:" && !path.empty())
    markDamaged(path);
  if (result.ok()) return;
  const std::string cause = storageFaultCause(fault, path);
  if (tsql::isStorageFaultNumber(result.errors.front().number))
    result.errors.front().message = cause;
  else
    result.errors.push_back({tsql::storageFaultNumber(fault), 16, 1, 0, cause});
}

}  // namespace

std::string EmbeddedConnection::lockedMessage(const std::string& path) {
  return "The database " + path +
         " is busy: another program or window is writing to it. Wait a moment and try "
         "again; if it stays busy, close the other coreapp windows using this file.";
}

namespace {

// Read before anything is written to the file: a later schema must stay as it is.
int userVersion(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  int version = 0;
  if (sqlite3_prepare_v2(db, "pragma user_version", -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    version = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  return version;
}

}  // namespace

EmbeddedConnection::EmbeddedConnection(const std::string& path, Options options, bool readOnly)
    : path_(path) {
  if (!options.create && path != ":memory:" && !path.empty() && !std::filesystem::exists(path))
    throw ConnectionError("The database file " + path +
                          " does not exist. Create it with: coreapp db init --db " + path);
  if (const std::string damaged = damageMarkMessage(path); !readOnly && !damaged.empty())
    throw ConnectionError(damaged);
  int flags = readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX
                       : SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                             (options.create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw ConnectionError("cannot open database " + path + ": " + msg);
  }
  try {
    sqlite3_busy_timeout(db_, options.busyTimeoutMs);
    if (!readOnly && sqlite3_db_readonly(db_, "main") == 1)  // SQLite fell back to reading only
      throw ConnectionError(
          "The database " + path +
          " is read-only: coreapp cannot save to it. Check the file's permissions or copy it "
          "to a folder you can write to; it was not changed.");
    if (const int version = userVersion(db_); version > kSchemaVersion)
      throw ConnectionError("The database " + path + " was made by a newer coreapp (schema " +
                            std::to_string(version) + "; this one knows up to " +
                            std::to_string(kSchemaVersion) +
                            "). Open it with that newer coreapp; it was not changed.");
    // A copy read for checking keeps its journal mode: switching would rewrite its header.
    if (!readOnly && path != ":memory:" && !path.empty())
      execPragma(db_, path, "pragma journal_mode=WAL");
    execPragma(db_, path, "pragma synchronous=FULL");
    engine_ = std::make_unique<tsql::Engine>(db_);
  } catch (const ConnectionError&) {
    sqlite3_close(db_);
    throw;
  } catch (const std::exception& e) {
    sqlite3_close(db_);
    throw ConnectionError("cannot open database " + path + ": " + e.what());
  }
}

EmbeddedConnection::~EmbeddedConnection() {
  engine_.reset();  // finalizes the engine's statements before the handle closes
  sqlite3_close_v2(db_);
}

namespace {

// How many engine steps pass between two questions to the progress callback: a few
// hundred microseconds of work, so a stop is felt at once and the asking costs nothing.
constexpr int kProgressSteps = 1000;

// The progress callback of one batch, asked as each statement starts (SQLite's trace
// hook: a report of many short statements asks too) and every kProgressSteps steps
// within one (its progress handler). Once it said stop, every later statement of the
// batch is interrupted at its first steps, and a COMMIT (a CATCH's, or a statement's
// own) becomes a ROLLBACK: nothing of it stays.
class ProgressWatch {
 public:
  ProgressWatch(sqlite3* db, const Connection::Progress& progress) : db_(db), progress_(progress) {
    if (!progress_) return;
    sqlite3_progress_handler(db_, kProgressSteps, &ProgressWatch::ask, this);
    sqlite3_commit_hook(db_, &ProgressWatch::mayCommit, this);
    sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, &ProgressWatch::starting, this);
  }
  ~ProgressWatch() {
    if (!progress_) return;
    sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    sqlite3_commit_hook(db_, nullptr, nullptr);
    sqlite3_trace_v2(db_, 0, nullptr, nullptr);
  }
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;
  bool stopped() const { return stopped_; }

 private:
  static int ask(void* self) {
    auto* w = static_cast<ProgressWatch*>(self);
    if (!w->stopped_ && !w->progress_()) {
      w->stopped_ = true;
      sqlite3_progress_handler(w->db_, 1, &ProgressWatch::ask, w);  // the rest at once
    }
    return w->stopped_ ? 1 : 0;
  }
  static int mayCommit(void* self) { return static_cast<ProgressWatch*>(self)->stopped_ ? 1 : 0; }
  static int starting(unsigned, void* self, void*, void*) {
    ask(self);  // a stop here interrupts the statement at its first step
    return 0;
  }

  sqlite3* db_;
  const Connection::Progress& progress_;
  bool stopped_ = false;
};

}  // namespace

// A batch that found the file busy before it changed a single row is run again, a few
// times, after a short and growing pause: past the busy timeout another window is
// still saving, and the clerk would rather wait a moment more than see an error.
// A batch that changed anything is never run twice.
BatchResult EmbeddedConnection::execBatch(std::string_view sql, const Params& params) {
  constexpr int kBusyRetries = 3;
  const bool inUnit = engine_->unitOpen();  // the unit's earlier batches are not run again
  for (int attempt = 0;; ++attempt) {
    const sqlite3_int64 changesBefore = sqlite3_total_changes64(db_);
    engine_->takeStorageFault();  // one of an earlier batch is not this one's
    bool stopped = false;
    BatchResult result;
    {
      ProgressWatch watch(db_, progress_);
      result = engine_->run(sql, params);
      stopped = watch.stopped();
    }
    if (stopped) {
      takeBackStopped(inUnit);
      return cancelledResult();
    }
    const bool busy = std::any_of(result.errors.begin(), result.errors.end(),
                                  [](const SqlError& e) { return isLockedMessage(e.message); });
    if (busy && !inUnit && attempt < kBusyRetries &&
        sqlite3_total_changes64(db_) == changesBefore) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100 * (attempt + 1)));
      continue;
    }
    for (auto& e : result.errors) {
      if (isLockedMessage(e.message)) e.message = lockedMessage(path_);
    }
    tellStorageFault(*engine_, path_, result);
    return result;
  }
}

// The batch's own ROLLBACK may have been interrupted too: whatever it left open goes,
// and a stopped batch inside the host's unit takes the unit with it.
void EmbeddedConnection::takeBackStopped(bool inUnit) {
  if (inUnit) {
    engine_->rollbackUnit();
    return;
  }
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// BEGIN IMMEDIATE: the unit takes the write lock up front, so no batch inside it can
// find the file busy half-way.
// Read-only look-ups run together where the engine can; a failed statement changed
// nothing, and the batches then run one by one, each with its retries and its faults.
std::vector<BatchResult> EmbeddedConnection::execEach(const std::vector<std::string>& texts, const Params& params) {
  std::optional<std::vector<BatchResult>> together;
  {
    ProgressWatch watch(db_, progress_);
    together = engine_->runTogether(texts, params);
    if (watch.stopped()) return {cancelledResult()};
  }
  return together ? std::move(*together) : execOneByOne(texts, params);
}

void EmbeddedConnection::beginUnit() {
  try {
    engine_->beginUnit();
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(isLockedMessage(e.what()) ? lockedMessage(path_) : e.what());
  }
}

std::string EmbeddedConnection::commitUnit() { return engine_->commitUnit(); }

void EmbeddedConnection::rollbackUnit() { engine_->rollbackUnit(); }

bool EmbeddedConnection::unitOpen() const { return engine_->unitOpen(); }

}  // namespace db
