// The printed order and settlement slip of a card-holding customer: no print dataset
// carries the card's password hash, and the pages show designed captions, money with
// two decimals and dates without seconds, never a key, an internal column or a secret.
#include <unistd.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "host/print/print_template.h"
#include "jiesuan_session.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"

namespace {

class OrderPrint : public jiesuan_test::SettlementSession {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("coreapp-order-print-" + std::to_string(::getpid()));
    host.printFolder = folder.string();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  // The page of the last print, after checking that none of its datasets holds a secret.
  std::string lastPage() {
    EXPECT_FALSE(ui.prints().empty());
    if (ui.prints().empty()) return {};
    const host::PrintJob& job = ui.prints().back();
    for (size_t i = 0; i < job.fields.size(); ++i)
      for (const std::string& f : job.fields[i])
        EXPECT_FALSE(host::isSecretField(f)) << f << " in " << job.datasets[i].first;
    std::ifstream in(job.file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Nothing on the page that the shop's customer must not read.
  static void expectNoLeak(const std::string& html) {
    EXPECT_EQ(html.find("e10adc3949ba59abbe56e057f20f883e"), std::string::npos);  // card hash
    for (const char* raw : {"billno", "perc", "jxjf", "jxje", "yg_code", "pwd", "uid", "mx_uid",
                            "xm_id", "kh_id", "price_in", "orgid"})
      EXPECT_EQ(html.find(std::string("<th>") + raw + "</th>"), std::string::npos) << raw;
    EXPECT_FALSE(std::regex_search(html, std::regex("\\d\\d:\\d\\d:\\d\\d")));  // no seconds
  }

  std::filesystem::path folder;
};

TEST_F(OrderPrint, OrderOfACardHolderPrintsItsDesignWithoutSecrets) {
  auto form = openEditor();
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  form->setkhinfo(R"([{"id":"2","code":"C002","name":"蓝天会员","khlx":"现结","ywy_id":"0"}])");
  ui.queueLookup("服务项目查询", R"([{"id":"2"}])");
  ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("sl").setValue(5.0);
  form->cdsDetail.post();
  const std::string uid = form->cdsDetail.fieldByName("uid").asString();
  plugs::coreapp::xmzzk::zzry_addone(form->cdszzry, form->workBillno, uid, 2, "002", "李强", 100);
  ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done);

  const std::string html = lastPage();
  expectNoLeak(html);
  for (const char* part : {"<h1>项目订单</h1>", "<th>订单编号</th>", "<th>项目名称</th>",
                           "<td>名片</td>", "<td>125.00</td>", "合计金额：125.00", "未结：125.00",
                           "客户签字：", "<th>交货日期</th>"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  EXPECT_EQ(html.find("李强"), std::string::npos);  // staff shares are not the customer's
  EXPECT_EQ(html.find("金卡"), std::string::npos);  // nor the member card
}

TEST_F(OrderPrint, SettlementSlipShowsMethodsAndAmountsWithoutSecrets) {
  auto pay = openDialog("JS001");
  ASSERT_EQ(payByCard(*pay, "30", "123456", "卡付"), host::Outcome::Done);
  ASSERT_EQ(pay->clickAction("actok"), host::Outcome::Done);
  auto slip = openDialog("JS001");
  ASSERT_EQ(slip->clickAction("actprint"), host::Outcome::Done);

  const std::string html = lastPage();
  expectNoLeak(html);
  for (const char* part : {"<h1>订单结算单</h1>", "<h3>结算记录</h3>", "<td>会员卡</td>",
                           "<td>30.00</td>", "合计金额：200.00", "已结：30.00", "未结：170.00",
                           "收款人："})
    EXPECT_NE(html.find(part), std::string::npos) << part;
}

}  // namespace
