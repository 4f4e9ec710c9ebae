// The order editor's line recalculation on the embedded database: customer pick and
// header defaults, items to priced lines, tier re-pricing on a quantity change in one
// change, typed amounts, minimum charge, consumables following quantity × sets, products,
// and staff shares with their limit. Prices are those of xmzzk_session.h.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/abort.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "xmzzk_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::TxmzzkForm;
using plugs::coreapp::xmzzk::zzry_addone;

Currency cash(const char* text) { return *Currency::parse(text); }

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

  Currency line(const char* field) { return money(form->cdsDetail, field); }

  std::unique_ptr<TxmzzkForm> form;
};

TEST_F(OrderLines, CustomerFillsHeaderDefaultsAndDefaultContact) {
  dataset::ClientDataSet& m = form->cdsMaster;
  EXPECT_EQ(form->control("edtwldw").tag, 1);
  EXPECT_EQ(form->control("edtwldwmc").text, "星光广告");
  const std::pair<const char*, const char*> defaults[] = {
      {"khlx", "签单"}, {"ywy_name", "李强"}, {"lxr", "周经理"}, {"tel", "13800000001"},
      {"zdzk", "1"},    {"txsj", "12"},       {"jjcd", "普通"},  {"shfs_name", "门店自提"}};
  for (const auto& [field, want] : defaults) EXPECT_EQ(text(m, field), want) << field;
  EXPECT_EQ(form->control("cxLabel3").text, "未处理");
  // Another customer clears the contact; C002 has no default contact.
  form->setkhinfo(R"([{"id":"2","code":"C002","name":"蓝天会员","khlx":"现结","ywy_id":"0"}])");
  EXPECT_TRUE(m.fieldByName("lxr").isNull());
  EXPECT_EQ(form->control("edtwldw").tag, 2);
}

// One typed field of the line and the price and amount it leaves (none: not checked).
struct Step {
  Step(const char* f, core::Value v, const char* p = nullptr, const char* a = nullptr)
      : field(f), typed(std::move(v)), dj(p), je(a) {}
  const char* field;
  core::Value typed;
  const char *dj, *je;
};

// The price and amount a step leaves, where it names them.
void expectFigures(const dataset::ClientDataSet& ds, const Step& s) {
  const std::string at = s.field != nullptr ? s.field : "as added";
  if (s.dj != nullptr) {
    EXPECT_EQ(ds.fieldByName("dj").asCurrency(), cash(s.dj)) << at;
  }
  if (s.je != nullptr) {
    EXPECT_EQ(ds.fieldByName("je").asCurrency(), cash(s.je)) << at;
  }
}

