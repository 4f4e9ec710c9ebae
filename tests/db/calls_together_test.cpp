// A look-up per line (the same procedure called by many one-statement batches) gives
// each batch what it gives run alone, on the file and on the server, whether the
// connection reads all the calls in one statement or runs them one by one. Which of the
// two it did shows in the statements an armed (never firing) fault counts.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "tsql/statement_fault.h"

namespace {

std::string shown(const db::BatchResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += "error " + std::to_string(e.number) + ": " + e.message + "\n";
  for (const auto& set : r.resultSets) {
    for (const auto& c : set.columns)
      out += c.name + ":" + std::to_string(static_cast<int>(c.type)) + ":" + std::to_string(c.size) + " ";
    out += "\n";
    for (const auto& row : set.rows) {
      for (const auto& v : row) out += (v.isNull() ? std::string("NULL") : v.asText()) + "|";
      out += "\n";
    }
  }
  return out;
}

// The batches' results as execEach gives them, checked against execBatch one by one;
// the statements the engine ran for execEach.
int expectAsOneByOne(db::Connection& c, const std::vector<std::string>& texts) {
  std::vector<db::BatchResult> alone;
  for (const auto& text : texts) {
    alone.push_back(c.execBatch(text));
    if (!alone.back().ok()) break;
  }
  tsql::StatementFault count;
  count.failAt = INT_MAX;
  tsql::armStatementFault(&count);
  std::vector<db::BatchResult> each = c.execEach(texts);
  tsql::armStatementFault(nullptr);
  EXPECT_EQ(each.size(), alone.size());
  for (std::size_t i = 0; i < each.size() && i < alone.size(); ++i)
    EXPECT_EQ(shown(each[i]), shown(alone[i])) << texts[i];
  return count.seen;
}

const char* kSchema =
    "create table stock (orgid varchar(10), store int, goods int, qty decimal(18, 4))\r\n"
    "insert into stock values ('0001', 1, 1, 2.5), ('0001', 1, 1, 1.25), ('0001', 2, 1, 7),"
    " ('0001', 1, 2, 3), ('0002', 1, 1, 100), ('shop', 1, 1, 11)";
const char* kProcedures[] = {
    "create procedure book @orgid varchar(10), @store int = 1, @goods int as\r\n"
    "begin\r\n  set nocount on\r\n"
    "  select isnull(sum(qty), 0) as qty from stock where orgid = @orgid and store = @store and goods = @goods\r\n"
    "end",
    "create procedure lines_of @orgid varchar(10) as select goods, qty from stock where orgid = @orgid",
    "create procedure per_unit @goods int, @units int as select sum(qty) / @units from stock where goods = @goods",
    "create procedure two_reads @goods int as\r\nselect count(*) from stock where goods = @goods\r\nselect 1",
};

void callsRead(db::Connection& c, bool lateral) {
  ASSERT_TRUE(c.execBatch(kSchema).ok());
  for (const char* p : kProcedures) ASSERT_TRUE(c.execBatch(p).ok()) << p;

  // named, reordered, defaulted, positional, converted, blank-padded and case-blind
  // arguments, and a call that finds no row: one statement reads them all
  const std::vector<std::string> lookups = {
      "exec book @orgid='0001', @store=1, @goods=1", "exec [book] @goods=1, @orgid='0001'",
      "exec book '0001', 2, 1",                     "exec book @orgid='0001', @store='1', @goods=2",
      "exec book @orgid='0001  ', @store=1, @goods=1", "exec book @orgid='SHOP', @store=1, @goods=1",
      "exec book @orgid='0009', @store=1, @goods=1"};
  EXPECT_EQ(expectAsOneByOne(c, lookups), 1);
  // constants of other kinds converted to the parameters' types
  EXPECT_EQ(expectAsOneByOne(c, {"exec book @orgid=N'0001', @store=1.0, @goods=1",
                                 "exec book @orgid=0x30303031, @store=1, @goods=01"}),
            1);
  // a text holding a NUL byte is read whole, not up to the NUL
  if (!lateral) {
    EXPECT_EQ(expectAsOneByOne(c, {"exec book @orgid='0001', @goods=1", "exec book @orgid='0001' + char(0) + 'x', @goods=1"}),
              1);
  }
  // more calls than one statement takes: a statement for each thousand
  std::vector<std::string> many;
  for (int i = 0; i < 2100; ++i) many.push_back("exec book @orgid='0001', @store=1, @goods=" + std::to_string(i % 4));
  EXPECT_EQ(expectAsOneByOne(c, many), 3);
  // the statements kept from the reads above are made again after the table or the
  // procedure changes: other column types, another column, another parameter type
  ASSERT_TRUE(c.execBatch("drop table stock").ok());
  ASSERT_TRUE(c.execBatch("create table stock (orgid varchar(10), store varchar(10), goods int, qty money)\r\n"
                          "insert into stock values ('0001', '01', 1, 2.5), ('0001', '1', 1, 1.25), ('0001', '2', 1, 7)")
                  .ok());
  EXPECT_EQ(expectAsOneByOne(c, lookups), 1);
  ASSERT_TRUE(c.execBatch("alter procedure book @orgid varchar(10), @store varchar(5) = '1', @goods int as\r\n"
                          "select count(*) as lines from stock where orgid = @orgid and store = @store"
                          " and goods = @goods").ok());
  EXPECT_EQ(expectAsOneByOne(c, lookups), 1);
  ASSERT_TRUE(c.execBatch("drop procedure book").ok());
  ASSERT_TRUE(c.execBatch("drop table stock").ok());
  ASSERT_TRUE(c.execBatch(kSchema).ok());
  ASSERT_TRUE(c.execBatch(kProcedures[0]).ok());
  // a NULL argument: the server's VALUES would not know its type
  EXPECT_EQ(expectAsOneByOne(c, {"exec book @orgid=NULL, @goods=1", "exec book @orgid='0001', @goods=1"}),
            lateral ? 2 : 1);
  // many rows a call: only the server joins the query to each call's arguments
  EXPECT_EQ(expectAsOneByOne(c, {"exec lines_of '0001'", "exec lines_of '0002'", "exec lines_of '0003'"}),
            lateral ? 1 : 3);

  // one by one: another statement in a batch, another procedure, a body of two reads,
  // a call that fails before the body (missing argument) or in it (division by zero);
  // the batches after the failing one do not run
  EXPECT_EQ(expectAsOneByOne(c, {"exec book '0001', 1, 1", "exec book '0001', 1, 1 select 2"}), 3);
  EXPECT_EQ(expectAsOneByOne(c, {"exec book '0001', 1, 1", "exec lines_of '0001'"}), 2);
  EXPECT_EQ(expectAsOneByOne(c, {"exec two_reads 1", "exec two_reads 2"}), 4);
  EXPECT_EQ(expectAsOneByOne(c, {"exec book '0001', 1, 1", "exec book @store=1", "exec book '0001', 1, 2"}), 1);
  EXPECT_EQ(expectAsOneByOne(c, {"exec per_unit 1, 2", "exec per_unit 1, 0", "exec per_unit 2, 1"}), 2);
}

TEST(CallsTogether, OnTheFileEachBatchGetsWhatItGetsAlone) {
  db::EmbeddedConnection c(":memory:");
  callsRead(c, false);
}

TEST(CallsTogether, OnTheServerEachBatchGetsWhatItGetsAlone) {
  std::string uri = pgtest::freshDatabase("calls_together");
  ASSERT_FALSE(uri.empty());
  db::PgConnection c(uri);
  callsRead(c, true);
}

}  // namespace
