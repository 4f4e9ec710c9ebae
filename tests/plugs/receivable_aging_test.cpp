// Receivable aging and the customer statement: age buckets at their edges, which bills
// count, open amounts after settlement rows, receipts and advance write-offs audited
// through their editors, agreement with the customer source selector, the statement's
// running balance against the aging, and the aging page (plug 1119) as a clerk uses it;
// beside it the payables aging, a page made from its report description.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "host/forms/page_control.h"
#include "host/import/xlsx_reader.h"
#include "host/services/data_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/khsk/khsk_form.h"
#include "plugs/coreapp/khsk/khsk_sql.h"
#include "plugs/coreapp/khsk/yshx_form.h"
#include "plugs/coreapp/khzl/khwlmx_form.h"
#include "plugs/coreapp/khzl/khyszl_report.h"
#include "plugs/coreapp/report/report_page.h"
#include "schema/embedded_files.h"
#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;

// Far enough that receipts audited today count; fixed, so the tests never move.
constexpr const char* kAsOf = "2099-12-31";
// The demo data's day: every demo bill is dated on or before it.
constexpr const char* kDemoAsOf = "2026-12-31";

//! One open bill of the aging: kind and id; open amounts by bill.
using BillKey = std::pair<std::string, std::int64_t>;
using Open = std::map<BillKey, Currency>;

Currency money(const Value& v) { return v.isNull() ? Currency() : v.asCurrency(); }

// Queries every test here shares: the aging per customer or per bill as of a day, the
// statement, and the selector's open amounts.
class AgingQueries {
 public:
  explicit AgingQueries(db::Connection& conn) : conn_(conn) {}

  //! Rows of sp_sys_khyszl (summary or detail) as of `day`.
  std::vector<std::vector<Value>> aging(const char* day, bool detail = false) {
    return rows(std::string("exec sp_sys_khyszl @orgid = '0001', @rq = '") + day +
                "', @detail = " + (detail ? "1" : "0"));
  }

  //! The summary row of customer `kh_id` (empty when the customer owes nothing).
  std::vector<Value> customer(std::int64_t kh_id, const char* day) {
    for (auto& row : aging(day))
      if (row[0].asInteger() == kh_id) return row;
    return {};
  }

  //! Open amount per bill as of `day`.
  Open openBills(const char* day) {
    Open out;
    for (const auto& row : aging(day, true))
      out[{row[3].asText(), row[4].asInteger()}] = money(row[8]);
    return out;
  }

  //! Statement lines of customer `kh_id`: xh, rq, lx, billno, jf, df, ye.
  std::vector<std::vector<Value>> statement(std::int64_t kh_id, const char* from, const char* to) {
    return rows("exec sp_sys_khwlmx @orgid = '0001', @kh_id = " + std::to_string(kh_id) +
                ", @rq1 = '" + from + "', @rq2 = '" + to + "'");
  }

  //! What the receipt's source selector offers customer `kh_id` (every store, no bill).
  Open selectorOpen(std::int64_t kh_id) {
    const db::BatchResult r =
        conn_.execBatch(host::sqlTemplate(plugs::coreapp::khsk::kKhskhxListQuery),
                        {{"kh_id", Value(kh_id)}, {"ck_id", Value(0)}, {"billno", Value("")}});
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    Open out;
    for (const auto& row : r.resultSets.back().rows)
      out[{row[1].asText(), row[2].asInteger()}] = money(row[9]);
    return out;
  }

 private:
  std::vector<std::vector<Value>> rows(const std::string& sql) {
    const db::BatchResult r = conn_.execBatch(sql);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    return r.resultSets.empty() ? std::vector<std::vector<Value>>{} : r.resultSets.back().rows;
  }
  db::Connection& conn_;
};

// Every line's balance is the opening plus the debits less the credits up to it.
void expectRunningBalance(const std::vector<std::vector<Value>>& lines) {
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front()[2].asText(), "期初余额");
  Currency balance = money(lines.front()[6]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    balance = balance + money(lines[i][4]) - money(lines[i][5]);
    EXPECT_EQ(money(lines[i][6]), balance) << "line " << i + 1;
  }
}

