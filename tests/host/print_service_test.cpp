// Printing: the HTML document carries the header values, the lines with their totals
// and the shop name; the Ui hears of it and the done callback runs after the file is
// written.
#include "host/print/print_service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/date_time.h"
#include "dataset/client_data_set.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "host/print/print_folder.h"
#include "host/print/print_format.h"
#include "host/print/print_template.h"
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
        ("coreapp-print-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    host.printFolder = folder.string();
    using core::Currency;
    fill(head, {{"billno"}, {"kh_name"}, {"hjje", FieldType::Currency}},
         {{"XM0007", "A<B>广告", Currency::fromRaw(1975000)}});
    fill(lines,
         {{"kh_id", FieldType::Integer}, {"xm_name"}, {"sl", FieldType::Float}, {"dj", FieldType::Currency},
          {"je", FieldType::Currency}},
         {{3, "写真", 2.0, Currency::fromRaw(625000), Currency::fromRaw(1250000)},
          {3, "喷绘", 3.0, Currency::fromRaw(241667), Currency::fromRaw(725000)}});
    fill(staff, {{"yg_id", FieldType::Integer}, {"yg_name"}, {"jxje", FieldType::Currency}},
         {{4, "李工", Currency::fromRaw(30000)}});
    fill(empty, {{"x"}}, {});
    sets.add("表头数据", head);
    sets.add("明细数据", lines);
    sets.add("员工业绩", staff);
    sets.add("生产耗材", empty);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  //! Opens `ds` with `fields` and appends `rows`, one value per field in order.
  static void fill(ClientDataSet& ds, std::vector<dataset::FieldDef> fields, std::vector<std::vector<core::Value>> rows) {
    for (dataset::FieldDef& f : fields) ds.addField(std::move(f));
    ds.open();
    for (const std::vector<core::Value>& values : rows) {
      ds.append();
      for (size_t i = 0; i < values.size(); ++i) ds.field(static_cast<int>(i)).setValue(values[i]);
      ds.post();
    }
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
    doneSawFile = std::filesystem::exists(folder / "1100-0001-XM0007.html");
  });
  EXPECT_TRUE(doneSawFile);
  EXPECT_EQ(file, (folder / "1100-0001-XM0007.html").string());
  std::string html = readFile(file);
  for (const char* part :
       {"<h2 class=\"shop\">星光图文</h2>", "<h1>项目订单</h1>",
        "<tr><th>单据编号</th><td>XM0007</td><th>客户</th><td>A&lt;B&gt;广告</td></tr>",
        "<th>合计金额</th><td>197.50</td>",
        "<td>1</td><td>写真</td><td>2</td><td>62.50</td><td>125.00</td>",
        // totals: quantity 2 + 3, amount 125 + 72.5; the price is not totalled
        "<td>合计</td><td></td><td>5</td><td></td><td>197.50</td>",
        "经办人：________________", "客户签字：________________"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  // the staff rows have no known bill column: the fallback leaves them off paper
  EXPECT_EQ(html.find("员工业绩"), std::string::npos);
  EXPECT_EQ(html.find("李工"), std::string::npos);
  EXPECT_EQ(html.find("生产耗材"), std::string::npos);
  EXPECT_EQ(html.find("kh_id"), std::string::npos);
  ASSERT_FALSE(ui.transcript().empty());
  EXPECT_EQ(
      ui.transcript().back(),
      R"({"event":"print","code":"1100","datasets":{"表头数据":1,"明细数据":2,"员工业绩":1,"生产耗材":0},"values":{"表单编号":"1100","表单名称":"项目订单"}})");
  ASSERT_EQ(ui.prints().size(), 1u);
  EXPECT_EQ(ui.prints()[0].fields[1],
            (std::vector<std::string>{"kh_id", "xm_name", "sl", "dj", "je"}));
}

// Whatever a template names, keys and secrets stay off paper; a field difference
// prints the outstanding amount.
TEST_F(PrintTest, RegisteredTemplateCannotPrintKeysOrSecrets) {
  ClientDataSet card{"card"};  // a leak the template tries to show
  fill(card, {{"billno"}, {"pwd"}, {"kh_id", FieldType::Integer}, {"hjje", FieldType::Currency}},
       {{"XM0007", "e10adc3949ba59abbe56e057f20f883e", 3, core::Currency::fromInt(9)}});
  host::TDataSetCollection leaky;
  leaky.add("表头数据", card);
  leaky.add("明细数据", lines);
  host::PrintTemplate t;
  t.title = "测试单";
  t.header = {{"编号", "billno"}, {"密码", "pwd"}, {"客户编号", "kh_id"}};
  t.sections = {{"明细数据", "明细", {{"客户编号", "kh_id"}, {"名称", "xm_name"},
                                     {"金额", "je", true, host::PrintFormat::Money}}}};
  t.totals = {{"未结", "hjje-hjje", false, host::PrintFormat::Money}};
  t.signatures = {"收款人："};
  host::registerPrintTemplate("9990", t);
  std::string html = readFile(host::OpenSetPrintReportForm(nullptr, "9990", leaky, values));
  for (const char* part : {"<h1>测试单</h1>", "<h3>明细</h3>", "<th>序号</th><th>名称</th><th>金额</th>",
                           "<td>合计</td><td></td><td>197.50</td>", "未结：0.00", "收款人："})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  for (const char* leak : {"密码", "客户编号", "pwd", "kh_id", "e10adc"})
    EXPECT_EQ(html.find(leak), std::string::npos) << leak;
}

TEST_F(PrintTest, ValuesReadAsTheShopReadsThem) {
  using host::PrintFormat;
  using host::formatPrintValue;
  const core::Value money(core::Currency::fromRaw(12345000));
  EXPECT_EQ(formatPrintValue(money, PrintFormat::Money), "1,234.50");
  EXPECT_EQ(formatPrintValue(money, PrintFormat::Price), "1,234.50");
  EXPECT_EQ(formatPrintValue(core::Value(core::Currency::fromRaw(24167)), PrintFormat::Price),
            "2.4167");
  EXPECT_EQ(formatPrintValue(core::Value(2.5), PrintFormat::Quantity), "2.5");
  EXPECT_EQ(formatPrintValue(core::Value(3.0), PrintFormat::Quantity), "3");
  EXPECT_EQ(formatPrintValue(core::Value(50.0), PrintFormat::Percent), "50.00%");
  const core::Value when(*core::DateTime::parse("2026-12-06 14:30:05.120"));
  EXPECT_EQ(formatPrintValue(when, PrintFormat::Date), "2026-12-06");
  EXPECT_EQ(formatPrintValue(when, PrintFormat::DateTime), "2026-12-06 14:30");
  EXPECT_EQ(formatPrintValue(when, PrintFormat::Text), "2026-12-06 14:30");
  EXPECT_EQ(formatPrintValue(core::Value("420"), PrintFormat::Money), "420.00");  // text column
  EXPECT_EQ(formatPrintValue(core::Value(), PrintFormat::Money), "");
}

TEST_F(PrintTest, TemplateFileOfTheCodeChoosesTitleAndColumns) {
  std::filesystem::create_directories(folder / "tpl");
  host.printTemplateFolder = (folder / "tpl").string();
  std::ofstream(folder / "tpl" / "1121.json")
      << R"({"title":"销货单（客户联）","lines":{"columns":[["品名","xm_name"],["金额","je",true,"money"]]},)"
      << R"("totals":[["合计金额","hjje","money"]],"signatures":["送货人："]})";
  std::string html = readFile(host::OpenSetPrintReportForm(nullptr, "1121", sets, values));
  for (const char* part : {"<h1>销货单（客户联）</h1>", "<th>序号</th><th>品名</th><th>金额</th></tr>",
                           "<td>合计</td><td></td><td>197.50</td>", "合计金额：197.50", "送货人："})
    EXPECT_NE(html.find(part), std::string::npos) << part;

  std::ofstream(folder / "tpl" / "1122.json") << R"({"lines":{"columns":[["x"]]}})";
  EXPECT_THROW(host::OpenSetPrintReportForm(nullptr, "1122", sets, values), std::runtime_error);
  std::ofstream(folder / "tpl" / "1123.json") << R"({"lines":{"columns":[["x","x","yuan"]]}})";
  EXPECT_THROW(host::OpenSetPrintReportForm(nullptr, "1123", sets, values), std::runtime_error);
}

// Each database prints into a folder of its own: a file's beside it (shop.db and its
// copy shop.bak apart), a server database's in the user's data folder, named by the
// server's place alone, never in whatever folder the program was started from.
TEST(PrintFolder, FilesPrintBesideThemselvesServersInTheUsersDataFolder) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("coreapp-print-folder-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const char* name : {"shopA.db", "shopA.bak"}) {
    db::EmbeddedConnection file((dir / name).string());
    EXPECT_EQ(host::printFolderOf(file), (dir / (std::string(name) + "-prints")).string());
  }
  db::EmbeddedConnection memory(":memory:");
  EXPECT_EQ(host::printFolderOf(memory), "");
  std::filesystem::remove_all(dir);

  const std::string place = db::placeName("/var/run/postgresql", "5432", "coreapp");
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string keptXdg = xdg ? xdg : "", keptHome = home ? home : "";
  ::setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(host::serverPrintFolder(place),
            "/srv/data/coreapp/_var_run_postgresql-5432-coreapp-prints");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/clerk", 1);
  EXPECT_EQ(host::serverPrintFolder(place),
            "/home/clerk/.local/share/coreapp/_var_run_postgresql-5432-coreapp-prints");
  if (xdg != nullptr) ::setenv("XDG_DATA_HOME", keptXdg.c_str(), 1);
  if (home != nullptr) ::setenv("HOME", keptHome.c_str(), 1);
}

}  // namespace
