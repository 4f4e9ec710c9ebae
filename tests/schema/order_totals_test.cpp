// sp_sys_calcxmzzkhj over settlement rows, reductions and write-off ledger rows:
// each ispay, the move to 已结算 and back, and version; sp_sys_calcxmzzkhccb and
// sp_sys_getspkcbyid over the stock ledger; sp_sys_billaudit moving stock and back.
#include "schema_db_test.h"

namespace {

using core::Currency;
using schematest::run;
using schematest::scalar;

class OrderTotals : public schematest::SchemaDb {
 protected:
  void SetUp() override {
    open(false);
    run(*db, "insert into vt_b_jsfs(orgid, code, name) values ('0001', '01', '现结'), ('0001', '02', '减免'), "
             "('0001', '03', '会员卡')");
  }

  // A new order; returns its id.
  std::int64_t order(const std::string& billno, int hjje, int status) {
    run(*db, "insert into vt_x_xmzzk(uid, orgid, billno, hjje, status) values (newid(), '0001', :b, :hjje, :status)",
        {{"b", billno}, {"hjje", hjje}, {"status", status}});
    return scalar(*db, "select id from vt_x_xmzzk where billno = :b", {{"b", billno}}).asInteger();
  }
  // A settlement row with the method of that code ("" = no method).
  void settle(const std::string& billno, const std::string& method, int je) {
    run(*db,
        "insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, je)"
        " values ('0001', newid(), :b, isnull((select id from vt_b_jsfs where code = :m), 0), :je)",
        {{"b", billno}, {"m", method}, {"je", je}});
  }
  void ledger(std::int64_t orderId, const std::string& billno, const std::string& biztype,
              int bchx) {
    run(*db,
        "insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, bchx, zy)"
        " values ('0001', 'SK1', :t, :id, :b, :bchx, '收款单核销')",
        {{"t", biztype}, {"id", orderId}, {"b", billno}, {"bchx", bchx}});
  }
  struct State {
    Currency hjsk, jmje;
    std::int64_t ispay, status, version;
  };
  State recompute(const std::string& billno) {
    run(*db, "exec sp_sys_calcxmzzkhj @orgid='0001', @billno='" + billno + "'");
    auto r = run(*db, "select hjsk, jmje, ispay, status, version from vt_x_xmzzk where billno = :b",
                 {{"b", billno}});
    const auto& row = r.resultSets.at(0).rows.at(0);
    return {row[0].asCurrency(), row[1].asCurrency(), row[2].asInteger(), row[3].asInteger(),
            row[4].asInteger()};
  }
};

SCHEMA_ON_BOTH_BACKENDS(OrderTotals);

TEST_P(OrderTotals, SettledAmountReductionStateAndStatus) {
  struct Row {
    const char* method;
    int je;
  };
  struct Case {
    const char* name;
    int hjje, status;
    std::vector<Row> rows;
    int hx;       // write-off ledger rows paying the order
    int otherHx;  // ledger rows of another kind or another order
    int hjsk, jmje, ispay, newStatus;
  };
  const Case cases[] = {
      {"nothing settled", 1000, 2, {}, 0, 0, 0, 0, 0, 2},
      {"part paid in cash", 1000, 2, {{"01", 300}}, 0, 0, 300, 0, 1, 2},
      {"cash, reduction and receipt", 1000, 2, {{"01", 300}, {"02", 50}}, 650, 0, 950, 50, 2, 3},
      {"cash plus reduction exactly the total", 1000, 2, {{"01", 600}, {"02", 400}}, 0, 0, 600, 400, 2, 3},
      {"reduction only", 1000, 2, {{"02", 1000}}, 0, 0, 0, 1000, 2, 3},
      {"card and row without method count as paid", 500, 2, {{"03", 200}, {"", 300}}, 0, 0, 500, 0, 2, 3},
      {"not completed: status stays", 1000, 0, {{"01", 1000}}, 0, 0, 1000, 0, 2, 0},
      {"in processing, overpaid", 1000, 1, {{"01", 1200}}, 0, 0, 1200, 0, 2, 1},
      {"other ledger rows not counted", 1000, 2, {}, 0, 400, 0, 0, 0, 2},
      {"was settled, now short: back to completed", 1000, 3, {{"01", 100}}, 0, 0, 100, 0, 1, 2},
      {"receipt alone settles", 800, 2, {}, 800, 0, 800, 0, 2, 3},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string billno = "T" + std::to_string(++n);
    auto id = order(billno, c.hjje, c.status);
    for (const auto& row : c.rows) settle(billno, row.method, row.je);
    if (c.hx) ledger(id, billno, "项目订单", c.hx);
    if (c.otherHx) {
      ledger(id, billno, "销货单", c.otherHx);            // a sales bill with the same id
      ledger(id + 1000, "OTHER", "项目订单", c.otherHx);  // another order
    }
    auto s = recompute(billno);
    EXPECT_EQ(s.hjsk, Currency::fromInt(c.hjsk)) << c.name;
    EXPECT_EQ(s.jmje, Currency::fromInt(c.jmje)) << c.name;
    EXPECT_EQ(s.ispay, c.ispay) << c.name;
    EXPECT_EQ(s.status, c.newStatus) << c.name;
  }
}

TEST_P(OrderTotals, UnAuditedReceiptMovesTheOrderBackAndVersionFollowsChanges) {
  auto id = order("T1", 1000, 2);
  settle("T1", "01", 400);
  ledger(id, "T1", "项目订单", 600);
  auto settled = recompute("T1");
  EXPECT_EQ(settled.ispay, 2);
  EXPECT_EQ(settled.status, 3);
  EXPECT_EQ(settled.version, 1);
  EXPECT_EQ(recompute("T1").version, 1);  // nothing changed: version stays
  run(*db, "delete from vt_sys_hx_kh where orgid = '0001' and billno = 'SK1'");  // receipt un-audited
  auto reopened = recompute("T1");
  EXPECT_EQ(reopened.hjsk, Currency::fromInt(400));
  EXPECT_EQ(reopened.ispay, 1);
  EXPECT_EQ(reopened.status, 2);
  EXPECT_EQ(reopened.version, 2);
  // An unknown order is left alone without an error.
  run(*db, "exec sp_sys_calcxmzzkhj @orgid='0001', @billno='NOPE'");
}

TEST_P(OrderTotals, ConsumablesCostAtAverageCostOverTheBranch) {
  order("T1", 100, 2);
  order("T2", 100, 2);
  run(*db,
      // goods 1: 10 in stock over two stores worth 5000 -> 500 each
      "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0001', 1, 1, 5, 2250)\n"
      "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0001', 2, 1, 5, 2750)\n"
      // goods 3: value without quantity -> no known cost; another branch is not read
      "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0001', 1, 3, 0, 100)\n"
      "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values ('0002', 1, 1, 1, 99999)\n"
      "insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl, shsl) values "
      "('h1', '0001', 'T1', 'm', 1, 1, 2, 0.5), ('h2', '0001', 'T1', 'm', 2, 1, 3, 0), "
      "('h3', '0001', 'T1', 'm', 3, 1, 4, 0), ('h4', '0001', 'T2', 'm', 1, 1, 7, 0)\n"
      "exec sp_sys_calcxmzzkhccb @orgid='0001',@billno='T1'");
  EXPECT_EQ(scalar(*db, "select hccb from vt_x_xmzzk where billno = 'T1'").asCurrency(),
            Currency::fromInt(1250));
  EXPECT_EQ(scalar(*db, "select version from vt_x_xmzzk where billno = 'T1'").asInteger(), 0);
  // The book stock procedure: one row, 0 for what the ledger does not know.
  for (auto [ck, sp, kcsl] : {std::tuple{1, 1, 5.0}, {2, 1, 5.0}, {1, 2, 0.0}, {3, 1, 0.0}}) {
    auto r = run(*db, "exec [sp_sys_getspkcbyid] @orgid='0001',@ck_id=" + std::to_string(ck) +
                          ",@sp_id=" + std::to_string(sp));
    ASSERT_EQ(r.resultSets.size(), 1u);
    ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
    EXPECT_EQ(r.resultSets[0].columns[0].name, "kcsl");
    EXPECT_DOUBLE_EQ(r.resultSets[0].rows[0][0].asFloat(-1), kcsl) << ck << "/" << sp;
  }
}

TEST_P(OrderTotals, StockBillsMoveTheLedgerOnAuditAndBackOnUnAudit) {
  auto stock = [&](int ck) {
    auto r = run(*db, "select kcsl, kcje from vt_c_spkc where orgid = '0001' and sp_id = 7 and ck_id = " +
                          std::to_string(ck));
    if (r.resultSets.at(0).rows.empty()) return std::pair{0.0, Currency()};
    return std::pair{r.resultSets[0].rows[0][0].asFloat(), r.resultSets[0].rows[0][1].asCurrency()};
  };
  auto audit = [&](const char* category, const char* billno, int state) {
    run(*db, std::string("exec sp_sys_billaudit @orgid='0001', @category='") + category +
                 "', @billno='" + billno + "', @audit=" + std::to_string(state));
  };
  run(*db,
      "insert into vt_c_spjh(orgid, billno, ck_id) values ('0001', 'JH1', 1)\n"
      "insert into vt_c_spjh_mx(uid, orgid, billno, sp_id, sl, dj, je) values ('a', '0001', 'JH1', 7, 10, 5, 50)\n"
      "insert into vt_c_spch(orgid, billno, ck_id) values ('0001', 'CH1', 1)\n"
      "insert into vt_c_spch_mx(uid, orgid, billno, sp_id, sl, dj, je) values ('b', '0001', 'CH1', 7, 4, 9, 36)\n"
      "insert into vt_c_spyk(orgid, billno, ock_id, ick_id) values ('0001', 'YK1', 1, 2)\n"
      "insert into vt_c_spyk_mx(uid, orgid, billno, sp_id, sl) values ('c', '0001', 'YK1', 7, 3)");
  audit("1120", "JH1", 1);
  EXPECT_EQ(stock(1), (std::pair{10.0, Currency::fromInt(50)}));
  audit("1121", "CH1", 1);  // 4 leave at the average cost of 5
  EXPECT_EQ(stock(1), (std::pair{6.0, Currency::fromInt(30)}));
  audit("1124", "YK1", 1);  // 3 move to store 2 with their value
  EXPECT_EQ(stock(1), (std::pair{3.0, Currency::fromInt(15)}));
  EXPECT_EQ(stock(2), (std::pair{3.0, Currency::fromInt(15)}));
  audit("1121", "CH1", 0);  // un-audit takes back exactly what the audit moved
  EXPECT_EQ(stock(1), (std::pair{7.0, Currency::fromInt(35)}));
  audit("1127", "PD1", 1);  // a stocktake moves nothing
  EXPECT_EQ(stock(1), (std::pair{7.0, Currency::fromInt(35)}));
  EXPECT_EQ(scalar(*db, "select count(*) from vt_c_spls where billno = 'CH1'").asInteger(), 0);
}

}  // namespace
