// Printing: the HTML document carries the header values, the lines with their totals
// and the shop name; the Ui hears of it and the done callback runs after the file is
// written.
#include "host/print/print_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dataset/client_data_set.h"
#include "services_test_host.h"

namespace {

using dataset::ClientDataSet;
using dataset::FieldType;
using host_test::HostTest;

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PrintTest : public HostTest {
 protected:
  void SetUp() override {
    folder =
        std::filesystem::temp_directory_path() /
        ("coreapp-print-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(folder);
    host.printFolder = folder.string();
    head.addField({"billno"});
    head.addField({"kh_name"});
    head.addField({"hjje", FieldType::Currency});
    head.open();
    row(head, {{"billno", "XM0007"},
               {"kh_name", "A<B>广告"},
               {"hjje", core::Currency::fromRaw(1975000)}});
    lines.addField({"kh_id", FieldType::Integer});
    lines.addField({"xm_name"});
    lines.addField({"sl", FieldType::Float});
    lines.addField({"dj", FieldType::Currency});
    lines.addField({"je", FieldType::Currency});
    lines.open();
    row(lines, {{"kh_id", 3},
                {"xm_name", "写真"},
                {"sl", 2.0},
                {"dj", core::Currency::fromRaw(625000)},
                {"je", core::Currency::fromRaw(1250000)}});
    row(lines, {{"kh_id", 3},
                {"xm_name", "喷绘"},
                {"sl", 3.0},
                {"dj", core::Currency::fromRaw(241667)},
                {"je", core::Currency::fromRaw(725000)}});
    staff.addField({"yg_id", FieldType::Integer});
    staff.addField({"yg_name"});
    staff.addField({"jxje", FieldType::Currency});
    staff.open();
    row(staff, {{"yg_id", 4}, {"yg_name", "李工"}, {"jxje", core::Currency::fromRaw(30000)}});
    empty.addField({"x"});
    empty.open();
    sets.add("表头数据", head);
    sets.add("明细数据", lines);
    sets.add("员工业绩", staff);
    sets.add("生产耗材", empty);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  static void row(ClientDataSet& ds, std::vector<std::pair<std::string, core::Value>> values) {
    ds.append();
    for (auto& [name, v] : values) ds.fieldByName(name).setValue(v);
    ds.post();
  }

  std::filesystem::path folder;
  ClientDataSet head{"head"}, lines{"lines"}, staff{"staff"}, empty{"empty"};
  host::TDataSetCollection sets;
  host::PrintValues values{{"表单编号", "1100"}, {"表单名称", "项目订单"}};
};

TEST_F(PrintTest, DocumentHoldsHeaderLinesTotalsAndShopName) {
  conn.replyRows({"name"}, {{core::Value("星光图文")}});
  bool doneSawFile = false;
  std::string file = host::OpenSetPrintReportForm(nullptr, "1100", sets, values, [&] {
    doneSawFile = std::filesystem::exists(folder / "1100-XM0007.html");
  });
  EXPECT_TRUE(doneSawFile);
  EXPECT_EQ(file, (folder / "1100-XM0007.html").string());
  std::string html = readFile(file);
  for (const char* part :
       {"<h2 class=\"shop\">星光图文</h2>", "<h1>项目订单</h1>", "<th>单据编号</th><td>XM0007</td>",
        "<td>A&lt;B&gt;广告</td>", "<td>197.5</td>",
        "<td>1</td><td>写真</td><td>2</td><td>62.5</td><td>125</td>",
        // totals: quantity 2 + 3, amount 125 + 72.5; the price is not totalled
        "<td>合计</td><td></td><td>5</td><td></td><td>197.5</td>"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  // a further dataset prints under its name with its own fields and money totals
  EXPECT_NE(
      html.find("<h3>员工业绩</h3>\n<table class=\"lines\">\n<tr><th>序号</th><th>yg_name</th>"
                "<th>jxje</th></tr>\n<tr><td>1</td><td>李工</td><td>3</td></tr>\n"
                "<tr class=\"total\"><td>合计</td><td></td><td>3</td>"),
      std::string::npos);
  EXPECT_EQ(html.find("生产耗材"), std::string::npos);  // nothing to print
  EXPECT_EQ(html.find("kh_id"), std::string::npos);     // keys are not printed
  ASSERT_FALSE(ui.transcript().empty());
  EXPECT_EQ(
      ui.transcript().back(),
      R"({"event":"print","code":"1100","datasets":{"表头数据":1,"明细数据":2,"员工业绩":1,"生产耗材":0},"values":{"表单编号":"1100","表单名称":"项目订单"}})");
}

TEST_F(PrintTest, TemplateFileOfTheCodeChoosesTitleAndColumns) {
  std::filesystem::create_directories(folder / "tpl");
  host.printTemplateFolder = (folder / "tpl").string();
  std::ofstream(folder / "tpl" / "1121.json")
      << R"({"title":"销货单（客户联）","lines":{"columns":[["品名","xm_name"],["金额","je",true]]}})";
  std::string html = readFile(host::OpenSetPrintReportForm(nullptr, "1121", sets, values));
  EXPECT_NE(html.find("<h1>销货单（客户联）</h1>"), std::string::npos);
  EXPECT_NE(html.find("<th>序号</th><th>品名</th><th>金额</th></tr>"), std::string::npos);
  EXPECT_NE(html.find("<td>合计</td><td></td><td>197.5</td>"), std::string::npos);

  std::ofstream(folder / "tpl" / "1122.json") << R"({"lines":{"columns":[["x"]]}})";
  EXPECT_THROW(host::OpenSetPrintReportForm(nullptr, "1122", sets, values), std::runtime_error);
}

}  // namespace
