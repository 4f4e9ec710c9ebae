// Batches of one shape reuse one parsed tree and its translations with other literal
// values. Every run must still see its own values, types and lines, and a change of
// schema, variable types, parameter types, frames or table variables must not reuse
// what was made for something else.
#include "conformance/engine_fixture.h"
#include "tsql/exec/batch_shape.h"
#include "tsql/exec/plan_cache.h"

namespace {

using PlanCache = conformance::EngineFixture;

TEST_F(PlanCache, ShapesKeepTheirOwnValues) {
  ok("create table t(s varchar(10), m money, n int)");
  auto save = [&](const std::string& s, const char* m, const char* n) {
    return query("insert into t values(" + s + ", " + m + ", " + n + ")\r\nselect s, m, n from t order by n");
  };
  EXPECT_EQ(save("'a'", "1.25", "1"), "a|1.25|1");
  EXPECT_EQ(save("'b''c'", "2.50", "2"), "a|1.25|1;b'c|2.5|2");  // same shape
  EXPECT_EQ(save("N'中'", "3.75", "3"), "a|1.25|1;b'c|2.5|2;中|3.75|3");  // N'' is its own
  EXPECT_EQ(query("select datalength('ab')"), "2");
  EXPECT_EQ(query("select datalength(N'ab')"), "4");  // two bytes a character
  ok("delete from t");
  EXPECT_EQ(save("'d'", "12345.6789", "4"), "d|12345.6789|4");  // other digits
  // text bound where it lies still fits its column: a longer one is refused, char(n) padded
  ok("create table c(v varchar(3), f char(4))");
  EXPECT_EQ(run("insert into c values('abcdef', 'g')").errors.at(0).number, 8152);
  EXPECT_EQ(query("declare @s varchar(10) = 'uvw'\ninsert into c values('abc', 'g')\n"
                  "insert into c values(@s, @s)\nselect v + '|' + f + '|' from c"),
            "abc|g   |;uvw|uvw |");
}

// One save batch repeating an INSERT shape: each statement stores its own values,
// converted to its column's type; a NULL, a variable or a parameter takes the place.
TEST_F(PlanCache, RepeatedInsertShapesStoreEachStatementsOwnValues) {
  ok("create table t(id int identity(1,1) primary key, s varchar(10), m money, f float, n int)");
  ok("declare @s varchar(10)\r\nset @s = 'var'\r\n"
     "insert into t(s, m, f, n) values('a', 1.23456, 2, '7')\r\n"
     "insert into t(s, m, f, n) values('b''c', '2.5', 3.5, 8)\r\n"
     "insert into t(s, m, f, n) values(NULL, 4, NULL, 9)\r\n"
     "insert into t(s, m, f, n) values(@s, :m, 1, 10)\r\n"
     "insert into t(s, m, f, n) values(@s, :m, 1, 11)",
     {{"m", core::Value(core::Currency::fromRaw(99999))}});
  auto r = ok("select s, m, f, n from t order by id");
  ASSERT_EQ(r.resultSets.size(), 1u);
  EXPECT_EQ(rows(r.resultSets[0]), "a|1.2346|2|7;b'c|2.5|3.5|8;NULL|4|NULL|9;var|9.9999|1|10;var|9.9999|1|11");
  const auto& first = r.resultSets[0].rows.at(0);
  EXPECT_EQ(first[1], core::Value(core::Currency::fromRaw(12346)));  // money rounds on store
  EXPECT_EQ(first[3], core::Value(std::int64_t{7}));                 // text to int
}

// A kept batch's VALUES rows take their literals from each run's own text: quotes
// undone, text fitted to its column, and after the table changed, translated again
// with that run's values.
TEST_F(PlanCache, KeptInsertRowsBindEachRunsOwnText) {
  ok("create table t(k int, s varchar(4), c char(3), m money)");
  auto save = [&](int k, const char* s, const char* c, const char* m) {
    auto row = [&](int n) {
      return "insert into t values(" + std::to_string(n) + ", " + s + ", " + c + ", " + m + ")\r\n";
    };
    return run(row(k) + row(k + 1));
  };
  EXPECT_TRUE(save(1, "'ab'", "'x'", "1.25").ok());
  EXPECT_TRUE(save(3, "'c''d'", "'yz'", "2.50").ok());
  tsql::BatchResult tooLong = save(5, "'abcde'", "'q'", "3.75");
  ASSERT_FALSE(tooLong.ok());
  EXPECT_EQ(tooLong.errors[0].number, 8152);
  EXPECT_TRUE(save(7, "'''x'''", "''''", "4.50").ok());  // quotes at a string's ends
  EXPECT_EQ(query("select k, s, c + '|', m from t order by k"),
            "1|ab|x  ||1.25;2|ab|x  ||1.25;3|c'd|yz ||2.5;4|c'd|yz ||2.5;7|'x'|'  ||4.5;8|'x'|'  ||4.5");
  ok("drop table t\ncreate table t(k int, s int, c varchar(3), m float)");
  EXPECT_TRUE(save(7, "'12'", "'w'", "4.00").ok());
  EXPECT_EQ(query("select k, s + 1, c + '|', m from t order by k"), "7|13|w||4;8|13|w||4");
}

// A kept tree runs its statements in the order it ran them before, which the memo
// tries first; a loop takes them out of that order and each keeps its own translation.
TEST_F(PlanCache, StatementsRunOutOfOrderKeepTheirOwnTranslations) {
  ok("create table a(v int)\ncreate table b(v varchar(5))");
  auto loop = [&](int times, const char* text) {
    return query("declare @i int = 0\r\nwhile @i < " + std::to_string(times) + "\r\nbegin\r\n" +
                 " insert into a values(@i)\r\n if @i % 2 = 0 insert into b values('" + text + "')\r\n" +
                 " set @i = @i + 1\r\nend\r\nselect count(*), sum(v) from a");
  };
  EXPECT_EQ(loop(3, "x"), "3|3");
  EXPECT_EQ(loop(4, "yy"), "7|9");
  EXPECT_EQ(query("select v, count(*) from b group by v order by v"), "x|2;yy|2");
}

TEST_F(PlanCache, LiteralsThatShapeTheTreeAreNotValues) {
  // a type's length, a quoted alias and an ORDER BY ordinal read as text, not values
  EXPECT_EQ(query("declare @x varchar(3) = 'abcdef'\nselect @x"), "abc");
  EXPECT_EQ(query("declare @x varchar(5) = 'abcdef'\nselect @x"), "abcde");
  EXPECT_EQ(run("select 1 as 'first'").resultSets.at(0).columns.at(0).name, "first");
  EXPECT_EQ(run("select 1 as 'other'").resultSets.at(0).columns.at(0).name, "other");
  ok("create table o(a int, b int)\ninsert into o values(1, 2)\ninsert into o values(2, 1)");
  EXPECT_EQ(query("select a, b from o order by 1"), "1|2;2|1");
  EXPECT_EQ(query("select a, b from o order by 2"), "2|1;1|2");
  EXPECT_EQ(query("select a, b from o order by (1)"), "1|2;2|1");
  EXPECT_EQ(query("select a, b from o order by (2)"), "2|1;1|2");
  // decimals of one digit layout share a tree; each keeps its own value
  EXPECT_EQ(query("select 1.5 + 1, 10 / 4"), "2.5|2");
  EXPECT_EQ(query("select 2.5 + 1, 11 / 4"), "3.5|2");
  EXPECT_EQ(query("select 12.25 + 1, 12 / 4"), "13.25|3");
  // an integer of ten digits stays in the text: 1000000000 is int, 3000000000 bigint, and
  // a text added to it converts to that type
  EXPECT_EQ(query("select '3000000000' + 3000000000"), "6000000000");
  EXPECT_FALSE(run("select '3000000000' + 1000000000").ok());  // past int
  EXPECT_EQ(query("select '3000000000' + 3000000000"), "6000000000");
  // comments and quoted names may hold quotes and digits
  EXPECT_EQ(query("select 1 [it's 2] -- 'x' 3\n, 'y' /* '4' */"), "1|y");
  EXPECT_EQ(query("select 2 [it's 2] -- 'x' 3\n, 'z' /* '4' */"), "2|z");
}

// Each repetition reports its own error: its line, the row count, and whether it ends
// the statement (divide by zero) or the batch (a failed conversion).
TEST_F(PlanCache, ErrorsCarryTheirOwnLineAndRowCount) {
  ok("create table t(n int)");
  auto tried = [&](const char* value) {
    return query(std::string("begin try\n insert into t values(") + value + ")\n select @@rowcount, 'ok'\nend try\n"
                 "begin catch\n select error_line(), error_message()\nend catch");
  };
  EXPECT_EQ(tried("'1'"), "1|ok");
  const std::string failed = tried("'x'");
  EXPECT_EQ(failed.substr(0, 2), "2|");  // the conversion error, on line 2
  EXPECT_EQ(failed.find(';'), std::string::npos);
  tsql::BatchResult r = run("\n\ninsert into t values('y')");  // other lines: another shape
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].line, 3);
  r = run("insert into t(n) values(1)\r\ninsert into t(n) values(1 / 0)\r\n"
          "insert into t(n) values(3)\r\ninsert into t(n) values('x')\r\ninsert into t(n) values(5)");
  ASSERT_EQ(r.errors.size(), 2u);
  EXPECT_EQ(r.errors[0].number, 8134);  // ends its statement only
  EXPECT_EQ(r.errors[1].number, 245);   // a failed conversion ends the batch
  EXPECT_EQ(query("select n from t order by n"), "1;1;3");
}

