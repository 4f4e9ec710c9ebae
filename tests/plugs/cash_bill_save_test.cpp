// Saving and deleting cash bills: the total is the sum of the lines whatever was typed
// into it, an income or expense bill needs its settlement account once its lines
// passed, and a delete takes header and lines of that bill only.
#include <gtest/gtest.h>

#include "cash_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::fydj::Tfydjform;
using plugs::coreapp::srdj::Tsrdjform;
using plugs::coreapp::zjzz::Tzjzzform;

class CashSave : public cash_test::CashSession {
 protected:
  // Chooses the settlement account in the header box, as the cashier does.
  void chooseAccount(plugs::coreapp::TSimpleBillForm& form, const char* name) {
    form.setControlText(form.control("cbzh"), name);
  }

  std::unique_ptr<Tzjzzform> savedTransfer(std::vector<Currency> amounts) {
    auto form = openEditor<Tzjzzform>("1114");
    EXPECT_TRUE(startBill(*form));
    for (Currency je : amounts) {
      typeLine(*form, {{"ozh_name", Value("现金")}, {"izh_name", Value("银行")}, {"je", Value(je)}});
      EXPECT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }
};

TEST_F(CashSave, TransferTotalIsTheSumOfItsLines) {
  auto form = savedTransfer({Currency::fromInt(500), Currency::fromInt(250)});
  ASSERT_FALSE(form->billno.empty());
  EXPECT_EQ(form->cdsMaster.fieldByName("hjje").asCurrency(), Currency::fromInt(750));
  EXPECT_EQ(scalar("select count(*) from vt_f_zjzz_mx where billno = '" + form->billno + "' and ozh_id = 1 and izh_id = 2")
                .asInteger(),
            2);
  // The reopened lines show the accounts' names again.
  form->cdsDetail.first();
  EXPECT_EQ(form->cdsDetail.fieldByName("izh_name").asString(), "银行");
  EXPECT_EQ(form->cdsDetail.fieldByName("ozh_code").asString(), "01");

  // Editing a line and saving again recomputes the total.
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done) << lastEvent();
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("je").setValue(Value(Currency::fromRaw(1000005)));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select hjje from vt_f_zjzz where billno = '" + form->billno + "'").asCurrency(),
            Currency::fromRaw(1000005) + Currency::fromInt(250));
}

TEST_F(CashSave, ExpenseTotalIgnoresWhatWasTypedIntoIt) {
  auto form = openEditor<Tfydjform>("1110");
  ASSERT_TRUE(startBill(*form));
  chooseAccount(*form, "现金");
  form->setControlText(form->control("edthjje"), "999");
  typeLine(*form, {{"fy_name", Value("房租")}, {"je", Value(Currency::fromInt(30))}});
  ASSERT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
  typeLine(*form, {{"fy_name", Value("材料费")}, {"je", Value(Currency::fromRaw(125000))}});
  ASSERT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(form->cdsMaster.fieldByName("hjje").asCurrency(), Currency::fromRaw(425000));
  EXPECT_EQ(form->cdsMaster.fieldByName("zh_id").asInteger(), 1);
  EXPECT_EQ(form->control("cbzh").items.front(), "现金");
}

TEST_F(CashSave, IncomeWithoutAccountIsRefusedAfterItsLinesPassed) {
  auto form = openEditor<Tsrdjform>("1111");
  ASSERT_TRUE(startBill(*form));
  // No lines yet: the inherited check speaks first.
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("单据无明细，不能保存"), std::string::npos) << lastEvent();
  // A line left without category is refused on its own post before the bill is checked.
  typeLine(*form, {{"je", Value(Currency::fromInt(20))}});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("请选择收入类别"), std::string::npos) << lastEvent();
  form->cdsDetail.fieldByName("sr_name").setValue(Value("废品回收"));
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("\"text\":\"请选择结算账户.\""), std::string::npos) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_f_srdj").asInteger(), 0);
  EXPECT_TRUE(form->editMode);

  chooseAccount(*form, "微信");
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select zh_id from vt_f_srdj where billno = '" + form->billno + "'").asInteger(), 3);
  EXPECT_EQ(scalar("select hjje from vt_f_srdj where billno = '" + form->billno + "'").asCurrency(),
            Currency::fromInt(20));
}

TEST_F(CashSave, DeleteRemovesHeaderAndLinesOfThatBillOnly) {
  auto kept = savedTransfer({Currency::fromInt(1), Currency::fromInt(2)});
  auto gone = savedTransfer({Currency::fromInt(3)});
  const std::string number = gone->billno;
  ASSERT_EQ(gone->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_f_zjzz where billno = '" + number + "'").asInteger(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_f_zjzz_mx where billno = '" + number + "'").asInteger(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_f_zjzz_mx where billno = '" + kept->billno + "'").asInteger(), 2);
}

}  // namespace
