// ReadOnlyDatabase: the read-only promise rests on the database (SQLite's read-only open,
// the server's rolled-back transactions), not on a filter over the SQL sent.
#include "apps/coreapp/serve/read_only_database.h"

#include "db/embedded_connection.h"
#include "db/pg_connection.h"

namespace serve {

ReadOnlyDatabase::ReadOnlyDatabase(std::string spec)
    : spec_(std::move(spec)), server_(db::isServerUri(spec_)) {
  idle_.push_back(openOne());
}

ReadOnlyDatabase::~ReadOnlyDatabase() = default;

std::unique_ptr<db::Connection> ReadOnlyDatabase::openOne() const {
  if (!server_)
    return std::make_unique<db::EmbeddedConnection>(spec_, db::EmbeddedConnection::ReadOnly{});
  return db::openFinishedServer(spec_);
}

// On a server the reports' table variables are temporary tables, which PostgreSQL's
// read-only transactions refuse to create; so each batch runs inside a unit of work that
// is always rolled back: whatever it did is undone, nothing is ever committed.
db::BatchResult ReadOnlyDatabase::runOn(db::Connection& conn, std::string_view sql,
                                        const db::Params& params) const {
  if (!server_) return conn.execBatch(sql, params);
  conn.beginUnit();
  db::BatchResult result = conn.execBatch(sql, params);
  conn.rollbackUnit();
  return result;
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
  db::BatchResult result = runOn(*conn, sql, params);
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
