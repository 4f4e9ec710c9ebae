// The owner's reports on the demo database plus a few bills made here (a purchase and a
// sale audited into stock, a fund transfer, income and expense bills, a draft that must
// not count), on the file and on the server with the same expectations: the day sheet
// against the bills queried directly and the account balances, the stock ledger against
// the stock view, the cash journal's running balance, payables and profit by hand.
#include <map>

#include "core/currency.h"
#include "db/result_json.h"
#include "schema_db_test.h"

namespace {

using Cells = std::vector<std::vector<std::string>>;

// Each value as `coreapp sql` writes it, so money and quantities compare exactly.
Cells cellsOf(const tsql::ResultSet& rs) {
  Cells cells;
  for (const auto& row : rs.rows) {
    std::vector<std::string> texts;
    for (std::size_t c = 0; c < row.size(); ++c)
      texts.push_back(db::ResultJson::value(row[c], rs.columns[c].type));
    cells.push_back(std::move(texts));
  }
  return cells;
}

const char* const kBills = R"(
insert into vt_c_spjh(orgid, billno, billdate, gys_id, ck_id, hjje, status) values ('0001', 'T1120', '2026-11-05 10:00:00', 2, 1, 4600, 1)
insert into vt_c_spjh_mx(uid, orgid, billno, sp_id, sl, dj, je) values ('t-jh', '0001', 'T1120', 1, 10, 460, 4600)
exec sp_sys_billaudit @orgid = '0001', @category = '1120', @billno = 'T1120', @audit = 1
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'T1121', '2026-11-20 15:00:00', 2, 1, 1500, 1)
insert into vt_c_spch_mx(uid, orgid, billno, sp_id, sl, dj, je) values ('t-ch', '0001', 'T1121', 1, 3, 500, 1500)
exec sp_sys_billaudit @orgid = '0001', @category = '1121', @billno = 'T1121', @audit = 1
insert into vt_f_zjzz(orgid, billno, billdate, ck_id, hjje, status) values ('0001', 'T1114', '2026-11-03 09:00:00', 1, 500, 1)
insert into vt_f_zjzz_mx(uid, orgid, billno, ozh_id, izh_id, je) values ('t-zz', '0001', 'T1114', 1, 2, 500)
insert into vt_f_fydj(orgid, billno, billdate, ck_id, zh_id, hjje, status) values ('0001', 'T1110', '2026-11-04 09:00:00', 1, 1, 120, 1)
insert into vt_f_fydj_mx(uid, orgid, billno, fy_id, je) values ('t-fy', '0001', 'T1110', 1, 120)
insert into vt_f_fydj(orgid, billno, billdate, ck_id, zh_id, hjje, status) values ('0001', 'T1110D', '2026-11-04 10:00:00', 1, 1, 999, 0)
insert into vt_f_fydj_mx(uid, orgid, billno, fy_id, je) values ('t-fyd', '0001', 'T1110D', 1, 999)
insert into vt_f_srdj(orgid, billno, billdate, ck_id, zh_id, hjje, status) values ('0001', 'T1111', '2026-11-04 11:00:00', 1, 3, 80, 1)
insert into vt_f_srdj_mx(uid, orgid, billno, sr_id, je) values ('t-sr', '0001', 'T1111', 1, 80)
update vt_x_xmzzk set hccb = 300.5, wxcb = 100 where billno = 'A1100202610010001'
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, yg_id, perc, jxjf, jxje) values ('t-z1', '0001', 'A1100202610010001', 1, 50, 10, 30)
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, yg_id, perc, jxjf, jxje) values ('t-z2', '0001', 'A1100202610010001', 1, 50, 2.5, 20)
)";

class Reports : public schematest::SchemaDb {
 protected:
  void SetUp() override {
    open(true);
    schematest::run(*db, kBills);
  }
  //! The rows of report procedure sp_rpt_<name> with the values bound.
  Cells report(const char* name, const std::map<std::string, core::Value>& values) {
    std::string call = std::string("exec sp_rpt_") + name + " @orgid = '0001'";
    tsql::Params params;
    for (const auto& [param, value] : values) {
      call += ", @" + param + " = :" + param;
      params.emplace_back(param, value);
    }
    auto r = schematest::run(*db, call, params);
    return r.resultSets.empty() ? Cells{} : cellsOf(r.resultSets.back());
  }
  Cells query(const std::string& sql) {
    auto r = schematest::run(*db, sql);
    return r.resultSets.empty() ? Cells{} : cellsOf(r.resultSets.back());
  }
  static core::Value day(const char* text) { return core::Value(*core::DateTime::parse(text)); }
};
SCHEMA_ON_BOTH_BACKENDS(Reports);

