// Conformance: the meanings an emulator gets wrong — TRY/CATCH with rollback,
// RAISERROR outside TRY, UPDATE ... FROM with LEFT/RIGHT joins, the collation, exact
// money and OUTPUT parameters — each checked by its visible effect.
#include "conformance/engine_fixture.h"

namespace {

using Conformance = conformance::EngineFixture;

// 1. TRY/CATCH ------------------------------------------------------------------

TEST_F(Conformance, ErrorInsideTryRollsBackAndCatchSeesTheMessage) {
  ok("create table t(a int)");
  auto r = run(
      "begin tran\n"
      "begin try\n"
      "  insert into t values(1)\n"
      "  insert into t values(1/0)\n"
      "  insert into t values(2)\n"
      "end try\n"
      "begin catch\n"
      "  if @@trancount > 0 rollback tran\n"
      "  select ERROR_MESSAGE() as m, @@trancount as n\n"
      "end catch\n"
      "if @@trancount > 0 commit tran\n"
      "select count(*) as c from t");
  EXPECT_TRUE(r.ok()) << r.errorMessage();  // the catch block handled it
  ASSERT_EQ(r.resultSets.size(), 2u);
  EXPECT_EQ(rows(r.resultSets[0]), "Divide by zero error encountered.|0");
  EXPECT_EQ(rows(r.resultSets[1]), "0");
}

TEST_F(Conformance, RaiserrorInCatchReachesTheCallerAfterRollback) {
  ok("create table t(a int)");
  auto r = run(
      "begin tran\nbegin try\n insert into t values(1)\n raiserror('boom', 16, 1)\nend try\n"
      "begin catch\n if (@@trancount>0) rollback tran\n raiserror('单据保存失败', 16, 1)\n"
      "end catch\nif (@@trancount>0) commit tran");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errorMessage(), "单据保存失败");
  EXPECT_EQ(query("select count(*) from t"), "0");
}

// 2. RAISERROR outside TRY ---------------------------------------------------------

TEST_F(Conformance, RaiserrorOutsideTryReportsAndTheBatchGoesOn) {
  ok("create table t(a int)");
  auto r = run("raiserror('first', 16, 1)\ninsert into t values(5)\nselect a from t");
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].message, "first");
  EXPECT_EQ(r.errors[0].number, 50000);
  ASSERT_EQ(r.resultSets.size(), 1u);
  EXPECT_EQ(rows(r.resultSets[0]), "5");
  r = run("raiserror('note', 10, 1)\nselect 1 as a");  // a low severity is only a message
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.resultSets.size(), 1u);
}

TEST_F(Conformance, ConversionErrorOutsideTryEndsTheBatchOtherErrorsOnlyTheStatement) {
  auto r = run("select 'abc' + 1 as x\nselect 2 as y");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errorMessage(),
            "Conversion failed when converting the varchar value 'abc' to data type int.");
  EXPECT_TRUE(r.resultSets.empty());
  r = run("select 1 / 0 as x\nselect 2 as y");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errorMessage(), "Divide by zero error encountered.");
  EXPECT_EQ(r.errors[0].number, 8134);
  ASSERT_FALSE(r.resultSets.empty());
  EXPECT_EQ(rows(r.resultSets.back()), "2");
  r = run("declare @a int\nset @a = 0\nselect 10 / @a");  // a zero held in a variable
  EXPECT_EQ(r.errorMessage(), "Divide by zero error encountered.");
}

// 3. UPDATE ... FROM --------------------------------------------------------------

// A LEFT join updates unmatched target rows with NULLs, the target may be named by its
// alias, a RIGHT join touches only matched target rows, WHERE may test the other table.
TEST_F(Conformance, UpdateFromJoins) {
  const std::pair<const char*, const char*> cases[] = {
      {"update t set v = s.w from t left join s on t.id = s.id", "1|10;2|NULL;3|NULL"},
      {"update a set v = isnull(b.w, -1) from t a left join s b on a.id = b.id", "1|10;2|-1;3|-1"},
      {"update t set v = isnull(v, 0) + t2.w from t t1 right join (select * from s) t2 on t1.id = t2.id",
       "1|11;2|2;3|3"},
      {"update t set v = 0 from t inner join s on s.id = t.id where s.w > 5", "1|0;2|2;3|3"}};
  for (const auto& [update, expected] : cases) {
    ok("drop table if exists t\ndrop table if exists s\ncreate table t(id int, v int)\ncreate table s(id int, w int)\n"
       "insert into t values(1, 1)\ninsert into t values(2, 2)\ninsert into t values(3, 3)\n"
       "insert into s values(1, 10)\ninsert into s values(9, 90)");
    ok(update);
    EXPECT_EQ(query("select id, v from t order by id"), expected) << update;
  }
}

// 4. Collation --------------------------------------------------------------------

