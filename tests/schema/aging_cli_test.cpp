// `coreapp sql` reads the receivable aging and a customer's statement from the demo
// database with typed bound parameters, printed as the command line promises: one JSON
// line per result set, money with at most four decimals, date-times as text; `coreapp
// report` prints a report exactly so, or as CSV or an XLSX workbook for a spreadsheet.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#include "core/currency.h"
#include "core/json.h"
#include "host/import/xlsx_reader.h"
#include "schema_db_test.h"

namespace {

struct SqlRun {
  int exitCode = -1;
  std::vector<std::string> lines;
};

SqlRun coreappSql(const std::string& db, const std::string& sqlFile, const std::string& params) {
  const std::string command = schematest::coreappBinary() + " sql --db " + db + " " + params + " " + sqlFile + " 2>/dev/null";
  SqlRun run;
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return run;
  std::string line;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
    c == '\n' ? run.lines.push_back(std::exchange(line, {})) : line.push_back(static_cast<char>(c));
  const int status = pclose(out);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

core::Currency moneyOf(const core::JsonNode& n) { return *core::Currency::parse(n.asText()); }

class AgingCommand : public schematest::SchemaDb {};
SCHEMA_ON_BOTH_BACKENDS(AgingCommand);

TEST_P(AgingCommand, PrintsTheAgingAndAStatementThatEndsWhereTheAgingStands) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  open(true);
  const std::string db = "'" + place + "'";  // a server's URI holds '&'
  const std::string sql = schematest::freshPath("aging_cli") + ".sql";
  std::ofstream(sql) << "exec sp_sys_khyszl @orgid = '0001', @rq = :rq\n"
                       "exec sp_sys_khwlmx @orgid = '0001', @kh_id = :kh_id, @rq1 = :rq1, @rq2 = :rq2\n";
  const SqlRun run = coreappSql(db, sql, "--param rq:datetime=2026-12-31 --param kh_id:int=6 "
                                         "--param rq1:datetime=2026-10-01 --param rq2:datetime=2026-12-31");
  ASSERT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.lines.size(), 2u);
  // C001: 1200 - 200 at the counter (91 days), 500 + 20 - 100 and 530.8 (61-90 days);
  // C004: 250 (30 days); C005: 600 (10 days), 800 - 300 (45), 1500 - 1000 (100).
  EXPECT_EQ(run.lines[0],
            R"({"columns":["kh_id","kh_code","kh_name","je30","je60","je90","je91","qkje"],"rows":[)"
      R"([2,"C001","华宇地产",0,0,930.8,1000,1930.8],[5,"C004","美味轩餐饮",250,0,0,0,250],)"
      R"([6,"C005","城东物业",600,500,0,500,1600]]})");
  const core::JsonNode statement = core::JsonNode::parse(run.lines[1])["rows"];
  ASSERT_GE(statement.size(), 2u);
  EXPECT_EQ(statement[0][2].asText(), "期初余额");
  EXPECT_EQ(statement[0][1].asText(), "2026-10-01 00:00:00");
  core::Currency balance = moneyOf(statement[0][6]);
  for (std::size_t i = 1; i < statement.size(); ++i) {
    balance = balance + moneyOf(statement[i][4]) - moneyOf(statement[i][5]);
    EXPECT_EQ(moneyOf(statement[i][6]), balance) << "line " << i + 1;
  }
  EXPECT_EQ(balance, core::Currency::fromInt(1600));
  std::filesystem::remove(sql);
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_P(AgingCommand, ReportPrintsItsProcedureAsSqlDoesOrAsCsv) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  open(true);
  const std::string db = "'" + place + "'";
  const std::string sql = schematest::freshPath("report_cli") + ".sql";
  std::ofstream(sql)
      << "update vt_b_gysbmk set name = 'A,\"B\"' where code = 'G001'\n"
         "exec sp_rpt_payables @orgid = '0001', @ck_id = 0, @rq = :rq, @gys_id = 0\n";
  const SqlRun bySql = coreappSql(db, sql, "--param rq:datetime=2026-12-01");
  ASSERT_EQ(bySql.lines.size(), 1u);
  const std::string command =
      schematest::coreappBinary() + " report payables --db " + db + " --to 2026-12-01";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string json;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) json.push_back(static_cast<char>(c));
  EXPECT_EQ(pclose(out), 0);
  EXPECT_EQ(json, bySql.lines[0] + "\n");

  const std::string csv = schematest::freshPath("report_cli") + ".csv";
  ASSERT_EQ(schematest::coreapp("report payables --db " + db +
                                " --to 2026-12-01 --format csv --out " + csv),
            0);
  const std::string text = fileText(csv);
  EXPECT_TRUE(
      text.starts_with("\xEF\xBB\xBFgys_id,gys_code,gys_name,biztype,billno,billdate,djlx,ts,"
                       "je30,je60,je90,je91,qkje\r\n"));
  EXPECT_NE(
      text.find(",G001,\"A,\"\"B\"\"\",外协加工单,A1102202610050001,2026-10-05 09:00:00,1102,57,0,"
                "650,0,0,650\r\n"),
      std::string::npos)
      << text;
  // As a workbook: the page's captions, money as numbers under four decimals, the
  // bill's day as a date; a workbook needs a file to go to.
  const std::string xlsx = schematest::freshPath("report_cli") + ".xlsx";
  ASSERT_EQ(schematest::coreapp("report payables --db " + db +
                                " --to 2026-12-01 --format xlsx --out " + xlsx),
            0);
  const host::XlsxCells cells = host::XlsxReader::readCells(xlsx);
  ASSERT_GE(cells.size(), 2u);
  EXPECT_EQ(cells[0][1].text, "供应商名称");
  bool found = false;
  for (const auto& row : cells) {
    if (row.size() < 11 || row[3].text != "A1102202610050001") continue;
    found = true;
    EXPECT_EQ(row[1].text, "A,\"B\"");
    EXPECT_TRUE(row[4].isDate());
    EXPECT_EQ(row[7].kind, host::XlsxCell::Kind::Number);
    EXPECT_EQ(row[7].text, "650");
    EXPECT_EQ(row[7].numberFormat, "#,##0.0000");
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(schematest::coreapp("report payables --db " + db + " --format xlsx"), 2);
  std::filesystem::remove(xlsx);
  // A name no report has, or a day that is none, is bad usage.
  EXPECT_EQ(schematest::coreapp("report nosuch --db " + db), 2);
  EXPECT_EQ(schematest::coreapp("report day --db " + db + " --from 2026-13-01"), 2);
  std::filesystem::remove(sql);
  std::filesystem::remove(csv);
}

}  // namespace
