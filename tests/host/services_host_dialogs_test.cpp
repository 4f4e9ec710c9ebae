// Host dialogs: the default-customer dialog stores its choice, bill options stay for
// the session, cancelled dialogs change nothing.
#include <gtest/gtest.h>

#include "host/services/host_dialogs.h"
#include "services_test_host.h"

namespace {

using namespace host;
using host_test::HostTest;

class HostDialogTest : public HostTest {
 protected:
  DialogReply ok() {
    DialogReply r;
    r.result = mrOK;
    return r;
  }
};

TEST_F(HostDialogTest, DefaultCustomerIsStoredForTheOutletOnlyWhenChosen) {
  DialogReply r = ok();
  r.kh_id = 42;
  ui.queueDialog("Tckbmkdefkhinfoform", r);
  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrOK);
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].param("kh_id"), core::Value(std::int64_t{42}));
  EXPECT_EQ(conn.batches[0].param("ck_id"), core::Value(std::int64_t{3}));
  EXPECT_EQ(conn.batches[0].param("orgid"), core::Value("0001"));

  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrCancel);  // unqueued: closed
  EXPECT_EQ(conn.batches.size(), 1u);

  r.kh_id = 7;
  ui.queueDialog("Tckbmkdefkhinfoform", r);
  conn.replyError("UPDATE failed");
  EXPECT_EQ(chooseDefaultCustomer(nullptr, 3), mrCancel);  // not stored: do not go on
  EXPECT_NE(ui.transcript().back().find("默认客户保存失败：UPDATE failed"), std::string::npos);
}

TEST_F(HostDialogTest, BillOptionsAndReasonsComeBackFromTheDialogs) {
  DialogReply r = ok();
  r.values = {{"newbill", "1"}, {"config", "{\"data\":{}}"}};
  ui.queueDialog("Tbilloptionsform", r);
  EXPECT_EQ(showBillOptions(nullptr, "{}", "1120"), mrOK);
  EXPECT_EQ(host.billOptionsOf("1120").newbill, "1");
  EXPECT_EQ(host.plugInfo["1120"], "{\"data\":{}}");
  EXPECT_EQ(host.billOptionsOf("1121").newbill, "0");

  std::string reason = "unchanged";
  EXPECT_FALSE(askReason(nullptr, "作废", reason));
  EXPECT_EQ(reason, "unchanged");
  r = ok();
  r.text = "客户取消";
  ui.queueDialog("TAuditingDataForm", r);
  EXPECT_TRUE(askReason(nullptr, "作废", reason));
  EXPECT_EQ(reason, "客户取消");
}

}  // namespace