// ---- on the receipts session: the customer C001 with orders and sales bills -------------

class Aging : public write_off_test::WriteOffSession {
 protected:
  Aging() {
    registerOnce("1115", &plugs::coreapp::khsk::registerYshxForm);
    registerOnce("1119", &plugs::coreapp::khzl::registerKhyszlForm);
  }

  //! A completed order of customer 2 dated `days` before the as-of day.
  void orderAged(int days, const char* billno, const char* hjje) {
    query(std::string("insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) "
                      "values ('0001', '") +
          billno + "', dateadd(day, -" + std::to_string(days) + ", '" + kAsOf + " 18:00'), 2, 1, " +
          hjje + ", 2)");
  }

  //! An audited receipt of `je` writing off `amount` of `paid` ("" = nothing).
  std::string auditedReceipt(const char* je, const char* paid = "", const char* amount = "") {
    auto form = openEditor<plugs::coreapp::khsk::Tkhskform>("1112");
    startBill(*form, je);
    if (*paid != '\0') {
      EXPECT_EQ(pick(*form, {paid}), host::Outcome::Done) << lastEvent();
      EXPECT_EQ(typeWriteOff(*form, paid, amount), host::Outcome::Done) << lastEvent();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form->billno;
  }

  //! An audited advance write-off taking all of `receipt`'s free amount for bill `paid`.
  void auditedAdvance(const std::string& receipt, const char* paid) {
    auto form = openEditor<plugs::coreapp::khsk::Tyshxform>("1115");
    ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(form->writeOff.counterparty.lookup,
                   R"([{"id":"1","code":"C001","name":"往来"}])");
    ASSERT_EQ(form->clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    picks = {receipt};
    ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(pick(*form, {paid}), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  }

  AgingQueries q{conn};
};

TEST_F(Aging, ABillLandsInItsBucketByWholeDaysAtEveryEdge) {
  // je30 / je60 / je90 / je91 are columns 3 to 6 of the customer's row.
  const std::pair<int, int> cases[] = {{0, 3},  {10, 3}, {30, 3}, {31, 4},  {45, 4}, {60, 4},
                                       {61, 5}, {90, 5}, {91, 6}, {100, 6}, {400, 6}};
  for (const auto& [days, column] : cases) {
    orderAged(days, "EDGE", "123.4567");
    const std::vector<Value> row = q.customer(2, kAsOf);
    ASSERT_EQ(row.size(), 8u) << days << " days";
    for (int c = 3; c <= 6; ++c)
      EXPECT_EQ(money(row[c]), c == column ? *Currency::parse("123.4567") : Currency())
          << days << " days, column " << c;
    EXPECT_EQ(money(row[7]), *Currency::parse("123.4567")) << days << " days";
    query("delete from vt_x_xmzzk where billno = 'EDGE'");
  }
}

TEST_F(Aging, OnlyCompletedOrdersAndAuditedSalesBillsCountAndLaterBillsWait) {
  // XM001 completed (1000), XH001 audited (800 + 20 - 100 received on it): 60 and 56 days.
  // XM002 unprocessed, XM003 voided, XH002 a draft: none of them is owed yet.
  EXPECT_EQ(q.openBills(kAsOf), (Open{{{"项目订单", 1}, Currency::fromInt(1000)},
                                      {{"销货单", 1}, Currency::fromInt(720)}}));
  const std::vector<Value> row = q.customer(1, kAsOf);
  EXPECT_EQ(row[1].asText(), "C001");
  EXPECT_EQ(money(row[7]), Currency::fromInt(1720));
  // A day before XH001 it is not owed; before XM001 nothing is, and the customer is absent.
  EXPECT_EQ(money(q.customer(1, "2026-11-04")[7]), Currency::fromInt(1000));
  EXPECT_TRUE(q.customer(1, "2026-10-31").empty());
  // A settled order counts like a completed one; a voided one never does.
  query("update vt_x_xmzzk set status = 3 where billno = 'XM001'");
  query("update vt_x_xmzzk set status = 2 where billno = 'XM003'");
  EXPECT_EQ(q.openBills(kAsOf).size(), 2u);
}

TEST_F(Aging, SettlementRowsAndAuditedReceiptsLowerABillUntilItDropsOut) {
  query(
      "insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je) "
      "values ('0001', 'js1', 'XM001', 1, '2026-11-02', 1, 200)");
  auditedReceipt("300", "XM001", "300");
  auditedReceipt("120.5", "XH001", "120.5");
  EXPECT_EQ(q.openBills(kAsOf), (Open{{{"项目订单", 1}, Currency::fromInt(500)},
                                      {{"销货单", 1}, *Currency::parse("599.5")}}));
  // A draft receipt changes nothing; the rest paid in full takes the order out.
  auto draft = openEditor<plugs::coreapp::khsk::Tkhskform>("1112");
  startBill(*draft, "500");
  ASSERT_EQ(pick(*draft, {"XM001"}), host::Outcome::Done);
  ASSERT_EQ(save(*draft), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(q.openBills(kAsOf).size(), 2u);
  ASSERT_EQ(draft->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(q.openBills(kAsOf), (Open{{{"销货单", 1}, *Currency::parse("599.5")}}));
}

TEST_F(Aging, ABillSettledByAnAdvanceWriteOffDropsOutAndItsReceiptNeverCountsTwice) {
  const std::string receipt = auditedReceipt("720");  // all of it advance: no bill paid yet
  EXPECT_EQ(q.openBills(kAsOf).size(), 2u);
  auditedAdvance(receipt, "XH001");
  EXPECT_EQ(q.openBills(kAsOf), (Open{{{"项目订单", 1}, Currency::fromInt(1000)}}));
  // The statement shows the advance write-off, not the receipt, as what paid the bill.
  const auto lines = q.statement(1, "2026-11-01", kAsOf);
  expectRunningBalance(lines);
  int advances = 0;
  for (const auto& line : lines) {
    EXPECT_NE(line[2].asText(), "收款单");
    if (line[2].asText() == "预收核销单") ++advances;
  }
  EXPECT_EQ(advances, 1);
  EXPECT_EQ(money(lines.back()[6]), Currency::fromInt(1000));
}

TEST_F(Aging, AgreesWithTheSourceSelectorOnEveryBillItCounts) {
  auditedReceipt("333.3333", "XM001", "333.3333");
  auditedReceipt("20", "XH001", "20");
  const auto selector = q.selectorOpen(1);
  const auto aging = q.openBills(kAsOf);
  for (const auto& [bill, open] : aging) {
    ASSERT_TRUE(selector.count(bill)) << bill.first << " " << bill.second;
    EXPECT_EQ(selector.at(bill), open) << bill.first << " " << bill.second;
  }
  EXPECT_EQ(aging.size(), 2u);
  // The selector also offers the unprocessed XM002 (open, but not yet owed).
  EXPECT_EQ(selector.size(), 3u);
  EXPECT_TRUE(selector.count({"项目订单", 2}));
}

TEST_F(Aging, TheStatementRunsFromTheOpeningBalanceToWhatTheAgingShows) {
  query(
      "insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je) "
      "values ('0001', 'js1', 'XM001', 1, '2026-11-06 09:00', 1, 99.9999)");
  auditedReceipt("300", "XH001", "300");
  // Opening: XM001 owed before 2026-11-02; then XH001 (820), what it received on itself
  // (100), the settlement row, the receipt.
  const auto lines = q.statement(1, "2026-11-02", kAsOf);
  expectRunningBalance(lines);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(money(lines[0][6]), Currency::fromInt(1000));
  EXPECT_EQ(lines[1][3].asText(), "XH001");
  EXPECT_EQ(money(lines[1][4]), Currency::fromInt(820));
  EXPECT_EQ(lines[2][2].asText(), "销货单收款");
  EXPECT_EQ(lines[3][2].asText(), "订单结算");
  EXPECT_EQ(lines[4][2].asText(), "收款单");
  EXPECT_EQ(money(lines.back()[6]), money(q.customer(1, kAsOf)[7]));
  // A range ending before the settlement row closes where the aging of that day stands.
  const auto early = q.statement(1, "2026-11-02", "2026-11-05");
  expectRunningBalance(early);
  EXPECT_EQ(money(early.back()[6]), money(q.customer(1, "2026-11-05")[7]));

  // A receipt pays from its own date on: the day before, the aging and the statement
  // still owe what it paid.
  query("update vt_f_khsk set billdate = '2026-11-20 15:00'");
  EXPECT_EQ(q.openBills("2026-11-19")[BillKey("销货单", 1)], Currency::fromInt(720));
  EXPECT_EQ(q.openBills("2026-11-20")[BillKey("销货单", 1)], Currency::fromInt(420));
  for (const char* day : {"2026-11-19", "2026-11-20"}) {
    const auto upTo = q.statement(1, "2026-11-02", day);
    expectRunningBalance(upTo);
    EXPECT_EQ(money(upTo.back()[6]), money(q.customer(1, day)[7])) << day;
  }
}

TEST_F(Aging, ThePageListsTheAgingOpensAStatementAndRefusesABadDayOrAPrintWithoutTheRight) {
  host::plugsPool().plugbyName("1119")->create(nullptr, "");
  auto* page = dynamic_cast<plugs::coreapp::TReportPage*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  page->control("edtrq").text = kAsOf;
  ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(page->cdsReport.recordCount(), 1);
  EXPECT_EQ(page->cdsReport.fieldByName("qkje").asCurrency(), Currency::fromInt(1720));
  // Being a report page, it prints the as-of day over its rows and exports its grid.
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  ASSERT_FALSE(ui.prints().empty());
  EXPECT_EQ(ui.prints().back().code, "1119");
  EXPECT_EQ(ui.prints().back().fields.front(), (std::vector<std::string>{"rq"}));
  host.printFolder = ::testing::TempDir() + "aging_export_" + std::to_string(::getpid());
  host::DialogReply csv;
  csv.result = host::mrOK;
  ui.queueDialog("TExportDialog", csv);
  std::ifstream in(page->actExportExecute(page->action("actExport")), std::ios::binary);
  const std::string exported((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  EXPECT_TRUE(exported.starts_with(
      "\xEF\xBB\xBF客户编号,客户名称,0-30天,31-60天,61-90天,90天以上,欠款合计\r\nC001,星光广告,"))
      << exported;
  EXPECT_TRUE(exported.ends_with(",1720\r\n")) << exported;
  std::filesystem::remove_all(host.printFolder);

  ASSERT_EQ(page->clickAction("actMx"), host::Outcome::Done) << lastEvent();
  auto* statement =
      dynamic_cast<plugs::coreapp::khzl::Tkhwlmxform*>(host::PageControl().activePage());
  ASSERT_NE(statement, nullptr);
  EXPECT_EQ(statement->control("edtrq1").text, "2099-12-01");
  EXPECT_EQ(statement->control("lblkh").text, "C001 星光广告");
  statement->cdsMx.last();
  EXPECT_EQ(statement->cdsMx.fieldByName("ye").asCurrency(), Currency::fromInt(1720));

  // A receipt dated the 20th is not counted as of the 19th, only from the 20th on.
  const std::string paid = auditedReceipt("300", "XH001", "300");
  query("update vt_f_khsk set billdate = '2026-11-20' where billno = '" + paid + "'");
  for (const auto& [day, owed] : {std::pair{"2026-11-19", 1720}, {"2026-11-20", 1420}}) {
    page->control("edtrq").text = day;
    ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(page->cdsReport.fieldByName("qkje").asCurrency(), Currency::fromInt(owed)) << day;
  }
  // The statement from there opens on the 1st: XM001, dated that day, is one of its
  // lines after an opening balance of nothing.
  ASSERT_EQ(page->clickAction("actMx"), host::Outcome::Done) << lastEvent();
  auto* month = dynamic_cast<plugs::coreapp::khzl::Tkhwlmxform*>(host::PageControl().activePage());
  ASSERT_NE(month, nullptr);
  month->cdsMx.first();
  EXPECT_EQ(month->cdsMx.fieldByName("ye").asCurrency(), Currency());
  month->cdsMx.next();
  EXPECT_EQ(texts(month->cdsMx, "billno jf"), "XM001|1000");
  month->cdsMx.last();
  EXPECT_EQ(month->cdsMx.fieldByName("ye").asCurrency(), Currency::fromInt(1420));

  page->control("edtrq").text = "2026-13-45";
  EXPECT_EQ(page->clickAction("actRef"), host::Outcome::Aborted);
  EXPECT_TRUE(said("请输入正确的日期."));
  host.rights.all = false;
  EXPECT_EQ(statement->clickAction("actPrint"), host::Outcome::Aborted);
  EXPECT_TRUE(said(std::string(host::kNoRightText)));
  host::PageControl().clear();
}

// ---- on the demo database ----------------------------------------------------------------

class DemoAging : public bill_test::BillSession {
 protected:
  DemoAging() : BillSession("") { schema::SchemaScript(schema::demoFiles()).run(conn); }
  AgingQueries q{conn};
};

TEST_F(DemoAging, AgreesWithTheSelectorAndEveryStatementEndsAtTheAging) {
  // C001, C004 and C005 owe; C003's voided order and draft sales bill do not count.
  const auto summary = q.aging(kDemoAsOf);
  std::vector<std::string> codes;
  for (const auto& row : summary) codes.push_back(row[1].asText());
  EXPECT_EQ(codes, (std::vector<std::string>{"C001", "C004", "C005"}));

  const auto aging = q.openBills(kDemoAsOf);
  for (const auto& row : summary) {
    const std::int64_t kh_id = row[0].asInteger();
    const auto selector = q.selectorOpen(kh_id);
    for (const auto& [bill, open] : aging) {
      if (selector.count(bill) == 0) continue;  // another customer's bill
      EXPECT_EQ(selector.at(bill), open) << bill.first << " " << bill.second;
    }
    const auto lines = q.statement(kh_id, "2026-10-01", kDemoAsOf);
    expectRunningBalance(lines);
    EXPECT_EQ(money(lines.back()[6]), money(row[7])) << row[1].asText();
  }
  // C005: 600 of 10 days, 500 of 45 (800 less a receipt of 300), 500 of 100 (1500 less
  // 1000); C004: 250 of 30 days, its order paid by the advance write-off is gone.
  EXPECT_EQ(money(summary[2][3]), Currency::fromInt(600));
  EXPECT_EQ(money(summary[2][4]), Currency::fromInt(500));
  EXPECT_EQ(money(summary[2][6]), Currency::fromInt(500));
  EXPECT_EQ(money(summary[1][7]), Currency::fromInt(250));
}

// The payables page: every supplier by default, one picked from its list, a store with
// no bills; the print carries the boxes by name and every row, the export the grid; a
// refresh the clerk stops leaves an empty grid.
TEST_F(DemoAging, PayablesPagePicksASupplierPrintsAndExportsWhatItShows) {
  registerOnce("1134", &plugs::coreapp::registerReportPages);
  host::plugsPool().plugbyName("1134")->create(nullptr, "");
  auto* page = dynamic_cast<plugs::coreapp::TReportPage*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  page->control("edtrq").text = kDemoAsOf;
  struct Case {
    const char *store, *supplier;
    int rows;
  };
  for (const Case& c :
       {Case{"全部", "全部", 2}, Case{"全部", "宏达纸业", 1}, Case{"滨江分店", "全部", 0}}) {
    page->control("edtck_id").text = c.store;
    page->control("edtgys_id").text = c.supplier;
    ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(page->cdsReport.recordCount(), c.rows) << c.store << " " << c.supplier;
  }
  page->control("edtck_id").text = "全部";
  page->control("edtgys_id").text = "宏达纸业";
  ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(page->cdsReport.fieldByName("qkje").asCurrency(), Currency::fromInt(1280));
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  ASSERT_FALSE(ui.prints().empty());
  const host::PrintJob& job = ui.prints().back();
  EXPECT_EQ(job.code, "1134");
  EXPECT_EQ(job.datasets,
            (std::vector<std::pair<std::string, int>>{{"表头数据", 1}, {"明细数据", 1}}));
  EXPECT_EQ(job.fields.front(), (std::vector<std::string>{"ck_id_mc", "rq", "gys_id_mc"}));
  // 导出: the grid under its captions, as CSV or as a workbook of typed cells.
  host.printFolder = ::testing::TempDir() + "report_export_" + std::to_string(::getpid());
  auto choose = [&](const char* format) {
    host::DialogReply reply;
    reply.result = host::mrOK;
    reply.values["format"] = format;
    ui.queueDialog("TExportDialog", reply);
  };
  choose("csv");
  const std::string file = page->actExportExecute(page->action("actExport"));
  std::ifstream in(file, std::ios::binary);
  const std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(csv,
            "\xEF\xBB\xBF供应商编号,供应商名称,单据类型,单号,单据日期,天数,0-30天,31-60天,61-90天,"
            "90天以上,欠款合计\r\n"
            "G002,宏达纸业,购货单,A1120202610060001,2026-10-06 14:00:00,86,0,0,1280,0,1280\r\n");
  EXPECT_TRUE(said("已导出到 " + file));
  choose("xlsx");
  const host::XlsxCells cells =
      host::XlsxReader::readCells(page->actExportExecute(page->action("actExport")));
  ASSERT_EQ(cells.size(), 2u);
  ASSERT_EQ(cells[1].size(), 11u);
  EXPECT_EQ(cells[0][10].text, "欠款合计");
  EXPECT_EQ(cells[1][1].text, "宏达纸业");
  EXPECT_TRUE(cells[1][4].isDate()) << cells[1][4].numberFormat;
  for (int money : {6, 8, 10}) {
    EXPECT_EQ(cells[1][money].kind, host::XlsxCell::Kind::Number) << money;
    EXPECT_EQ(cells[1][money].numberFormat, "#,##0.0000") << money;
  }
  EXPECT_EQ(cells[1][10].text, "1280");
  EXPECT_EQ(cells[1][5].kind, host::XlsxCell::Kind::Number);  // 天数
  EXPECT_FALSE(cells[1][5].isDate());
  std::filesystem::remove_all(host.printFolder);
  // Stopped while it reads: the grid is left empty, the page says so, nothing stays
  // open on the connection, and the next refresh reads the report again.
  ui.queueProgressStop();
  EXPECT_EQ(page->clickAction("actRef"), host::Outcome::Aborted);
  EXPECT_EQ(page->cdsReport.recordCount(), 0);
  EXPECT_TRUE(said("已取消"));
  EXPECT_FALSE(conn.unitOpen());
  ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(page->cdsReport.recordCount(), 1);
  host::PageControl().clear();
}

// The margin page prints its chart under the lines: one group per month the orders
// fall in, its bars the months' summed amounts and margins.
TEST_F(DemoAging, ProfitPrintDrawsTheMarginOfEachMonthUnderTheLines) {
  registerOnce("1137", &plugs::coreapp::registerReportPages);
  host::plugsPool().plugbyName("1137")->create(nullptr, "");
  auto* page = dynamic_cast<plugs::coreapp::TReportPage*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  page->control("edtrq1").text = "2026-09-01";
  page->control("edtrq2").text = kDemoAsOf;
  ASSERT_EQ(page->clickAction("actRef"), host::Outcome::Done) << lastEvent();
  std::map<std::string, Currency> margin;
  for (page->cdsReport.first(); !page->cdsReport.eof(); page->cdsReport.next())
    margin[page->cdsReport.fieldByName("yf").asString()] +=
        page->cdsReport.fieldByName("mlje").asCurrency();
  ASSERT_GE(margin.size(), 2u);
  host.printFolder = ::testing::TempDir() + "report_chart_" + std::to_string(::getpid());
  ASSERT_EQ(page->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  std::ifstream in(ui.prints().back().file, std::ios::binary);
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t chart = html.find("<svg");
  ASSERT_NE(chart, std::string::npos);
  EXPECT_GT(chart, html.find("</table>"));  // under the lines
  EXPECT_NE(html.find("按月毛利", chart), std::string::npos);
  for (const auto& [month, sum] : margin) {
    char title[64];
    std::snprintf(title, sizeof title, "%s 毛利：%.2f<", month.c_str(), sum.toDouble());
    EXPECT_NE(html.find(title, chart), std::string::npos) << title;
  }
  std::filesystem::remove_all(host.printFolder);
  host::PageControl().clear();
}

}  // namespace
