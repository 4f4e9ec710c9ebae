// The customer statement (1117): lines picked
// from the statement selector with the figures of the moment it opens, the refusals
// without a customer, an audit that writes nothing and an un-audit that clears the
// reconciliation marks of its bills.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "plugs/coreapp/khsk/khdzk_form.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::khsk::Tkhdzkform;

class Statement : public write_off_test::WriteOffSession {
 protected:
  Statement() { registerOnce("1117", &plugs::coreapp::khsk::registerKhdzkForm); }

  //! A saved statement of XM001 (received 400) and XH001; its number.
  std::string savedStatement() {
    query("update vt_x_xmzzk set hjsk = 400 where billno = 'XM001'");
    auto form = newCustomerBill<Tkhdzkform>("1117");
    EXPECT_EQ(pickSources(*form, {"XM001", "XH001"}), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form->billno;
  }

  Currency lineFigure(Tkhdzkform& form, const char* bizbillno, const char* field) {
    EXPECT_TRUE(form.cdsDetail.locate("bizbillno", Value(std::string(bizbillno)))) << bizbillno;
    return form.cdsDetail.fieldByName(field).asCurrency();
  }
};

TEST_F(Statement, LinesShowAmountReceivedAndOwedAsTheStatementOpens) {
  const std::string number = savedStatement();
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk where kh_id = 1 and billno = '" + number + "'").asInteger(), 1);
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk_mx where dzflag = 0 and billno = '" + number + "'").asInteger(),
            2);
  // Received on the sales bill after the statement was made: still not shown.
  query("update vt_c_spch set bcsk = 500 where billno = 'XH001'");
  auto form = openEditor<Tkhdzkform>("1117", number);
  EXPECT_EQ(lineFigure(*form, "XM001", "hjje"), Currency::fromInt(1000));
  EXPECT_EQ(lineFigure(*form, "XM001", "jsje"), Currency::fromInt(400));
  EXPECT_EQ(lineFigure(*form, "XM001", "qkje"), Currency::fromInt(600));
  EXPECT_EQ(lineFigure(*form, "XH001", "hjje"), Currency::fromInt(800));
  EXPECT_EQ(lineFigure(*form, "XH001", "jsje"), Currency());
  EXPECT_EQ(lineFigure(*form, "XH001", "qkje"), Currency::fromInt(800));
  EXPECT_EQ(form->counterpartyBox.id(), 1);
}

TEST_F(Statement, ABillIsAddedOnceAndNotWithoutACustomer) {
  auto form = openEditor<Tkhdzkform>("1117");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  picks = {"XM001"};
  form->clickAction("actDetail_Add");
  EXPECT_TRUE(said("请选择往来单位"));
  EXPECT_TRUE(form->cdsDetail.isEmpty());

  auto named = newCustomerBill<Tkhdzkform>("1117");
  ASSERT_EQ(pickSources(*named, {"XM001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(pickSources(*named, {"XM001", "XH001"}), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(named->cdsDetail.recordCount(), 2);
}

TEST_F(Statement, DoubleClickOpensTheLineBillOnlyWhenNotEditing) {
  registerOnce("1121", &plugs::coreapp::spch::registerSpchForm);
  auto form = newCustomerBill<Tkhdzkform>("1117");
  ASSERT_EQ(pickSources(*form, {"XH001"}), host::Outcome::Done) << lastEvent();
  form->dblClickControl("cxgDetail");
  EXPECT_EQ(dynamic_cast<plugs::coreapp::spch::Tspchform*>(host::PageControl().activePage()), nullptr);
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  ASSERT_TRUE(form->cdsDetail.locate("bizbillno", Value(std::string("XH001"))));
  EXPECT_EQ(form->dblClickControl("cxgDetail"), host::Outcome::Done) << lastEvent();
  auto* bill = dynamic_cast<plugs::coreapp::spch::Tspchform*>(host::PageControl().activePage());
  ASSERT_NE(bill, nullptr);
  EXPECT_EQ(bill->billno, "XH001");
  bill->Close();
}

TEST_F(Statement, AuditWritesNothingAndUnauditClearsTheMarks) {
  const std::string number = savedStatement();
  auto form = openEditor<Tkhdzkform>("1117", number);
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select status from vt_f_khdzk where billno = '" + number + "'").asInteger(), 1);
  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 0);

  // As a review leaves them: both lines and both bills reconciled.
  query("update vt_f_khdzk_mx set dzflag = 1");
  query("update vt_x_xmzzk set dzflag = 1 where billno = 'XM001'");
  query("update vt_c_spch set dzflag = 1 where billno = 'XH001'");
  const Value orderVersion = scalar("select version from vt_x_xmzzk where billno = 'XM001'");
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_f_khdzk_mx where dzflag = 1").asInteger(), 0);
  EXPECT_EQ(scalar("select dzflag from vt_x_xmzzk where billno = 'XM001'").asInteger(), 0);
  EXPECT_EQ(scalar("select dzflag from vt_c_spch where billno = 'XH001'").asInteger(), 0);
  EXPECT_EQ(scalar("select version from vt_x_xmzzk where billno = 'XM001'").asInteger(), orderVersion.asInteger());
}

}  // namespace
