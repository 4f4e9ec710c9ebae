// Auditing cash bills: the cash drawer opens once after a successful audit of any of
// the three, never after a refused audit or an un-audit; and account balances follow
// audited bills exactly (vt_v_zhye), un-auditing taking the movement back.
#include <gtest/gtest.h>

#include "cash_bill_session.h"

namespace {

using core::Currency;
using plugs::coreapp::fydj::Tfydjform;
using plugs::coreapp::srdj::Tsrdjform;

class CashAudit : public cash_test::CashSession {
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

TEST_F(CashAudit, TheDrawerOpensOnceOnASuccessfulAuditOnly) {
  auto transfer = savedTransfer({Currency::fromInt(100)});
  checkDrawer(*transfer, *openEditor<plugs::coreapp::zjzz::Tzjzzform>("1114", transfer->billno));
  auto income = savedLedgerBill<Tsrdjform>("1111", "sr_id", Currency::fromInt(5));
  checkDrawer(*income, *openEditor<Tsrdjform>("1111", income->billno));
  auto expense = savedLedgerBill<Tfydjform>("1110", "fy_id", Currency::fromInt(7));
  checkDrawer(*expense, *openEditor<Tfydjform>("1110", expense->billno));
}

TEST_F(CashAudit, BalancesAddEveryAuditedMovementAndUnauditingTakesItBack) {
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