// Section lines by (lb, mc): count and amount; account lines: opening, in, out, closing.
std::map<std::string, std::vector<std::string>> byName(const Cells& rows) {
  std::map<std::string, std::vector<std::string>> lines;
  for (const auto& r : rows)
    if (r[1] != "\"未结\"") lines[r[1] + r[2]] = r;
  return lines;
}

TEST_P(Reports, DaySheetIsTheBillsOfThePeriodAndTheAccountBalances) {
  struct Period {
    const char *from, *to;
  };
  for (const Period p : {Period{"2026-10-01", "2026-10-31"}, Period{"2026-11-01", "2026-11-30"},
                         Period{"2026-11-04", "2026-11-04"}}) {
    SCOPED_TRACE(p.from);
    const auto lines = byName(report("day", {{"rq1", day(p.from)}, {"rq2", day(p.to)}}));
    const std::string range =
        std::string(" >= '") + p.from + "' and billdate < dateadd(day, 1, '" + p.to + "')";
    // The bills queried directly, one table at a time.
    const std::vector<std::pair<std::string, std::string>> direct = {
        {"\"订单\"\"接单\"",
         "select count(*), isnull(sum(hjje), 0) from vt_x_xmzzk where zfflag = 0 and billdate" +
             range},
        {"\"收款\"\"收款单\"",
         "select count(*), sum(hjje) from vt_f_khsk where status = 1 and billdate" + range},
        {"\"支出\"\"费用单据\"",
         "select count(*), sum(hjje) from vt_f_fydj where status = 1 and billdate" + range},
        {"\"收入\"\"收入单据\"",
         "select count(*), sum(hjje) from vt_f_srdj where status = 1 and billdate" + range},
        {"\"转账\"\"资金转账单\"",
         "select count(*), sum(hjje) from vt_f_zjzz where status = 1 and billdate" + range}};
    for (const auto& [key, sql] : direct) {
      const Cells want = query(sql);
      if (want[0][0] == "0" && key != "\"订单\"\"接单\"") {
        EXPECT_EQ(lines.count(key), 0u) << key;
        continue;
      }
      ASSERT_EQ(lines.count(key), 1u) << key;
      EXPECT_EQ(lines.at(key)[3], want[0][0]) << key;
      EXPECT_EQ(lines.at(key)[4], want[0][1]) << key;
    }
  }
  // Cash in November by hand: 1200 brought forward (200 settled, 1000 received in
  // October), 1000 + 300 received, 500 transferred out and 120 spent; the draft not.
  const auto nov = byName(report("day", {{"rq1", day("2026-11-01")}, {"rq2", day("2026-11-30")}}));
  const std::vector<std::string> cash = nov.at("\"账户\"\"现金\"");
  EXPECT_EQ(std::vector<std::string>(cash.begin() + 5, cash.begin() + 9),
            (std::vector<std::string>{"1200", "1300", "620", "1880"}));
  // Over all time each account closes at the balance the account balances page shows.
  const auto all = byName(report("day", {{"rq2", day("2099-12-31")}}));
  for (const auto& row : query("select zh_name, ye from vt_v_zhye where orgid = '0001'"))
    EXPECT_EQ(all.at("\"账户\"" + row[0])[8], row[1]) << row[0];
}

TEST_P(Reports, StockLedgerMovesFromOpeningToClosingAndClosesAtTheStockView) {
  // Goods 1 in store 1: 5 for 2250 before, 10 bought for 4600 on 11-05, 3 sold at the
  // average 6850 / 15 on 11-20.
  struct Case {
    const char *from, *to;
    std::vector<std::string> row;  // qcsl qcje rksl rkje cksl ckje qmsl qmje
  };
  for (const Case& c :
       {Case{"2026-11-01", "2026-11-30", {"5", "2250", "10", "4600", "3", "1370", "12", "5480"}},
        Case{"2026-10-01", "2026-10-31", {"5", "2250", "0", "0", "0", "0", "5", "2250"}},
        Case{"2026-11-10", "2026-12-31", {"15", "6850", "0", "0", "3", "1370", "12", "5480"}}}) {
    SCOPED_TRACE(c.from);
    const Cells rows = report("stock", {{"ck_id", core::Value(1)},
                                        {"rq1", day(c.from)},
                                        {"rq2", day(c.to)},
                                        {"sp_id", core::Value(1)}});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(rows[0].begin() + 5, rows[0].end()), c.row);
  }
  Cells closing;
  for (const auto& r : report("stock", {{"rq2", day("2099-12-31")}}))
    closing.push_back({r[0], r[2], r[11], r[12]});
  EXPECT_EQ(
      closing,
      query("select k.ck_id, k.sp_id, k.kcsl, k.kcje from vt_v_spkc k "
            "left join vt_b_ckbmk ck on ck.id = k.ck_id left join vt_b_spbmk sp on sp.id = k.sp_id "
            "where k.orgid = '0001' order by ck.code, k.ck_id, sp.code, k.sp_id"));
  // Stock on hand is the stock view with names.
  Cells onHand;
  for (const auto& r : report("spkc", {})) onHand.push_back({r[0], r[2], r[6], r[7]});
  EXPECT_EQ(onHand, closing);
}