TEST_F(OrderLines, TypedFieldsRepriceTheLineByTierAreaAndMinimumCharge) {
  const struct {
    const char* item;
    const char* listPrice;
    std::vector<Step> steps;  // the first: the line as added
  } cases[] = {
      // XM002: tier 1-4 for quantity 1 (agreement 27 loses); 5 × 2 = 10 is the open tier;
      // size ignored.
      {R"([{"id":"2"}])",
       "30",
       {{nullptr, {}, "28", "28"},
        {"sl", 5.0, "25", "125"},
        {"n", 2.0, "20", "200"},
        {"x", 3.0, nullptr, "200"}}},
      // XM004 area with k 1000: 500 × 2 × 1.5 × 2 / 1000; a typed amount gives the price
      // (6 × 1000 / 6) and keeps itself; a discount makes the amount follow the price.
      {R"([{"id":"4"}])",
       "500",
       {{"sl", 2.0},
        {"x", 1.5},
        {"y", 2.0, "500", "3"},
        {"je", cash("6"), "1000", "6"},
        {"zk", 0.5, nullptr, "3"}}},
      // XM003 minimum charge: 50 × 0.4 = 20 is raised to 50.
      {R"([{"id":"3"}])", "50", {{"sl", 0.4, "50", "50"}, {"sl", 3.0, nullptr, "150"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    addItems(c.item);
    EXPECT_EQ(line("old_dj"), cash(c.listPrice));
    for (const Step& s : c.steps) {
      if (s.field != nullptr) setField(form->cdsDetail, s.field, s.typed);
      expectFigures(form->cdsDetail, s);
    }
    form->cdsDetail.post();
  }
}

TEST_F(OrderLines, ConsumablesFollowQuantityTimesSetsPerLine) {
  addItems(R"([{"id":"4"}])");  // consumable SP001, 0.5 per unit
  dataset::ClientDataSet& hc = form->cdshc;
  ASSERT_EQ(hc.recordCount(), 1);
  EXPECT_EQ(fields(hc, {"nsl", "sl"}), (xmzzk_test::Texts{"0.5", "0.5"}));
  const std::pair<const char*, double> typed[] = {{"sl", 4}, {"n", 3}, {"sl", 0}, {"sl", 5}};
  const double follows[] = {2.0, 6.0, 0.0, 7.5};
  for (int i = 0; i < 4; ++i) {
    setField(form->cdsDetail, typed[i].first, typed[i].second);
    EXPECT_DOUBLE_EQ(number(hc, "sl"), follows[i]) << i;
  }
  setField(form->cdsDetail, "n", 1.0);
  addItems(R"([{"id":"2"}])");  // the new line's quantity 1 is its own
  // Without the setting another line gets no consumables.
  host.settings["zidongchuku"] = "0";
  addItems(R"([{"id":"4"}])");
  EXPECT_EQ(hc.recordCount(), 0);
  form->cdsDetail.first();
  ASSERT_EQ(hc.recordCount(), 1);
  EXPECT_DOUBLE_EQ(number(hc, "sl"), 2.5);
  ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done);
  EXPECT_EQ(cells("select sl, nsl from vt_x_xmzzk_mx_hc"), (xmzzk_test::Texts{"2.5", "0.5"}));
}

TEST_F(OrderLines, RequirementsPickerFillsTheMemo) {
  ui.queueLookup("制作要求查询", R"([{"id":"1","name":"覆亮膜"},{"id":"2","name":"打孔"}])");
  ASSERT_EQ(form->dblClickControl("memzzyq"), host::Outcome::Done);
  EXPECT_EQ(text(form->cdsMaster, "zzyq"), "覆亮膜\r\n打孔");
  // Nothing picked: the memo keeps its text.
  ui.queueLookup("制作要求查询", "[]");
  ASSERT_EQ(form->dblClickControl("memzzyq"), host::Outcome::Done);
  EXPECT_EQ(text(form->cdsMaster, "zzyq"), "覆亮膜\r\n打孔");
}

TEST_F(OrderLines, ShareButtonsAndLeadHoursAsTheFormShowsThem) {
  for (int perc = 10; perc <= 90; perc += 10) {
    const host::Action& a = form->action("actzzry_" + std::to_string(perc));
    EXPECT_EQ(a.group, "自定义(选中员工）");
    EXPECT_EQ(a.caption, std::to_string(perc) + "%");
  }
  // The reminder lead is a whole number of hours from 0 to 999.
  const std::pair<const char*, std::int64_t> cases[] = {
      {"36", 36}, {"1200", 999}, {"-5", 0}, {"7.6", 8}, {"abc", 0}};
  for (const auto& [typed, kept] : cases) {
    form->setControlText(form->control("edttxsj"), typed);
    EXPECT_EQ(form->cdsMaster.fieldByName("txsj").asInteger(), kept) << typed;
  }
}

TEST_F(OrderLines, StaffSharesOfThirdsPassAndOverHundredIsResetAndRefused) {
  addItems(R"([{"id":"2"}])");
  form->cdsDetail.post();
  dataset::ClientDataSet& staff = form->cdszzry;
  for (std::int64_t yg : {1, 2, 3})
    zzry_addone(staff, form->workBillno, text(form->cdsDetail, "uid"), yg, "", "", 33.3333);
  EXPECT_EQ(staff.recordCount(), 3);
  EXPECT_FALSE(saidMessage("分配的比例总和已超过100%，请重新分配."));

  addItems(R"([{"id":"3"}])");  // line amount 50
  form->cdsDetail.post();
  const std::string uid2 = text(form->cdsDetail, "uid");
  zzry_addone(staff, form->workBillno, uid2, 1, "", "", 60);
  EXPECT_EQ(money(staff, "jxje"), cash("30"));  // 50 × 60 / 100
  EXPECT_THROW(zzry_addone(staff, form->workBillno, uid2, 2, "", "", 50), core::Abort);
  EXPECT_TRUE(saidMessage("分配的比例总和已超过100%，请重新分配."));
  EXPECT_EQ(staff.recordCount(), 2);
  EXPECT_EQ(number(staff, "perc"), 0.0);
  EXPECT_EQ(money(staff, "jxje"), Currency());
}

TEST_F(OrderLines, EvenSplitAndCopyToOtherLines) {
  addItems(R"([{"id":"2"},{"id":"3"}])");
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  ui.queueLookup("员工信息查询", R"([{"id":"2"},{"id":"3"}])");
  ASSERT_EQ(form->clickAction("actzzry_add"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actzzry_addme"), host::Outcome::Done);
  ASSERT_EQ(form->cdszzry.recordCount(), 3);
  EXPECT_DOUBLE_EQ(form->cdszzry.sum("perc").asFloat(), 100.0);
  ASSERT_EQ(form->clickAction("actzzry_same"), host::Outcome::Done);
  form->cdsDetail.first();
  EXPECT_EQ(form->cdszzry.recordCount(), 3);
  EXPECT_DOUBLE_EQ(form->cdszzry.sum("perc").asFloat(), 100.0);
}

TEST_F(OrderLines, LineWithoutItemIsRefusedAndDeletedLineTakesItsChildren) {
  form->cdsDetail.append();
  EXPECT_THROW(form->cdsDetail.post(), core::Abort);
  EXPECT_TRUE(saidMessage("请选择服务项目"));
  form->cdsDetail.cancel();
  addItems(R"([{"id":"4"}])");
  form->cdsDetail.post();
  zzry_addone(form->cdszzry, form->workBillno, text(form->cdsDetail, "uid"), 1, "", "", 50);
  form->cdsDetail.deleteRecord();
  form->cdszzry.setFiltered(false);
  form->cdshc.setFiltered(false);
  EXPECT_EQ(form->cdszzry.recordCount(), 0);
  EXPECT_EQ(form->cdshc.recordCount(), 0);
}

TEST_F(OrderLines, TypedItemCodeRunsLookupWithTheTextAndAddsLines) {
  form->cdsDetail.append();
  ui.queueLookup("服务项目查询", R"([{"id":"3"}])");
  form->cdsDetail.fieldByName("xm_code").setValue("XM00");
  EXPECT_TRUE(said("\"filter\":\"XM00\""));
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);  // the typed line gave way to the chosen item
  EXPECT_EQ(text(form->cdsDetail, "xm_code"), "XM003");
  EXPECT_EQ(line("je"), cash("50"));
}

TEST_F(OrderLines, ProductAmountFollowsQuantityAndTypedAmountGivesPrice) {
  dataset::ClientDataSet& cp = form->cdscpmx;
  cp.append();
  EXPECT_DOUBLE_EQ(number(cp, "sl"), 1.0);
  EXPECT_FALSE(text(cp, "uid").empty());
  // Each typed field and the price and amount after it; a typed amount keeps the price.
  const Step steps[] = {{"dj", cash("2.5")},
                        {"sl", 4.0, nullptr, "10"},
                        {"je", cash("7"), "1.75", "7"},
                        {"sl", 3.0},
                        {"je", cash("1"), "0.3333"},  // rounded like the money type
                        {"sl", 0.0, nullptr, "0"},
                        {"je", cash("9"), "0.3333"}};
  for (const Step& s : steps) {
    cp.fieldByName(s.field).setValue(s.typed);
    expectFigures(cp, s);
  }
}

}  // namespace
