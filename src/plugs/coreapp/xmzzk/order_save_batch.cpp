// OrderSaveBatch: the text of the project order's save batch. Lines are joined by
// CR LF like every batch the package sends; the generated statement texts keep their
// own trailing CR LF, so empty lines between the pieces are expected and harmless.
#include "plugs/coreapp/xmzzk/order_save_batch.h"

#include <initializer_list>

namespace plugs::coreapp::xmzzk {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string joinLines(std::initializer_list<std::string_view> lines) {
  std::string out;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) out += kCrLf;
    out += line;
    first = false;
  }
  return out;
}

// A, B and C of the batch: header; lines and products; staff, consumables, recalc.
std::string bodyStatements(const OrderSaveTexts& t, bool withHjCalc) {
  std::string recalc = OrderSaveBatch::recalcStatements();
  if (withHjCalc)
    recalc += std::string(kCrLf) + "exec sp_sys_calcxmzzkhj @orgid=@orgid, @billno=@billno";
  return joinLines({t.header, t.lines, t.products, t.staff, t.consumables, recalc});
}

}  // namespace

std::string OrderSaveBatch::replaceQuotedBillno(std::string text, std::string_view billno) {
  const std::string quoted = "'" + std::string(billno) + "'";
  constexpr std::string_view var = "@billno";
  for (std::size_t pos = text.find(quoted); pos != std::string::npos;
       pos = text.find(quoted, pos + var.size())) {
    text.replace(pos, quoted.size(), var);
  }
  return text;
}

std::string OrderSaveBatch::recalcStatements() {
  return joinLines({
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
      "@billno) where orgid=@orgid and billno = @billno",
  });
}

std::string OrderSaveBatch::closingStatements() {
  return joinLines({"end try", "begin catch", "if (@@trancount>0) rollback tran",
                    "raiserror('单据保存失败', 16, 1)", "end catch",
                    "if (@@trancount>0) commit tran"});
}

std::string OrderSaveBatch::insertBatch(OrderSaveTexts texts, std::string_view workingBillno,
                                        const OrderNumbering& numbering) {
  for (std::string* t :
       {&texts.header, &texts.lines, &texts.products, &texts.staff, &texts.consumables}) {
    *t = replaceQuotedBillno(std::move(*t), workingBillno);
  }
  const std::string setOrgid = "set @orgid = '" + numbering.orgid + "'";
  const std::string setCategory = "set @category = '" + numbering.category + "'";
  const std::string setTag = "set @tag = '" + numbering.tag + "'";
  const std::string genBillno = "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ," +
                                std::to_string(numbering.ckId) + ", @billno OUTPUT";
  return joinLines({"DECLARE @orgid varchar(50)", "DECLARE @category varchar(20)",
                    "DECLARE @tag varchar(20)", "DECLARE @billno varchar(50)", setOrgid,
                    setCategory, setTag, "begin tran", "begin try", genBillno,
                    "set @billno = isnull(@billno, '')",
                    "if @billno = '' raiserror('单据保存失败', 16, 1)",
                    bodyStatements(texts, false), closingStatements()});
}

std::string OrderSaveBatch::updateBatch(OrderSaveTexts texts, std::string_view billno,
                                        std::string_view orgid) {
  texts.header = replaceQuotedBillno(std::move(texts.header), billno);
  const std::string setBillno = "set @billno = '" + std::string(billno) + "'";
  const std::string setOrgid = "set @orgid = '" + std::string(orgid) + "'";
  return joinLines({"DECLARE @billno varchar(50),@orgid varchar(50)", "begin tran", "begin try",
                    setBillno, setOrgid, bodyStatements(texts, true), closingStatements()});
}

}  // namespace plugs::coreapp::xmzzk
