// The project order's save batch as text: one new order and one existing order are
// assembled from sample statements and compared line by line with the batch the
// database side expects, including which quoted numbers become @billno.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plugs/coreapp/xmzzk/order_save_batch.h"
#include "plugs/coreapp/xmzzk/order_sql.h"

namespace {

using plugs::coreapp::xmzzk::OrderNumbering;
using plugs::coreapp::xmzzk::OrderSaveBatch;
using plugs::coreapp::xmzzk::OrderSaveTexts;
using plugs::coreapp::xmzzk::OrderSql;

// Splits on CR LF; a bare LF anywhere is a fault in the batch.
std::vector<std::string> crlfLines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    out.push_back(text.substr(start, pos - start));
    EXPECT_EQ(out.back().find('\n'), std::string::npos) << out.back();
  }
  out.push_back(text.substr(start));
  return out;
}

const std::vector<std::string> kRecalc = {
    "update vt_x_xmzzk_mx_zzry",
    "set jxjf = sl*n*scjf*perc/100,",
    "jxje = je*perc/100*jxbl/100",
    "from vt_x_xmzzk_mx_zzry t1",
    "left join",
    "(select b1.uid, sl, n, x, y, old_dj, dj, zk,je, b2.jxbl, b2.scjf from vt_x_xmzzk_mx b1 left "
    "join vt_b_xmbmk b2 on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid",
    "where t1.orgid=@orgid and t1.billno = @billno",
    "declare @zzry varchar(max) ",
    "set @zzry = ''  ",
    "select @zzry = @zzry + max(t2.name) + ',' from vt_x_xmzzk_mx_zzry t1 left join vt_b_ygbmk "
    "t2 on t1.yg_id = t2.id where t1.orgid=@orgid and billno = @billno group by t1.yg_id ",
    "update vt_x_xmzzk set zzryinfo = @zzry where orgid=@orgid and billno=@billno",
    "update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where billno = "
    "@billno) where orgid=@orgid and billno = @billno",
};

const std::vector<std::string> kClosing = {"end try",
                                           "begin catch",
                                           "if (@@trancount>0) rollback tran",
                                           "raiserror('单据保存失败', 16, 1)",
                                           "end catch",
                                           "if (@@trancount>0) commit tran"};

