// A server database's name for folders of its own (its prints): two servers, or two
// databases on one server, never share one; no user or password ever shows in it.
#include <gtest/gtest.h>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

TEST(PgPlaceName, AddressPortAndDatabaseAsOneFileName) {
  EXPECT_EQ(db::placeName("db.local", "5432", "shop"), "db.local-5432-shop");
  EXPECT_NE(db::placeName("db.local", "5432", "shop"), db::placeName("db2.local", "5432", "shop"));
  EXPECT_NE(db::placeName("db.local", "5432", "shop"), db::placeName("db.local", "5433", "shop"));
  // a socket folder and characters no file name holds
  EXPECT_EQ(db::placeName("/run/postgresql", "5432", "a:b\\c"), "_run_postgresql-5432-a_b_c");
  EXPECT_EQ(db::placeName("::1", "5432", "门店"), "__1-5432-门店");
}

TEST(PgPlaceName, ConnectionNamesItsDatabaseWithoutThePassword) {
  std::string shop = pgtest::freshDatabase("place_shop");
  std::string store = pgtest::freshDatabase("place_store");
  ASSERT_FALSE(shop.empty());
  ASSERT_FALSE(store.empty());
  // the test cluster trusts its socket: the password is given and never asked for
  const std::string from = "postgresql://";
  db::PgConnection withPassword(from + "postgres:s3cret@" + shop.substr(from.size()));
  db::PgConnection other(store);
  std::string name = withPassword.placeName();
  EXPECT_EQ(name.find("s3cret"), std::string::npos) << name;
  EXPECT_EQ(name.find("postgres-"), std::string::npos) << name;  // nor the user
  EXPECT_EQ(name.find('/'), std::string::npos) << name;
  EXPECT_NE(name.find("-place_shop"), std::string::npos) << name;
  EXPECT_NE(other.placeName(), name);
}

}  // namespace
