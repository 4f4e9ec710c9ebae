// Two sessions making the same first row at once (the day's bill-number row): the one
// that waited on the other's key must run its batch again and take the next number,
// never go on without its row and report a duplicate key. The other session here is
// a plain libpq connection holding its insert open until the batch waits on it.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <string>
#include <thread>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

// The issuing batch: the first row of the day when there is none, then the next number.
const char* const kIssue =
    "declare @no int\r\nbegin tran\r\n"
    "if not exists(select id from daily with (updlock, holdlock) where day = 'd1')\r\n"
    "  insert into daily(day, lastno) values ('d1', 0)\r\n"
    "update daily set lastno = lastno + 1 where day = 'd1'\r\n"
    "select @no = lastno from daily where day = 'd1'\r\n"
    "commit tran\r\nselect @no as no";

bool exec(PGconn* c, const char* sql) {
  PGresult* r = PQexec(c, sql);
  bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  EXPECT_TRUE(ok) << sql << ": " << PQerrorMessage(c);
  PQclear(r);
  return ok;
}

// Waits (bounded) until some session of this database waits on a lock.
bool someoneWaitsOnALock(PGconn* c) {
  for (int tries = 0; tries < 2000; ++tries) {
    PGresult* r = PQexec(c, "select count(*) from pg_stat_activity where datname = current_database() "
                            "and wait_event_type = 'Lock'");
    bool waits = PQresultStatus(r) == PGRES_TUPLES_OK && std::string(PQgetvalue(r, 0, 0)) != "0";
    PQclear(r);
    if (waits) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(PgConflictRerun, BatchThatWaitedOnTheSameFirstRowRunsAgainAndTakesTheNextNumber) {
  std::string uri = pgtest::freshDatabase("conflict_rerun");
  ASSERT_FALSE(uri.empty());
  db::PgConnection setup(uri);
  ASSERT_TRUE(setup.execBatch("create table daily(id int identity(1,1) primary key, day varchar(8) not null, "
                              "lastno int)\r\ncreate unique index ux_daily on daily(day)")
                  .ok());
  PGconn* other = PQconnectdb(uri.c_str());
  ASSERT_EQ(PQstatus(other), CONNECTION_OK) << PQerrorMessage(other);
  PGconn* watcher = PQconnectdb(uri.c_str());
  ASSERT_TRUE(exec(other, "BEGIN; INSERT INTO daily(day, lastno) VALUES ('d1', 1)"));
  db::BatchResult issued;
  // a text new to the connection: its insert goes under a savepoint of its own
  std::thread counter([&] {
    db::PgConnection conn(uri);
    issued = conn.execBatch(kIssue);
  });
  bool waited = someoneWaitsOnALock(watcher);
  exec(other, "COMMIT");
  counter.join();
  PQfinish(other);
  PQfinish(watcher);
  EXPECT_TRUE(waited) << "the batch never waited on the other session's row";
  ASSERT_TRUE(issued.ok()) << issued.errorMessage();
  ASSERT_EQ(issued.resultSets.size(), 1u);
  EXPECT_EQ(issued.resultSets[0].rows.at(0).at(0).asInteger(), 2);
  auto rows = setup.execBatch("select count(*), max(lastno) from daily");
  ASSERT_TRUE(rows.ok()) << rows.errorMessage();
  EXPECT_EQ(rows.resultSets.at(0).rows.at(0).at(0).asInteger(), 1);
  EXPECT_EQ(rows.resultSets.at(0).rows.at(0).at(1).asInteger(), 2);
}

}  // namespace