// Sample statements as the host generates them: one per row, each ending in CR LF.
OrderSaveTexts sampleTexts(const std::string& billno) {
  OrderSaveTexts t;
  t.header = "insert into vt_x_xmzzk(billno,kh_id) values('" + billno + "',3)\r\n";
  t.lines = "insert into vt_x_xmzzk_mx(uid,billno) values('u1','" + billno + "')\r\n";
  t.products = "";  // products not open
  t.staff = "insert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s1','" + billno +
            "',50)\r\ninsert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s2','" + billno +
            "',50)\r\n";
  t.consumables = "";
  return t;
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(OrderSaveBatchText, NewOrderIssuesNumberAndReplacesWorkingNumberEverywhere) {
  const std::string batch = OrderSaveBatch::insertBatch(sampleTexts("XM-TMP-1"), "XM-TMP-1",
                                                        OrderNumbering{"0001", "1100", "A", 2});
  const std::vector<std::string> expected = concat({
      {"DECLARE @orgid varchar(50)", "DECLARE @category varchar(20)", "DECLARE @tag varchar(20)",
       "DECLARE @billno varchar(50)", "set @orgid = '0001'", "set @category = '1100'",
       "set @tag = 'A'", "begin tran", "begin try",
       "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,2, @billno OUTPUT",
       "set @billno = isnull(@billno, '')", "if @billno = '' raiserror('单据保存失败', 16, 1)",
       // A: header, then its CR LF
       "insert into vt_x_xmzzk(billno,kh_id) values(@billno,3)", "",
       // B: lines, CR LF, products (none)
       "insert into vt_x_xmzzk_mx(uid,billno) values('u1',@billno)", "", "",
       // C: staff, CR LF, consumables (none), then the recalculation
       "insert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s1',@billno,50)",
       "insert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s2',@billno,50)", "", ""},
      kRecalc,
      kClosing,
  });
  EXPECT_EQ(crlfLines(batch), expected);
}

TEST(OrderSaveBatchText, ExistingOrderKeepsNumberOutsideHeaderAndRunsSettlementCalc) {
  OrderSaveTexts texts = sampleTexts("XM0001");
  texts.header = "update vt_x_xmzzk set zy='a' where id=7 and billno='XM0001'\r\n";
  const std::string batch = OrderSaveBatch::updateBatch(texts, "XM0001", "0001");
  const std::vector<std::string> expected = concat({
      {"DECLARE @billno varchar(50),@orgid varchar(50)", "begin tran", "begin try",
       "set @billno = 'XM0001'", "set @orgid = '0001'",
       "update vt_x_xmzzk set zy='a' where id=7 and billno=@billno", "",
       "insert into vt_x_xmzzk_mx(uid,billno) values('u1','XM0001')", "", "",
       "insert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s1','XM0001',50)",
       "insert into vt_x_xmzzk_mx_zzry(uid,billno,perc) values('s2','XM0001',50)", "", ""},
      kRecalc,
      {"exec sp_sys_calcxmzzkhj @orgid=@orgid, @billno=@billno"},
      kClosing,
  });
  EXPECT_EQ(crlfLines(batch), expected);
}

TEST(OrderSaveBatchText, NoPendingChangesStillRecomputesTotals) {
  const std::string batch = OrderSaveBatch::updateBatch({}, "XM0002", "0001");
  EXPECT_NE(batch.find("set jxjf = sl*n*scjf*perc/100,"), std::string::npos);
  EXPECT_NE(batch.find("update vt_x_xmzzk set zzryinfo = @zzry"), std::string::npos);
  EXPECT_NE(batch.find("update dbo.vt_x_xmzzk set hjje ="), std::string::npos);
}

TEST(OrderSaveBatchText, ReplacesOnlyQuotedWholeNumber) {
  // A number that is a prefix of another quoted text, or unquoted, stays.
  EXPECT_EQ(OrderSaveBatch::replaceQuotedBillno("a='T1' b='T12' c=T1 d='T1'", "T1"),
            "a=@billno b='T12' c=T1 d=@billno");
  EXPECT_EQ(OrderSaveBatch::replaceQuotedBillno("''", ""), "@billno");
}

// The state changes are the shop's own texts, version guard and frame included; a bill
// number is a quoted literal whose own quotes are doubled.
TEST(OrderSqlText, StateChangesAreVersionGuarded) {
  const std::vector<std::string> lines = crlfLines(OrderSql::reopen(12, 3, "XM'09"));
  const std::vector<std::string> expected = {
      "declare @id int,@ver int",
      "set @id=12",
      "set @ver=3",
      "if not exists(select id from vt_x_xmzzk where id=@id and version=@ver)",
      "begin",
      "raiserror('error', 16, 1)",
      "return",
      "end",
      "begin tran",
      "begin try",
      "update vt_x_xmzzk set version=version+1, status=0, ispay=0, jmje=0,hjsk=0, "
      "dowork_id=0,hccb=0 where id=@id",
      "delete from vt_sys_doworks where xmzzk_id = @id",
      "delete from vt_x_xmzzk_js where orgid=:orgid and billno='XM''09'",
      "delete from vt_b_khbmk_vip_pay where orgid=:orgid and bizid=@id",
      "end try",
      "begin catch",
      "if @@trancount>0 rollback tran",
      "end catch",
      "if @@trancount>0 commit tran"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(OrderSql::auditingExtra("XM0009"),
            " exec sp_sys_calcxmzzkhccb @orgid=:orgid,@billno='XM0009'\r\n");
}

}  // namespace
