// A batch run under a progress callback, on the embedded file and on the server: the
// callback is asked while a long statement runs; when it says stop, the batch ends at
// once with the one "已取消" error and leaves nothing — not the rows written before the
// stop, not what a CATCH would have committed — and the next batch runs as usual.
#include <gtest/gtest.h>

#include <string>

#include "column_a_keys.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

// A count over 100 rows' triple cross product: long enough to be asked about, and to be
// stopped half-way.
constexpr const char* kLongCount = "select count(*) n from n a cross join n b cross join n c";
// The statements the stop cases cut short: a server counts the triple product in well
// under the 100 ms between its questions, so these ask for a hundred times as much.
constexpr const char* kLongerCount = "select count(*) n from n a cross join n b cross join n c cross join n d";

void runCases(db::Connection& c) {
  ASSERT_TRUE(c.execBatch("create table t(a int primary key)\n"
                          "create table n(i int)\n"
                          "declare @i int = 0\n"
                          "begin tran\n"
                          "while @i < 100 begin insert into n values(@i) set @i = @i + 1 end\n"
                          "commit tran")
                  .ok());
  int asked = 0;
  {
    db::ProgressScope watch(c, [&] { return ++asked > 0; });
    db::BatchResult r = c.execBatch(kLongCount);
    ASSERT_TRUE(r.ok()) << r.errorMessage();
    EXPECT_EQ(r.resultSets.at(0).rows.at(0).at(0).asInteger(), 1000000);
  }
  EXPECT_GT(asked, 0);
  const struct {
    const char* name;
    std::string batch;
  } stops[] = {
      {"an open transaction", "begin tran\ninsert into t values(1)\n" + std::string(kLongerCount) +
                                  "\ninsert into t values(2)\ncommit tran"},
      {"a CATCH that commits", "begin tran\nbegin try\ninsert into t values(1)\n" +
                                   std::string(kLongerCount) +
                                   "\nend try\nbegin catch\ncommit tran\nend catch\n"
                                   "if @@trancount > 0 commit tran"},
  };
  for (const auto& s : stops) {
    SCOPED_TRACE(s.name);
    asked = 0;
    db::BatchResult r;
    {
      db::ProgressScope watch(c, [&] { return ++asked < 2; });
      r = c.execBatch(s.batch);
    }
    ASSERT_EQ(r.errors.size(), 1u) << r.errorMessage();
    EXPECT_EQ(r.errors[0].number, db::kCancelledNumber);
    EXPECT_EQ(r.errors[0].message, "已取消");
    EXPECT_TRUE(r.resultSets.empty());
    EXPECT_EQ(asked, 2);  // not asked again once it said stop
    EXPECT_EQ(dbtest::keysOfT(c), "");
    db::BatchResult after = c.execBatch("select @@trancount");
    ASSERT_TRUE(after.ok()) << after.errorMessage();
    EXPECT_EQ(after.resultSets.at(0).rows.at(0).at(0).asInteger(), 0);
  }
}

TEST(BatchProgress, StopsOnTheEmbeddedFile) {
  db::EmbeddedConnection file(":memory:");
  runCases(file);
}

TEST(BatchProgress, StopsOnTheServer) {
  std::string uri = pgtest::freshDatabase("batch_progress");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  runCases(server);
}

}  // namespace
