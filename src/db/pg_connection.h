// PgConnection: a PostgreSQL server as the database, for several counters and stores
// at once. The embedded T-SQL engine runs each batch: control flow, variables and
// TRY/CATCH in this process, every relational statement on the server inside the
// batch's transaction (PgBackend). Opened from a libpq URI (postgresql://...); the
// server runtime (collation, functions) is installed on first use.
// Not thread safe: one connection per thread.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/embedded_connection.h"

namespace tsql {
class Engine;
}

namespace db {

class PgConnection : public Connection {
 public:
  //! Connects to `uri`. Throws ConnectionError naming the server and the reason.
  explicit PgConnection(const std::string& uri);
  ~PgConnection() override;
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  //! Runs one batch on the engine; SQL errors come back in the result.
  BatchResult execBatch(std::string_view sql, const Params& params = {}) override;

  PGconn* handle() const { return conn_; }  //!< the libpq connection (owned)

  //! True when the database holds tables or views besides the engine's own.
  bool holdsSchema();
  //! Drops every table, view and stored procedure of the database's schema (db init
  //! --force, and a failed db init). Throws ConnectionError when the server refuses.
  void clearSchema();

 private:
  PGconn* conn_ = nullptr;
  std::unique_ptr<tsql::Engine> engine_;
};

//! True when `spec` names a server (a postgresql:// or postgres:// URI), not a file.
bool isServerUri(const std::string& spec);

//! The connection `spec` names: a server URI or a database file (a missing file is
//! created empty when `createFile`). Throws ConnectionError.
std::unique_ptr<Connection> openConnection(const std::string& spec, bool createFile = true);

}  // namespace db
