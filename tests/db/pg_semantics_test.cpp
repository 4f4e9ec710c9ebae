// SQL Server's meaning on both backends: the same batches give the same rows on the
// embedded file and on the server (money stored half to even, case-blind text, a
// table variable that outlives a rollback, @@IDENTITY, a failed statement inside a
// transaction that takes back only itself, exact decimals short and long).
#include <gtest/gtest.h>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

std::string rows(const db::BatchResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += "error " + std::to_string(e.number) + ": " + e.message + "\n";
  if (r.resultSets.empty()) return out;
  for (const auto& row : r.resultSets.back().rows) {
    for (std::size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + (row[i].isNull() ? "NULL" : row[i].asText());
    out += "\n";
  }
  return out;
}

struct Case {
  const char* batch;
  const char* expected;
};

// `setup` on a fresh server database and a memory file, then each case on both: the
// file must give the expected rows and the server the file's.
template <std::size_t N>
void sameOnBoth(const char* database, const char* setup, const Case (&cases)[N]) {
  std::string uri = pgtest::freshDatabase(database);
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  db::EmbeddedConnection file(":memory:");
  ASSERT_TRUE(server.execBatch(setup).ok());
  ASSERT_TRUE(file.execBatch(setup).ok());
  for (const Case& c : cases) {
    std::string onFile = rows(file.execBatch(c.batch));
    EXPECT_EQ(onFile, c.expected) << "embedded: " << c.batch;
    EXPECT_EQ(rows(server.execBatch(c.batch)), onFile) << "server: " << c.batch;
  }
}

TEST(PgSemantics, SameBatchesSameRowsOnBothBackends) {
  const char* database = "semantics";
  const char* setup =
      "create table bill(id int identity(1,1) primary key, code varchar(20), je money)\r\n"
      "insert into bill(code, je) values('A1', 0.00005)\r\n"
      "insert into bill(code, je) values('a2', 1.00015)\r\n"
      "insert into bill(code, je) values('B3', 2.00025)\r\n";
  const Case cases[] = {
      {"select code, je from bill order by id", "A1|0\na2|1.0002\nB3|2.0002\n"},
      {"select count(*) from bill where code = 'A2' or code like 'b%'", "2\n"},
      {"select sum(je) from bill where code in ('a1', 'A2')", "1.0002\n"},
      {"insert into bill(code, je) values('C4', 1)\r\nselect @@identity", "4\n"},
      {"declare @t table(x int)\r\nbegin tran\r\ninsert into @t values(1)\r\ninsert into bill(code) values('R')\r\n"
       "rollback\r\nselect (select count(*) from @t), (select count(*) from bill where code = 'R')",
       "1|0\n"},
      {"begin tran\r\ninsert into bill(code, je) values('D5', 'x')\r\ninsert into bill(code, je) values('D6', 6)\r\n"
       "commit\r\nselect code from bill where code like 'D%'",
       "error 235: Cannot convert a char value to money. The char value has incorrect syntax.\n"},
      // the failed conversion ended that batch and rolled its transaction back
      {"select count(*) from bill where code like 'D%'", "0\n"},
  };
  sameOnBoth(database, setup, cases);
}

// A decimal of up to 15 digits travels as a double, a longer one as its exact text:
// both must reach the server's numeric functions and come back unchanged.
TEST(PgSemantics, DecimalsKeepEveryDigitBothWays) {
  const char* database = "decimals";
  const char* setup =
      "create table line(id int identity(1,1) primary key, dj decimal(9,2), je decimal(9,2), "
      "big decimal(30,10))\r\n"
      "insert into line(dj, je, big) values(450.25, 0, 12345678901234567890.0123456789)\r\n"
      "insert into line(dj, je, big) values(18.5, 0, -0.0000000001)\r\n";
  const Case cases[] = {
      {"declare @dj decimal(9,2) = 450.25\r\nupdate line set je = -@dj where id = 1\r\n"
       "select je from line where id = 1",
       "-450.25\n"},
      {"declare @f float = 2.5\r\nselect dj * 2 + @f from line order by id", "903\n39.5\n"},
      {"select big from line order by id", "12345678901234567890.0123456789\n-0.0000000001\n"},
      {"select big + 1 from line where id = 1", "12345678901234567891.0123456789\n"},
      {"declare @b decimal(30,10) = 98765432109876543210.5\r\nupdate line set big = @b where id = 2\r\n"
       "select sum(big) from line",
       "111111111011111111100.5123456789\n"},
      {"select count(*) from line where big > 12345678901234567890.0123456788", "2\n"},
  };
  sameOnBoth(database, setup, cases);
}

}  // namespace
