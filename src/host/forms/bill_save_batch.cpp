// BillSaveBatch: the texts are joined with CR LF, the line break the database's own
// tools write, so that the debug log shows the batch as the server receives it.
#include "host/forms/bill_save_batch.h"

#include "core/format.h"
#include "core/strings.h"

namespace host {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string joined(const std::vector<std::string>& statements, std::string_view billno,
                   bool replaceNumber) {
  std::string out;
  const std::string quoted = core::QuotedStr(billno);
  for (const std::string& s : statements) {
    out += replaceNumber ? core::replaceAll(s, quoted, "@billno") : s;
    out += kCrLf;
  }
  return out;
}

// Statements, the total (after a line break of its own) and the closing lines: any
// failure is rolled back and re-raised as the one message the editor shows.
std::string body(const BillSaveTexts& texts, std::string_view billno, bool replaceLines) {
  std::string out = joined(texts.master, billno, true) + joined(texts.lines, billno, replaceLines);
  if (!texts.total.empty()) out += std::string(kCrLf) + texts.total + std::string(kCrLf);
  out +=
      "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\n"
      "raiserror('单据保存失败', 16, 1)\r\nend catch\r\nif (@@trancount>0) commit tran";
  return out;
}

}  // namespace

std::string BillSaveBatch::insertBatch(const BillSaveTexts& texts, std::string_view workingBillno,
                                       const BillNumbering& numbering) {
  std::string head =
      "DECLARE @orgid varchar(50)\r\nDECLARE @category varchar(20)\r\nDECLARE @tag varchar(20)\r\n"
      "DECLARE @billno varchar(50)\r\n"
      "set @orgid = " + core::QuotedStr(numbering.orgid) + "\r\n"
      "set @category = " + core::QuotedStr(numbering.category) + "\r\n"
      "set @tag = " + core::QuotedStr(numbering.tag) + "\r\n"
      "begin tran\r\nbegin try\r\n"
      "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ," + std::to_string(numbering.ckId) +
      ", @billno OUTPUT\r\n"
      "set @billno = isnull(@billno, '')\r\n"
      "if @billno = '' raiserror('单据保存失败', 16, 1)\r\n";
  return head + body(texts, workingBillno, true);
}

std::string BillSaveBatch::updateBatch(const BillSaveTexts& texts, std::string_view billno) {
  std::string head = "DECLARE @billno varchar(50)\r\nbegin tran\r\nbegin try\r\nset @billno = " +
                     core::QuotedStr(billno) + "\r\n";
  return head + body(texts, billno, false);
}

std::string BillSaveBatch::deleteText(std::string_view masterTable, std::string_view billno,
                                      std::string_view orgid) {
  const std::string table(masterTable);
  return core::Format(
      "declare @billno varchar(50)\r\ndeclare @orgid varchar(20)\r\nset @billno = '%s'\r\n"
      "set @orgid = '%s'\r\ndelete from " + table + " where billno = @billno and orgid=@orgid\r\n"
      "delete from " + table + "_mx where billno = @billno and orgid=@orgid\r\n",
      {core::Value(core::replaceAll(billno, "'", "''")), core::Value(core::replaceAll(orgid, "'", "''"))});
}

}  // namespace host