TEST_F(Conformance, TextComparesCaseBlindAndTrailingSpaceBlind) {
  ok("create table n(name varchar(20))\n"
     "insert into n values('Apple')\ninsert into n values('apple ')\ninsert into n values('Pear')");
  EXPECT_EQ(query("select count(*) from n where name = 'APPLE'"), "2");
  EXPECT_EQ(query("declare @s varchar(10)\nset @s = 'apple  '\n"
                  "select count(*) from n where name = @s"), "2");
  EXPECT_EQ(query("select count(*) from n where name = :p", {{"p", core::Value("PEAR")}}), "1");
  EXPECT_EQ(query("select count(*) from (select name from n group by name) g"), "2");
  EXPECT_EQ(query("select count(distinct name) from n"), "2");
  EXPECT_EQ(query("select count(*) from n where name like 'a%'"), "2");
  EXPECT_EQ(query("select case when 'abc' = 'ABC  ' then 1 else 0 end"), "1");
}

// The embedded file stores varchar text without trailing blanks (SQL Server's
// ANSI_PADDING off), whichever way it arrives, so its columns' own collation orders
// keys as the engine compares them; char(n) keeps its padding and still equals the
// same text in a varchar column or a char column of another length. Case folds as
// the columns' collation does there: ASCII only where text meets a column.
TEST_F(Conformance, EmbeddedFileStoresVarcharWithoutTrailingBlanks) {
  ok("create table v(id int identity primary key, a varchar(10), m varchar(max), c char(4), "
     "d char(6))\n"
     "declare @s varchar(10) = 'ab  '\n"
     "insert into v(a, m, c, d) values('ab   ', 'ab ', 'ab', 'ab')\n"
     "insert into v(a, m, c, d) values(@s, @s + ' ', 'x', 'ab')\n"
     "insert into v(a, m, c, d) select upper(a) + '  ', rtrim(m) + ' ', c, d from v where id = 1\n"
     "update v set a = :p where id = 2",
     {{"p", core::Value("cd  ")}});
  EXPECT_EQ(query("select id, datalength(a), datalength(m), '|' + a + m + '|', '|' + c + '|' "
                  "from v order by id"),
            "1|2|2||abab|||ab  |;2|2|2||cdab|||x   |;3|2|2||ABab|||ab  |");
  EXPECT_EQ(query("select count(*) from v where a = 'AB ' and m = 'ab' and c = 'ab     '"), "2");
  EXPECT_EQ(query("select count(*) from v where a in ('zz', 'AB  ') and c in ('x', 'ab ')"), "2");
  EXPECT_EQ(query("select count(*) from v where a like 'ab_'"), "0");  // no blank left to match
  EXPECT_EQ(query("select count(*) from v x join v y on x.c = y.a and y.d = x.c"), "4");
  EXPECT_EQ(query("select count(*) from (select a from v group by a) g"), "2");
  EXPECT_EQ(query("select count(*) from (select a from v intersect select 'AB  ') u"), "1");
  ok("insert into v(a) values(N'Émile')");
  EXPECT_EQ(query("select count(*) from v where a = N'émile'"), "0");
  EXPECT_EQ(query("select count(*) from v where a = N'Émile' and N'É' = N'é'"), "1");
}

