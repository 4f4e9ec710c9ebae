// SQL Server's meaning on both backends: the same batches give the same rows on the
// embedded file and on the server (money stored half to even, case-blind text, a
// table variable that outlives a rollback, @@IDENTITY, a failed statement inside a
// transaction that takes back only itself, exact decimals short and long, dates to
// 100 ns).
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

// LIKE on the server is a regular expression made from the pattern: every character
// a regular expression treats as special stays plain, classes and escapes keep T-SQL's
// meaning, and blanks after the match (a char(n) value's padding) are left aside.
TEST(PgSemantics, LikePatternsMatchAsOnTheFile) {
  const char* setup =
      "create table item(id int identity(1,1) primary key, code varchar(20), grade char(4))\r\n"
      "insert into item(code, grade) values('a.b', 'x')\r\ninsert into item(code, grade) values('A+B', 'xy')\r\n"
      "insert into item(code, grade) values('a(b)', 'x')\r\ninsert into item(code, grade) values('100%', 'z')\r\n"
      "insert into item(code, grade) values('c\\d', 'y')\r\ninsert into item(code, grade) values('[ab]', 'q')\r\n"
      "insert into item(code, grade) values('ab  ', 'x')\r\n";
  const Case cases[] = {
      {"select id from item where code like 'a_b' order by id", "1\n2\n"},
      {"select id from item where code like 'a.b'", "1\n"},
      {"select id from item where code like 'a(b)' or code like 'A+B' order by id", "2\n3\n"},
      {"select id from item where code like 'c\\d'", "5\n"},
      {"select id from item where code like '100!%' escape '!'", "4\n"},
      {"select id from item where code like '%[%]'", "4\n"},
      {"select id from item where code like '[[]ab]'", "6\n"},
      {"select id from item where code like '[ab]%' order by id", "1\n2\n3\n7\n"},
      {"select id from item where code like '[^a]%' order by id", "4\n5\n6\n"},
      {"select case when 'a[b' like 'a[b' then 1 else 0 end, case when 'b' like '[c-a]' then 1 else 0 end", "1|0\n"},
      {"select id from item where code like 'ab%' and code like 'ab' and code not like 'ab  x'", "7\n"},
      {"select id from item where grade like 'x_' order by id", "1\n2\n3\n7\n"},
      {"select count(*) from item where code not like '%b%'", "2\n"},
      {"select patindex('%[+(]%', code) from item where id in (2, 3) order by id", "2\n2\n"},
  };
  sameOnBoth("like_patterns", setup, cases);
}

// The server stores varchar text as given, where the embedded file drops its trailing
// blanks (as SQL Server does with ANSI_PADDING off; tests/tsql conformance): there a
// stored 'ab  ' is 'ab', and LIKE 'ab_' finds no blank left to match.
TEST(PgSemantics, ServerKeepsTheTrailingBlanksOfStoredVarchar) {
  std::string uri = pgtest::freshDatabase("stored_blanks");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  ASSERT_TRUE(
      server.execBatch("create table item(code varchar(20))\r\ninsert into item values('ab  ')")
          .ok());
  EXPECT_EQ(rows(server.execBatch("select datalength(code), '|' + code + '|', case when code "
                                  "like 'ab_' then 1 else 0 end from item")),
            "4||ab  ||1\n");
}

// Trailing blanks do not count when text is compared, grouped by a set operator or
// counted distinct; a char(n) column shows its padding when it becomes text.
TEST(PgSemantics, TrailingBlanksAndPaddingAsOnTheFile) {
  const char* setup =
      "create table item(id int identity(1,1) primary key, code varchar(20), grade char(4))\r\n"
      "insert into item(code, grade) values('a', 'x')\r\ninsert into item(code, grade) values('B', 'xy')\r\n"
      "insert into item(code, grade) values('c', 'X')\r\n";
  const Case cases[] = {
      {"select id from item where grade = 'xy   '", "2\n"},
      {"declare @g char(4) = 'x'\r\nselect id from item where grade = @g order by id", "1\n3\n"},
      {"declare @v varchar(10) = 'XY  '\r\nselect id from item where grade = @v and @v = grade", "2\n"},
      {"declare @c varchar(10) = 'b  '\r\nselect id from item where code = @c or code in (select 'zz')", "2\n"},
      {"select case when 'a' = 'A   ' then 1 else 0 end, case when 'a ' in ('A', 'b') then 1 else 0 end", "1|1\n"},
      {"select count(*) from (select 'x' v union select 'X  ' union select grade from item) u", "2\n"},
      {"select count(*) from (select code from item intersect select 'A  ') u", "1\n"},
      {"select count(distinct grade), count(distinct code + '  ') from item", "2|3\n"},
      {"select '[' + grade + ']', len(grade), datalength(grade) from item where id = 2", "[xy  ]|2|4\n"},
  };
  sameOnBoth("trailing_blanks", setup, cases);
}

