// Lookup plugs: the filter text is bound, never written into the query; the Ui
// chooses among what the query found.
#include <gtest/gtest.h>

#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "services_test_host.h"

namespace {

using namespace host;
using host_test::HostTest;

class LookupPlugTest : public HostTest {
 protected:
  void SetUp() override {
    plugsPool().clear();
    registerHostPlugs();
  }
  void TearDown() override { plugsPool().clear(); }

  std::string select(const std::string& caption, const std::string& filter,
                     const std::string& options = "") {
    TPlugItem* item = plugsPool().plugbyName(caption);
    if (item == nullptr) throw std::logic_error("no plug " + caption);
    return item->selectData(nullptr, filter, options);
  }
};

TEST_F(LookupPlugTest, EveryCaptionIsRegisteredOnce) {
  registerHostPlugs();  // a second call adds nothing
  for (const std::string& caption : hostLookupCaptions()) {
    ASSERT_NE(plugsPool().plugbyName(caption), nullptr) << caption;
    EXPECT_TRUE(isHostPlug(caption));
  }
  EXPECT_EQ(plugsPool().items().size(), hostLookupCaptions().size() + 2);  // + 新客户, 新供应商
  EXPECT_NE(plugsPool().plugbyName("新客户"), nullptr);
  EXPECT_FALSE(isHostPlug("项目订单"));
}

TEST_F(LookupPlugTest, FilterWithAQuoteIsBoundNotWrittenIntoTheText) {
  for (const std::string& caption :
       {std::string("服务项目查询"), std::string("商品信息查询"), std::string("员工信息查询"),
        std::string("客户会员查询"), std::string("供应商信息查询")}) {
    conn.batches.clear();
    select(caption, "a'b");
    ASSERT_EQ(conn.batches.size(), 1u) << caption;
    EXPECT_EQ(conn.batches[0].sql.find("a'b"), std::string::npos) << caption;
    EXPECT_EQ(conn.batches[0].param("key"), core::Value("a'b"));
    EXPECT_EQ(conn.batches[0].param("pat"), core::Value("%a'b%"));
    EXPECT_EQ(conn.batches[0].param("orgid"), core::Value("0001"));
  }
}

TEST_F(LookupPlugTest, MultiOptionAndCandidatesReachTheUi) {
  struct Spy : ScriptedUi {
    LookupRequest seen;
    std::string lookup(const LookupRequest& r) override {
      seen = r;
      return R"([{"id":"1"}])";
    }
  } spy;
  host.ui = &spy;
  conn.replyRows({"id", "code", "name"}, {{core::Value(1), core::Value("001"), core::Value("王")}});
  EXPECT_EQ(select("员工信息查询", "", R"({"model":"multi"})"), R"([{"id":"1"}])");
  EXPECT_TRUE(spy.seen.multi);
  EXPECT_EQ(spy.seen.candidates.rows.size(), 1u);
  select("员工信息查询", "", "");
  EXPECT_FALSE(spy.seen.multi);
  select("客户联系人查询", "12");  // the filter is the customer id
  EXPECT_EQ(conn.batches.back().param("kh_id"), core::Value(std::int64_t{12}));
  select("客户联系人查询", "x");  // not a number: no customer
  EXPECT_EQ(conn.batches.back().param("kh_id"), core::Value(std::int64_t{0}));
}

TEST_F(LookupPlugTest, RequirementsLookupGivesTheChosenTextsOneALine) {
  ui.queueLookup("制作要求查询", R"([{"id":"1","name":"覆亮膜"},{"id":"2","name":"打孔"}])");
  EXPECT_EQ(select("制作要求查询", ""), "覆亮膜\r\n打孔");
  EXPECT_EQ(select("制作要求查询", ""), "");  // cancelled
}

TEST_F(LookupPlugTest, NewCustomerAddsTheEnteredRow) {
  DialogReply reply;
  reply.result = mrOK;
  reply.values = {{"code", "C9"}, {"name", "新店's"}, {"tel", "123"}};
  ui.queueDialog("Tkhbmkeditform", reply);
  plugsPool().plugbyName("新客户")->create(nullptr, "");
  ASSERT_EQ(conn.batches.size(), 1u);
  EXPECT_EQ(conn.batches[0].sql.find("新店"), std::string::npos);
  EXPECT_EQ(conn.batches[0].param("name"), core::Value("新店's"));
  EXPECT_EQ(conn.batches[0].param("code"), core::Value("C9"));

  reply.values = {};
  reply.text = "只有名称";  // a dialog answered with one text gives the name
  ui.queueDialog("Tgysbmkeditform", reply);
  plugsPool().plugbyName("新供应商")->create(nullptr, "");
  ASSERT_EQ(conn.batches.size(), 3u);  // the next free code, then the insert
  EXPECT_EQ(conn.batches[2].param("name"), core::Value("只有名称"));
  EXPECT_EQ(conn.batches[2].param("code"), core::Value("GYS0001"));  // empty table: id 1

  reply.text.clear();
  reply.values = {{"code", "C10"}};  // no name: refused before anything is written
  ui.queueDialog("Tkhbmkeditform", reply);
  plugsPool().plugbyName("新客户")->create(nullptr, "");
  EXPECT_EQ(conn.batches.size(), 3u);
  EXPECT_NE(ui.transcript().back().find("请输入客户名称"), std::string::npos);
}

}  // namespace
