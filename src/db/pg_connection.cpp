// Opening the server connection: UTF-8, the runtime in place, then the engine on a
// PgBackend. The password never reaches a message: errors name the host and database.
#include "db/pg_connection.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

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

// UTF-8, and notices ("... does not exist, skipping") are the server talking to itself.
void prepareSession(PGconn* c) {
  PQsetClientEncoding(c, "UTF8");
  PQsetNoticeProcessor(
      c, [](void*, const char*) {}, nullptr);
}

// The first value of a one-row query with text parameters; "" when it fails or is empty.
std::string firstValue(PGconn* c, const char* sql, const std::vector<std::string>& params) {
  std::vector<const char*> values;
  for (const std::string& p : params) values.push_back(p.c_str());
  PGresult* r = PQexecParams(c, sql, static_cast<int>(values.size()), nullptr, values.data(),
                             nullptr, nullptr, 0);
  std::string v =
      PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
  PQclear(r);
  return v;
}

// True once the session `pid` begun at `start` is gone from the server, ended here if
// it still lived. Its start time keeps a new session reusing the process id alive.
// A session whose client went away first reads what it was sent (a COMMIT that left
// before the cut) and then ends by itself: it gets a few seconds for that, since ending
// it sooner would roll back a commit the server was about to make. One that outlives
// them never saw its client go (a broken network) and is ended.
bool oldSessionEnded(PGconn* fresh, int pid, const std::string& start) {
  const std::vector<std::string> session = {std::to_string(pid), start};
  const char* const alive =
      "SELECT 1 FROM pg_stat_activity WHERE pid = $1::int AND backend_start::text = $2";
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!firstValue(fresh, alive, session).empty()) {
    if (std::chrono::steady_clock::now() >= giveUp) {
      firstValue(fresh,
                 "SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity "
                 "WHERE pid = $1::int AND backend_start::text = $2",
                 session);
      return firstValue(fresh, alive, session).empty();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

PgConnection::PgConnection(const std::string& uri) : uri_(uri) {
  conn_ = PQconnectdb(uri.c_str());
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string msg =
        "cannot connect to the database server " + serverName(conn_) + ": " + PQerrorMessage(conn_);
    PQfinish(conn_);
    throw ConnectionError(msg);
  }
  prepareSession(conn_);
  std::string error = pg::installRuntime(conn_);
  if (error.empty()) {
    try {
      startEngine();
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
  }
  if (!error.empty()) {
    std::string msg = "the database " + serverName(conn_) + " cannot be used: " + error;
    PQfinish(conn_);
    throw ConnectionError(msg);
  }
  noteSession();
}

void PgConnection::noteSession() {
  sessionPid_ = PQbackendPID(conn_);
  sessionStart_ = firstValue(
      conn_, "SELECT backend_start::text FROM pg_stat_activity WHERE pid = pg_backend_pid()", {});
}

// A server that was restarted has no old session left. One still alive (the network
// broke, the server never noticed) may be inside its COMMIT: it is ended and waited
// for, so that reading the work back afterwards sees its final outcome.
bool PgConnection::reconnect() {
  if (connected()) return true;
  // bounded even when the network drops the packets (an address's own timeout wins)
  const char* keys[] = {"connect_timeout", "dbname", nullptr};
  const char* values[] = {"10", uri_.c_str(), nullptr};
  PGconn* fresh = PQconnectdbParams(keys, values, 1);
  if (PQstatus(fresh) != CONNECTION_OK) {
    PQfinish(fresh);
    return false;
  }
  prepareSession(fresh);
  if (!oldSessionEnded(fresh, sessionPid_, sessionStart_)) {
    PQfinish(fresh);
    return false;
  }
  // the new engine first: a server going away again leaves the old one as it was
  try {
    auto backend = std::make_unique<PgBackend>(fresh);
    PgBackend* raw = backend.get();
    auto engine = std::make_unique<tsql::Engine>(std::move(backend));
    engine_ = std::move(engine);  // the old one still ends on its own connection
    backend_ = raw;
  } catch (const std::exception&) {
    PQfinish(fresh);
    return false;
  }
  PQfinish(conn_);
  conn_ = fresh;
  noteSession();
  return true;
}

BatchResult PgConnection::lostResult(Loss loss) {
  lastLoss_ = loss;
  BatchResult result;
  result.errors.push_back({kConnectionLostNumber, 16, 1, 0,
                           loss == Loss::InDoubt ? kCommitInDoubtMessage : kConnectionLostMessage});
  return result;
}

PgConnection::~PgConnection() {
  engine_.reset();  // before the connection it runs on
  PQfinish(conn_);
}

void PgConnection::startEngine() {
  auto backend = std::make_unique<PgBackend>(conn_);
  backend_ = backend.get();
  engine_.reset();
  engine_ = std::make_unique<tsql::Engine>(std::move(backend));
}

BatchResult PgConnection::execBatch(std::string_view sql, const Params& params) {
  if (!connected()) {  // refused; a loss in doubt stays the one to resolve
    const Loss before = lastLoss_;
    BatchResult refused = lostResult(Loss::NotDone);
    if (before == Loss::InDoubt) lastLoss_ = before;
    return refused;
  }
  lastLoss_ = Loss::None;
  const bool inUnit = engine_->unitOpen();
  for (int attempt = 1;; ++attempt) {
    backend_->startBatch(inUnit);
    backend_->watchProgress(&progress_);
    BatchResult result = engine_->run(sql, params);
    // whatever the batch's CATCH made of it, the clerk learns the connection went away
    if (!connected())
      return lostResult(backend_->loss() == Loss::InDoubt ? Loss::InDoubt : Loss::NotDone);
    if (backend_->stopped()) return cancelledResult();
    if (result.ok() || inUnit || attempt == kAttempts || !backend_->mayRunAgain()) return result;
    // the other session is finishing its transaction: give it a moment, more each time
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt * 5 + std::rand() % 10));
  }
}

