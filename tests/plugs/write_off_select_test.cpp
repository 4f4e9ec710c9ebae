// The source selectors: which bills they list and with what settled and open amounts
// (settlement payments, amounts received or paid on the bill itself, other bills'
// ledger rows but not the caller's own), the store picker (login store preselected,
// empty = every store not deleted), tick-all toggling, the focused bill's lines, the
// statement variant, and OK without a tick.
#include <gtest/gtest.h>

#include <map>

#include "core/json.h"
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "write_off_session.h"

namespace {

using core::Value;
using plugs::coreapp::gysfk::Tgysfkhxselectform;
using plugs::coreapp::khsk::Tkhskhxselectform;

class SourceSelector : public write_off_test::WriteOffSession {
 protected:
  //! Every listed bill by number after "查询", as "hjje|hxje_ok|bchx".
  static std::map<std::string, std::string> listedBills(plugs::coreapp::TWriteOffSelectForm& form) {
    EXPECT_EQ(form.clickAction("cxButton3"), host::Outcome::Done);
    std::map<std::string, std::string> out;
    for (form.cdsResult.first(); !form.cdsResult.eof(); form.cdsResult.next())
      out[form.cdsResult.fieldByName("hxbillno").asString()] = texts(form.cdsResult, "hjje hxje_ok bchx");
    return out;
  }

  void ledgerRow(const char* table, const char* billno, const char* biztype, int id, const char* hxbillno, int bchx) {
    query(std::string("insert into ") + table + "(orgid, billno, biztype, hxbillid, hxbillno, bchx) values ('0001', '" +
          billno + "', '" + biztype + "', " + std::to_string(id) + ", '" + hxbillno + "', " + std::to_string(bchx) + ")");
  }
};

TEST_F(SourceSelector, CustomerBillsShowWhatIsSettledAndWhatIsOpen) {
  query("insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, je) values ('0001', 'j1', 'XM001', 1, 200)");
  ledgerRow("vt_sys_hx_kh", "SK-OTHER", "项目订单", 1, "XM001", 300);
  ledgerRow("vt_sys_hx_kh", "SK-MINE", "项目订单", 2, "XM002", 600);  // the caller's own row
  auto form = host::makeForm<Tkhskhxselectform>(nullptr, 1, 1, "SK-MINE");
  form->control("cbck").text.clear();
  // Voided XM003, draft sales bill XH002 and XM004 of a deleted store are not listed.
  EXPECT_EQ(listedBills(*form), (std::map<std::string, std::string>{
                                    {"XM001", "1000|500|500"}, {"XM002", "600|0|600"}, {"XH001", "820|100|720"}}));
  form->cdsResult.first();
  EXPECT_EQ(form->cdsResult.fieldByName("hxbillno").asString(), "XM001");  // oldest first
}

TEST_F(SourceSelector, FullySettledBillsAreListedOnlyInTheStatementVariant) {
  ledgerRow("vt_sys_hx_kh", "SK-OTHER", "项目订单", 1, "XM001", 1000);
  auto ordinary = host::makeForm<Tkhskhxselectform>(nullptr, 1, 1, "");
  EXPECT_EQ(listedBills(*ordinary).count("XM001"), 0u);
  auto statement = host::makeForm<Tkhskhxselectform>(nullptr, 1, 1, "", true);
  const auto bills = listedBills(*statement);
  EXPECT_EQ(bills.at("XM001"), "1000|1000|0");
  EXPECT_EQ(bills.count("XM002"), 0u);  // not completed
  query("update vt_x_xmzzk set dzflag = 1 where id = 1");
  EXPECT_EQ(listedBills(*statement).count("XM001"), 0u);
}

TEST_F(SourceSelector, TheLoginStoreIsPreselectedAndAnEmptyPickerListsEveryStore) {
  auto form = host::makeForm<Tkhskhxselectform>(nullptr, 1, 1, "");
  EXPECT_EQ(form->control("cbck").text, "C01");
  EXPECT_TRUE(form->cdsResult.isEmpty() || !form->cdsResult.active());  // empty until 查询
  EXPECT_EQ(listedBills(*form).count("XM002"), 0u);  // store 2
  form->control("cbck").text.clear();
  EXPECT_EQ(listedBills(*form).count("XM002"), 1u);
  form->control("cbck").text = "C02";
  EXPECT_EQ(listedBills(*form), (std::map<std::string, std::string>{{"XM002", "600|0|600"}}));
}

// Only listed bills are ticked: a row added by hand (it would come back as a blank bill,
// a write-off line of no bill) or a row removed is refused by the grid and the dataset.
TEST_F(SourceSelector, HeaderClicksTickAndUntickAllAndOkNeedsATick) {
  auto form = host::makeForm<Tkhskhxselectform>(nullptr, 1, 0, "");
  listedBills(*form);
  for (const bool insert : {true, false}) {
    EXPECT_FALSE(form->userMayChangeRows("cdsResult", insert));
    EXPECT_FALSE(form->userMayChangeRows("cdsywmx", insert));
    EXPECT_EQ(
        form->dispatch([&] { insert ? form->cdsResult.append() : form->cdsResult.deleteRecord(); }),
        host::Outcome::Aborted);
  }
  auto ticked = [&] {
    int n = 0;
    for (form->cdsResult.first(); !form->cdsResult.eof(); form->cdsResult.next())
      n += form->cdsResult.fieldByName("selected").asBoolean() ? 1 : 0;
    return n;
  };
  ASSERT_EQ(form->cdsResult.recordCount(), 3);
  form->clickAction("selectedHeaderClick");
  EXPECT_EQ(ticked(), 3);
  form->clickAction("selectedHeaderClick");
  EXPECT_EQ(ticked(), 0);
  form->clickAction("actok");
  EXPECT_EQ(form->ModalResult, host::mrNone);
  EXPECT_EQ(form->cdsResult.recordCount(), 3);  // the dialog stays on the whole list

  form->cdsResult.first();
  form->cdsResult.edit();
  form->cdsResult.fieldByName("selected").setValue(Value(true));
  form->cdsResult.post();
  form->clickAction("actok");
  EXPECT_EQ(form->ModalResult, host::mrOK);
  const auto rows = core::parseSelection(form->resultJson);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].get("hxbillno") + "|" + rows[0].get("biztype"), "XM001|项目订单");
}

