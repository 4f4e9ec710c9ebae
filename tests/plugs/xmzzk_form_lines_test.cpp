// The order editor's line recalculation on the embedded database: customer pick and
// header defaults, items to priced lines, tier re-pricing on a quantity change in one
// change, typed amounts, minimum charge, consumables following quantity × sets, and
// staff shares with their limit. Prices are those of xmzzk_session.h.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/abort.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "xmzzk_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::TxmzzkForm;

Currency money(const char* text) { return *Currency::parse(text); }

class OrderLines : public xmzzk_test::OrderSession {
 protected:
  void SetUp() override {
    form = openEditor();
    ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
    form->setkhinfo(R"([{"id":"1","code":"C001","name":"星光广告","khlx":"签单","ywy_id":"2"}])");
  }

  // Adds lines for the items through the service-item lookup.
  void addItems(const std::string& rowsJson) {
    ui.queueLookup("服务项目查询", rowsJson);
    ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  }

  void set(dataset::ClientDataSet& ds, const char* field, const core::Value& v) {
    if (ds.state() == dataset::DataSetState::Browse) ds.edit();
    ds.fieldByName(field).setValue(v);
  }

  Currency line(const char* field) { return form->cdsDetail.fieldByName(field).asCurrency(); }

  std::unique_ptr<TxmzzkForm> form;
};

TEST_F(OrderLines, CustomerFillsHeaderDefaultsAndDefaultContact) {
  dataset::ClientDataSet& m = form->cdsMaster;
  EXPECT_EQ(form->control("edtwldw").tag, 1);
  EXPECT_EQ(form->control("edtwldwmc").text, "星光广告");
  EXPECT_EQ(m.fieldByName("khlx").asString(), "签单");
  EXPECT_EQ(m.fieldByName("ywy_name").asString(), "李强");
  EXPECT_EQ(m.fieldByName("lxr").asString(), "周经理");
  EXPECT_EQ(m.fieldByName("tel").asString(), "13800000001");
  EXPECT_EQ(m.fieldByName("zdzk").asFloat(), 1.0);
  EXPECT_EQ(m.fieldByName("txsj").asInteger(), 12);
  EXPECT_EQ(m.fieldByName("jjcd").asString(), "普通");
  EXPECT_EQ(m.fieldByName("shfs_name").asString(), "门店自提");
  EXPECT_EQ(form->control("cxLabel3").text, "未处理");
  // Another customer clears the contact; C002 has no default contact.
  form->setkhinfo(R"([{"id":"2","code":"C002","name":"蓝天会员","khlx":"现结","ywy_id":"0"}])");
  EXPECT_TRUE(m.fieldByName("lxr").isNull());
  EXPECT_EQ(form->control("edtwldw").tag, 2);
}

TEST_F(OrderLines, QuantityChangeRepricesByTierAndRecomputesInOneChange) {
  addItems(R"([{"id":"2"}])");
  EXPECT_EQ(line("dj"), money("28"));  // tier 1-4 for quantity 1
  EXPECT_EQ(line("je"), money("28"));
  EXPECT_EQ(line("old_dj"), money("30"));
  set(form->cdsDetail, "sl", 5.0);
  EXPECT_EQ(line("dj"), money("25"));
  EXPECT_EQ(line("je"), money("125"));
  set(form->cdsDetail, "n", 2.0);  // 5 × 2 = 10: the open tier
  EXPECT_EQ(line("dj"), money("20"));
  EXPECT_EQ(line("je"), money("200"));  // size ignored: 20 × 5 × 2
  set(form->cdsDetail, "x", 3.0);       // "否": size does not count
  EXPECT_EQ(line("je"), money("200"));
}

TEST_F(OrderLines, AreaLineTypedAmountGivesPriceWithoutRecomputingAmount) {
  addItems(R"([{"id":"4"}])");
  set(form->cdsDetail, "sl", 2.0);
  set(form->cdsDetail, "x", 1.5);
  set(form->cdsDetail, "y", 2.0);
  EXPECT_EQ(line("dj"), money("500"));
  EXPECT_EQ(line("je"), money("3"));  // 500 × 2 × 1.5 × 2 / 1000
  set(form->cdsDetail, "je", money("6"));
  EXPECT_EQ(line("dj"), money("1000"));  // 6 × 1000 / 6
  EXPECT_EQ(line("je"), money("6"));
  set(form->cdsDetail, "zk", 0.5);  // the amount follows the new price again
  EXPECT_EQ(line("je"), money("3"));
}

TEST_F(OrderLines, MinimumChargeLineNeverBelowOnePrice) {
  addItems(R"([{"id":"3"}])");
  set(form->cdsDetail, "sl", 0.4);
  EXPECT_EQ(line("dj"), money("50"));
  EXPECT_EQ(line("je"), money("50"));  // 50 × 0.4 = 20, raised to 50
  set(form->cdsDetail, "sl", 3.0);
  EXPECT_EQ(line("je"), money("150"));
}

