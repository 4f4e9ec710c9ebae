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
      // a derived table of the applied query's FROM that reads the left side under an
      // outer join
      "select * from cust c cross apply (select o.id from ord o left join (select id from ord p where p.cust = c.id) x on x.id = o.id) y",
      // a compound query paged per left row, and an arm counting without GROUP BY
      "select * from cust c cross apply (select id from ord o where o.cust = c.id union all select 0 order by id offset 1 rows) x",
      "select * from cust c cross apply (select id from ord o where o.cust = c.id union all select count(*) from ord o where o.cust = c.id) x",
      // an ON of a RIGHT join that reads the left side
      "select * from cust c cross apply (select top 2 o.id from ord o right join cust d on d.id = o.cust and o.day > c.id order by o.id) x",
      // paging rows made distinct, which numbering before DISTINCT would page wrongly
      "select * from cust c cross apply (select distinct amt from ord o where o.cust = c.id order by amt offset 1 rows) x",
  };
  for (const char* sql : refused) {
    tsql::BatchResult r = run(sql);
    ASSERT_EQ(r.errors.size(), 1u) << sql;
    EXPECT_EQ(r.errors[0].number, 207) << sql;
  }
}

}  // namespace
