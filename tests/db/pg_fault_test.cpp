// The test-only statement fault on both backends: a save batch failed at each of its
// table statements in turn reports an error and leaves no part of the bill behind,
// on the embedded file and on the server alike; unarmed, the same batch saves whole.
#include <gtest/gtest.h>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "tsql/statement_fault.h"

namespace {

const char* kSetup =
    "create table bill(id int identity(1,1) primary key, code varchar(20), n int)\r\n"
    "create table line(id int identity(1,1) primary key, code varchar(20), q int)\r\n";

// BEGIN TRAN, three writes and an UPDATE: five statements a fault can hit.
const char* kSave =
    "begin try\r\n"
    "  begin tran\r\n"
    "  insert into bill(code, n) values('B', 0)\r\n"
    "  insert into line(code, q) values('B', 1)\r\n"
    "  insert into line(code, q) values('B', 2)\r\n"
    "  update bill set n = 2 where code = 'B'\r\n"
    "  commit\r\n"
    "end try\r\n"
    "begin catch\r\n"
    "  if @@trancount > 0 rollback\r\n"
    "  raiserror('save failed', 16, 1)\r\n"
    "end catch\r\n";

const char* kCount = "select (select count(*) from bill), (select count(*) from line), (select max(n) from bill)";

std::string counts(db::Connection& c) {
  db::BatchResult r = c.execBatch(kCount);
  if (!r.ok() || r.resultSets.empty()) return "no answer";
  const auto& row = r.resultSets.back().rows.at(0);
  return row[0].asText() + "|" + row[1].asText() + "|" + (row[2].isNull() ? "NULL" : row[2].asText());
}

void sweep(db::Connection& c, const char* where) {
  ASSERT_TRUE(c.execBatch(kSetup).ok()) << where;
  for (int k = 1; k <= 5; ++k) {
    tsql::StatementFault fault;
    fault.failAt = k;
    tsql::armStatementFault(&fault);
    db::BatchResult r = c.execBatch(kSave);
    tsql::armStatementFault(nullptr);
    EXPECT_TRUE(fault.fired) << where << " statement " << k;
    EXPECT_FALSE(r.ok()) << where << " statement " << k;
    EXPECT_EQ(counts(c), "0|0|NULL") << where << " statement " << k;
  }
  EXPECT_TRUE(c.execBatch(kSave).ok()) << where;
  EXPECT_EQ(counts(c), "1|2|2") << where;
}

TEST(StatementFaults, FailEverySaveStatementInTurnOnBothBackends) {
  db::EmbeddedConnection file(":memory:");
  sweep(file, "embedded");
  std::string uri = pgtest::freshDatabase("faults");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  sweep(server, "server");
}

}  // namespace
