// ReadOnlyDatabase: the read-only promise is the database's own (SQLite's read-only open,
// the server's read-only transactions), not a filter over the SQL sent.
#include "apps/coreapp/serve/read_only_database.h"

#include <libpq-fe.h>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"

namespace serve {

ReadOnlyDatabase::ReadOnlyDatabase(std::string spec) : spec_(std::move(spec)) {
  idle_.push_back(openOne());
}

ReadOnlyDatabase::~ReadOnlyDatabase() = default;

std::unique_ptr<db::Connection> ReadOnlyDatabase::openOne() const {
  if (!db::isServerUri(spec_))
    return std::make_unique<db::EmbeddedConnection>(spec_, db::EmbeddedConnection::ReadOnly{});
  std::unique_ptr<db::PgConnection> conn = db::openFinishedServer(spec_);
  PGresult* r = PQexec(conn->handle(), "set session characteristics as transaction read only");
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  PQclear(r);
  if (!ok) throw db::ConnectionError("服务器拒绝只读会话：" + spec_);
  return conn;
}

db::BatchResult ReadOnlyDatabase::run(std::string_view sql, const db::Params& params) {
  std::unique_ptr<db::Connection> conn;
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      conn = std::move(idle_.back());
      idle_.pop_back();
    }
  }
  if (!conn) conn = openOne();
  db::BatchResult result = conn->execBatch(sql, params);
  std::lock_guard lock(mutex_);
  idle_.push_back(std::move(conn));
  return result;
}

db::ResultSet ReadOnlyDatabase::query(std::string_view sql, const db::Params& params) {
  db::BatchResult r = run(sql, params);
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return r.resultSets.empty() ? db::ResultSet{} : std::move(r.resultSets.front());
}

}  // namespace serve
