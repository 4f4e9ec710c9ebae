// Conformance: the shop's long batches run word for word on small fixtures — the
// project order save batch (with its performance update, staff summary idiom and
// total), the shipment audit and line query, the pending-shipment query and the
// write-off source list — with results worked out by hand from the fixture rows.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "conformance/engine_fixture.h"

namespace {

std::string joinLines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += (out.empty() ? "" : "\r\n") + l;
  return out;
}

// A file of the shop's SQL kept beside these tests.
std::string fileText(const char* name) {
  std::ifstream in(std::string(COREAPP_SOURCE_DIR "/tests/tsql/conformance/") + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ShopBatches : public conformance::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const std::string schema = fileText("shop_schema.sql");
    ASSERT_FALSE(schema.empty());
    ok(schema);
    ok("insert into vt_b_xmbmk(code, name, itemno, baseunit, jxbl, scjf) "
       "values('X01', '写真', 'A4', '张', 10, 2)\n"
       "insert into vt_b_ygbmk(code, name) values('001', '张三')\n"
       "insert into vt_b_ygbmk(code, name) values('002', '李四')\n"
       "insert into vt_b_ckbmk(orgid, code, name) values('0001', 'C1', '总店')\n"
       "insert into vt_b_ckbmk(orgid, code, name) values('0001', 'C2', '分店')");
  }

  void numberProcedure(const std::string& issued) {
    ok("create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), "
       "@tag varchar(20), @ck_id int, @billno varchar(50) output\nas\nbegin\n"
       "  set @billno = " + issued + "\nend");
  }

  // The project order save batch of a new order, as the editor builds it.
  static std::string saveBatch(const std::string& extraStatement = "") {
    std::string a = "insert into vt_x_xmzzk(uid,orgid,billno,billdate,kh_id,ck_id,hjje,jmje) "
                    "values('H1','0001',@billno,'2024-01-05 10:00:00',1,1,0,0)";
    std::string b = joinLines({
        "insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,x,y,old_dj,dj,zk,je) "
        "values('L1','0001',@billno,1,2,3,1,1,20,16.6667,1,100)",
        "insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,x,y,old_dj,dj,zk,je) "
        "values('L2','0001',@billno,1,1,1,1,1,50.5,50.5,1,50.5)"});
    std::string c = joinLines({
        "insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) "
        "values('Z1','0001',@billno,'L1',1,60)",
        "insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) "
        "values('Z2','0001',@billno,'L1',2,40)",
        "insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) "
        "values('Z3','0001',@billno,'L2',1,100)",
        "insert into vt_x_xmzzk_mx_hc(uid,orgid,billno,mx_uid,sp_id,nsl,sl,shsl) "
        "values('H1','0001',@billno,'L1',5,1,6,0)",
        extraStatement,
        "update vt_x_xmzzk_mx_zzry",
        "set jxjf = sl*n*scjf*perc/100,",
        "jxje = je*perc/100*jxbl/100",
        "from vt_x_xmzzk_mx_zzry t1",
        "left join",
        "(select b1.uid, sl, n, x, y, old_dj, dj, zk,je, b2.jxbl, b2.scjf from vt_x_xmzzk_mx b1 "
        "left join vt_b_xmbmk b2 on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid",
        "where t1.orgid=@orgid and t1.billno = @billno",
        "declare @zzry varchar(max) ",
        "set @zzry = ''  ",
        "select @zzry = @zzry + max(t2.name) + ',' from vt_x_xmzzk_mx_zzry t1 left join "
        "vt_b_ygbmk t2 on t1.yg_id = t2.id where t1.orgid=@orgid and billno = @billno group by "
        "t1.yg_id ",
        "update vt_x_xmzzk set zzryinfo = @zzry where orgid=@orgid and billno=@billno",
        "update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where billno = "
        "@billno) where orgid=@orgid and billno = @billno"});
    return joinLines({"DECLARE @orgid varchar(50)", "DECLARE @category varchar(20)",
                      "DECLARE @tag varchar(20)", "DECLARE @billno varchar(50)",
                      "set @orgid = '0001'", "set @category = '1100'", "set @tag = 'A'",
                      "begin tran", "begin try",
                      "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,1, @billno OUTPUT",
                      "set @billno = isnull(@billno, '')",
                      "if @billno = '' raiserror('单据保存失败', 16, 1)", a, b, c, "end try",
                      "begin catch", "if (@@trancount>0) rollback tran",
                      "raiserror('单据保存失败', 16, 1)", "end catch",
                      "if (@@trancount>0) commit tran"});
  }

  std::string rowCounts() {
    return query("select (select count(*) from vt_x_xmzzk), (select count(*) from vt_x_xmzzk_mx), "
                 "(select count(*) from vt_x_xmzzk_mx_zzry), (select count(*) from vt_x_xmzzk_mx_hc)");
  }
};

