// A batch on the server runs its transaction without a savepoint per statement; when a
// statement fails, the transaction is given up and the batch runs again from its start
// with savepoints. These cases fail statements part-way and compare the whole
// transcript (messages, every result set, errors) with the embedded file's: each
// print and row comes once, a failed statement's work is undone while the transaction
// goes on, and work made durable before the failure is not done twice.
#include <gtest/gtest.h>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

std::string transcript(const db::BatchResult& r) {
  std::string out;
  for (const auto& m : r.messages) out += "print " + m + "\n";
  for (const auto& set : r.resultSets) {
    out += "rows\n";
    for (const auto& row : set.rows) {
      for (std::size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + (row[i].isNull() ? "NULL" : row[i].asText());
      out += "\n";
    }
  }
  for (const auto& e : r.errors) out += "error " + std::to_string(e.number) + "\n";
  return out;
}

const char* const kSetup[] = {
    "create table bill(id int identity(1,1) primary key, code varchar(20) unique, n int)\r\n"
    "insert into bill(code, n) values('A', 1)\r\n"
    "create procedure add_bill @code varchar(20) as\r\nbegin\r\n"
    "  declare @l table(c varchar(20))\r\n"
    "  insert into @l values(@code)\r\n"
    "  print 'adding ' + @code\r\n"
    "  insert into bill(code, n) select c, 0 from @l\r\n"
    "end\r\n",
    "create procedure add_two @code varchar(20) as\r\nbegin\r\n"
    "  declare @k table(c varchar(20))\r\n"
    "  insert into @k values(@code)\r\n"
    "  insert into bill(code, n) values(@code, 0)\r\n"
    "end\r\n",
    "create procedure add_then_stop @code varchar(20) as\r\nbegin\r\n"
    "  declare @k table(c varchar(20))\r\n"
    "  insert into bill(code, n) values(@code, 0)\r\n"
    "  raiserror('stop', 16, 1)\r\n"
    "end\r\n"};

void setUp(db::Connection& c) {
  for (const char* batch : kSetup) ASSERT_TRUE(c.execBatch(batch).ok()) << batch;
}

struct Case {
  const char* batch;
  const char* expected;
};

// Each case runs twice on each backend: the second run finds its statements prepared
// on the server, where they go without savepoints.
void sameTranscripts(const char* database, const std::vector<Case>& cases) {
  std::string uri = pgtest::freshDatabase(database);
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  db::EmbeddedConnection file(":memory:");
  setUp(server);
  setUp(file);
  for (int round = 1; round <= 2; ++round) {
    for (const Case& c : cases) {
      std::string onFile = transcript(file.execBatch(c.batch));
      EXPECT_EQ(onFile, c.expected) << "embedded, round " << round << ": " << c.batch;
      EXPECT_EQ(transcript(server.execBatch(c.batch)), onFile) << "server, round " << round << ": " << c.batch;
    }
  }
}

TEST(PgBatchAgain, FailedStatementInTransactionLeavesOneTranscriptOnBothBackends) {
  std::vector<Case> cases = {
      // prints and rows before the caught failure come once; the multi-row INSERT that
      // broke the unique code is undone whole; the table variable and @n keep what the
      // transaction did before and after it
      {"declare @n int = 0\r\ndeclare @t table(x int)\r\nprint 'start'\r\nselect code from bill order by id\r\n"
       "begin tran\r\ninsert into bill(code, n) values('B', 2)\r\nset @n = @n + 1\r\ninsert into @t values(@n)\r\n"
       "select count(*) from bill\r\n"
       "begin try\r\n  insert into bill(code, n) select 'C', 3 union all select 'A', 3\r\nend try\r\n"
       "begin catch\r\n  print 'caught'\r\n  set @n = @n + 10\r\nend catch\r\n"
       "insert into bill(code, n) values('D', 4)\r\ninsert into @t values(@n)\r\ncommit\r\n"
       "select @n, (select count(*) from @t), (select sum(x) from @t)\r\n"
       "select code from bill order by id\r\n"
       "delete from bill where code <> 'A'\r\n",
       "print start\nprint caught\nrows\nA\nrows\n2\nrows\n11|2|12\nrows\nA\nB\nD\n"},
      {"select 1/0\r\n", "error 8134\n"},
      // @@ERROR and @@ROWCOUNT at the start are the last batch's, not what a given-up
      // attempt left
      {"select @@error, @@rowcount\r\nbegin tran\r\nupdate bill set n = n\r\n"
       "begin try\r\n  raiserror('first', 16, 1)\r\nend try\r\nbegin catch\r\nend catch\r\n"
       "begin try\r\n  insert into bill(code, n) values('A', 5)\r\nend try\r\n"
       "begin catch\r\n  select @@error\r\nend catch\r\ncommit\r\nselect count(*) from bill\r\n",
       "rows\n8134|2\nrows\n2627\nrows\n1\n"},
      // written before the transaction (durable at once): not written twice
      {"insert into bill(code, n) values('E', 6)\r\nprint 'once'\r\nbegin tran\r\n"
       "begin try\r\n  insert into bill(code, n) values('E', 7)\r\nend try\r\nbegin catch\r\n  print 'caught'\r\nend catch\r\n"
       "insert into bill(code, n) values('F', 8)\r\ncommit\r\n"
       "select code, n from bill where code in ('E', 'F') order by id\r\ndelete from bill where code <> 'A'\r\n",
       "print once\nprint caught\nrows\nE|6\nF|8\n"},
      // the failure inside a procedure with its own table variable, caught by the caller
      {"begin tran\r\nbegin try\r\n  exec add_bill 'A'\r\nend try\r\nbegin catch\r\n  print 'caught'\r\nend catch\r\n"
       "exec add_bill 'G'\r\ncommit\r\nselect code from bill order by id\r\ndelete from bill where code <> 'A'\r\n",
       "print adding A\nprint caught\nprint adding G\nrows\nA\nG\n"},
      // a write of a procedure fails; the procedure ends (its table variable with it)
      // before anything waits for the write's answer, or raises an error of its own.
      // The first call leaves the procedure's table variable idle for the others.
      {"exec add_two 'W'\r\ndelete from bill where code = 'W'\r\n", ""},
      {"begin tran\r\nbegin try\r\n  exec add_two 'A'\r\nend try\r\nbegin catch\r\n  select error_number()\r\nend catch\r\n"
       "exec add_two 'K'\r\ncommit\r\nselect code from bill order by id\r\ndelete from bill where code <> 'A'\r\n",
       "rows\n2627\nrows\nA\nK\n"},
      {"begin tran\r\nbegin try\r\n  exec add_then_stop 'A'\r\nend try\r\nbegin catch\r\n  select error_number()\r\nend catch\r\n"
       "exec add_two 'L'\r\ncommit\r\nselect code from bill order by id\r\ndelete from bill where code <> 'A'\r\n",
       "rows\n2627\nrows\nA\nL\n"},
      // not caught: reported, the batch goes on, the transaction commits the rest
      {"begin tran\r\ninsert into bill(code, n) values('H', 9)\r\ninsert into bill(code, n) values('A', 9)\r\n"
       "print 'after'\r\ncommit\r\nselect code from bill order by id\r\ndelete from bill where code <> 'A'\r\n",
       "print after\nrows\nA\nH\nerror 2627\n"},
      // the failure is learnt only when the batch ends with its transaction open
      {"begin tran\r\ninsert into bill(code, n) values('J', 1)\r\ninsert into bill(code, n) values('A', 1)\r\n"
       "print 'open'\r\n",
       "print open\nerror 2627\nerror 266\n"},
      {"select code from bill order by id\r\n", "rows\nA\n"},
  };
  sameTranscripts("batch_again", cases);
}

// Rows written in one transaction share its id unless each statement had a
// subtransaction (savepoint) of its own.
int transactionIdsOfBills(db::PgConnection& c) {
  PGresult* r = PQexec(c.handle(), "SELECT count(DISTINCT xmin::text) FROM bill WHERE code <> 'A'");
  int n = PQresultStatus(r) == PGRES_TUPLES_OK ? std::atoi(PQgetvalue(r, 0, 0)) : -1;
  PQclear(r);
  return n;
}

db::Params codes(const char* a, const char* b, const char* c) {
  return {{"a", core::Value(std::string(a))}, {"b", core::Value(std::string(b))}, {"c", core::Value(std::string(c))}};
}

TEST(PgBatchAgain, SavepointsOnlyWhenAStatementOfTheTransactionFailed) {
  std::string uri = pgtest::freshDatabase("batch_savepoints");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  setUp(server);
  const std::string save =
      "begin tran\r\ninsert into bill(code, n) values(:a, 1)\r\ninsert into bill(code, n) values(:b, 2)\r\n"
      "insert into bill(code, n) values(:c, 3)\r\nupdate bill set n = n + 1 where code = :a\r\ncommit\r\n";
  const std::string clear = "delete from bill where code <> 'A'";
  ASSERT_TRUE(server.execBatch(save, codes("X", "Y", "Z")).ok());
  ASSERT_TRUE(server.execBatch(clear).ok());
  // prepared by now: the four writes go without savepoints, in one transaction
  ASSERT_TRUE(server.execBatch(save, codes("X", "Y", "Z")).ok());
  EXPECT_EQ(transactionIdsOfBills(server), 1);
  ASSERT_TRUE(server.execBatch(clear).ok());
  // the second INSERT breaks the unique code: the batch ran again with a savepoint
  // per statement (one id per surviving row's write) and kept the rest
  db::BatchResult failed = server.execBatch(save, codes("X", "A", "Z"));
  ASSERT_EQ(failed.errors.size(), 1u);
  EXPECT_EQ(failed.errors[0].number, 2627);
  EXPECT_EQ(transcript(server.execBatch("select code, n from bill order by id")), "rows\nA|1\nX|2\nZ|3\n");
  EXPECT_EQ(transactionIdsOfBills(server), 2);  // X last written by the UPDATE, Z by its INSERT
}

}  // namespace