TEST_F(PlanCache, KeptTranslationsFollowTheSchemaTypesFramesAndTables) {
  ok("create table t(a int, b varchar(5))");
  const std::string use = "insert into t values(1, '12')\nselect a + b from t";
  EXPECT_EQ(query(use), "13");
  ok("drop table t\ncreate table t(a varchar(5), b int)");
  EXPECT_EQ(query(use), "13");  // now '1' + 12: the same text, other types
  ok("drop table t\ncreate table t(a varchar(5), b varchar(5))");
  EXPECT_EQ(query(use), "112");
  // the table remade inside one batch
  EXPECT_EQ(query("insert into t values(1, '12')\r\ndrop table t\r\ncreate table t(a int, b varchar(5))\r\n"
                  "insert into t values(1, '12')\r\nselect a + b from t"),
            "13");
  // a caller parameter bound with another type
  EXPECT_EQ(query("select :p + :q", {{"p", core::Value(std::int64_t{2})}, {"q", core::Value(std::int64_t{1})}}), "3");
  EXPECT_EQ(query("select :p + :q", {{"p", core::Value("2")}, {"q", core::Value("1")}}), "21");
  // a procedure's variable of the same name as the caller's is its own
  ok("create table u(v varchar(10))");
  ok("create procedure p1 as\nbegin\n declare @v varchar(10)\n set @v = 'inner'\n insert into u(v) values(@v)\nend");
  EXPECT_EQ(query("declare @v varchar(10)\r\nset @v = 'outer'\r\ninsert into u(v) values(@v)\r\n"
                  "exec p1\r\ninsert into u(v) values(@v)\r\nselect v from u"),
            "outer;inner;outer");
  // one procedure called at two depths uses the table variable of each call
  ok("create procedure inner1 @n int as\nbegin\n declare @t table(v int)\n"
     " insert into @t values(@n)\n insert into @t values(@n)\n select count(*), sum(v) from @t\nend");
  ok("create procedure outer1 as\nbegin\n declare @t table(v int)\n insert into @t values(7)\n"
     " exec inner1 5\n select count(*), sum(v) from @t\nend");
  EXPECT_EQ(query("exec inner1 3"), "2|6");
  tsql::BatchResult r = ok("exec outer1");
  ASSERT_EQ(r.resultSets.size(), 2u);
  EXPECT_EQ(rows(r.resultSets[0]) + " " + rows(r.resultSets[1]), "2|10 1|7");
  // a variable the batch no longer declares is an error, not a kept translation
  ok("declare @z int = 1\nif 1 = 1 select @z");
  EXPECT_FALSE(run("if 1 = 0 declare @z int\nif 1 = 1 select @z").ok());
}