// Read-only look-ups run together where the engine can: one round trip for all of them.
std::vector<BatchResult> PgConnection::execEach(const std::vector<std::string>& texts, const Params& params) {
  if (!connected()) return execOneByOne(texts, params);  // each refused as execBatch refuses it
  lastLoss_ = Loss::None;
  backend_->startBatch(engine_->unitOpen());
  backend_->watchProgress(&progress_);
  std::optional<std::vector<BatchResult>> together = engine_->runTogether(texts, params);
  if (!connected()) return {lostResult(backend_->loss() == Loss::InDoubt ? Loss::InDoubt : Loss::NotDone)};
  if (backend_->stopped()) return {cancelledResult()};
  return together ? std::move(*together) : execOneByOne(texts, params);
}

void PgConnection::beginUnit() {
  if (!connected()) throw std::runtime_error(kConnectionLostMessage);
  engine_->beginUnit();
}

std::string PgConnection::commitUnit() {
  if (!connected()) {
    engine_->rollbackUnit();  // the server ended the unit's transaction with the session
    return lostResult(Loss::NotDone).errorMessage();
  }
  lastLoss_ = Loss::None;
  backend_->startBatch(true);  // the unit's earlier batches made nothing durable
  std::string why = engine_->commitUnit();
  if (!connected())
    return lostResult(backend_->loss() == Loss::InDoubt ? Loss::InDoubt : Loss::NotDone)
        .errorMessage();
  return why;
}

void PgConnection::rollbackUnit() { engine_->rollbackUnit(); }

bool PgConnection::unitOpen() const { return engine_->unitOpen(); }

