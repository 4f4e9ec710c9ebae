// Opening the server connection: UTF-8, the runtime in place, then the engine on a
// PgBackend. The password never reaches a message: errors name the host and database.
#include "db/pg_connection.h"

#include "db/pg_backend.h"
#include "db/pg_runtime.h"
#include "tsql/engine.h"

namespace db {

namespace {

std::string serverName(PGconn* c) {
  const char* host = PQhost(c);
  const char* name = PQdb(c);
  return std::string(name ? name : "?") + " on " + (host ? host : "?");
}

}  // namespace

PgConnection::PgConnection(const std::string& uri) {
  conn_ = PQconnectdb(uri.c_str());
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string msg = "cannot connect to the database server " + serverName(conn_) + ": " + PQerrorMessage(conn_);
    PQfinish(conn_);
    throw ConnectionError(msg);
  }
  PQsetClientEncoding(conn_, "UTF8");
  // Notices ("... does not exist, skipping") are the server talking to itself.
  PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
  std::string error = pg::installRuntime(conn_);
  if (error.empty()) {
    try {
      engine_ = std::make_unique<tsql::Engine>(std::make_unique<PgBackend>(conn_));
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
  }
  if (!error.empty()) {
    std::string msg = "the database " + serverName(conn_) + " cannot be used: " + error;
    PQfinish(conn_);
    throw ConnectionError(msg);
  }
}

PgConnection::~PgConnection() {
  engine_.reset();  // before the connection it runs on
  PQfinish(conn_);
}

BatchResult PgConnection::execBatch(std::string_view sql, const Params& params) {
  return engine_->run(sql, params);
}

bool isServerUri(const std::string& spec) {
  return spec.rfind("postgresql://", 0) == 0 || spec.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Connection> openConnection(const std::string& spec) {
  if (isServerUri(spec)) return std::make_unique<PgConnection>(spec);
  return std::make_unique<EmbeddedConnection>(spec);
}

}  // namespace db
