// Plug items, rules, the pool and the unit start-up (each bill's standard rights are
// checked with the package's own items).
#include <gtest/gtest.h>

#include "host/plug/plug_listing.h"
#include "host/plug/standard_rules.h"
#include "host/plug/t_plugs_pool.h"
#include "host/plug/unit_initialization.h"

namespace {

using namespace host;

class PlugTest : public ::testing::Test {
 protected:
  void SetUp() override { plugsPool().clear(); }
  void TearDown() override { plugsPool().clear(); }
};

TEST_F(PlugTest, ARuleCodeRepeatedWithinOneItemRaises) {
  TPlugItemSingleBasic item;
  item.code = "1100";
  item.addRule(TauthRule("1100", "", "项目订单"));
  item.addRule(TauthRule("1100_01", "1100", "添加"));
  EXPECT_THROW(item.addRule(TauthRule("1100_01", "1100", "again")), std::invalid_argument);
  EXPECT_EQ(item.rules().size(), 2u);
  EXPECT_EQ(item.rule("1100_01")->caption, "添加");
  // the same code in another item is no repetition
  TPlugItemSingleBasic other;
  EXPECT_NO_THROW(other.addRule(TauthRule("1100_01", "1100", "添加")));
}

TEST_F(PlugTest, PoolKeepsRegistrationOrderAndFindsByCaptionOrCode) {
  for (auto [code, caption] :
       {std::pair{"1121", "销货单"}, {"1100", "项目订单"}, {"1100_07", "订单结算"}})
    registerPackageItem("{G}", caption, code, {"T", nullptr}, nullptr, {});
  std::vector<std::string> order;
  for (TPlugItem* item : plugsPool().items()) order.push_back(item->code);
  EXPECT_EQ(order, (std::vector<std::string>{"1121", "1100", "1100_07"}));
  EXPECT_EQ(plugsPool().plugbyName("订单结算")->code, "1100_07");
  EXPECT_EQ(plugsPool().plugbyName("1100")->caption, "项目订单");
  EXPECT_EQ(plugsPool().plugbyName("1100_07")->rules().size(), 0u);  // settlement has no rules
  EXPECT_EQ(plugsPool().plugbyName("不存在"), nullptr);
  EXPECT_THROW(registerPackageItem("{G}", "又一个", "1100", {"T", nullptr}, nullptr, {}),
               std::invalid_argument);
}

TEST_F(PlugTest, CreatorAndSelectionAreCalledWithTheirArguments) {
  TPlugItem& item = registerPackageItem(
      "{G}", "项目订单", "1100", {"TxmzzkForm", nullptr},
      [](Owner, TPlugItem& self, const std::string& billno, const std::string&,
         const std::vector<std::string>&) { self.caption = "opened " + billno; },
      {});
  item.create(nullptr, "XM0001");
  EXPECT_EQ(item.caption, "opened XM0001");
  EXPECT_THROW(item.selectData(nullptr, "", ""), std::logic_error);  // not a query plug
}

int registrations = 0;
void registerUnit() { ++registrations; }

TEST_F(PlugTest, UnitRegistersOnFirstInitializationOnly) {
  UnitInitialization unit(registerUnit);
  registrations = 0;
  unit.initialize();
  unit.initialize();
  EXPECT_EQ(registrations, 1);
  unit.finalize();
  unit.finalize();
  unit.finalize();  // never below zero
  EXPECT_EQ(unit.useCount(), 0);
  unit.initialize();  // a fresh start registers again
  EXPECT_EQ(registrations, 2);
}

TEST_F(PlugTest, ListingLineNamesItemAndRulesInOrder) {
  TPlugItem& item = registerPackageItem("{601BA803-50C8-4C44-85DD-BA79E49E3527}", "零散业务单",
                                        "1103", {"Tsamplexmzzkform", nullptr}, nullptr,
                                        {{"_01", "修改默认客户"}, {"_02", "编辑常用项目"}});
  EXPECT_EQ(plugItemJson(item),
            R"({"code":"1103","caption":"零散业务单","class":"Tsamplexmzzkform",)"
            R"("guid":"{601BA803-50C8-4C44-85DD-BA79E49E3527}","rules":[)"
            R"({"code":"1103","parent":"","caption":"零散业务单"},)"
            R"({"code":"1103_01","parent":"1103","caption":"修改默认客户"},)"
            R"({"code":"1103_02","parent":"1103","caption":"编辑常用项目"}]})");
}

}  // namespace
