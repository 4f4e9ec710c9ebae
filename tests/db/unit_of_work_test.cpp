// The host's unit of work on the embedded file and on the server: batches that keep
// their own BEGIN TRAN / COMMIT / CATCH-ROLLBACK text run inside one transaction the
// host ends. Commit keeps every batch; a failure in a later batch takes back the
// earlier ones, whether the batch's own ROLLBACK ended the unit or the host rolls back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "column_a_keys.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

// A save as the bills write it: its own transaction, a CATCH that rolls back and raises.
std::string billBatch(const std::string& body) {
  return "begin tran\r\nbegin try\r\n" + body +
         "\r\nend try\r\nbegin catch\r\nif @@trancount>0 rollback tran\r\nraiserror('保存失败', "
         "16, 1)\r\n"
         "end catch\r\nif @@trancount>0 commit tran";
}

struct UnitCase {
  const char* name;
  const char* second;     //!< the batch after "insert 1" inside the unit
  bool secondOk;          //!< the second batch itself succeeds
  bool openAfterSecond;   //!< the unit is still open after it
  bool commitDone;        //!< the host's commit reports done
  const char* rowsAfter;  //!< t's rows once the unit is over
};

const UnitCase kCases[] = {
    {"commit keeps both batches", "insert into t values(2)", true, true, true, "1,2"},
    {"the batch's own rollback ends the unit", "insert into t values(1)", false, false, false, ""},
    {"a batch rolling back without raising", "rollback tran", true, false, false, ""},
    {"a failure outside any transaction of the batch", "@raise", false, true, false, ""},
};

// Each case on a fresh table: the host rolls back after any failed batch, as the
// forms do, and commits otherwise.
void runCases(db::Connection& c) {
  ASSERT_TRUE(c.execBatch("create table t(a int primary key)").ok());
  for (const UnitCase& k : kCases) {
    SCOPED_TRACE(k.name);
    ASSERT_TRUE(c.execBatch("delete from t").ok());
    c.beginUnit();
    db::BatchResult first = c.execBatch(billBatch("insert into t values(1)"));
    ASSERT_TRUE(first.ok()) << first.errorMessage();
    EXPECT_EQ(c.execBatch("select @@trancount").resultSets.at(0).rows.at(0).at(0).asInteger(), 1);
    const std::string second = k.second;
    db::BatchResult r = second == "@raise" ? c.execBatch("raiserror('不能保存', 16, 1)")
                        : second == "rollback tran" ? c.execBatch(second)
                                                    : c.execBatch(billBatch(second));
    EXPECT_EQ(r.ok(), k.secondOk) << r.errorMessage();
    EXPECT_EQ(c.unitOpen(), k.openAfterSecond);
    if (r.ok()) {
      EXPECT_EQ(c.commitUnit().empty(), k.commitDone);
    } else {
      c.rollbackUnit();
    }
    EXPECT_FALSE(c.unitOpen());
    EXPECT_EQ(dbtest::keysOfT(c), k.rowsAfter);
  }
}

TEST(UnitOfWork, OnTheEmbeddedFile) {
  db::EmbeddedConnection file(":memory:");
  runCases(file);
}

TEST(UnitOfWork, OnTheServer) {
  std::string uri = pgtest::freshDatabase("unit_of_work");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  runCases(server);
}

// Another connection sees nothing of an open unit and everything once it committed.
TEST(UnitOfWork, OthersSeeTheUnitOnlyOnceCommitted) {
  const std::string path = "/tmp/coreapp_unit_" + std::to_string(getpid()) + ".db";
  {
    db::EmbeddedConnection host(path), other(path);
    ASSERT_TRUE(host.execBatch("create table t(a int primary key)").ok());
    host.beginUnit();
    ASSERT_TRUE(host.execBatch(billBatch("insert into t values(1)")).ok());
    ASSERT_TRUE(host.execBatch(billBatch("insert into t values(2)")).ok());
    EXPECT_EQ(dbtest::keysOfT(other), "");
    EXPECT_EQ(host.commitUnit(), "");
    EXPECT_EQ(dbtest::keysOfT(other), "1,2");
  }
  for (const char* s : {"", "-wal", "-shm"}) std::remove((path + s).c_str());
}

}  // namespace