TEST_P(Reports, CashJournalRunsEachAccountsBalanceToItsClosing) {
  const Cells lines = report("cash", {{"rq1", day("2026-11-01")}, {"rq2", day("2026-11-30")}});
  const auto closing =
      byName(report("day", {{"rq1", day("2026-11-01")}, {"rq2", day("2026-11-30")}}));
  std::map<std::string, core::Currency> balance;
  for (const auto& l : lines) {  // xh zh_id zh_name rq lx billno djlx srje zcje ye
    const core::Currency ye = *core::Currency::parse(l[9]);
    if (l[4] == "\"期初余额\"")
      EXPECT_EQ(l[9], closing.at("\"账户\"" + l[2])[5]) << l[2];
    else
      EXPECT_EQ(ye, balance[l[2]] + *core::Currency::parse(l[7]) - *core::Currency::parse(l[8]))
          << l[5];
    balance[l[2]] = ye;
  }
  ASSERT_EQ(balance.size(), 4u);
  for (const auto& [name, ye] : balance)
    EXPECT_EQ(ye.toString(), closing.at("\"账户\"" + name)[8]) << name;
}

TEST_P(Reports, PayablesProfitStaffSalesAndWorkInProgressByHand) {
  // Outsourcing 650 unpaid; purchase 1500 - 50 + 30 - 200 paid on the bill; the test's
  // purchase of 4600 is 26 days old on 12-01.
  Cells payables;
  for (const auto& r : report("payables", {{"rq", day("2026-12-01")}}))
    payables.push_back({r[4], r[7], r[12]});
  EXPECT_EQ(payables, (Cells{{"\"A1102202610050001\"", "57", "650"},
                             {"\"A1120202610060001\"", "56", "1280"},
                             {"\"T1120\"", "26", "4600"}}));
  // 1200 - 300.5 consumables - 100 outsourcing = 799.5, 66.625 %.
  const Cells profit = report("profit", {{"rq1", day("2026-10-01")}, {"rq2", day("2026-10-01")}});
  ASSERT_EQ(profit.size(), 1u);
  EXPECT_EQ(std::vector<std::string>(profit[0].begin() + 5, profit[0].begin() + 10),
            (std::vector<std::string>{"1200", "300.5", "100", "799.5", "66.625"}));
  // Two shares of employee 1 on one order make one row.
  Cells staff;
  for (const auto& r : report("staff", {{"rq1", day("2026-10-01")}, {"rq2", day("2026-10-31")}}))
    staff.push_back({r[0], r[3], r[6], r[7]});
  EXPECT_EQ(staff, (Cells{{"1", "\"A1100202610010001\"", "12.5", "50"}}));
  // Orders by month beside the three months before: September's 1500 stands beside December.
  Cells sales;
  for (const auto& r :
       report("sales",
              {{"rq1", day("2026-10-01")}, {"rq2", day("2026-12-31")}, {"lx", core::Value(2)}}))
    sales.push_back({r[0], r[2], r[3], r[4], r[5]});
  EXPECT_EQ(sales, (Cells{{"\"2026-10\"", "3", "2590.8", "0", "null"},
                          {"\"2026-11\"", "1", "900", "0", "null"},
                          {"\"2026-12\"", "1", "600", "1500", "-60"}}));
  // The sale made here is overdue on 12-31 (41 days) for its whole 1500.
  bool overdue = false;
  for (const auto& r : report("wip", {{"rq", day("2026-12-31")}}))
    if (r[2] == "\"T1121\"") overdue = r[1] == "\"逾期应收\"" && r[6] == "41" && r[7] == "1500";
  EXPECT_TRUE(overdue);
}

}  // namespace
