// Opening the ad-hoc bill through plug 1103: the store check, the default-customer
// dialog and the customer the form is made for.
#include <gtest/gtest.h>

#include <optional>

#include "samplexmzzk_session.h"

namespace samplexmzzk_test {
namespace {

class CreatorTest : public SampleSession {
 protected:
  CreatorTest() {
    // Record every modal form: its class and, for the ad-hoc bill, its customer.
    ui.setModalRunner([this](host::FormModel& form) {
      shown = form.className();
      if (auto* bill = dynamic_cast<Tsamplexmzzkform*>(&form)) {
        customer = bill->kh_id;
        listRows = bill->cdslist.recordCount();
      }
      return host::mrCancel;
    });
  }

  host::Outcome openPlug() {
    host::FormModel scratch("", "");
    return scratch.dispatch([] { host::plugsPool().plugbyName("1103")->create(nullptr, ""); });
  }

  std::string shown;
  std::optional<std::int64_t> customer;
  int listRows = 0;
};

TEST_F(CreatorTest, StoreWithDefaultCustomerOpensTheFormForHim) {
  EXPECT_EQ(openPlug(), host::Outcome::Done);
  EXPECT_EQ(shown, "Tsamplexmzzkform");
  EXPECT_EQ(customer, 1);
  EXPECT_EQ(listRows, 4);  // the outlet's own quick items only
  EXPECT_EQ(count("\"event\":\"dialog\""), 0);
}

// No store row of this branch: the clerk is told, nothing opens.
TEST_F(CreatorTest, MissingStoreRowOrAnotherBranchsSaysSoAndOpensNothing) {
  const std::string told = "未设置门店信息，请先在[基础资料-分店管理]设置";
  long times = 0;
  for (const char* change : {"update vt_b_ckbmk set orgid = '0002'", "delete from vt_b_ckbmk"}) {
    rows(change);
    EXPECT_EQ(openPlug(), host::Outcome::Aborted) << change;
    EXPECT_EQ(count("\"text\":\"" + told + "\""), ++times) << change;
    EXPECT_EQ(shown, "");
  }
  EXPECT_TRUE(saidMessage(told));
}

// Without a default customer the dialog asks: cancelled, nothing opens and nothing is
// said; answered, the form opens for the chosen customer, who becomes the default.
TEST_F(CreatorTest, NoDefaultCustomerAsksForOne) {
  rows("update vt_b_ckbmk set kh_id = 0");
  host::DialogReply reply;
  reply.result = host::mrCancel;
  ui.queueDialog("Tckbmkdefkhinfoform", reply);
  EXPECT_EQ(openPlug(), host::Outcome::Aborted);
  EXPECT_EQ(count("\"event\":\"dialog\""), 1);
  EXPECT_EQ(count("\"event\":\"message\""), 0);
  EXPECT_EQ(shown, "");
  reply.result = host::mrOK;
  reply.kh_id = 2;
  ui.queueDialog("Tckbmkdefkhinfoform", reply);
  EXPECT_EQ(openPlug(), host::Outcome::Done);
  EXPECT_EQ(shown, "Tsamplexmzzkform");
  EXPECT_EQ(customer, 2);
  EXPECT_EQ(scalar("select kh_id from vt_b_ckbmk where id = 1").asInteger(), 2);
}

}  // namespace
}  // namespace samplexmzzk_test