TEST_F(OrderLines, ConsumablesFollowQuantityTimesSets) {
  addItems(R"([{"id":"4"}])");
  dataset::ClientDataSet& hc = form->cdshc;
  ASSERT_EQ(hc.recordCount(), 1);
  EXPECT_DOUBLE_EQ(hc.fieldByName("nsl").asFloat(), 0.5);
  EXPECT_DOUBLE_EQ(hc.fieldByName("sl").asFloat(), 0.5);
  set(form->cdsDetail, "sl", 4.0);
  EXPECT_DOUBLE_EQ(hc.fieldByName("sl").asFloat(), 2.0);
  set(form->cdsDetail, "n", 3.0);
  EXPECT_DOUBLE_EQ(hc.fieldByName("sl").asFloat(), 6.0);
  set(form->cdsDetail, "sl", 0.0);
  EXPECT_DOUBLE_EQ(hc.fieldByName("sl").asFloat(), 0.0);
  set(form->cdsDetail, "sl", 4.0);
  // Another line has its own consumables; without the setting none are added.
  host.settings["zidongchuku"] = "0";
  addItems(R"([{"id":"4"}])");
  EXPECT_EQ(hc.recordCount(), 0);
  form->cdsDetail.first();
  EXPECT_EQ(hc.recordCount(), 1);
}

TEST_F(OrderLines, AddingALineLeavesTheConsumablesOfTheLineBefore) {
  addItems(R"([{"id":"4"}])");  // consumable SP001, 0.5 per unit
  set(form->cdsDetail, "sl", 5.0);
  ASSERT_DOUBLE_EQ(form->cdshc.fieldByName("sl").asFloat(), 2.5);
  addItems(R"([{"id":"2"}])");  // the new line's quantity 1 is its own
  form->cdsDetail.first();
  ASSERT_EQ(form->cdshc.recordCount(), 1);
  EXPECT_DOUBLE_EQ(form->cdshc.fieldByName("sl").asFloat(), 2.5);
  ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done);
  auto saved = rows("select sl, nsl from vt_x_xmzzk_mx_hc");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_DOUBLE_EQ(saved[0][0].asFloat(), 2.5);
  EXPECT_DOUBLE_EQ(saved[0][1].asFloat(), 0.5);
}

TEST_F(OrderLines, RequirementsPickerFillsTheMemo) {
  ui.queueLookup("制作要求查询", R"([{"id":"1","name":"覆亮膜"},{"id":"2","name":"打孔"}])");
  ASSERT_EQ(form->dblClickControl("memzzyq"), host::Outcome::Done);
  EXPECT_EQ(form->cdsMaster.fieldByName("zzyq").asString(), "覆亮膜\r\n打孔");
  // Nothing picked: the memo keeps its text.
  ui.queueLookup("制作要求查询", "[]");
  ASSERT_EQ(form->dblClickControl("memzzyq"), host::Outcome::Done);
  EXPECT_EQ(form->cdsMaster.fieldByName("zzyq").asString(), "覆亮膜\r\n打孔");
}

TEST_F(OrderLines, ShareButtonsAndLeadHoursAsTheFormShowsThem) {
  for (int perc = 10; perc <= 90; perc += 10) {
    const host::Action& a = form->action("actzzry_" + std::to_string(perc));
    EXPECT_EQ(a.group, "自定义(选中员工）");
    EXPECT_EQ(a.caption, std::to_string(perc) + "%");
  }
  // The reminder lead is a whole number of hours from 0 to 999.
  host::Control& lead = form->control("edttxsj");
  const struct {
    const char* typed;
    std::int64_t kept;
  } cases[] = {{"36", 36}, {"1200", 999}, {"-5", 0}, {"7.6", 8}, {"abc", 0}};
  for (const auto& c : cases) {
    form->setControlText(lead, c.typed);
    EXPECT_EQ(form->cdsMaster.fieldByName("txsj").asInteger(), c.kept) << c.typed;
  }
}

