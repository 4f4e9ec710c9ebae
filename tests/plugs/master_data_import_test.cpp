// The spreadsheet import through the pages' descriptions: a good sheet lands whole (a
// synonym header, lookups by name or code, a choice left to its default); each kind of
// bad row is listed with its row number; one bad row leaves the table as it was; a
// long sheet asks now and then whether to go on, and a stop writes nothing. The workbooks
// around it: a kind's empty template reads back as a sheet the import takes, and the
// report of refused rows holds those rows and their problems only.
#include "plugs/coreapp/jczl/master_data_import.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "db/embedded_connection.h"
#include "host/import/xlsx_reader.h"
#include "schema/schema_script.h"

namespace {

using plugs::coreapp::jczl::ImportOutcome;
using plugs::coreapp::jczl::MasterDataImport;

class MasterDataImportTest : public ::testing::Test {
 protected:
  MasterDataImportTest() : conn(":memory:") {
    schema::createDatabase(conn, false);
    const auto r = conn.execBatch(
        "insert into vt_b_ckbmk(orgid, code, name) values ('0001', '01', '总店')\n"
        "insert into vt_b_vipdj(orgid, code, name) values ('0001', 'V1', '金卡')\n"
        "insert into vt_b_khbmk(orgid, code, name) values ('0001', 'K9', '老客户')\n"
        "insert into vt_b_khbmk(orgid, code, name) values ('0002', 'K1', '别家的客户')");
    EXPECT_TRUE(r.ok()) << r.errorMessage();
  }

  ImportOutcome import(const char* kind, const host::SheetRows& rows, bool write = true) {
    MasterDataImport importer(conn, "0001", *MasterDataImport::specOfKind(kind));
    return write ? importer.run(rows) : importer.preview(rows);
  }

  std::string column(const std::string& sql) {
    std::string out;
    const db::BatchResult r = conn.execBatch(sql);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    for (const auto& row : r.resultSets.back().rows)
      for (const auto& v : row) out += v.asText() + "|";
    return out;
  }

  // A workbook path of this test's own, removed when the test ends.
  std::string workbook(const std::string& name) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("master_data_import_test_" + std::to_string(::getpid()) + name);
    files.push_back(path);
    return path.string();
  }
  ~MasterDataImportTest() override {
    std::error_code ec;
    for (const auto& f : files) std::filesystem::remove(f, ec);
  }

  db::EmbeddedConnection conn;
  std::vector<std::filesystem::path> files;
};

TEST_F(MasterDataImportTest, WritesAGoodSheetWhole) {
  const auto out = import("customers", {{"客户编号", "名称", "手机", "会员等级", "价格类型 *"},
                                        {"K1", "O'Neil :orgid --", "138", "金卡", "会员等级"},
                                        {"K2", "李四", "", "V1", ""}});
  EXPECT_TRUE(out.written);
  EXPECT_TRUE(out.problems.empty());
  EXPECT_EQ(column("select code, name, tel, xyjlx, khlx, vip_id from vt_b_khbmk where orgid = "
                   "'0001' and code like 'K_' and code <> 'K9' order by code"),
            "K1|O'Neil :orgid --|138|会员等级|现结|1|K2|李四||协议价|现结|1|");
  const auto goods =
      import("goods", {{"编号", "商品名称", "进货价", "售价"}, {"S1", "写真纸", "1,200.5", "15"}});
  EXPECT_TRUE(goods.written);
  EXPECT_EQ(column("select pricein, pricesale from vt_b_spbmk where code = 'S1'"), "1200.5|15|");
}

TEST_F(MasterDataImportTest, ListsEveryProblemWithItsRowAndWritesNothing) {
  const host::SheetRows sheet = {{"编号", "名称", "售价", "进价"},
                                 {"S1", "好的", "10", "8"},
                                 {"S2", "", "abc", "-1"},
                                 {"S1", "重复", "1", "1"},
                                 {"", "无编号", "", ""}};
  const struct { bool write; } runs[] = {{false}, {true}};
  for (const auto& r : runs) {
    const auto out = import("goods", sheet, r.write);
    std::string listed;
    for (const auto& p : out.problems) listed += std::to_string(p.row) + ":" + p.message + ";";
    EXPECT_EQ(listed,
              "3:名称不能为空;3:进价不能小于0;3:售价“abc”不是数字;4:编号“S1”与第2行重复;"
              "5:编号不能为空;");
    EXPECT_FALSE(out.written);
  }
  EXPECT_EQ(column("select count(*) from vt_b_spbmk"), "0|");

  // The refused rows as read, under their sheet row and with their problems; not row 2.
  const std::string report = workbook("report.xlsx");
  ASSERT_EQ(
      MasterDataImport::writeProblemReport(sheet, import("goods", sheet, false).problems, report),
      "");
  const host::SheetRows expected = {
      {"行号", "编号", "名称", "售价", "进价", "问题"},
      {"3", "S2", "", "abc", "-1", "名称不能为空；进价不能小于0；售价“abc”不是数字"},
      {"4", "S1", "重复", "1", "1", "编号“S1”与第2行重复"},
      {"5", "", "无编号", "", "", "编号不能为空"}};
  EXPECT_EQ(host::XlsxReader::read(report), expected);
}

