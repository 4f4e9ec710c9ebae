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
#include <string_view>

#include "db/connection.h"
#include "db/embedded_connection.h"

namespace tsql {
class Engine;
}

namespace db {

class PgBackend;

class PgConnection : public Connection {
 public:
  //! Connects to `uri`. Throws ConnectionError naming the server and the reason.
  explicit PgConnection(const std::string& uri);
  ~PgConnection() override;
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  //! Runs one batch on the engine; SQL errors come back in the result. A batch that
  //! failed on another session's concurrent work (deadlock, serialization, a key
  //! inserted at the same moment) before committing anything is run again whole, up
  //! to kAttempts times in all.
  BatchResult execBatch(std::string_view sql, const Params& params = {}) override;
  std::vector<BatchResult> execEach(const std::vector<std::string>& texts, const Params& params = {}) override;
  void beginUnit() override;
  std::string commitUnit() override;
  void rollbackUnit() override;
  bool unitOpen() const override;
  bool connected() const override { return PQstatus(conn_) == CONNECTION_OK; }
  Loss lastLoss() const override { return lastLoss_; }
  //! Connects to the same URI again; before taking the new connection, the old session
  //! is ended on the server if it still lives (its transaction committed or rolled back
  //! for good). False, with the connection still lost, when either cannot be done.
  bool reconnect() override;

  PGconn* handle() const { return conn_; }  //!< the libpq connection (owned)
  //! The server address, port and database as one file name (see placeName below).
  std::string placeName() const;

  //! True when the database holds tables or views besides the engine's own.
  bool holdsSchema();
  //! Drops every table, view and stored procedure of the database's schema (db init
  //! --force, and a failed db init). Throws ConnectionError when the server refuses.
  void clearSchema();

  //! Marks the database as being filled by `db init` (a table of its own, dropped by
  //! clearSchema too), so that a run killed half-way is not taken for a whole database.
  void markUnfinished(bool unfinished);
  //! True when a `db init` began filling the database and did not finish.
  bool unfinished();
  //! Fresh statistics for the planner (after a bulk of rows). Throws ConnectionError.
  void analyze();

 private:
  static constexpr int kAttempts = 4;
  //! A new engine on a new backend (after opening and after clearing the schema).
  void startEngine();
  //! What a batch cut off by the lost connection reports; remembers how it was cut.
  BatchResult lostResult(Loss loss);
  //! The session's server process and when it began: after a loss, the one to end.
  void noteSession();

  std::string uri_;
  Loss lastLoss_ = Loss::None;
  int sessionPid_ = 0;
  std::string sessionStart_;
  PGconn* conn_ = nullptr;
  PgBackend* backend_ = nullptr;  //!< owned by the engine
  std::unique_ptr<tsql::Engine> engine_;
};

//! "db.local-5432-shop": a server database named for folders of its own (prints), as a
//! file is by its name. Never the user or password; a socket folder's path and any
//! other character a file name cannot hold become '_'.
std::string placeName(std::string_view host, std::string_view port, std::string_view database);

//! True when `spec` names a server (a postgresql:// or postgres:// URI), not a file.
bool isServerUri(const std::string& spec);

//! A connection to the server database `uri` for use: one a `db init` left unfinished
//! is refused with how to make it again. Throws ConnectionError.
std::unique_ptr<PgConnection> openFinishedServer(const std::string& uri);

//! The connection `spec` names: a server URI or a database file (a missing file is
//! created empty when `createFile`). Throws ConnectionError.
std::unique_ptr<Connection> openConnection(const std::string& spec, bool createFile = true);

}  // namespace db
