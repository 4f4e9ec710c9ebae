// Cash bills as a cashier uses them: the transfer's four line checks in their order
// with their messages (an empty amount becomes 0 first), the income and expense
// category check, accounts and categories picked by name, the add-line action hidden,
// a total that is the sum of the lines whatever was typed into it, the settlement
// account checked after the lines, a delete of that bill only; the drawer opening
// once per successful audit, and account balances following audited bills exactly.
#include <gtest/gtest.h>

#include "cash_bill_session.h"
#include "host/forms/page_control.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::fydj::Tfydjform;
using plugs::coreapp::srdj::Tsrdjform;
using plugs::coreapp::zjzz::Tzjzzform;

class CashBill : public cash_test::CashSession {
 protected:
  std::string balances() { return balance(1) + " " + balance(2) + " " + balance(3); }
  long drawerOpenings() const { return count("\"event\":\"drawer\""); }

  // A stale editor's audit and an audit without the right are refused and open nothing;
  // the audit opens the drawer once, the un-audit does not.
  void checkDrawer(plugs::coreapp::TSimpleBillForm& bill, plugs::coreapp::TSimpleBillForm& stale) {
    const std::string code = bill.plugCode();
    SCOPED_TRACE(code);
    const long before = drawerOpenings();
    query("update " + std::string(bill.spec.masterTable) + " set version = version + 1");
    bill.OpenBillData(bill.billno);
    EXPECT_EQ(stale.clickAction("actAudit"), host::Outcome::Aborted);
    host.rights = {false, {code + "_05"}};
    EXPECT_EQ(bill.clickAction("actAudit"), host::Outcome::Aborted);
    host.rights.all = true;
    EXPECT_EQ(drawerOpenings(), before);

    ASSERT_EQ(bill.clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(bill.masterStatus(), 1);
    EXPECT_EQ(drawerOpenings(), before + 1);
    ASSERT_EQ(bill.clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(bill.masterStatus(), 0);
    EXPECT_EQ(drawerOpenings(), before + 1) << "un-auditing opens nothing";
  }
};

TEST_F(CashBill, TransferLineChecksRunInOrderAndRefuseWithTheirMessage) {
  const Value five(Currency::fromInt(5));
  const struct {
    std::vector<std::pair<const char*, Value>> cells;
    const char* refusal;  // nullptr: the line posts
  } cases[] = {
      {{{"je", five}}, "请选择转出账户。"},
      {{{"ozh_id", Value(1)}, {"je", five}}, "请选择转入账户。"},
      {{{"izh_id", Value(2)}}, "请选择转出账户。"},
      {{{"ozh_id", Value(2)}, {"izh_id", Value(2)}, {"je", five}}, "转出账户不能与转入账户相同。"},
      {{{"ozh_id", Value(2)}, {"izh_id", Value(2)}}, "转出账户不能与转入账户相同。"},
      {{{"ozh_id", Value(1)}, {"izh_id", Value(2)}}, "请输入转账金额。"},
      {{{"ozh_id", Value(1)}, {"izh_id", Value(2)}, {"je", Value(Currency())}}, "请输入转账金额。"},
      {{{"ozh_id", Value(1)}, {"izh_id", Value(2)}, {"je", Value(Currency::fromInt(-3))}}, nullptr},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    auto form = openEditor<Tzjzzform>("1114");
    ASSERT_TRUE(startBill(*form));
    typeLine(*form, cases[i].cells);
    const std::size_t before = ui.transcript().size();
    const host::Outcome posted = postLine(*form);
    if (cases[i].refusal == nullptr) {
      EXPECT_EQ(posted, host::Outcome::Done) << lastEvent();
      EXPECT_EQ(ui.transcript().size(), before);
      continue;
    }
    EXPECT_EQ(posted, host::Outcome::Aborted);
    ASSERT_EQ(ui.transcript().size(), before + 1);
    EXPECT_EQ(lastEvent(), std::string(R"({"event":"message","type":2,"caption":"提示","text":")") +
                               cases[i].refusal + "\"}");
    EXPECT_EQ(form->cdsDetail.state(), dataset::DataSetState::Insert) << "the line stays to be fixed";
    if (std::string(cases[i].refusal) == "请输入转账金额。") {
      EXPECT_EQ(texts(form->cdsDetail, "je"), "0");  // an empty amount shows 0 after its refusal
    }
  }
}

TEST_F(CashBill, AccountsArePickedByNameIntoIdAndCode) {
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
  EXPECT_EQ(texts(form->cdsDetail, "ozh_id ozh_code izh_id jsfs_id"), "1|01|3|1");
  EXPECT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();

  // A name that is in no list clears the account, and the line is refused for it.
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("izh_name").setValue(Value("不存在的账户"));
  EXPECT_EQ(texts(form->cdsDetail, "izh_id izh_code"), "0|");
  EXPECT_EQ(postLine(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("请选择转入账户。"), std::string::npos);
}

TEST_F(CashBill, IncomeAndExpenseLinesNeedTheirCategoryButAnyAmount) {
  auto income = openEditor<Tsrdjform>("1111");
  auto expense = openEditor<Tfydjform>("1110");
  const struct {
    plugs::coreapp::TSimpleBillForm* form;
    const char* nameField;
    const char* name;
    const char* ids;
    const char* refusal;
  } bills[] = {{income.get(), "sr_name", "废品回收", "sr_id", "请选择收入类别"},
               {expense.get(), "fy_name", "材料费", "fy_id", "请选择费用类别"}};
  for (const auto& b : bills) {
    SCOPED_TRACE(b.name);
    ASSERT_TRUE(startBill(*b.form));
    typeLine(*b.form, {{"je", Value(Currency::fromInt(10))}});
    EXPECT_EQ(postLine(*b.form), host::Outcome::Aborted);
    EXPECT_NE(lastEvent().find(std::string("\"text\":\"") + b.refusal + "\""), std::string::npos) << lastEvent();
    b.form->cdsDetail.fieldByName(b.nameField).setValue(Value(b.name));
    EXPECT_NE(b.form->cdsDetail.fieldByName(b.ids).asInteger(), 0);
    b.form->cdsDetail.fieldByName("je").setValue(Value(Currency::fromInt(-2)));
    EXPECT_EQ(postLine(*b.form), host::Outcome::Done) << lastEvent();
    typeLine(*b.form, {{b.nameField, Value(b.name)}});  // no amount at all passes too
    EXPECT_EQ(postLine(*b.form), host::Outcome::Done) << lastEvent();
  }
}

TEST_F(CashBill, EveryCashBillHidesTheAddLineButton) {
  for (const char* code : {"1110", "1111", "1114"}) {
    SCOPED_TRACE(code);
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    auto* page = dynamic_cast<plugs::coreapp::TSimpleBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done);
    EXPECT_EQ(page->clickAction("actDetail_Add"), host::Outcome::Disabled);
    EXPECT_EQ(page->cdsDetail.recordCount(), 0);
  }
  host::PageControl().clear();
}

TEST_F(CashBill, TransferTotalIsTheSumOfItsLinesAndDeleteTakesThatBillOnly) {
  auto form = savedTransfer({Currency::fromInt(500), Currency::fromInt(250)});
  ASSERT_FALSE(form->billno.empty());
  EXPECT_EQ(form->cdsMaster.fieldByName("hjje").asCurrency(), Currency::fromInt(750));
  EXPECT_EQ(countOf("vt_f_zjzz_mx where billno = '" + form->billno + "' and ozh_id = 1 and izh_id = 2"), 2);
  form->cdsDetail.first();  // the reopened lines show the accounts' names again
  EXPECT_EQ(texts(form->cdsDetail, "izh_name ozh_code"), "银行|01");
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done) << lastEvent();
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("je").setValue(Value(Currency::fromRaw(1000005)));
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select hjje from vt_f_zjzz where billno = '" + form->billno + "'").asText(), "350.0005");

  auto gone = savedTransfer({Currency::fromInt(3)});
  const std::string number = gone->billno;
  ASSERT_EQ(gone->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(countOf("vt_f_zjzz where billno = '" + number + "'") + countOf("vt_f_zjzz_mx where billno = '" + number + "'"), 0);
  EXPECT_EQ(countOf("vt_f_zjzz_mx where billno = '" + form->billno + "'"), 2);
}

TEST_F(CashBill, ExpenseTotalIgnoresWhatWasTypedIntoIt) {
  auto form = openEditor<Tfydjform>("1110");
  ASSERT_TRUE(startBill(*form));
  form->setControlText(form->control("cbzh"), "现金");
  form->setControlText(form->control("edthjje"), "999");
  typeLine(*form, {{"fy_name", Value("房租")}, {"je", Value(Currency::fromInt(30))}});
  ASSERT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
  typeLine(*form, {{"fy_name", Value("材料费")}, {"je", Value(Currency::fromRaw(125000))}});
  ASSERT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(texts(form->cdsMaster, "hjje zh_id"), "42.5|1");
  EXPECT_EQ(form->control("cbzh").items.front(), "现金");
}

TEST_F(CashBill, IncomeWithoutAccountIsRefusedAfterItsLinesPassed) {
  auto form = openEditor<Tsrdjform>("1111");
  ASSERT_TRUE(startBill(*form));
  EXPECT_EQ(save(*form), host::Outcome::Aborted);  // no lines yet: the common check speaks first
  EXPECT_NE(lastEvent().find("单据无明细，不能保存"), std::string::npos) << lastEvent();
  // A line left without category is refused on its own post before the bill is checked.
  typeLine(*form, {{"je", Value(Currency::fromInt(20))}});
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("请选择收入类别"), std::string::npos) << lastEvent();
  form->cdsDetail.fieldByName("sr_name").setValue(Value("废品回收"));
  EXPECT_EQ(save(*form), host::Outcome::Aborted);
  EXPECT_NE(lastEvent().find("\"text\":\"请选择结算账户.\""), std::string::npos) << lastEvent();
  EXPECT_EQ(countOf("vt_f_srdj"), 0);
  EXPECT_TRUE(form->editMode);
  form->setControlText(form->control("cbzh"), "微信");
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts("select zh_id, hjje from vt_f_srdj where billno = '" + form->billno + "'"),
            std::vector<std::string>{"3|20"});
}

