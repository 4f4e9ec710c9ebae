// The simple bills' save batch as the database receives it: a new bill's number issued
// inside the transaction with the working number replaced in header and lines, an
// existing bill's lines left as written, the total after its own line break, and the
// delete text with quotes in the values doubled.
#include <gtest/gtest.h>

#include "host/forms/bill_save_batch.h"

namespace {

using host::BillSaveBatch;
using host::BillSaveTexts;

const BillSaveTexts kTexts{
    {"insert into vt_c_spjh (orgid,billno,gys_id) values ('0001','W-1',3)"},
    {"insert into vt_c_spjh_mx (uid,billno,sp_id) values ('u1','W-1',7)",
     "update vt_c_spjh_mx set beizhu='W-1' where uid='u2'"},
    "update dbo.vt_c_spjh set hjje = (select sum(je) from dbo.vt_c_spjh_mx where billno = @billno) where billno = "
    "@billno"};

const char* kTail =
    "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\nraiserror('单据保存失败', 16, 1)\r\n"
    "end catch\r\nif (@@trancount>0) commit tran";

TEST(BillSaveBatch, NewBillIsNumberedInsideItsTransaction) {
  const std::string batch = BillSaveBatch::insertBatch(kTexts, "W-1", {"0001", "1120", "A", 2});
  const std::string expected =
      "DECLARE @orgid varchar(50)\r\nDECLARE @category varchar(20)\r\nDECLARE @tag varchar(20)\r\n"
      "DECLARE @billno varchar(50)\r\nset @orgid = '0001'\r\nset @category = '1120'\r\nset @tag = 'A'\r\n"
      "begin tran\r\nbegin try\r\nexec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,2, @billno OUTPUT\r\n"
      "set @billno = isnull(@billno, '')\r\nif @billno = '' raiserror('单据保存失败', 16, 1)\r\n"
      "insert into vt_c_spjh (orgid,billno,gys_id) values ('0001',@billno,3)\r\n"
      "insert into vt_c_spjh_mx (uid,billno,sp_id) values ('u1',@billno,7)\r\n"
      "update vt_c_spjh_mx set beizhu=@billno where uid='u2'\r\n\r\n" +
      kTexts.total + "\r\n" + kTail;
  EXPECT_EQ(batch, expected);
}

TEST(BillSaveBatch, ExistingBillReplacesTheNumberInTheHeaderOnly) {
  const std::string batch = BillSaveBatch::updateBatch(kTexts, "W-1");
  const std::string expected =
      "DECLARE @billno varchar(50)\r\nbegin tran\r\nbegin try\r\nset @billno = 'W-1'\r\n"
      "insert into vt_c_spjh (orgid,billno,gys_id) values ('0001',@billno,3)\r\n"
      "insert into vt_c_spjh_mx (uid,billno,sp_id) values ('u1','W-1',7)\r\n"
      "update vt_c_spjh_mx set beizhu='W-1' where uid='u2'\r\n\r\n" +
      kTexts.total + "\r\n" + kTail;
  EXPECT_EQ(batch, expected);
}

TEST(BillSaveBatch, DeleteTextNamesBothTablesAndQuotesItsValues) {
  EXPECT_EQ(BillSaveBatch::deleteText("vt_c_qtck", "A-2026-0001", "0001"),
            "declare @billno varchar(50)\r\ndeclare @orgid varchar(20)\r\nset @billno = 'A-2026-0001'\r\n"
            "set @orgid = '0001'\r\ndelete from vt_c_qtck where billno = @billno and orgid=@orgid\r\n"
            "delete from vt_c_qtck_mx where billno = @billno and orgid=@orgid\r\n");
  EXPECT_NE(BillSaveBatch::deleteText("vt_c_qtck", "x' or '1'='1", "0001").find("'x'' or ''1''=''1'"),
            std::string::npos);
}

}  // namespace
