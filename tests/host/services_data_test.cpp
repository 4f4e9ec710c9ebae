// Data services: what reaches the connection, and what the forms learn back.
#include <gtest/gtest.h>

#include "host/services/data_services.h"
#include "services_test_host.h"

namespace {

using core::Value;
using host_test::HostTest;

class DataTest : public HostTest {};

TEST_F(DataTest, ExecSqlFailureKeepsTheRaisedMessageForLogAndUser) {
  conn.replyError("单据保存失败");
  EXPECT_FALSE(host::execSQL("begin tran ... commit"));
  EXPECT_EQ(host::lastExecSQLError(), "单据保存失败");
  ASSERT_FALSE(ui.logEntries().empty());
  EXPECT_EQ(ui.logEntries().back().second, "单据保存失败");

  EXPECT_TRUE(host::execSQL("select 1"));  // a later success forgets the failure
  EXPECT_EQ(host::lastExecSQLError(), "");
}

TEST_F(DataTest, StoreIdIsBoundWhenTheTextAsksForItAndNotGiven) {
  host::openDataJson("select * from t where orgid=:orgid and id=:id", {{"id", Value(3)}});
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].param("orgid"), Value("0001"));
  EXPECT_EQ(conn.batches[0].param("id"), Value(3));

  host::openDataJson("select * from t where orgid=:orgid", {{"orgid", Value("0009")}});
  EXPECT_EQ(conn.batches[1].param("orgid"), Value("0009"));  // the caller's value stands
  EXPECT_EQ(conn.batches[1].params.size(), 1u);

  host::execSQL("select 1");
  EXPECT_FALSE(conn.batches[2].hasParam("orgid"));
}

TEST_F(DataTest, CheckBillVersionComparesTheStoredVersion) {
  conn.replyRows({"version"}, {{Value(3)}});
  EXPECT_TRUE(host::checkBillVersion("vt_x_xmzzk", 12, 3));
  EXPECT_EQ(conn.batches[0].sql, "select version from vt_x_xmzzk where id = :id");
  EXPECT_EQ(conn.batches[0].param("id"), Value(std::int64_t{12}));

  conn.replyRows({"version"}, {{Value(4)}});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 3));  // someone changed it
  conn.replyRows({"version"}, {});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 3));  // deleted meanwhile
  conn.replyRows({"version"}, {{Value()}});
  EXPECT_FALSE(host::checkBillVersion("vt_x_xmzzk", 12, 0));  // null is not version 0
}

TEST_F(DataTest, TableAndKeyNamesThatAreNotPlainNamesAreRefused) {
  EXPECT_THROW(host::checkBillVersion("t; drop table x", 1, 1), host::HostError);
  EXPECT_THROW(host::getDataById("vt_b_ygbmk", 1, "id=1 or 1"), host::HostError);
  EXPECT_TRUE(conn.batches.empty());
  host::getDataById("dbo.vt_b_ygbmk", 5, "id");
  EXPECT_EQ(conn.batches[0].sql, "select * from dbo.vt_b_ygbmk where id = :id");
}

TEST_F(DataTest, RowsBecomeJsonWithEveryValueAsText) {
  conn.replyRows({"id", "name", "dj", "k", "memo", "name"},
                 {{Value(1), Value("a\"b"), Value(core::Currency::fromRaw(125000)), Value(2.5),
                   Value(), Value("x")}});
  std::string json = host::openDataJson("select ...");
  // the second "name" is renamed as the toolkit names a repeated field
  EXPECT_EQ(json, R"([{"id":"1","name":"a\"b","dj":")" +
                      Value(core::Currency::fromRaw(125000)).asText() +
                      R"(","k":"2.5","memo":"","name_1":"x"}])");

  conn.replyError("Invalid object name 'nope'.");
  EXPECT_THROW(host::openDataJson("select * from nope"), host::HostError);
}

TEST_F(DataTest, NewIdUsesTheSessionSourceOrAFreshGuid) {
  std::string a = host::newid(), b = host::newid();
  EXPECT_EQ(a.size(), 36u);
  EXPECT_NE(a, b);
  int n = 0;
  host.idSource = [&n] { return "ID" + std::to_string(++n); };
  EXPECT_EQ(host::newid(), "ID1");
  EXPECT_EQ(host::newid(), "ID2");
}

}  // namespace
