// A 100-line goods bill saved on the database server, side by side: (a) the save batch
// as the editor sends it, run by the engine through PgConnection (control flow here,
// every statement on the server in the batch's transaction); (b) the same statements
// sent directly through libpq, prepared once, in one transaction. The ratio a/b is
// what the engine costs over plain libpq on a local socket. Starts its own throwaway
// cluster (pg_bench_cluster.h) and stops it at the end.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "db/pg_connection.h"
#include "pg_bench_cluster.h"

namespace {

constexpr int kLines = 100;

const char* kSchema =
    "create table vt_c_spjh(id int identity(1,1) primary key, orgid varchar(20), billno varchar(50), "
    "billdate datetime, gys_id int, ck_id int, kdr_id int, hjje money, status int, version int)\n"
    "create table vt_c_spjh_mx(id int identity(1,1) primary key, uid varchar(50), orgid varchar(20), "
    "billno varchar(50), sp_id int, sl float, zk float, dj money, je money)\n"
    "create index ix_h on vt_c_spjh(orgid, billno)\n"
    "create index ix_mx on vt_c_spjh_mx(orgid, billno)\n";

std::string lineJe(int i) { return std::to_string(12 * (i % 9 + 1)) + ".5000"; }

// The batch as the goods bill editor builds it for a new bill (number fixed here).
std::string saveBatch() {
  std::string b =
      "DECLARE @billno varchar(50)\r\nbegin tran\r\nbegin try\r\nset @billno = 'A11202612060001'\r\n"
      "insert into vt_c_spjh (orgid,billno,billdate,gys_id,ck_id,kdr_id,status,version) "
      "values ('0001',@billno,'2026-12-06 10:00:00',1,1,1,0,0)\r\n";
  for (int i = 0; i < kLines; ++i)
    b += "insert into vt_c_spjh_mx (uid,orgid,billno,sp_id,sl,zk,dj,je) values ('L" + std::to_string(i) +
         "','0001',@billno," + std::to_string(i % 20 + 1) + "," + std::to_string(i % 9 + 1) + ",1,12.5000," +
         lineJe(i) + ")\r\n";
  b += "update dbo.vt_c_spjh set hjje = (select sum(je) from dbo.vt_c_spjh_mx where billno = @billno) "
       "where orgid = '0001' and billno = @billno\r\n"
       "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\nraiserror('单据保存失败', 16, 1)\r\n"
       "end catch\r\nif (@@trancount>0) commit tran\r\n";
  return b;
}

// A connection with the bill tables made by the engine (so both sides write the same
// tables), emptied between iterations.
std::unique_ptr<db::PgConnection> freshTables() {
  auto conn = std::make_unique<db::PgConnection>(pgbench::Cluster::uri());
  pgbench::must(conn->handle(), "DROP TABLE IF EXISTS vt_c_spjh, vt_c_spjh_mx; DELETE FROM tsql_column_types");
  auto r = conn->execBatch(kSchema);
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return conn;
}

void BM_EngineSaveBatchOnServer(benchmark::State& state) {
  auto conn = freshTables();
  std::string batch = saveBatch();
  for (auto _ : state) {
    auto r = conn->execBatch(batch);
    if (!r.ok()) state.SkipWithError(r.errorMessage().c_str());
    state.PauseTiming();
    pgbench::must(conn->handle(), "TRUNCATE vt_c_spjh, vt_c_spjh_mx");
    state.ResumeTiming();
  }
}

// The same rows and total, prepared once, one transaction per save.
void BM_DirectLibpqSave(benchmark::State& state) {
  auto conn = freshTables();
  PGconn* c = conn->handle();
  auto prepare = [&](const char* name, const char* sql) {
    PGresult* r = PQprepare(c, name, sql, 0, nullptr);
    PQclear(r);
  };
  prepare("h", "insert into vt_c_spjh (orgid,billno,billdate,gys_id,ck_id,kdr_id,status,version) "
               "values ('0001',$1,'2026-12-06 10:00:00',1,1,1,0,0)");
  prepare("l", "insert into vt_c_spjh_mx (uid,orgid,billno,sp_id,sl,zk,dj,je) values ($1,'0001',$2,$3,$4,1,12.5,$5)");
  prepare("t", "update vt_c_spjh set hjje = (select sum(je) from vt_c_spjh_mx where billno = $1) "
               "where orgid = '0001' and billno = $1");
  auto exec = [&](const char* name, std::initializer_list<std::string> args) {
    std::vector<const char*> v;
    for (const auto& a : args) v.push_back(a.c_str());
    PGresult* r = PQexecPrepared(c, name, static_cast<int>(v.size()), v.data(), nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_COMMAND_OK) state.SkipWithError(PQerrorMessage(c));
    PQclear(r);
  };
  const std::string billno = "A11202612060001";
  for (auto _ : state) {
    pgbench::must(c, "BEGIN");
    exec("h", {billno});
    for (int i = 0; i < kLines; ++i)
      exec("l", {"L" + std::to_string(i), billno, std::to_string(i % 20 + 1), std::to_string(i % 9 + 1), lineJe(i)});
    exec("t", {billno});
    pgbench::must(c, "COMMIT");
    state.PauseTiming();
    pgbench::must(c, "TRUNCATE vt_c_spjh, vt_c_spjh_mx");
    state.ResumeTiming();
  }
}

BENCHMARK(BM_EngineSaveBatchOnServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectLibpqSave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