// 1. The project order save batch ----------------------------------------------------

TEST_F(ShopBatches, SaveBatchWritesOrderStaffFiguresSummaryAndTotal) {
  numberProcedure("'XM0001'");
  auto r = run(saveBatch());
  ASSERT_TRUE(r.ok()) << r.errorMessage();
  EXPECT_EQ(rowCounts(), "1|2|3|1");
  // points = sl*n*scjf*perc/100; amount = je*perc/100*jxbl/100 (scjf 2, jxbl 10)
  EXPECT_EQ(query("select uid, jxjf, jxje from vt_x_xmzzk_mx_zzry order by uid"),
            "Z1|7.2|6;Z2|4.8|4;Z3|2|5.05");
  EXPECT_EQ(query("select billno, zzryinfo, hjje from vt_x_xmzzk"), "XM0001|张三,李四,|150.5");
  EXPECT_EQ(query("select count(*) from vt_x_xmzzk_mx where billno = 'XM0001'"), "2");
}

TEST_F(ShopBatches, SaveBatchWithNoNumberWritesNothingAndRaises) {
  numberProcedure("null");
  auto r = run(saveBatch());
  ASSERT_FALSE(r.ok());
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].message, "单据保存失败");
  EXPECT_EQ(r.errors[0].severity, 16);
  EXPECT_EQ(rowCounts(), "0|0|0|0");
}

TEST_F(ShopBatches, SaveBatchWithAFailingStatementRollsEverythingBack) {
  numberProcedure("'XM0002'");
  auto r = run(saveBatch("insert into vt_x_xmzzk_mx_hc(uid, sl) values('H2', 'many')"));
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errorMessage(), "单据保存失败");
  EXPECT_EQ(rowCounts(), "0|0|0|0");
}

// 2. Shipment: audit text and line query ---------------------------------------------

class Shipment : public ShopBatches {
 protected:
  void SetUp() override {
    ShopBatches::SetUp();
    ok("insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,fhsl_ok) values('L1','0001','XM1',1,2,5,4)\n"
       "insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,fhsl_ok) values('L2','0001','XM1',1,1,1,0)\n"
       "insert into vt_x_cpfhk(orgid,billno,status) values('0001','FH1',0)\n"
       "insert into vt_x_cpfhk_mx(uid,orgid,billno,mx_id,xm_id,gcxmmc,fhsl) "
       "values('S1','0001','FH1',1,1,'海报',3)\n"
       "insert into vt_x_cpfhk_mx(uid,orgid,billno,mx_id,xm_id,gcxmmc,fhsl) "
       "values('S2','0001','FH1',99,1,'孤行',1)");
  }
  static std::string auditText(const char* sign) {
    return joinLines({"update vt_x_xmzzk_mx", std::string("set fhsl_ok = isnull(fhsl_ok,0) ") + sign +
                      " t2.fhsl", "from vt_x_xmzzk_mx  t1 right join(",
                      "select * from vt_x_cpfhk_mx where orgid = '0001' and billno='FH1'",
                      ") t2 on t1.id = t2.mx_id"});
  }
  static std::string lineQuery() {
    return joinLines({
        "declare", "  @orgid varchar(10),", "  @billno varchar(50)", "", "set @orgid=:orgid",
        "set @billno=:billno", "",
        "SELECT    main.*, mx.billno AS orderno, xm.code AS xm_code, ",
        "                      xm.name AS xm_name, xm.itemno AS xm_itemno, xm.baseunit AS "
        "xm_baseunit, mx.sl * mx.n AS hjsl, mx.fhsl_ok - isnull(temp.fhsl,0) fhsl_ok, mx.sl * "
        "mx.n - ISNULL(mx.fhsl_ok, 0) +isnull(temp.fhsl,0)",
        "                      AS fhsl_no",
        "FROM         dbo.vt_x_cpfhk_mx AS main LEFT OUTER JOIN",
        "                      dbo.vt_x_xmzzk_mx AS mx ON main.mx_id = mx.id LEFT OUTER JOIN",
        "                      dbo.vt_b_xmbmk AS xm ON main.xm_id = xm.id left join ",
        "(select t1.id, t1.fhsl from vt_x_cpfhk_mx t1 left join vt_x_cpfhk t2 on t1.orgid = "
        "t2.orgid and t1.billno = t2.billno",
        "where t1.orgid=@orgid and t1.billno = @billno and t2.status = 1) temp on main.id = "
        "temp.id",
        "where main.orgid=@orgid and main.billno =@billno", "order by main.id"});
  }
  std::string lines() {
    auto r = ok(lineQuery(), {{"orgid", core::Value("0001")}, {"billno", core::Value("FH1")}});
    if (r.resultSets.size() != 1) return "<" + std::to_string(r.resultSets.size()) + " sets>";
    return rows(r.resultSets[0]);
  }
};

