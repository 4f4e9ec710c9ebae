// Batches of one shape reuse one parsed tree and its translations with other literal
// values. Every run must still see its own values, types and lines, and a change of
// schema, variable types, parameter types or table variables must not reuse what was
// made for something else.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tsql/engine.h"
#include "tsql/exec/batch_shape.h"
#include "tsql/exec/plan_cache.h"

namespace {

struct Db {
  sqlite3* db = nullptr;
  Db() { sqlite3_open(":memory:", &db); }
  ~Db() { sqlite3_close(db); }
};

// The first result set as "a|b" lines.
std::vector<std::string> lines(tsql::Engine& e, const std::string& batch, const tsql::Params& params = {}) {
  tsql::BatchResult r = e.run(batch, params);
  EXPECT_TRUE(r.ok()) << batch << ": " << r.errorMessage();
  std::vector<std::string> out;
  if (r.resultSets.empty()) return out;
  for (const auto& row : r.resultSets[0].rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + (row[i].isNull() ? "NULL" : row[i].asText());
    out.push_back(line);
  }
  return out;
}

using Lines = std::vector<std::string>;

TEST(PlanCache, ShapesKeepTheirOwnValues) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(s varchar(10), m money, n int)").ok());
  const char* save = "insert into t values(%s, %s, %s)\r\nselect s, m, n from t order by n";
  auto batch = [&](const char* s, const char* m, const char* n) {
    char buf[200];
    std::snprintf(buf, sizeof buf, save, s, m, n);
    return std::string(buf);
  };
  EXPECT_EQ(lines(e, batch("'a'", "1.25", "1")), Lines({"a|1.25|1"}));
  EXPECT_EQ(lines(e, batch("'b''c'", "2.50", "2")), Lines({"a|1.25|1", "b'c|2.5|2"}));     // same shape
  EXPECT_EQ(lines(e, batch("N'中'", "3.75", "3")).back(), "中|3.75|3");                   // N'' is its own
  EXPECT_EQ(lines(e, batch("'d'", "12345.6789", "4")).back(), "d|12345.6789|4");         // other digits
  // text bound where it lies still fits its column: a longer one is cut, char(n) padded
  ASSERT_TRUE(e.run("create table c(v varchar(3), f char(4))").ok());
  EXPECT_EQ(lines(e, "declare @s varchar(10) = 'uvwxyz'\ninsert into c values('abcdef', 'g')\n"
                     "insert into c values(@s, @s)\nselect v + '|' + f + '|' from c"),
            Lines({"abc|g   |", "uvw|uvwx|"}));
}

TEST(PlanCache, LiteralsThatShapeTheTreeAreNotValues) {
  Db d;
  tsql::Engine e(d.db);
  // a type's length, a quoted alias and an ORDER BY ordinal read as text, not values
  EXPECT_EQ(lines(e, "declare @x varchar(3) = 'abcdef'\nselect @x"), Lines({"abc"}));
  EXPECT_EQ(lines(e, "declare @x varchar(5) = 'abcdef'\nselect @x"), Lines({"abcde"}));
  EXPECT_EQ(e.run("select 1 as 'first'").resultSets.at(0).columns.at(0).name, "first");
  EXPECT_EQ(e.run("select 1 as 'other'").resultSets.at(0).columns.at(0).name, "other");
  ASSERT_TRUE(e.run("create table o(a int, b int)\ninsert into o values(1, 2)\ninsert into o values(2, 1)").ok());
  EXPECT_EQ(lines(e, "select a, b from o order by 1"), Lines({"1|2", "2|1"}));
  EXPECT_EQ(lines(e, "select a, b from o order by 2"), Lines({"2|1", "1|2"}));
  EXPECT_EQ(lines(e, "select a, b from o order by (1)"), lines(e, "select a, b from o order by 1"));
  EXPECT_EQ(lines(e, "select a, b from o order by (2)"), lines(e, "select a, b from o order by 2"));
  // decimals of one digit layout share a tree; each keeps its own value
  EXPECT_EQ(lines(e, "select 1.5 + 1, 10 / 4"), Lines({"2.5|2"}));
  EXPECT_EQ(lines(e, "select 2.5 + 1, 11 / 4"), Lines({"3.5|2"}));
  EXPECT_EQ(lines(e, "select 12.25 + 1, 12 / 4"), Lines({"13.25|3"}));
  // comments and quoted names may hold quotes and digits
  EXPECT_EQ(lines(e, "select 1 [it's 2] -- 'x' 3\n, 'y' /* '4' */"), Lines({"1|y"}));
  EXPECT_EQ(lines(e, "select 2 [it's 2] -- 'x' 3\n, 'z' /* '4' */"), Lines({"2|z"}));
}

