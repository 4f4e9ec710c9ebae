// sqlTemplate: the store id goes in as a quoted literal; every other marker stays for
// binding or formatting; a key of the plug's configuration yields its text.
#include <gtest/gtest.h>

#include "host/services/data_services.h"
#include "services_test_host.h"

namespace {

using host::sqlTemplate;
using host_test::HostTest;

class TemplateTest : public HostTest {};

TEST_F(TemplateTest, StoreIdBecomesAQuotedLiteralAndOtherMarkersStay) {
  struct Case {
    const char* orgid;
    const char* sql;
    const char* expected;
  } cases[] = {
      {"0001", "select * from t where orgid=:orgid", "select * from t where orgid='0001'"},
      {"0001", "where orgid = :orgid and billno=:billno and x=%d",
       "where orgid = '0001' and billno=:billno and x=%d"},
      // a quote in the store id is doubled: the literal cannot end early
      {"A'B", "where orgid=:orgid", "where orgid='A''B'"},
      {"1", "exec p @orgid=:orgid,@b=:orgid", "exec p @orgid='1',@b='1'"},
      // a longer marker that merely starts with :orgid is someone else's
      {"1", "x=:orgid2 and y=:orgid_x and z=:orgid)", "x=:orgid2 and y=:orgid_x and z='1')"},
      {"1", "no markers", "no markers"},
  };
  for (const Case& c : cases) {
    host.login.orgid = c.orgid;
    EXPECT_EQ(sqlTemplate(c.sql), c.expected) << c.sql;
  }
}

TEST_F(TemplateTest, KeyOfThePlugConfigurationYieldsItsText) {
  host.plugInfo["1100"] =
      R"({"sqltemplates":{"hist":"select 1 where orgid=:orgid"},
          "data":{"master":{"sql":"select * from vt_x_xmzzk where orgid=:orgid and billno=:billno"}}})";
  EXPECT_EQ(sqlTemplate("hist", "1100"), "select 1 where orgid='0001'");
  EXPECT_EQ(sqlTemplate("data.master.sql", "1100"),
            "select * from vt_x_xmzzk where orgid='0001' and billno=:billno");
  // not a key of the document (or no plug named): the text is SQL itself
  EXPECT_EQ(sqlTemplate("data.detail.sql", "1100"), "data.detail.sql");
  EXPECT_EQ(sqlTemplate("hist"), "hist");
  EXPECT_EQ(sqlTemplate("select :orgid", "1100"), "select '0001'");
}

TEST_F(TemplateTest, DefaultDocumentsAnswerWhenTheSessionHasNone) {
  host.defaultPlugInfo = [](std::string_view code) {
    return code == "1120" ? std::string(R"({"sqltemplates":{"k":"select :orgid"}})")
                          : std::string();
  };
  EXPECT_EQ(sqlTemplate("k", "1120"), "select '0001'");
  EXPECT_EQ(host::getplugInfo("1121"), "");
  host.plugInfo["1120"] = "{}";  // the user's own document wins over the default
  EXPECT_EQ(sqlTemplate("k", "1120"), "k");
}

}  // namespace