namespace {

// Steps of full table scans taken by the statements that read column `code`, counted as
// each statement ends.
int traceScans(unsigned, void* total, void* stmt, void*) {
  const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
  if (sql != nullptr && std::string_view(sql).find("code") != std::string_view::npos)
    *static_cast<int*>(total) +=
        sqlite3_stmt_status(static_cast<sqlite3_stmt*>(stmt), SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
  return 0;
}

}  // namespace

// Text met with an indexed key column, however it is written, compares under the
// column's own collation, so the lookup seeks in the index instead of reading the table.
TEST_F(Conformance, TextKeyLookupsUseTheColumnsIndex) {
  ok("create table k(id int identity primary key, code varchar(20), name varchar(20))\n"
     "create index ix_k_code on k(code)\n"
     "declare @i int = 0\n"
     "while @i < 200 begin insert into k(code, name) values('Ab' + cast(@i as varchar), 'n') "
     "set @i = @i + 1 end");
  int scans = 0;
  sqlite3_trace_v2(db_, SQLITE_TRACE_PROFILE, traceScans, &scans);
  const struct {
    const char* sql;
    const char* count;
  } lookups[] = {
      {"select count(*) from k where code = 'AB7  '", "1"},
      {"select count(*) from k where 'ab7' = code", "1"},
      {"declare @c varchar(20) = 'aB17 '\nselect count(*) from k where code = @c", "1"},
      {"select count(*) from k where code = :p", "1"},
      {"select count(*) from k where code between 'ab10' and 'AB11 '", "12"},
      {"select count(*) from k where code > 'ab98' and code <= upper('ab99')", "1"},
  };
  for (const auto& l : lookups) {
    scans = 0;
    EXPECT_EQ(query(l.sql, {{"p", core::Value("AB150")}}), l.count) << l.sql;
    EXPECT_EQ(scans, 0) << l.sql;
  }
  sqlite3_trace_v2(db_, 0, nullptr, nullptr);
}

// 5. Money ------------------------------------------------------------------------

TEST_F(Conformance, ThousandTenthsInAMoneyColumnSumToExactlyOneHundred) {
  ok("create table m(je money)\n"
     "declare @i int\nset @i = 0\n"
     "while @i < 1000\nbegin\n  insert into m values(0.1)\n  set @i = @i + 1\nend");
  EXPECT_EQ(query("select sum(je) from m"), "100");
  EXPECT_EQ(query("select case when sum(je) = 100 then 1 else 0 end from m"), "1");
  EXPECT_EQ(query("declare @t money\nselect @t = sum(je) from m\n"
                  "select case when @t = 100.0 then 'exact' else 'drift' end"), "exact");
}

TEST_F(Conformance, MoneyRoundsToFourDecimalsWhenStoredOrAssigned) {
  ok("create table m(je money)\ninsert into m values(1.23456)");
  EXPECT_EQ(query("select je from m"), "1.2346");
  EXPECT_EQ(query("declare @m money\nset @m = 2.71828\nselect @m"), "2.7183");
  EXPECT_EQ(query("declare @m money\nset @m = 10\nselect @m / 3"), "3.3333");
}

// 6. OUTPUT parameters --------------------------------------------------------------

TEST_F(Conformance, OutputParameterCopiedBackOnlyWhenTheCallSaysOutput) {
  ok("create procedure p_double @a int, @b int output, @c int = 7\nas\n"
     "begin\n  set @b = @a * 2 + @c - 7\nend");
  EXPECT_EQ(query("declare @x int\nset @x = 1\nexec p_double 5, @x output\nselect @x"), "10");
  EXPECT_EQ(query("declare @x int\nset @x = 1\nexec p_double 5, @x\nselect @x"), "1");
  EXPECT_EQ(query("declare @x int\nexec p_double @b = @x output, @a = 7\nselect @x"), "14");
  EXPECT_EQ(query("declare @x int\nexec dbo.p_double 1, @x output, 10\nselect @x"), "5");
}

// 7. Variables and typing ----------------------------------------------------------

TEST_F(Conformance, SelectAssignmentAndPlusTyping) {
  ok("create table g(k int, name varchar(10))\n"
     "insert into g values(1, 'a')\ninsert into g values(2, 'b')\ninsert into g values(2, 'c')");
  EXPECT_EQ(query("declare @s varchar(max)\nset @s = ''\n"
                  "select @s = @s + max(name) + ',' from g group by k\nselect @s"), "a,c,");
  EXPECT_EQ(query("declare @v int\nset @v = 5\nselect @v = k from g where k > 9\nselect @v"), "5");
  EXPECT_EQ(query("select '1' + 1, 7 / 2, 'a' + null"), "2|3|NULL");
  EXPECT_EQ(query("declare @n varchar(10)\nset @n = null\nselect isnull(@n + 'x', 'none')"),
            "none");
}

TEST_F(Conformance, TextTypesWithoutLengthAndUnnamedColumns) {
  // A declared varchar without a length holds one character; CAST without one, 30.
  EXPECT_EQ(query("declare @x varchar\nset @x = 'abc'\nselect @x"), "a");
  EXPECT_EQ(query("select cast('abcdefghijabcdefghijabcdefghijXYZ' as varchar)"),
            "abcdefghijabcdefghijabcdefghij");
  EXPECT_EQ(query("select convert(varchar, cast('2024-01-05 08:30:00' as datetime), 120)"),
            "2024-01-05 08:30:00");
  // An expression without an alias has no column name (not its generated SQL).
  auto r = run("declare @x varchar(5)\nset @x = 'a'\nselect @x, 1 + 1, @x as named");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  ASSERT_EQ(r.resultSets.at(0).columns.size(), 3u);
  EXPECT_EQ(r.resultSets[0].columns[0].name, "");
  EXPECT_EQ(r.resultSets[0].columns[1].name, "");
  EXPECT_EQ(r.resultSets[0].columns[2].name, "named");
}

TEST_F(Conformance, DatediffAndSmalldatetime) {
  EXPECT_EQ(query("select datediff(day, '2024-01-01 23:59', '2024-01-02 00:01')"), "1");
  EXPECT_EQ(query("declare @d smalldatetime\nset @d = '2024-01-01 10:00:31'\nselect @d"),
            "2024-01-01 10:01:00");
  EXPECT_EQ(query("select dateadd(month, 1, cast('2024-01-31' as datetime))"),
            "2024-02-29 00:00:00");
}

}  // namespace
