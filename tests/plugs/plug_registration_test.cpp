// Every plug item of the package as the package start-up registers it: GUID, caption,
// form class, and every rule in order (root first, children under the item code, the
// host's integers 1 and 1 and an empty trailing text), by code and by caption.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/package.h"

namespace {

using Rights = std::vector<std::pair<std::string, std::string>>;  // suffix, caption

Rights standardNineWith(Rights special = {}) {
  Rights rights = {{"_01", "添加"}, {"_02", "修改"}, {"_03", "删除"},    {"_04", "审核"},
                   {"_05", "草稿"}, {"_06", "打印"}, {"_061", "模板设置"}};
  rights.insert(rights.end(), special.begin(), special.end());
  rights.insert(rights.end(), {{"_10", "附件"}, {"_20", "单据设置"}});
  return rights;
}

struct Expected {
  const char* code;
  const char* caption;
  const char* className;
  const char* guid;
  Rights rights;
};

const std::vector<Expected>& packageItems() {
  static const std::vector<Expected> items = {
      {"1100", "项目订单", "TxmzzkForm", "{D39C9544-629B-405D-930F-FDD40B0EF1D6}",
       {{"_01", "添加"}, {"_02", "修改"}, {"_03", "删除"}, {"_04", "完工"}, {"_05", "草稿"}, {"_06", "打印"},
        {"_061", "模板设置"}, {"_07", "结算"}, {"_08", "作废"}, {"_10", "附件"}, {"_20", "单据设置"}}},
      {"1100_07", "订单结算", "Tjiesuanform", "{641CE352-FB6B-4F3A-9986-A188F405525A}", {}},
      {"1101", "处理项目订单", "Txmzzkworkform", "{73F94A46-DE96-4589-B400-0BCE0F52D099}",
       {{"_02", "修改"}, {"_06", "打印"}, {"_061", "模板设置"}}},
      {"1102", "外协加工单", "Txmwtkform", "{60BB895D-C33D-4348-A1AE-84CAF7322852}", standardNineWith()},
      {"1103", "零散业务单", "Tsamplexmzzkform", "{601BA803-50C8-4C44-85DD-BA79E49E3527}",
       {{"_01", "修改默认客户"}, {"_02", "编辑常用项目"}}},
      {"1105", "成品发货单", "Tcpfhform", "{2F3D369A-6A17-4C7D-915B-EB71414D09FA}", standardNineWith()},
      {"1110", "费用单据", "Tfydjform", "{B4418D23-5212-469D-9425-92C429E975FF}", standardNineWith()},
      {"1111", "收入单据", "Tsrdjform", "{B77DDA3E-AC9C-40D5-82B5-F66012B5E16C}", standardNineWith()},
      {"1112", "收款单", "Tkhskform", "{94BAB263-7032-4997-BC25-8C68451C0283}", standardNineWith()},
      {"1113", "付款单", "Tgysfkform", "{56B07E48-085E-4016-8EDE-A641E90DF450}", standardNineWith()},
      {"1114", "资金转账单", "Tzjzzform", "{AC69EF09-5952-419B-9DDC-2977022B89DA}", standardNineWith()},
      {"1115", "预收核销单", "Tyshxform", "{7243F73A-BA08-4CD7-AF8A-26781147245D}", standardNineWith()},
      {"1116", "预付核销单", "Tyfhxform", "{F9F4E5F2-B68B-488C-BFD6-8FE5AFAF23B6}", standardNineWith()},
      {"1117", "客户对账单", "Tkhdzkform", "{C5237390-BAEB-47B9-AAC5-BD0C7551E741}",
       standardNineWith({{"_07", "复核"}})},
      {"1118", "客户开票单", "Tkhkpkform", "{A69B486C-3DF6-49AB-BCFD-495976C88245}", standardNineWith()},
      {"1120", "购货单", "Tspjhform", "{BD0B52CE-9F69-424F-B126-23514EF3715A}", standardNineWith()},
      {"1121", "销货单", "Tspchform", "{F48541A4-586A-4034-89F2-F005DA4356E2}", standardNineWith()},
      {"1122", "其它入库单", "Tqtrkform", "{A973E02E-2A38-4C4C-B628-CBDFE831E4CE}", standardNineWith()},
      {"1123", "其它出库单", "Tqtckform", "{C76F0C3A-DC8E-49A0-960F-E85A917829F6}", standardNineWith()},
      {"1124", "调拨单", "Tspykform", "{366AB9F3-0E2E-4818-B057-4B94F6633472}", standardNineWith()},
      {"1125", "成本调整单", "Tsptjform", "{23CFA596-908E-4705-B56F-D73C670302F9}", standardNineWith()},
      {"1126", "损益单", "Tspsyform", "{BFB84990-FE7F-4BF3-B7D3-540E0BF704D3}", standardNineWith()},
      {"1127", "盘点单", "Tsppdform", "{3D15EBA6-E6B0-4DAD-AD6E-D54F6C41C352}",
       standardNineWith({{"_07", "处理盘点单"}})},
  };
  return items;
}

// Other tests register single units directly; the pool is emptied so that the start-up
// registers every item itself, and counted down again so it can run once more.
class PackageRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    host::plugsPool().clear();
    plugs::coreapp::initializePackage();
  }
  void TearDown() override { plugs::coreapp::finalizePackage(); }
};

TEST_F(PackageRegistration, EveryItemWithItsClassGuidAndRulesInOrder) {
  for (const Expected& want : packageItems()) {
    SCOPED_TRACE(want.code);
    const host::TPlugItem* item = host::plugsPool().plugbyName(want.code);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(host::plugsPool().plugbyName(want.caption), item);
    EXPECT_EQ(item->code, want.code);
    EXPECT_EQ(item->GUID, want.guid);
    EXPECT_EQ(item->caption, want.caption);
    EXPECT_EQ(item->formClass.name, want.className);
    if (want.rights.empty()) {  // the settlement window is reached through the order's right
      EXPECT_TRUE(item->rules().empty());
      continue;
    }
    ASSERT_EQ(item->rules().size(), want.rights.size() + 1);
    for (std::size_t i = 0; i < item->rules().size(); ++i) {
      const host::TauthRule& r = item->rules()[i];
      EXPECT_EQ(r.code, i == 0 ? std::string(want.code) : want.code + want.rights[i - 1].first);
      EXPECT_EQ(r.caption, i == 0 ? std::string(want.caption) : want.rights[i - 1].second);
      EXPECT_EQ(r.parent, i == 0 ? "" : want.code);
      EXPECT_EQ(r.value1, 1);
      EXPECT_EQ(r.value2, 1);
      EXPECT_EQ(r.extra, "");
    }
  }
}

}  // namespace