TEST_F(Shipment, AuditAndUnauditMoveTheShippedQuantityAndTheLineQueryLooksPastTheAudit) {
  ok(auditText("+"));
  EXPECT_EQ(query("select uid, fhsl_ok from vt_x_xmzzk_mx order by id"), "L1|7;L2|0");
  ok(auditText("-"));
  EXPECT_EQ(query("select uid, fhsl_ok from vt_x_xmzzk_mx order by id"), "L1|4;L2|0");
  // the line query reads as if the audited bill were not there
  auto r = ok(lineQuery(), {{"orgid", core::Value("0001")}, {"billno", core::Value("FH1")}});
  ASSERT_EQ(r.resultSets.size(), 1u);
  EXPECT_EQ(columns(r.resultSets[0]),
            "id,uid,orgid,billno,mx_id,xm_id,gcxmmc,fhsl,orderno,xm_code,xm_name,xm_itemno,"
            "xm_baseunit,hjsl,fhsl_ok,fhsl_no");
  // Draft bill: order line 1 has 10 ordered, 4 shipped, 6 open; the orphan line has no
  // order line, so its order figures are NULL.
  EXPECT_EQ(lines(), "1|S1|0001|FH1|1|1|海报|3|XM1|X01|写真|A4|张|10|4|6;"
                     "2|S2|0001|FH1|99|1|孤行|1|NULL|X01|写真|A4|张|NULL|NULL|NULL");
  ok(auditText("+") + "\r\nupdate vt_x_cpfhk set status = 1 where billno = 'FH1'");
  // Audited: the order line shows 7 shipped, but the query takes this bill's 3 out.
  EXPECT_EQ(lines(), "1|S1|0001|FH1|1|1|海报|3|XM1|X01|写真|A4|张|10|4|6;"
                     "2|S2|0001|FH1|99|1|孤行|1|NULL|X01|写真|A4|张|NULL|NULL|NULL");
}

// 3. Pending-shipment query -------------------------------------------------------------

TEST_F(ShopBatches, PendingShipmentListsOpenLinesOfCompletedOrdersInTheDateRange) {
  ok("insert into vt_x_xmzzk(orgid,billno,billdate,kh_id,ck_id,status,zfflag) values"
     "('0001','XM1','2024-03-10 15:30',1,1,2,0), ('0001','XM2','2024-03-05',1,1,1,0), "
     "('0001','XM3','2024-03-05',1,1,2,1), ('0001','XM4','2024-03-05',2,1,2,0), "
     "('0001','XM5','2024-03-01 23:59',1,2,2,0), ('0001','XM6','2024-03-11',1,1,2,0)");
  const char* lines[][5] = {{"A", "XM1", "2", "3", "5"},  {"B", "XM1", "2", "3", "6"},
                            {"C", "XM1", "1", "1", "null"}, {"D", "XM2", "1", "1", "0"},
                            {"E", "XM3", "1", "1", "0"},  {"F", "XM4", "1", "1", "0"},
                            {"G", "XM5", "4", "1", "1"},  {"H", "XM6", "1", "1", "0"}};
  for (const auto& l : lines) {
    ok(std::string("insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,fhsl_ok) values('") +
       l[0] + "','0001','" + l[1] + "',1," + l[2] + "," + l[3] + "," + l[4] + ")");
  }
  std::string text = joinLines({
      "declare ", "  @orgid varchar(10),", "  @kh_id int,", "  @bt smalldatetime,",
      "  @et smalldatetime,", "  @ck_id int", "", "set @orgid = '0001'", "set @kh_id = :kh_id",
      "set @bt = :bt", "set @et = :et", "set @ck_id = :ck_id", "",
      "update vt_x_xmzzk_mx set fhsl_ok = 0 where orgid=@orgid and fhsl_ok is null", "",
      "select cast(0 as bit) as selected, ck.code ck_code, ck.name ck_name, main.*, xm.code "
      "xm_code, xm.name xm_name, xm.itemno xm_itemno, xm.baseunit xm_baseunit, main.hjsl - "
      "isnull(main.fhsl_ok,0) fhsl_no from (",
      "select t1.billdate,t1.ck_id,t2.*,t2.sl * t2.n hjsl from vt_x_xmzzk t1 left join "
      "vt_x_xmzzk_mx t2 on t1.orgid = t2.orgid and t1.billno =t2.billno ",
      "where t1.orgid = @orgid and kh_id = @kh_id and status = 2 and zfflag = 0  and "
      "datediff(day, billdate, @bt) <= 0 and datediff(day, billdate, @et) >= 0",
      "and t2.sl * n > isnull(fhsl_ok,0)", ") main left join vt_b_xmbmk xm on main.xm_id = xm.id",
      "left join vt_b_ckbmk ck on main.ck_id = ck.id"});
  tsql::Params params = {{"kh_id", core::Value(std::int64_t{1})},
                         {"bt", core::Value(core::DateTime::fromParts(2024, 3, 1))},
                         {"et", core::Value(core::DateTime::fromParts(2024, 3, 10))},
                         {"ck_id", core::Value(std::int64_t{0})}};
  auto r = ok(text, params);
  ASSERT_EQ(r.resultSets.size(), 1u);
  const auto& rs = r.resultSets[0];
  std::vector<std::string> got;
  auto col = [&](const char* name) {
    for (std::size_t i = 0; i < rs.columns.size(); ++i)
      if (rs.columns[i].name == name) return i;
    ADD_FAILURE() << "no column " << name;
    return std::size_t{0};
  };
  for (const auto& row : rs.rows)
    got.push_back(row[col("uid")].asText() + ":" + row[col("ck_name")].asText() + ":" + row[col("hjsl")].asText() +
                  ":" + row[col("fhsl_no")].asText() + ":" + row[col("selected")].asText());
  std::sort(got.begin(), got.end());
  // A: 6 ordered, 5 shipped -> 1 open; B fully shipped; C's null shipped became 0;
  // XM5 on the from-date (late evening) counts; XM2 not completed, XM3 voided, XM4
  // another customer, XM6 after the to-date.
  EXPECT_EQ(got, (std::vector<std::string>{"A:总店:6:1:False", "C:总店:1:1:False", "G:分店:4:3:False"}));
  EXPECT_EQ(query("select count(*) from vt_x_xmzzk_mx where fhsl_ok is null"), "0");
}

