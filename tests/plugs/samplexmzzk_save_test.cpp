// "结算" on the ad-hoc bill: the lines become one completed project order in the
// "1100" number series with its total, the project name is bound (quotes and markers
// stored as typed), refusals and a failing batch leave the database as it was, and
// the settlement dialog's answer decides whether the order is printed.
#include <gtest/gtest.h>

#include "samplexmzzk_session.h"

namespace samplexmzzk_test {
namespace {

using xmzzk_test::Texts;

class SaveTest : public SampleSession {
 protected:
  SaveTest() {
    ui.setModalRunner([this](host::FormModel& form) {
      settled.push_back(form.className());
      auto* window = dynamic_cast<host::TBaseForm*>(&form);
      if (window != nullptr) window->ModalResult = settleResult;
      return settleResult;
    });
  }

  //! A form with two XM001 lines of 3 x 2 at 10 each.
  std::unique_ptr<Tsamplexmzzkform> twoAreaLines() {
    auto form = openForm();
    for (int i = 0; i < 2; ++i) addFromList(*form, 4, {{"dj", 10.0}, {"x", 3.0}, {"y", 2.0}});
    return form;
  }

  std::int64_t orders() { return scalar("select count(*) from vt_x_xmzzk").asInteger(); }
  std::int64_t lines() { return scalar("select count(*) from vt_x_xmzzk_mx").asInteger(); }

  std::vector<std::string> settled;
  int settleResult = host::mrOK;
};

TEST_F(SaveTest, TwoLinesBecomeACompletedOrderOfTheOrderSeries) {
  auto form = twoAreaLines();
  ASSERT_EQ(form->clickAction("actsave"), host::Outcome::Done);
  EXPECT_TRUE(saidMessage("是否确认保存该单据？"));
  // tag + series + yyyymmdd + sequence; completed, the store's customer, cash, its total.
  const std::string billno = "A1100" + core::DateTime::now().format("yyyymmdd") + "0001";
  EXPECT_EQ(cells("select billno, status, kh_id, zy, khlx, hjje, uid, ck_id, kdr_id, shy_id, "
                  "txsj, jjcd from vt_x_xmzzk"),
            (Texts{billno, "2", "1", "零散业务单", "现结", "120", form->billuid, "1", "1", "1",
                   "12", "普通"}));
  // Every line under the issued number: no placeholder number left behind.
  EXPECT_EQ(cells("select billno, je, dj from vt_x_xmzzk_mx order by id"),
            (Texts{billno, "60", "10", billno, "60", "10"}));
  // The settlement dialog opened on the issued number; then the form closed with OK.
  EXPECT_EQ(settled, std::vector<std::string>{"Tjiesuanform"});
  EXPECT_EQ(form->ModalResult, host::mrOK);
  EXPECT_TRUE(form->isClosed());
  EXPECT_EQ(count("\"event\":\"print\""), 0);
}

TEST_F(SaveTest, ProjectNameAndRemarksAreStoredAsTyped) {
  const std::string name = "O'Brien's 店招 ':gcxmmc' :orgid %s";
  const std::string remark = "it's :ck_id 100%";
  auto form = openForm();
  addFromList(*form, 1, {{"beizhu", remark}});
  form->control("edtgcxmmc").text = name;
  ASSERT_EQ(form->clickAction("actsave"), host::Outcome::Done);
  EXPECT_EQ(scalar("select gcxmmc from vt_x_xmzzk").asText(), name);
  EXPECT_EQ(scalar("select beizhu from vt_x_xmzzk_mx").asText(), remark);
}

// No lines: refused before the question; a declined question writes nothing.
TEST_F(SaveTest, NoLinesIsRefusedAndDeclinedConfirmationWritesNothing) {
  auto form = openForm();
  EXPECT_EQ(form->clickAction("actsave"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("单据无明细，不能保存"));
  EXPECT_FALSE(saidMessage("是否确认保存该单据？"));
  EXPECT_FALSE(form->isClosed());
  form = twoAreaLines();
  ui.queueAnswer(host::mrNo);
  EXPECT_EQ(form->clickAction("actsave"), host::Outcome::Done);
  EXPECT_EQ(orders(), 0);
  EXPECT_TRUE(settled.empty());
  EXPECT_FALSE(form->isClosed());
  EXPECT_EQ(form->cdsmx.recordCount(), 2);
}

TEST_F(SaveTest, FailingBatchLeavesNoHalfWrittenOrder) {
  // The second line breaks a unique index after the header and the first line are in.
  rows("create unique index ux_test_one_item on vt_x_xmzzk_mx(orgid, xm_id)");
  auto form = twoAreaLines();
  EXPECT_EQ(form->clickAction("actsave"), host::Outcome::Aborted);
  EXPECT_TRUE(saidMessage("单据保存失败"));
  EXPECT_EQ(orders(), 0);
  EXPECT_EQ(lines(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_sys_billno").asInteger(), 0);  // number given back
  EXPECT_TRUE(settled.empty());
  // The clerk keeps his lines and can save again once the cause is gone.
  EXPECT_FALSE(form->isClosed());
  EXPECT_EQ(form->cdsmx.recordCount(), 2);
  rows("drop index ux_test_one_item on vt_x_xmzzk_mx");
  ASSERT_EQ(form->clickAction("actsave"), host::Outcome::Done);
  EXPECT_EQ(orders(), 1);
  EXPECT_EQ(lines(), 2);
}

TEST_F(SaveTest, SettlementEndingWithPrintPrintsTheOrder) {
  settleResult = host::mrYes;
  auto form = twoAreaLines();
  ASSERT_EQ(form->clickAction("actsave"), host::Outcome::Done);
  ASSERT_EQ(count("\"event\":\"print\""), 1);
  const std::string print = lastOf("print");
  EXPECT_NE(print.find("\"code\":\"1103\""), std::string::npos) << print;
  EXPECT_NE(print.find("\"表头数据\":1"), std::string::npos) << print;
  EXPECT_NE(print.find("\"明细数据\":2"), std::string::npos) << print;
  EXPECT_NE(print.find("\"表单名称\":\"零散业务单\""), std::string::npos) << print;
}

}  // namespace
}  // namespace samplexmzzk_test