TEST_F(SourceSelector, TheFocusedBillShowsItsLines) {
  query("insert into vt_b_spbmk(orgid, code, name, itemno, baseunit) values ('0001', 'SP1', '铜版纸', 'A4', '包')");
  query("insert into vt_c_spch_mx(uid, orgid, billno, sp_id, sl, dj, je) values ('l1', '0001', 'XH001', 1, 4, 200, 800)");
  auto form = host::makeForm<Tkhskhxselectform>(nullptr, 1, 0, "");
  listedBills(*form);
  ASSERT_TRUE(form->cdsResult.locate("hxbillno", Value(std::string("XH001"))));
  ASSERT_TRUE(form->cdsywmx.active());
  ASSERT_EQ(form->cdsywmx.recordCount(), 1);
  EXPECT_EQ(texts(form->cdsywmx, "code je"), "SP1|800");
}

TEST_F(SourceSelector, SupplierBillsCountWhatWasPaidOnTheBill) {
  ledgerRow("vt_sys_hx_gys", "FK-OTHER", "外协加工单", 1, "WX001", 200);
  auto form = host::makeForm<Tgysfkhxselectform>(nullptr, 1, 1, "");
  EXPECT_EQ(form->findDataSet("cdsywmx"), nullptr);
  EXPECT_EQ(listedBills(*form), (std::map<std::string, std::string>{{"GH001", "960|100|860"}, {"WX001", "700|200|500"}}));
}

}  // namespace
