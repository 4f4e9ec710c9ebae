// Plug 1100 as the package registers it: GUID, caption, class and its rights in the
// stated order, each child under the root with the package's fixed values.
#include <gtest/gtest.h>

#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace {

TEST(XmzzkRegistration, ItemAndRightsInOrder) {
  if (host::plugsPool().plugbyName("1100") == nullptr) plugs::coreapp::xmzzk::registerXmzzkForm();
  const host::TPlugItem* item = host::plugsPool().plugbyName("1100");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GUID, "{D39C9544-629B-405D-930F-FDD40B0EF1D6}");
  EXPECT_EQ(item->caption, "项目订单");
  EXPECT_EQ(item->formClass.name, "TxmzzkForm");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"1100", "项目订单"}, {"1100_01", "添加"}, {"1100_02", "修改"}, {"1100_03", "删除"},
      {"1100_04", "完工"},  {"1100_05", "草稿"}, {"1100_06", "打印"}, {"1100_061", "模板设置"},
      {"1100_07", "结算"},  {"1100_08", "作废"}, {"1100_10", "附件"}, {"1100_20", "单据设置"}};
  ASSERT_EQ(item->rules().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const host::TauthRule& r = item->rules()[i];
    EXPECT_EQ(r.code, expected[i].first);
    EXPECT_EQ(r.caption, expected[i].second);
    EXPECT_EQ(r.parent, i == 0 ? "" : "1100");
    EXPECT_EQ(r.value1, 1);
    EXPECT_EQ(r.value2, 1);
    EXPECT_EQ(r.extra, "");
  }
}

}  // namespace