TEST_F(CashBill, TheDrawerOpensOnceOnASuccessfulAuditOnly) {
  auto transfer = savedTransfer({Currency::fromInt(100)});
  checkDrawer(*transfer, *openEditor<Tzjzzform>("1114", transfer->billno));
  auto income = savedLedgerBill<Tsrdjform>("1111", "sr_id", Currency::fromInt(5));
  checkDrawer(*income, *openEditor<Tsrdjform>("1111", income->billno));
  auto expense = savedLedgerBill<Tfydjform>("1110", "fy_id", Currency::fromInt(7));
  checkDrawer(*expense, *openEditor<Tfydjform>("1110", expense->billno));
}

TEST_F(CashBill, BalancesAddEveryAuditedMovementAndUnauditingTakesItBack) {
  auto transfer = savedTransfer({Currency::fromRaw(1000001)});
  EXPECT_EQ(balances(), "0|0|0 0|0|0 0|0|0") << "a saved bill moves nothing until audited";
  ASSERT_EQ(transfer->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(balances(), "0|100.0001|-100.0001 100.0001|0|100.0001 0|0|0");
  ASSERT_EQ(transfer->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(balances(), "0|0|0 0|0|0 0|0|0");

  // Income 300 and expense 42.5 through cash; 100 moved from cash to the bank.
  auto income = savedLedgerBill<Tsrdjform>("1111", "sr_id", Currency::fromInt(300));
  auto expense = savedLedgerBill<Tfydjform>("1110", "fy_id", Currency::fromRaw(425000));
  auto moved = savedTransfer({Currency::fromInt(100)});
  for (auto* bill : std::initializer_list<plugs::coreapp::TSimpleBillForm*>{income.get(), expense.get(), moved.get()})
    ASSERT_EQ(bill->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  // An audited receipt line into the bank, a payment out of WeChat, an order settled in
  // cash, a reduction (no account) and a receipt still in draft.
  query(R"sql(
insert into vt_f_khsk(orgid, billno, status) values ('0001', 'SK1', 1)
insert into vt_f_khsk_mx(uid, orgid, billno, zh_id, je) values ('u1', '0001', 'SK1', 2, 60)
insert into vt_f_khsk(orgid, billno, status) values ('0001', 'SK2', 0)
insert into vt_f_khsk_mx(uid, orgid, billno, zh_id, je) values ('u2', '0001', 'SK2', 2, 1000)
insert into vt_f_gysfk(orgid, billno, status) values ('0001', 'FK1', 1)
insert into vt_f_gysfk_mx(uid, orgid, billno, zh_id, je) values ('u3', '0001', 'FK1', 3, 15.25)
insert into vt_x_xmzzk_js(orgid, uid, billno, zh_id, je) values ('0001', 'u4', 'XM1', 1, 88)
insert into vt_x_xmzzk_js(orgid, uid, billno, zh_id, je) values ('0001', 'u5', 'XM1', 0, 5)
)sql");
  EXPECT_EQ(rowTexts("select zh_id, srje, zcje, ye from vt_v_zhye where orgid = '0001' order by zh_id"),
            (std::vector<std::string>{"1|388|142.5|245.5", "2|160|0|160", "3|0|15.25|-15.25"}));
}

}  // namespace