TEST_F(OrderLines, StaffSharesOfThirdsPassAndOverHundredIsResetAndRefused) {
  addItems(R"([{"id":"2"}])");
  form->cdsDetail.post();
  const std::string uid = form->cdsDetail.fieldByName("uid").asString();
  dataset::ClientDataSet& staff = form->cdszzry;
  for (std::int64_t yg : {1, 2, 3})
    plugs::coreapp::xmzzk::zzry_addone(staff, form->workBillno, uid, yg, "", "", 33.3333);
  EXPECT_EQ(staff.recordCount(), 3);
  EXPECT_FALSE(saidMessage("分配的比例总和已超过100%，请重新分配."));

  addItems(R"([{"id":"3"}])");  // line amount 50
  form->cdsDetail.post();
  const std::string uid2 = form->cdsDetail.fieldByName("uid").asString();
  plugs::coreapp::xmzzk::zzry_addone(staff, form->workBillno, uid2, 1, "", "", 60);
  EXPECT_EQ(staff.fieldByName("jxje").asCurrency(), money("30"));  // 50 × 60 / 100
  EXPECT_THROW(plugs::coreapp::xmzzk::zzry_addone(staff, form->workBillno, uid2, 2, "", "", 50),
               core::Abort);
  EXPECT_TRUE(saidMessage("分配的比例总和已超过100%，请重新分配."));
  EXPECT_EQ(staff.recordCount(), 2);
  EXPECT_EQ(staff.fieldByName("perc").asFloat(), 0.0);
  EXPECT_EQ(staff.fieldByName("jxje").asCurrency(), Currency());
}

TEST_F(OrderLines, EvenSplitAndCopyToOtherLines) {
  addItems(R"([{"id":"2"},{"id":"3"}])");
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  ui.queueLookup("员工信息查询", R"([{"id":"2"},{"id":"3"}])");
  ASSERT_EQ(form->clickAction("actzzry_add"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actzzry_addme"), host::Outcome::Done);
  dataset::ClientDataSet& staff = form->cdszzry;
  ASSERT_EQ(staff.recordCount(), 3);
  EXPECT_DOUBLE_EQ(staff.sum("perc").asFloat(), 100.0);
  ASSERT_EQ(form->clickAction("actzzry_same"), host::Outcome::Done);
  form->cdsDetail.first();
  EXPECT_EQ(staff.recordCount(), 3);
  EXPECT_DOUBLE_EQ(staff.sum("perc").asFloat(), 100.0);
}

TEST_F(OrderLines, LineWithoutItemIsRefusedAndDeletedLineTakesItsChildren) {
  form->cdsDetail.append();
  EXPECT_THROW(form->cdsDetail.post(), core::Abort);
  EXPECT_TRUE(saidMessage("请选择服务项目"));
  form->cdsDetail.cancel();
  addItems(R"([{"id":"4"}])");
  form->cdsDetail.post();
  plugs::coreapp::xmzzk::zzry_addone(form->cdszzry, form->workBillno,
                                     form->cdsDetail.fieldByName("uid").asString(), 1, "", "", 50);
  form->cdsDetail.deleteRecord();
  form->cdszzry.setFiltered(false);
  form->cdshc.setFiltered(false);
  EXPECT_EQ(form->cdszzry.recordCount(), 0);
  EXPECT_EQ(form->cdshc.recordCount(), 0);
}

}  // namespace

namespace {

TEST_F(OrderLines, TypedItemCodeRunsLookupWithTheTextAndAddsLines) {
  form->cdsDetail.append();
  ui.queueLookup("服务项目查询", R"([{"id":"3"}])");
  form->cdsDetail.fieldByName("xm_code").setValue("XM00");
  EXPECT_TRUE(std::any_of(ui.transcript().begin(), ui.transcript().end(), [](const std::string& e) {
    return e.find("\"filter\":\"XM00\"") != std::string::npos;
  }));
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);  // the typed line gave way to the chosen item
  EXPECT_EQ(form->cdsDetail.fieldByName("xm_code").asString(), "XM003");
  EXPECT_EQ(line("je"), money("50"));
}

TEST_F(OrderLines, ProductAmountFollowsQuantityAndTypedAmountGivesPrice) {
  dataset::ClientDataSet& cp = form->cdscpmx;
  cp.append();
  EXPECT_DOUBLE_EQ(cp.fieldByName("sl").asFloat(), 1.0);
  EXPECT_FALSE(cp.fieldByName("uid").asString().empty());
  cp.fieldByName("dj").setValue(money("2.5"));
  cp.fieldByName("sl").setValue(4.0);
  EXPECT_EQ(cp.fieldByName("je").asCurrency(), money("10"));
  cp.fieldByName("je").setValue(money("7"));
  EXPECT_EQ(cp.fieldByName("dj").asCurrency(), money("1.75"));
  EXPECT_EQ(cp.fieldByName("je").asCurrency(), money("7"));
  cp.fieldByName("sl").setValue(3.0);
  cp.fieldByName("je").setValue(money("1"));
  EXPECT_EQ(cp.fieldByName("dj").asCurrency(), money("0.3333"));  // rounded like the money type
  cp.fieldByName("sl").setValue(0.0);  // the amount follows; a typed amount keeps the price
  EXPECT_EQ(cp.fieldByName("je").asCurrency(), money("0"));
  cp.fieldByName("je").setValue(money("9"));
  EXPECT_EQ(cp.fieldByName("dj").asCurrency(), money("0.3333"));
}

}  // namespace