// datetime holds 1/300 s on both (stored, added to, taken apart), and the date parts
// go by every T-SQL name.
TEST(PgSemantics, DatetimeTicksAndPartsAsOnTheFile) {
  const char* setup =
      "create table stamp(id int identity(1,1) primary key, at datetime)\r\n"
      "insert into stamp(at) values('2024-01-01 10:00:00.998')\r\n"
      "insert into stamp(at) values(cast('2024-12-31 23:59:59.999' as datetime))\r\n";
  const Case cases[] = {
      {"select at from stamp order by id", "2024-01-01 10:00:00.997\n2025-01-01 00:00:00\n"},
      {"select dateadd(ms, 2, at), dateadd(qq, 1, at) from stamp where id = 1",
       "2024-01-01 10:00:01|2024-04-01 10:00:00.997\n"},
      {"select datepart(dy, at), datepart(dw, at), datepart(qq, at), datepart(wk, at), datename(dw, at), "
       "datename(mm, at) from stamp where id = 1",
       "1|2|1|1|Monday|January\n"},
      {"select datediff(ms, '2024-01-01 10:00:00', at), datediff(wk, '2023-12-30', at), "
       "datediff(qq, '2023-11-15', at) from stamp where id = 1",
       "997|1|1\n"},
      {"select isdate('2024-02-29'), isdate('2023-02-29'), eomonth('2024-01-31', 1)", "1|0|2024-02-29 00:00:00\n"},
  };
  sameOnBoth("datetime_ticks", setup, cases);
}

// Averages of money and int, ROUND of a float (half away from zero, or cut), and a float
// written as text, as the file gives them.
TEST(PgSemantics, AveragesRoundingAndFloatTextAsOnTheFile) {
  const char* setup =
      "create table sale(id int identity(1,1) primary key, qty int, price money, ratio float)\r\n"
      "insert into sale(qty, price, ratio) values(1, 10.00, 1234567.0)\r\n"
      "insert into sale(qty, price, ratio) values(2, 20.01, 0.0001234)\r\n"
      "insert into sale(qty, price, ratio) values(4, 0.0001, -2.5)\r\n";
  const Case cases[] = {
      {"select avg(qty), avg(price), avg(-qty) from sale", "2|10.0034|-2\n"},
      {"select avg(price) from sale where id > 3", "NULL\n"},
      {"select round(ratio, 0), round(ratio, 0, 1), round(ratio * 100, -2) from sale where id = 3", "-3|-2|-300\n"},
      {"select cast(ratio as varchar(20)) from sale order by id", "1.23457e+006\n0.0001234\n-2.5\n"},
  };
  sameOnBoth("averages", setup, cases);
}

// datetime2 and datetimeoffset keep 100 ns on both (the server's timestamps stop at
// microseconds): stored rounded to the column's scale, into the next day; a NULL row
// and the first day of year 1 beside them. The values come from a text column, so
// the database converts them (constants may be converted before they reach it).
const char* const kFineDatesSetup =
    "create table raw(id int primary key, t varchar(40), tz varchar(40))\r\n"
    "insert into raw values(1, '2024-02-29 23:59:59.99996', '2024-02-29 23:59:59.9996 -05:00')\r\n"
    "insert into raw values(2, NULL, NULL)\r\n"
    "insert into raw values(3, '0001-01-01', '0001-01-01 00:00:00.0001 +14:00')\r\n"
    "insert into raw values(4, '2024-01-01 10:00:00.9996', '2024-13-01 00:00 +00:00')\r\n"
    "create table ev(id int primary key, at datetime2(4), o datetimeoffset(3))\r\n"
    "insert into ev(id, at, o) select id, t, tz from raw where id < 4\r\n";