TEST(PlanCache, ErrorsCarryTheirOwnLineAndRowCount) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(n int)").ok());
  const char* tried =
      "begin try\n insert into t values(%s)\n select @@rowcount, 'ok'\nend try\n"
      "begin catch\n select error_line(), error_message()\nend catch";
  char buf[300];
  std::snprintf(buf, sizeof buf, tried, "'1'");
  EXPECT_EQ(lines(e, buf), Lines({"1|ok"}));
  std::snprintf(buf, sizeof buf, tried, "'x'");
  Lines failed = lines(e, buf);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].substr(0, 2), "2|");  // the conversion error, on line 2
  tsql::BatchResult r = e.run("\n\ninsert into t values('y')");  // other lines: another shape
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].line, 3);
}

TEST(PlanCache, KeptTranslationsFollowTheSchemaTypesAndTables) {
  Db d;
  tsql::Engine e(d.db);
  ASSERT_TRUE(e.run("create table t(a int, b varchar(5))").ok());
  const std::string use = "insert into t values(1, '12')\nselect a + b from t";
  EXPECT_EQ(lines(e, use), Lines({"13"}));
  ASSERT_TRUE(e.run("drop table t\ncreate table t(a varchar(5), b int)").ok());
  EXPECT_EQ(lines(e, use), Lines({"13"}));  // now '1' + 12: the same text, other types
  ASSERT_TRUE(e.run("drop table t\ncreate table t(a varchar(5), b varchar(5))").ok());
  EXPECT_EQ(lines(e, use), Lines({"112"}));
  // a caller parameter bound with another type
  EXPECT_EQ(lines(e, "select :p + :q", {{"p", core::Value(std::int64_t{2})}, {"q", core::Value(std::int64_t{1})}}),
            Lines({"3"}));
  EXPECT_EQ(lines(e, "select :p + :q", {{"p", core::Value("2")}, {"q", core::Value("1")}}), Lines({"21"}));
  // one procedure called at two depths uses the table variable of each call
  ASSERT_TRUE(e.run("create procedure inner1 @n int as\nbegin\n declare @t table(v int)\n"
                    " insert into @t values(@n)\n insert into @t values(@n)\n select count(*), sum(v) from @t\nend")
                  .ok());
  ASSERT_TRUE(e.run("create procedure outer1 as\nbegin\n declare @t table(v int)\n insert into @t values(7)\n"
                    " exec inner1 5\n select count(*), sum(v) from @t\nend")
                  .ok());
  EXPECT_EQ(lines(e, "exec inner1 3"), Lines({"2|6"}));
  tsql::BatchResult r = e.run("exec outer1");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  ASSERT_EQ(r.resultSets.size(), 2u);
  EXPECT_EQ(r.resultSets[0].rows[0][1], core::Value(std::int64_t{10}));
  EXPECT_EQ(r.resultSets[1].rows[0][1], core::Value(std::int64_t{7}));
  // a variable the batch no longer declares is an error, not a kept translation
  EXPECT_TRUE(e.run("declare @z int = 1\nif 1 = 1 select @z").ok());
  EXPECT_FALSE(e.run("if 1 = 0 declare @z int\nif 1 = 1 select @z").ok());
}

TEST(PlanCache, KeepsShapesNotSchemaOrUnscannableText) {
  tsql::exec::PlanCache plans(2);
  plans.plan("select 1");
  plans.plan("select 2");
  plans.plan("select 'x' + N'y'");
  EXPECT_EQ(plans.hits(), 1u);
  plans.plan("create table t(a int)");
  plans.plan("create table t(a int)");
  plans.plan(std::string("select 1 -- \x01"));
  plans.plan(std::string("select 1 -- \x01"));
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

TEST(PlanCache, ShapeScanLiftsWhatTheLexerCallsLiterals) {
  tsql::exec::BatchShape a, b;
  ASSERT_TRUE(a.scan("select x1, 12, 1.5, N'a', n'b', 'c''d', 3e5, 1234567890 from t2"));
  ASSERT_EQ(a.literals().size(), 5u);  // exponent and long integer stay in the key
  ASSERT_TRUE(b.scan("select x1, 99, 7.2, N'z', n'', '', 3e5, 1234567890 from t2"));
  EXPECT_EQ(a.key(), b.key());
  ASSERT_TRUE(b.scan("select x1, 99, 7.25, N'z', n'', '', 3e5, 1234567890 from t2"));
  EXPECT_NE(a.key(), b.key());  // another scale
  ASSERT_TRUE(b.scan("select x1, 99, 7.2, N'z', n'', '', 3e6, 1234567890 from t2"));
  EXPECT_NE(a.key(), b.key());
  ASSERT_TRUE(b.scan("select x1, 9, 7.2, N'z', n'', '', 3e5, 1234567890 from t2"));
  EXPECT_NE(a.key(), b.key());  // an integer of other digits: decimal arithmetic counts them
  ASSERT_TRUE(a.scan("select 0.5, 012"));
  ASSERT_TRUE(b.scan("select 1.5, 12"));
  EXPECT_NE(a.key(), b.key());  // 0.5 is decimal(1,1), 1.5 decimal(2,1)
  ASSERT_TRUE(b.scan("select 0.7, 099"));
  EXPECT_EQ(a.key(), b.key());
  EXPECT_FALSE(b.scan("select 'unclosed"));
}

}  // namespace