TEST(PlanCacheAlone, KeepsShapesNotSchemaOrUnscannableText) {
  tsql::exec::PlanCache plans(2);
  for (const char* text : {"select 1", "select 2", "select 'x' + N'y'"}) plans.plan(text);
  EXPECT_EQ(plans.hits(), 1u);
  for (const char* text : {"create table t(a int)", "create table t(a int)", "select 1 -- \x01", "select 1 -- \x01"})
    plans.plan(text);
  EXPECT_EQ(plans.hits(), 1u);
  EXPECT_EQ(plans.size(), 2u);
  plans.plan("select 3 where 1 = 0");  // a third shape: the least recent one goes
  plans.plan("select 4");
  EXPECT_EQ(plans.hits(), 1u);
  EXPECT_EQ(plans.size(), 2u);
  auto plan = plans.plan("select 'a''b'");
  EXPECT_EQ(plans.hits(), 1u);
  ASSERT_EQ(plan->values.size(), 1u);
  EXPECT_EQ(plan->values[0].second->text, "a'b");
}

TEST(PlanCacheAlone, ShapeScanLiftsWhatTheLexerCallsLiterals) {
  tsql::exec::BatchShape a, b;
  ASSERT_TRUE(a.scan("select x1, 12, 1.5, N'a', n'b', 'c''d', 3e5, 1234567890 from t2"));
  ASSERT_EQ(a.literals().size(), 5u);  // exponent and long integer stay in the key
  ASSERT_TRUE(b.scan("select x1, 99, 7.2, N'z', n'', '', 3e5, 1234567890 from t2"));
  EXPECT_EQ(a.key(), b.key());
  // another scale, another exponent, an integer of other digits (decimal arithmetic counts them)
  for (const char* other : {"select x1, 99, 7.25, N'z', n'', '', 3e5, 1234567890 from t2",
                            "select x1, 99, 7.2, N'z', n'', '', 3e6, 1234567890 from t2",
                            "select x1, 9, 7.2, N'z', n'', '', 3e5, 1234567890 from t2"}) {
    ASSERT_TRUE(b.scan(other));
    EXPECT_NE(a.key(), b.key()) << other;
  }
  ASSERT_TRUE(a.scan("select 0.5, 012"));
  ASSERT_TRUE(b.scan("select 1.5, 12"));
  EXPECT_NE(a.key(), b.key());  // 0.5 is decimal(1,1), 1.5 decimal(2,1)
  ASSERT_TRUE(b.scan("select 0.7, 099"));
  EXPECT_EQ(a.key(), b.key());
  EXPECT_FALSE(b.scan("select 'unclosed"));
  // digits after a name's letters or digits are the name's; after a number, a point and
  // digits start the next number, as the lexer reads "1.2.3" as 1.2 and .3
  ASSERT_TRUE(a.scan("select t12.c3, 1.2.3, x.5"));
  ASSERT_EQ(a.literals().size(), 3u);
  EXPECT_EQ(a.literals()[1].in("select t12.c3, 1.2.3, x.5"), ".3");
  EXPECT_EQ(a.literals()[2].in("select t12.c3, 1.2.3, x.5"), "5");
  ASSERT_TRUE(b.scan("select t12.c3, 4.7.9, x.8"));
  EXPECT_EQ(a.key(), b.key());
}

