// Opening the SQLite file the way a shop's desktop needs it: WAL so the counter can
// read while another window saves, a busy timeout so two saves queue instead of
// failing at once, and NORMAL sync (safe with WAL; a power cut loses at most the
// last commit, never the file).
#include "db/embedded_connection.h"

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
    throw ConnectionError("cannot open database " + path + ": " + msg);
  }
}

bool isLockedMessage(const std::string& m) {
  return m.find("database is locked") != std::string::npos ||
         m.find("database table is locked") != std::string::npos ||
         m.find("database is busy") != std::string::npos;
}

}  // namespace

std::string EmbeddedConnection::lockedMessage(const std::string& path) {
  return "The database " + path +
         " is busy: another program or window is writing to it. Wait a moment and try "
         "again; if it stays busy, close the other coreapp windows using this file.";
}

EmbeddedConnection::EmbeddedConnection(const std::string& path, Options options) : path_(path) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (options.create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw ConnectionError("cannot open database " + path + ": " + msg);
  }
  try {
    sqlite3_busy_timeout(db_, options.busyTimeoutMs);
    if (path != ":memory:" && !path.empty()) execPragma(db_, path, "pragma journal_mode=WAL");
    execPragma(db_, path, "pragma synchronous=NORMAL");
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

BatchResult EmbeddedConnection::execBatch(std::string_view sql, const Params& params) {
  BatchResult result = engine_->run(sql, params);
  for (auto& e : result.errors) {
    if (isLockedMessage(e.message)) e.message = lockedMessage(path_);
  }
  return result;
}

}  // namespace db
