// Databases on the benchmark's cluster are named bills_*: a demo template made once,
// one per scenario played, a session's running copy and the copy it keeps.
#include "pg_bill_session.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "bill_enumeration.h"
#include "pg_bench_cluster.h"
#include "schema/schema_script.h"

namespace bill_bench {

namespace {

constexpr const char* kDemo = "bills_demo";
constexpr const char* kRunning = "bills_run";
constexpr const char* kKept = "bills_kept";

std::string uriOf(const std::string& database) {
  const std::string& cluster = pgbench::Cluster::uri();
  const std::string postgres = "postgresql:///postgres";
  return "postgresql:///" + database + cluster.substr(postgres.size());
}

// Runs `sql` on the cluster's own database (CREATE and DROP DATABASE).
void onCluster(const std::string& sql) {
  PGconn* c = PQconnectdb(pgbench::Cluster::uri().c_str());
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);  // "does not exist, skipping"
  const std::string error = PQstatus(c) == CONNECTION_OK ? db::pg::runScript(c, sql.c_str())
                                                         : PQerrorMessage(c);
  PQfinish(c);
  if (!error.empty()) throw std::runtime_error(error + " in " + sql);
}

// `to` made again as a copy of `from` (no session may be connected to `from`).
void copyDatabase(const std::string& from, const std::string& to) {
  onCluster("DROP DATABASE IF EXISTS " + to + " WITH (FORCE)");
  onCluster("CREATE DATABASE " + to + " TEMPLATE " + from);
}

// With BILL_ACTIONS_EXPLAIN=<ms> set, every statement of the run slower than that is
// logged with its EXPLAIN ANALYZE in the cluster's log (kept as last-server.log in its
// folder, named on standard error; see pg_bench_cluster.h), nested ones too: where an action's time goes.
void explainIfAsked() {
  const char* ms = std::getenv("BILL_ACTIONS_EXPLAIN");
  if (ms == nullptr) return;
  PGconn* c = PQconnectdb(pgbench::Cluster::uri().c_str());
  // the module's settings are known to a session that has loaded it
  for (const std::string& sql :
       {std::string("LOAD 'auto_explain'"),
        std::string("ALTER SYSTEM SET session_preload_libraries = 'auto_explain'"),
        "ALTER SYSTEM SET auto_explain.log_min_duration = " + std::string(ms),
        std::string("ALTER SYSTEM SET auto_explain.log_analyze = on"),
        std::string("ALTER SYSTEM SET auto_explain.log_nested_statements = on"),
        std::string("SELECT pg_reload_conf()")}) {
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
      std::fprintf(stderr, "%s: %s", sql.c_str(), PQerrorMessage(c));
    PQclear(r);
  }
  PQfinish(c);
  std::fprintf(stderr, "plans logged in /tmp/coreapp-pg-bench-%d/last-server.log at exit\n",
               static_cast<int>(getpid()));
}

// The demo database made through the engine, once per run.
const std::string& demoDatabase() {
  static const std::string made = [] {
    explainIfAsked();
    onCluster("DROP DATABASE IF EXISTS " + std::string(kDemo) + " WITH (FORCE)");
    onCluster("CREATE DATABASE " + std::string(kDemo) + " TEMPLATE template0 ENCODING 'UTF8'");
    db::PgConnection conn(uriOf(kDemo));
    schema::createDatabase(conn, true);
    return std::string(kDemo);
  }();
  return made;
}

// Grows the bill to `lines` lines by copying its own lines (each copy a new uid), as
// the file benchmark grows it; identity and computed columns are the server's.
void growLines(PGconn* c, const std::string& detail, const std::string& billno, int lines) {
  const std::string columnsQuery =
      "select string_agg(column_name, ', ' order by ordinal_position) from "
      "information_schema.columns where table_schema = current_schema() and table_name = '" +
      detail + "' and is_identity = 'NO' and is_generated = 'NEVER'";
  PGresult* r = PQexec(c, columnsQuery.c_str());
  const std::string columns = PQresultStatus(r) == PGRES_TUPLES_OK ? PQgetvalue(r, 0, 0) : "";
  PQclear(r);
  if (columns.empty()) throw std::runtime_error("no columns of " + detail);
  std::string values;
  for (std::size_t at = 0; at < columns.size();) {
    std::size_t end = columns.find(", ", at);
    if (end == std::string::npos) end = columns.size();
    const std::string name = columns.substr(at, end - at);
    values += (values.empty() ? "" : ", ") + (name == "uid" ? "m.uid || '#' || k.i" : "m." + name);
    at = end + 2;
  }
  const std::string quoted = "'" + billno + "'";  // a number the database made itself
  const std::string count = std::to_string(lines);
  pgbench::must(c, ("insert into " + detail + "(" + columns + ") select " + values + " from " +
                    detail + " m cross join generate_series(1, " + count + ") k(i) where m.billno = " +
                    quoted + " limit greatest(0, " + count + " - (select count(*) from " + detail +
                    " where billno = " + quoted + "))")
                       .c_str());
}

}  // namespace

std::vector<PgBillCase> findServerBills() {
  std::vector<PgBillCase> cases;
  int played = 0;
  std::string database;
  forEachFirstBill(
      [&] {
        database = "bills_" + std::to_string(++played);
        copyDatabase(demoDatabase(), database);
        return std::make_shared<db::PgConnection>(uriOf(database));
      },
      [&](const FoundBill& found) {
        auto& server = static_cast<db::PgConnection&>(*found.database);
        growLines(server.handle(), found.table + "_mx", found.billno, kLines);
        pgbench::must(server.handle(), "ANALYZE");
        cases.push_back({found.code, found.table, found.billno, database});
      });
  return cases;
}

PgSession::PgSession(const PgBillCase& c) : case_(c) {
  copyDatabase(c.database, kRunning);
  connect();
}

PgSession::~PgSession() { disconnect(); }

void PgSession::connect() {
  conn_ = std::make_unique<db::PgConnection>(uriOf(kRunning));
  windows_ = std::make_unique<reliability::BillWindows>(*conn_);
}

// The windows first: they hold the host's scope on the connection.
void PgSession::disconnect() {
  windows_.reset();
  conn_.reset();
}

void PgSession::keep() {
  disconnect();
  copyDatabase(kRunning, kKept);
  connect();
}

void PgSession::putBack() {
  disconnect();
  copyDatabase(kKept, kRunning);
  connect();
}

bool PgSession::audited() {
  return windows_->number(case_.table, case_.billno, "status") > 0;
}

bool PgSession::bringTo(bool audit) {
  if (audited() == audit) return true;
  auto form = windows_->open(case_.code, case_.billno);
  form->clickAction(audit ? "actAudit" : reliability::BillWindows::unauditAction(*form));
  return audited() == audit;
}

std::unique_ptr<host::TBaseBillEditRibbonForm> PgSession::open(bool bill) {
  return windows_->open(case_.code, bill ? case_.billno : "");
}

std::string serverOrgid(PgSession& s) {
  const std::string sql = "select orgid from " + s.case_.table + " where billno = $1";
  const char* values[] = {s.case_.billno.c_str()};
  PGresult* r = PQexecParams(s.server().handle(), sql.c_str(), 1, nullptr, values, nullptr,
                             nullptr, 0);
  std::string orgid = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0
                          ? PQgetvalue(r, 0, 0)
                          : "";
  PQclear(r);
  return orgid;
}

}  // namespace bill_bench
