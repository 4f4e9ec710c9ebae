// APPLY on the file, which has no LATERAL: a query that reads the left side in a way the
// translator cannot turn into a join is refused with the server's "invalid column"
// (207) rather than answered with rows the server would not give. The shapes it does
// turn into joins are checked against the server's LATERAL in scripts/apply.test.
#include <string>

#include "conformance/engine_fixture.h"

namespace {

using Engine = conformance::EngineFixture;

TEST_F(Engine, ApplyShapesThatNoJoinReadsAreRefusedNotAnswered) {
  ok("create table cust(id int, name varchar(5), lim int)\n"
     "create table ord(id int, cust int, amt int, day int)\n"
     "insert into cust values (1, 'ann', 2), (2, 'bob', 1)\n"
     "insert into ord values (1, 1, 10, 1), (2, 1, 25, 2), (3, 2, 5, 3)");
  const char* refused[] = {
      // TOP n and GROUP BY number and group per value of an equality's inner side only
      "select * from cust c cross apply (select top 2 id from ord o where o.amt > c.lim order by id) x",
      "select * from cust c cross apply (select day, count(*) n from ord o where o.cust <> c.id group by day) x",
      // the left side read inside a subquery of the WHERE or the select list, in HAVING,
      // in an aggregate, or with the applied rows where they are grouped, made distinct
      // or ordered for TOP
      "select * from cust c outer apply (select id from ord o where exists (select 1 from ord p where p.id = c.id)) x",
      "select * from cust c cross apply (select (select max(p.id) from ord p where p.day = c.id) m from ord o where o.cust = c.id) x",
      "select * from cust c cross apply (select day from ord o where o.cust = c.id group by day having count(*) > c.lim) x",
      "select * from cust c cross apply (select day, sum(o.amt * c.lim) t from ord o where o.cust = c.id group by day) x",
      "select * from cust c cross apply (select distinct o.day + c.lim d from ord o where o.cust = c.id) x",
      "select * from cust c cross apply (select top 2 id from ord o where o.cust = c.id order by o.day * c.lim) x",
      // a window over the applied rows numbers them per left row, which only the keys of
      // equalities tell apart
      "select * from cust c cross apply (select id, row_number() over (order by id) rn from ord o where o.amt > c.lim) x",
      // VALUES rows mixing text and numbers in a column
      "select * from cust c cross apply (values (c.id), ('x')) v(a)",
      // DISTINCT per left row keyed by an expression
      "select * from cust c cross apply (select distinct day from ord o where o.cust + 0 = c.id) x",
  };
  for (const char* sql : refused) {
    tsql::BatchResult r = run(sql);
    ASSERT_EQ(r.errors.size(), 1u) << sql;
    EXPECT_EQ(r.errors[0].number, 207) << sql;
  }
}

}  // namespace