// A batch whose shape runs past the first kilobyte a kept shape is picked by, then `tail`.
std::string pastFirstKilobyte(const std::string& tail, int value) {
  std::string text;
  for (int i = 0; text.size() < 1500; ++i)
    text += "select 'v" + std::to_string(value) + "' as c" + std::to_string(i) + "\n";
  return text + tail;
}

// What a plan holds of its text: its statements and its literal nodes' values.
std::string rendered(const tsql::exec::BatchPlan& plan) {
  std::string out = std::to_string(plan.batch.statements.size());
  for (const auto& [k, node] : plan.values) out += "," + node->text;
  for (const auto& [k, fixed] : plan.fixedTexts) out += ";" + fixed;
  return out;
}

// Shapes alike in their first kilobyte and unlike after it (another name, one shape
// ending where the other goes on, a type's length) each keep and reuse their own tree.
TEST(PlanCacheAlone, ShapesOfOneFirstKilobyteKeepTheirOwnTrees) {
  const std::vector<std::string> tails = {"select 1 as tail", "select 1 as other", "",
                                          "select 1 as tail\nselect 2", "select cast(3 as varchar(10))",
                                          "select cast(3 as varchar(20))"};
  tsql::exec::PlanCache plans(8);
  for (int round = 0; round < 3; ++round) {
    for (const auto& tail : tails) {
      std::string text = pastFirstKilobyte(tail, round);
      tsql::exec::PlanCache fresh(1);
      EXPECT_EQ(rendered(*plans.plan(text)), rendered(*fresh.plan(text))) << round << ": " << tail;
    }
  }
  // the two lengths of varchar share a shape and replace each other; the rest are reused
  EXPECT_EQ(plans.hits(), 8u);
  EXPECT_EQ(plans.size(), 5u);
}

}  // namespace