bool PgConnection::holdsSchema() {
  PGresult* r = PQexec(conn_,
                       "SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                       "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'v') "
                       "AND c.relname NOT IN ('tsql_procedures', 'tsql_column_types', 'tsql_messages', "
                       "'tsql_view_sources', 'tsql_global_temps', 'tsql_computed_columns') "
                       "AND c.relname NOT LIKE 'tsql\\_global##%' LIMIT 1");
  bool holds =
      PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) > 0;  // unsure: say it holds one
  PQclear(r);
  return holds;
}

// The engine's own tables go too; the next connection makes them again, the runtime
// functions and the collation stay.
void PgConnection::clearSchema() {
  PGresult* r = PQexec(conn_, R"SQL(DO $$ DECLARE o record; BEGIN
    FOR o IN SELECT c.relname, c.relkind FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
             WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'v') LOOP
      EXECUTE format(CASE o.relkind WHEN 'v' THEN 'DROP VIEW IF EXISTS %I CASCADE'
                                    ELSE 'DROP TABLE IF EXISTS %I CASCADE' END, o.relname);
    END LOOP; END $$)SQL");
  std::string error = PQresultStatus(r) == PGRES_COMMAND_OK ? "" : PQresultErrorMessage(r);
  PQclear(r);
  if (!error.empty())
    throw ConnectionError("cannot clear the database " + serverName(conn_) + ": " + error);
  startEngine();
}

namespace {
const char* const kUnfinishedMarker = "coreapp_unfinished_init";
}

void PgConnection::markUnfinished(bool unfinished) {
  const std::string sql = unfinished ? std::string("CREATE TABLE IF NOT EXISTS ") +
                                           kUnfinishedMarker + " (since timestamptz DEFAULT now())"
                                     : std::string("DROP TABLE IF EXISTS ") + kUnfinishedMarker;
  if (std::string error = pg::runScript(conn_, sql); !error.empty())
    throw ConnectionError("cannot mark the database " + serverName(conn_) + ": " + error);
}

void PgConnection::analyze() {
  if (std::string error = pg::runScript(conn_, "ANALYZE"); !error.empty())
    throw ConnectionError("cannot analyze the database " + serverName(conn_) + ": " + error);
}

bool PgConnection::unfinished() {
  const std::string sql =
      std::string("SELECT to_regclass('") + kUnfinishedMarker + "') IS NOT NULL";
  PGresult* r = PQexec(conn_, sql.c_str());
  const bool marked =
      PQresultStatus(r) != PGRES_TUPLES_OK || std::string(PQgetvalue(r, 0, 0)) == "t";
  PQclear(r);
  return marked;  // unsure: take it for unfinished
}

std::unique_ptr<PgConnection> openFinishedServer(const std::string& uri) {
  auto connection = std::make_unique<PgConnection>(uri);
  if (connection->unfinished())
    throw ConnectionError(
        "The server database " + serverName(connection->handle()) +
        " was left half-filled by a coreapp db init that did not finish; make it again with "
        "coreapp db init --force");
  return connection;
}

std::string PgConnection::placeName() const {
  auto text = [](const char* v) { return std::string_view(v ? v : ""); };
  return db::placeName(text(PQhost(conn_)), text(PQport(conn_)), text(PQdb(conn_)));
}

std::string placeName(std::string_view host, std::string_view port, std::string_view database) {
  std::string name;
  for (std::string_view part : {host, port, database}) {
    if (!name.empty()) name += '-';
    for (char c : part) {
      bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' ||
                   c == '-' ||
                   static_cast<unsigned char>(c) >= 0x80;  // a database may be named in Chinese
      name += plain ? c : '_';
    }
  }
  return name;
}

bool isServerUri(const std::string& spec) {
  return spec.rfind("postgresql://", 0) == 0 || spec.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Connection> openConnection(const std::string& spec, bool createFile) {
  if (isServerUri(spec)) return openFinishedServer(spec);
  EmbeddedConnection::Options options;
  options.create = createFile;
  return std::make_unique<EmbeddedConnection>(spec, options);
}

}  // namespace db
