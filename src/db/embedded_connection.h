// EmbeddedConnection: the default database, a SQLite file run by the embedded T-SQL
// engine. Opens the file in WAL mode with a busy timeout (readers never block the
// writer), installs the T-SQL runtime through the engine, and runs each batch with
// SQL Server's meaning. A batch that found the file busy before writing anything is
// run again a few times; a database still busy comes back as an error the user can
// act on.
// Not thread safe: one connection per thread.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/connection.h"

namespace tsql {
class Engine;
}

namespace db {

//! The database file cannot be opened; the message names the file and the reason.
class ConnectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EmbeddedConnection : public Connection {
 public:
  struct Options {
    int busyTimeoutMs = 5000;  //!< how long a write waits for another writer
    bool create = true;        //!< create a missing file (empty database)
  };

  //! Opens `path` (":memory:" for a private in-memory database). Throws ConnectionError.
  explicit EmbeddedConnection(const std::string& path, Options options) : EmbeddedConnection(path, options, false) {}
  //! Opens an existing file read only with its journal mode left as it is: a backup
  //! copy, whose bytes must stay as its checksum says.
  struct ReadOnly {};
  EmbeddedConnection(const std::string& path, ReadOnly) : EmbeddedConnection(path, Options{5000, false}, true) {}
  explicit EmbeddedConnection(const std::string& path) : EmbeddedConnection(path, Options{}) {}
  ~EmbeddedConnection() override;
  EmbeddedConnection(const EmbeddedConnection&) = delete;
  EmbeddedConnection& operator=(const EmbeddedConnection&) = delete;

  //! Runs one batch on the engine; SQL errors come back in the result.
  BatchResult execBatch(std::string_view sql, const Params& params = {}) override;
  std::vector<BatchResult> execEach(const std::vector<std::string>& texts, const Params& params = {}) override;
  void beginUnit() override;
  std::string commitUnit() override;
  void rollbackUnit() override;
  bool unitOpen() const override;

  sqlite3* handle() const { return db_; }            //!< the SQLite handle (owned)
  const std::string& path() const { return path_; }  //!< the database file

  //! The message shown for a database another program keeps busy.
  static std::string lockedMessage(const std::string& path);

  //! The schema generation this build reads and writes, kept in the file's
  //! `user_version` by `db init`; a file of a later one is refused unopened, an earlier
  //! one is brought up by `db upgrade` (2: text columns NOCASE, varchar stored trimmed;
  //! 3: views in SQLite's plain functions, the engine's texts kept in tsql_views).
  static constexpr int kSchemaVersion = 3;

 private:
  EmbeddedConnection(const std::string& path, Options options, bool readOnly);
  void takeBackStopped(bool inUnit);

  std::string path_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<tsql::Engine> engine_;
};

}  // namespace db