TEST_F(MasterDataImportTest, EachKindsTemplateReadsBackAsAnEmptySheetTheImportTakes) {
  for (const char* kind : {"customers", "suppliers", "goods", "items", "employees"}) {
    const auto& spec = *MasterDataImport::specOfKind(kind);
    const std::string path = workbook(std::string(kind) + ".xlsx");
    ASSERT_EQ(MasterDataImport::writeTemplate(spec, path), "") << kind;
    const host::SheetRows rows = host::XlsxReader::read(path);
    ASSERT_EQ(rows.size(), 1u) << kind;
    // A column for the code, the name and every field of the page, each mapped once.
    EXPECT_EQ(rows.front().size(), spec.fields.size() + 2) << kind;
    EXPECT_EQ(rows.front().front(), "编号");
    const auto out = import(kind, rows, false);
    EXPECT_EQ(out.rows, 0) << kind;
    EXPECT_TRUE(out.problems.empty()) << kind;
  }
}

TEST_F(MasterDataImportTest, RefusesCodesTakenLookupsUnknownAndBadHeaders) {
  const struct {
    const char* kind;
    host::SheetRows rows;
    const char* problem;
  } cases[] = {
      {"customers", {{"编号", "名称"}, {"k9 ", "又一个"}}, "编号“k9”已存在"},
      {"customers", {{"编号", "名称"}, {"K5", "甲"}, {"k5", "乙"}}, "编号“k5”与第2行重复"},
      {"customers", {{"编号", "名称", "会员等级"}, {"K3", "王五", "银卡"}}, "会员等级“银卡”不存在"},
      {"customers",
       {{"编号", "名称", "付款方式"}, {"K3", "王五", "赊账"}},
       "付款方式只能是：现结 或 预存"},
      {"employees", {{"编号", "姓名", "门店"}, {"E1", "小王", ""}}, "请选择门店"},
      {"suppliers", {{"名称", "电话"}, {"某厂", "1"}}, "缺少列：编号"},
      {"items", {{"编号", "名称", "单价", "售价"}, {"X1", "喷绘", "1", "2"}}, "列“售价”重复"},
  };
  for (const auto& c : cases) {
    const auto out = import(c.kind, c.rows);
    ASSERT_EQ(out.problems.size(), 1u) << c.problem;
    EXPECT_EQ(out.problems.front().message, c.problem);
    EXPECT_FALSE(out.written);
  }
  EXPECT_EQ(column("select count(*) from vt_b_khbmk"), "2|");
  EXPECT_TRUE(import("employees", {{"编号", "姓名", "门店"}, {"E1", "小王", "01"}}).written);
}

TEST_F(MasterDataImportTest, AsksNowAndThenWhetherToGoOnAndAStopWritesNothing) {
  host::SheetRows sheet = {{"编号", "名称"}};
  for (int n = 0; n < 1000; ++n) sheet.push_back({"C" + std::to_string(n), "客户"});
  const struct {
    int stopAt;  // the question answered "stop" (0: never)
  } runs[] = {{2}, {0}};
  for (const auto& r : runs) {
    MasterDataImport importer(conn, "0001", *MasterDataImport::specOfKind("customers"));
    int asked = 0;
    importer.keepGoing = [&] { return ++asked != r.stopAt; };
    const auto out = importer.run(sheet);
    EXPECT_EQ(out.cancelled, r.stopAt != 0);
    EXPECT_EQ(out.written, r.stopAt == 0);
    // Asked at the start and again along the way, but not for every row.
    EXPECT_GE(asked, 2);
    EXPECT_LE(asked, r.stopAt != 0 ? r.stopAt : 10);
    EXPECT_EQ(column("select count(*) from vt_b_khbmk where code like 'C%'"),
              r.stopAt != 0 ? "0|" : "1000|");
  }
}

}  // namespace
