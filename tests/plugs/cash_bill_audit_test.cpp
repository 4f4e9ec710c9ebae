// Auditing cash bills: the cash drawer opens once after a successful audit of any of
// the three, never after a refused audit or an un-audit; and account balances follow
// audited bills exactly (vt_v_zhye), un-auditing taking the movement back.
#include <gtest/gtest.h>

#include "cash_bill_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::fydj::Tfydjform;
using plugs::coreapp::srdj::Tsrdjform;
using plugs::coreapp::zjzz::Tzjzzform;

class CashAudit : public cash_test::CashSession {
 protected:
  std::unique_ptr<Tzjzzform> savedTransfer(int from, int to, Currency je) {
    auto form = openEditor<Tzjzzform>("1114");
    EXPECT_TRUE(startBill(*form));
    typeLine(*form, {{"ozh_id", Value(from)}, {"izh_id", Value(to)}, {"je", Value(je)}});
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  // An income or expense bill through account `zh` with one line of `je`.
  template <class Form>
  std::unique_ptr<Form> savedLedgerBill(const char* code, const char* categoryField, int zh, Currency je) {
    auto form = openEditor<Form>(code);
    EXPECT_TRUE(startBill(*form));
    form->cdsMaster.fieldByName("zh_id").setValue(Value(zh));
    typeLine(*form, {{categoryField, Value(1)}, {"je", Value(je)}});
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  long drawerOpenings() const { return count("\"event\":\"drawer\""); }

  // A stale editor's audit and an audit without the right are refused and open nothing;
  // the audit opens the drawer once, the un-audit does not.
  template <class Form>
  void checkDrawer(std::unique_ptr<Form> bill) {
    const std::string code = bill->plugCode();
    const long before = drawerOpenings();
    auto stale = openEditor<Form>(code.c_str(), bill->billno);
    conn.execBatch("update " + std::string(bill->spec.masterTable) + " set version = version + 1");
    bill->OpenBillData(bill->billno);
    EXPECT_EQ(stale->clickAction("actAudit"), host::Outcome::Aborted) << code;
    host.rights = {false, {code + "_05"}};
    EXPECT_EQ(bill->clickAction("actAudit"), host::Outcome::Aborted) << code;
    host.rights.all = true;
    EXPECT_EQ(drawerOpenings(), before) << code;

    ASSERT_EQ(bill->clickAction("actAudit"), host::Outcome::Done) << code << ": " << lastEvent();
    EXPECT_EQ(bill->masterStatus(), 1);
    EXPECT_EQ(drawerOpenings(), before + 1) << code;
    ASSERT_EQ(bill->clickAction("actAudit_0"), host::Outcome::Done) << code << ": " << lastEvent();
    EXPECT_EQ(bill->masterStatus(), 0);
    EXPECT_EQ(drawerOpenings(), before + 1) << code << ": un-auditing opens nothing";
  }
};

TEST_F(CashAudit, TheDrawerOpensOnceOnASuccessfulAuditOnly) {
  checkDrawer(savedTransfer(1, 2, Currency::fromInt(100)));
  checkDrawer(savedLedgerBill<Tsrdjform>("1111", "sr_id", 1, Currency::fromInt(5)));
  checkDrawer(savedLedgerBill<Tfydjform>("1110", "fy_id", 1, Currency::fromInt(7)));
}

TEST_F(CashAudit, ATransferMovesExactlyItsAmountAndUnauditingMovesItBack) {
  auto transfer = savedTransfer(1, 2, Currency::fromRaw(1000001));
  const std::tuple<Currency, Currency, Currency> none{};
  EXPECT_EQ(balance(1), none) << "a saved bill moves nothing until audited";
  ASSERT_EQ(transfer->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(balance(1), std::make_tuple(Currency(), Currency::fromRaw(1000001), -Currency::fromRaw(1000001)));
  EXPECT_EQ(balance(2), std::make_tuple(Currency::fromRaw(1000001), Currency(), Currency::fromRaw(1000001)));
  EXPECT_EQ(balance(3), none);
  ASSERT_EQ(transfer->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(balance(1), none);
  EXPECT_EQ(balance(2), none);
}

TEST_F(CashAudit, BalancesAddEveryAuditedMovementOfTheAccount) {
  // Income 300 and expense 42.5 through cash; 100 moved from cash to the bank.
  auto income = savedLedgerBill<Tsrdjform>("1111", "sr_id", 1, Currency::fromInt(300));
  auto expense = savedLedgerBill<Tfydjform>("1110", "fy_id", 1, Currency::fromRaw(425000));
  auto transfer = savedTransfer(1, 2, Currency::fromInt(100));
  for (auto* bill : std::initializer_list<plugs::coreapp::TSimpleBillForm*>{income.get(), expense.get(), transfer.get()})
    ASSERT_EQ(bill->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  // An audited receipt line into the bank, a payment out of WeChat, an order settled in
  // cash, a reduction (no account) and a receipt still in draft.
  const db::BatchResult r = conn.execBatch(R"sql(
insert into vt_f_khsk(orgid, billno, status) values ('0001', 'SK1', 1)
insert into vt_f_khsk_mx(uid, orgid, billno, zh_id, je) values ('u1', '0001', 'SK1', 2, 60)
insert into vt_f_khsk(orgid, billno, status) values ('0001', 'SK2', 0)
insert into vt_f_khsk_mx(uid, orgid, billno, zh_id, je) values ('u2', '0001', 'SK2', 2, 1000)
insert into vt_f_gysfk(orgid, billno, status) values ('0001', 'FK1', 1)
insert into vt_f_gysfk_mx(uid, orgid, billno, zh_id, je) values ('u3', '0001', 'FK1', 3, 15.25)
insert into vt_x_xmzzk_js(orgid, uid, billno, zh_id, je) values ('0001', 'u4', 'XM1', 1, 88)
insert into vt_x_xmzzk_js(orgid, uid, billno, zh_id, je) values ('0001', 'u5', 'XM1', 0, 5)
)sql");
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(balance(1), std::make_tuple(Currency::fromInt(388), Currency::fromRaw(1425000), Currency::fromRaw(2455000)));
  EXPECT_EQ(balance(2), std::make_tuple(Currency::fromInt(160), Currency(), Currency::fromInt(160)));
  EXPECT_EQ(balance(3), std::make_tuple(Currency(), Currency::fromRaw(152500), -Currency::fromRaw(152500)));
  EXPECT_EQ(scalar("select count(*) from vt_v_zhye where orgid = '0001'").asInteger(), 3);
}

}  // namespace