// 4. Write-off source list ---------------------------------------------------------------

TEST_F(ShopBatches, WriteOffSourceListCountsSettlementsAndOtherBillsLedgerRows) {
  ok("insert into vt_x_xmzzk(orgid,billno,billdate,kh_id,ck_id,hjje,version) values"
     "('0001','XM1','2024-01-01',1,1,1000,3)\n"
     "insert into vt_x_xmzzk(orgid,billno,billdate,kh_id,ck_id,hjje) values"
     "('0001','XM2','2024-01-03',1,2,100)\n"
     "insert into vt_x_xmzzk(orgid,billno,billdate,kh_id,ck_id,hjje,zfflag) values"
     "('0001','XM3','2024-01-04',1,1,300,1)\n"
     "insert into vt_x_xmzzk_js(orgid,billno,je) values('0001','XM1',200)\n"
     "insert into vt_x_xmzzk_js(orgid,billno,je) values('0001','XM2',100)\n"
     "insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,bchx) values('0001','SK9','项目订单',1,300)\n"
     "insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,bchx) values('0001','SK1','项目订单',1,50)\n"
     "insert into vt_c_spch(orgid,billno,billdate,kh_id,ck_id,status,hjje,qtfy,bcsk) values"
     "('0001','XS1','2024-01-02',1,2,1,800,20,100)\n"
     "insert into vt_c_spch(orgid,billno,billdate,kh_id,ck_id,status,hjje,qtfy,bcsk) values"
     "('0001','XS2','2024-01-02',1,2,0,500,0,0)");
  const std::string text = fileText("writeoff_sources.sql");
  ASSERT_FALSE(text.empty());
  tsql::Params params = {{"kh_id", core::Value(std::int64_t{1})},
                         {"ck_id", core::Value(std::int64_t{0})}, {"orgid", core::Value("0001")},
                         {"billno", core::Value("SK1")}};
  auto r = ok(text, params);
  ASSERT_FALSE(r.resultSets.empty());
  const auto& rs = r.resultSets.back();
  EXPECT_EQ(columns(rs), "selected,biztype,hxbillid,hxbillno,hxversion,hxbilldate,hjje,hxje_ok,"
                         "hxje_no,bchx,ck_name");
  // XM1: 1000 - (200 settled + 300 by receipt SK9; SK1's own 50 not counted) = 500.
  // XS1: 800 + 20 fees, 100 received on the bill -> 720 open. XM2 is fully settled,
  // XM3 voided and XS2 not audited, so none of them is listed.
  EXPECT_EQ(rows(rs), "False|项目订单|1|XM1|3|2024-01-01 00:00:00|1000|500|500|500|总店;"
                      "False|销货单|1|XS1|0|2024-01-02 00:00:00|820|100|720|720|分店");
}

}  // namespace