// Stored, converted, aggregated, and handed to the date functions as a datetime2 column.
TEST(PgSemantics, FineDatesStoredAndReadAsOnTheFile) {
  const Case cases[] = {
      {"select at, o from ev order by id",
       "2024-03-01 00:00:00.0000|2024-03-01 00:00:00.000 -05:00\nNULL|NULL\n"
       "0001-01-01 00:00:00.0000|0001-01-01 00:00:00.000 +14:00\n"},
      {"select datepart(ms, at), datediff(day, '2024-02-28', at), year(at) from ev where id < 3 order by id",
       "0|2|2024\nNULL|NULL|NULL\n"},
      {"select datediff(ms, at, cast('2024-03-01 00:00:01' as datetime)), datediff(mi, at, '2024-03-01 01:00') "
       "from ev where id = 1",
       "1000|60\n"},
      {"select datediff(day, '2024-03-01', dateadd(day, 1, at)), datename(mm, at) from ev where id = 1", "1|March\n"},
      {"select datepart(ms, cast(t as datetime2)), cast(t as datetime2(2)) from raw where id = 4",
       "999|2024-01-01 10:00:01.00\n"},
      {"select cast(t + 'Z' as datetimeoffset(1)), cast(left(t, 10) + '+01:30' as datetimeoffset(0)), "
       "cast(left(t, 16) + ' -02:00' as datetimeoffset(2)) from raw where id = 4",
       "2024-01-01 10:00:01.0 +00:00|2024-01-01 00:00:00 +01:30|2024-01-01 10:00:00.00 -02:00\n"},
      {"select cast(tz as datetimeoffset) from raw where id = 4",
       "error 241: Conversion failed when converting date and/or time from character string.\n"},
      {"select convert(varchar(30), at, 120), cast(at as datetime), cast(o as datetime2), cast(at as datetimeoffset) "
       "from ev where id = 1",
       "2024-03-01 00:00:00|2024-03-01 00:00:00|2024-03-01 00:00:00.0000000|2024-03-01 00:00:00.0000000 +00:00\n"},
      {"select min(at), max(at) from ev", "0001-01-01 00:00:00.0000|2024-03-01 00:00:00.0000\n"},
      {"select try_cast(tz as datetime2), try_cast(t as datetime2(2)) from raw where id = 1",
       "2024-02-29 23:59:59.9996000|2024-03-01 00:00:00.00\n"},
  };
  sameOnBoth("fine_dates", kFineDatesSetup, cases);
}

// Offsets set, moved, compared by instant and taken apart; NULL in, NULL out; past
// the calendar's ends an overflow.
TEST(PgSemantics, OffsetFunctionsAsOnTheFile) {
  const Case cases[] = {
      {"select datepart(tz, o), datepart(mcs, o) from ev order by id", "-300|0\nNULL|NULL\n840|0\n"},
      {"select switchoffset(o, '-00:30'), todatetimeoffset(at, 60), dateadd(hour, -1, o) from ev where id = 2",
       "NULL|NULL|NULL\n"},
      {"select todatetimeoffset(at, '+01:00'), switchoffset(o, 90) from ev where id = 1",
       "2024-03-01 00:00:00.0000000 +01:00|2024-03-01 06:30:00.0000000 +01:30\n"},
      {"select id from ev where o < cast('2024-03-01 05:00:00.001 +00:00' as datetimeoffset) order by o", "3\n1\n"},
      {"select switchoffset(o, '-14:00') from ev where id = 3",
       "error 517: Adding a value to a 'datetimeoffset' column caused an overflow.\n"},
      {"select dateadd(month, 1, o), dateadd(ns, 149, o) from ev where id = 3",
       "0001-02-01 00:00:00.000 +14:00|0001-01-01 00:00:00.000 +14:00\n"},
      {"select dateadd(ns, -150, o) from ev where id = 3",
       "error 517: Adding a value to a 'datetimeoffset' column caused an overflow.\n"},
  };
  sameOnBoth("offset_functions", kFineDatesSetup, cases);
}

}  // namespace
