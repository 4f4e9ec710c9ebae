// `coreapp import` on both backends: a GBK sheet with one bad row exits 2 and writes
// nothing; --dry-run of a good sheet exits 0 and writes nothing; the good sheet then
// lands whole, and the same sheet again is refused (its codes are taken). --errors puts
// the refused row in a workbook; the kind's --template imports as an empty sheet.
#include <fstream>

#include "host/import/xlsx_reader.h"
#include "schema_db_test.h"

namespace {

class ImportCommand : public schematest::SchemaDb {};
SCHEMA_ON_BOTH_BACKENDS(ImportCommand);

TEST_P(ImportCommand, ImportsAllOrNothingWithExitCodes) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  open(true);
  const std::string target = "--db '" + place + "' --kind suppliers ";  // a server's URI holds '&'
  const std::string bad = schematest::freshPath("import_bad") + ".csv";
  const std::string good = schematest::freshPath("import_good") + ".csv";
  // GBK bytes of "编号,名称,电话\nG901,某纸业,1\nG902,,2\n": the second row has no name.
  std::ofstream(bad) << "\xB1\xE0\xBA\xC5,\xC3\xFB\xB3\xC6,\xB5\xE7\xBB\xB0\nG901,"
                        "\xC4\xB3\xD6\xBD\xD2\xB5,1\nG902,,2\n";
  std::ofstream(good)
      << "\xEF\xBB\xBF编号,供应商名称,联系人\nG901,某纸业,\"王, 经理\"\nG902,某墨业,李\n";
  const auto count = [&] {
    return schematest::scalar(*db, "select count(*) from vt_b_gysbmk where code like 'G9%'")
        .asInteger();
  };
  const std::string errors = schematest::freshPath("import_errors") + ".xlsx";
  const std::string blank = schematest::freshPath("import_template") + ".xlsx";
  EXPECT_EQ(schematest::coreapp("import " + target + "--errors " + errors + " " + bad), 2);
  const host::SheetRows refused = host::XlsxReader::read(errors);
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[1], (std::vector<std::string>{"3", "G902", "", "2", "名称不能为空"}));
  EXPECT_EQ(schematest::coreapp("import --kind suppliers --template --out " + blank), 0);
  EXPECT_EQ(schematest::coreapp("import " + target + blank), 0);
  EXPECT_EQ(schematest::coreapp("import " + target + "--dry-run " + good), 0);
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(schematest::coreapp("import " + target + good), 0);
  EXPECT_EQ(count(), 2);
  EXPECT_EQ(schematest::scalar(*db, "select lxr from vt_b_gysbmk where code = 'G901'").asText(),
            "王, 经理");
  EXPECT_EQ(schematest::coreapp("import " + target + good), 2);
  EXPECT_EQ(schematest::coreapp("import " + target + "/nonexistent.csv"), 2);
  EXPECT_EQ(count(), 2);
  schematest::removeFile(bad);
  schematest::removeFile(good);
  schematest::removeFile(errors);
  schematest::removeFile(blank);
}

}  // namespace
