// The throwaway PostgreSQL cluster the server tests run on: it answers on its unix
// socket only, each test gets a database of its own, and the server compares text
// case-blind through an ICU nondeterministic collation as the embedded engine does.
#include <gtest/gtest.h>

#include "pg_test_cluster.h"

namespace {

TEST(PgCluster, AnswersOnItsSocketOnlyAndMakesFreshDatabases) {
  std::string failure;
  std::string uri = pgtest::clusterUri(failure);
  ASSERT_FALSE(uri.empty()) << failure;
  EXPECT_NE(uri.find("host=/"), std::string::npos) << "a unix socket folder, not a TCP host: " << uri;
  EXPECT_EQ(pgtest::run(uri, "DO $$ BEGIN IF current_setting('listen_addresses') <> '' THEN "
                             "RAISE EXCEPTION 'listens on TCP'; END IF; END $$"),
            "");
  std::string db = pgtest::freshDatabase("cluster_probe");
  ASSERT_FALSE(db.empty());
  EXPECT_EQ(pgtest::run(db, "CREATE TABLE t(x int); INSERT INTO t VALUES (1)"), "");
  // made again, the database is empty
  db = pgtest::freshDatabase("cluster_probe");
  EXPECT_NE(pgtest::run(db, "SELECT * FROM t"), "");
}

}  // namespace
