// Lines of the cash bills as a cashier types them into the grid: the transfer's four
// checks in their order with their messages (an empty amount becomes 0 first), the
// income and expense category check, accounts and categories picked by name, and the
// add-line action hidden on every cash bill's page.
#include <gtest/gtest.h>

#include "cash_bill_session.h"
#include "host/forms/page_control.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::fydj::Tfydjform;
using plugs::coreapp::srdj::Tsrdjform;
using plugs::coreapp::zjzz::Tzjzzform;

class CashLines : public cash_test::CashSession {};

TEST_F(CashLines, TransferLineChecksRunInOrderAndRefuseWithTheirMessage) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, Value>> cells;
    const char* refusal;  // nullptr: the line posts
  } cases[] = {
      {"nothing chosen", {{"je", Value(Currency::fromInt(5))}}, "请选择转出账户。"},
      {"no target, same amount", {{"ozh_id", Value(1)}, {"je", Value(Currency::fromInt(5))}}, "请选择转入账户。"},
      {"target only", {{"izh_id", Value(2)}}, "请选择转出账户。"},
      {"same account", {{"ozh_id", Value(2)}, {"izh_id", Value(2)}, {"je", Value(Currency::fromInt(5))}},
       "转出账户不能与转入账户相同。"},
      {"same account and no amount", {{"ozh_id", Value(2)}, {"izh_id", Value(2)}}, "转出账户不能与转入账户相同。"},
      {"no amount", {{"ozh_id", Value(1)}, {"izh_id", Value(2)}}, "请输入转账金额。"},
      {"zero amount", {{"ozh_id", Value(1)}, {"izh_id", Value(2)}, {"je", Value(Currency())}}, "请输入转账金额。"},
      {"negative amount", {{"ozh_id", Value(1)}, {"izh_id", Value(2)}, {"je", Value(Currency::fromInt(-3))}}, nullptr},
      {"fine", {{"ozh_id", Value(1)}, {"izh_id", Value(2)}, {"je", Value(Currency::fromInt(500))}}, nullptr},
  };
  for (const auto& c : cases) {
    auto form = openEditor<Tzjzzform>("1114");
    ASSERT_TRUE(startBill(*form));
    typeLine(*form, c.cells);
    const std::size_t before = ui.transcript().size();
    const host::Outcome posted = postLine(*form);
    if (c.refusal == nullptr) {
      EXPECT_EQ(posted, host::Outcome::Done) << c.what << ": " << lastEvent();
      EXPECT_EQ(ui.transcript().size(), before) << c.what;
      continue;
    }
    EXPECT_EQ(posted, host::Outcome::Aborted) << c.what;
    ASSERT_EQ(ui.transcript().size(), before + 1) << c.what;
    EXPECT_NE(lastEvent().find(std::string("\"text\":\"") + c.refusal + "\""), std::string::npos)
        << c.what << ": " << lastEvent();
    EXPECT_NE(lastEvent().find("\"caption\":\"提示\""), std::string::npos);
    EXPECT_EQ(form->cdsDetail.state(), dataset::DataSetState::Insert) << c.what << ": the line stays to be fixed";
  }
}

TEST_F(CashLines, AnEmptyTransferAmountShowsZeroAfterItsRefusal) {
  auto form = openEditor<Tzjzzform>("1114");
  ASSERT_TRUE(startBill(*form));
  typeLine(*form, {{"ozh_id", Value(1)}, {"izh_id", Value(2)}});
  ASSERT_TRUE(form->cdsDetail.fieldByName("je").isNull());
  EXPECT_EQ(postLine(*form), host::Outcome::Aborted);
  EXPECT_FALSE(form->cdsDetail.fieldByName("je").isNull());
  EXPECT_EQ(form->cdsDetail.fieldByName("je").asCurrency(), Currency());
}

TEST_F(CashLines, AccountsArePickedByNameIntoIdAndCode) {
  auto form = openEditor<Tzjzzform>("1114");
  ASSERT_TRUE(startBill(*form));
  const host::Control& grid = form->control("cxgDetail");
  for (const char* field : {"ozh_name", "izh_name"}) {
    auto col = std::find_if(grid.columns.begin(), grid.columns.end(), [&](const auto& c) { return c.field == field; });
    ASSERT_NE(col, grid.columns.end()) << field;
    EXPECT_EQ(col->items, std::vector<std::string>({"现金", "银行", "微信"})) << field;
  }
  typeLine(*form, {{"ozh_name", Value("现金")}, {"izh_name", Value("微信")}, {"jsfs_name", Value("现结")},
                   {"je", Value(Currency::fromInt(8))}});
  EXPECT_EQ(form->cdsDetail.fieldByName("ozh_id").asInteger(), 1);
  EXPECT_EQ(form->cdsDetail.fieldByName("ozh_code").asString(), "01");
  EXPECT_EQ(form->cdsDetail.fieldByName("izh_id").asInteger(), 3);
  EXPECT_EQ(form->cdsDetail.fieldByName("jsfs_id").asInteger(), 1);
  EXPECT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();

  // A name that is in no list clears the account, and the line is refused for it.
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("izh_name").setValue(Value("不存在的账户"));
  EXPECT_EQ(form->cdsDetail.fieldByName("izh_id").asInteger(), 0);
  EXPECT_TRUE(form->cdsDetail.fieldByName("izh_code").isNull());
  EXPECT_EQ(postLine(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("请选择转入账户。"), std::string::npos);
}

TEST_F(CashLines, IncomeAndExpenseLinesNeedTheirCategoryButAnyAmount) {
  auto income = openEditor<Tsrdjform>("1111");
  auto expense = openEditor<Tfydjform>("1110");
  const struct {
    plugs::coreapp::TSimpleBillForm* form;
    const char* nameField;
    const char* name;
    const char* idField;
    const char* refusal;
  } bills[] = {{income.get(), "sr_name", "废品回收", "sr_id", "请选择收入类别"},
               {expense.get(), "fy_name", "材料费", "fy_id", "请选择费用类别"}};
  for (const auto& b : bills) {
    ASSERT_TRUE(startBill(*b.form));
    typeLine(*b.form, {{"je", Value(Currency::fromInt(10))}});
    EXPECT_EQ(postLine(*b.form), host::Outcome::Aborted);
    EXPECT_NE(lastEvent().find(std::string("\"text\":\"") + b.refusal + "\""), std::string::npos) << lastEvent();
    b.form->cdsDetail.fieldByName(b.nameField).setValue(Value(b.name));
    EXPECT_NE(b.form->cdsDetail.fieldByName(b.idField).asInteger(), 0);
    b.form->cdsDetail.fieldByName("je").setValue(Value(Currency::fromInt(-2)));
    EXPECT_EQ(postLine(*b.form), host::Outcome::Done) << lastEvent();
    typeLine(*b.form, {{b.nameField, Value(b.name)}});  // no amount at all passes too
    EXPECT_EQ(postLine(*b.form), host::Outcome::Done) << lastEvent();
  }
}

TEST_F(CashLines, EveryCashBillHidesTheAddLineButton) {
  for (const char* code : {"1110", "1111", "1114"}) {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    auto* page = dynamic_cast<plugs::coreapp::TSimpleBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << code;
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done);
    EXPECT_EQ(page->clickAction("actDetail_Add"), host::Outcome::Disabled) << code;
    EXPECT_EQ(page->cdsDetail.recordCount(), 0);
  }
  host::PageControl().clear();
}

}  // namespace
