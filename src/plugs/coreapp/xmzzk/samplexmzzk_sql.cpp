// SamplexmzzkSql: the ad-hoc bill's SQL texts. Only ids the program holds are spliced
// in (outlet, item ids, the order's own uid); what the user typed is bound.
#include "plugs/coreapp/xmzzk/samplexmzzk_sql.h"

#include <vector>

#include "core/strings.h"

namespace plugs::coreapp::xmzzk {

namespace {

std::string lines(const std::vector<std::string>& parts) { return core::join(parts, "\r\n"); }

}  // namespace

std::string SamplexmzzkSql::storeRow() {
  return "select * from vt_b_ckbmk where orgid=:orgid and id=:ck_id";
}

std::string SamplexmzzkSql::quickList() {
  return lines(
      {"select t1.id as iid,t2.id,t2.code,t2.name,itemno,baseunit,price_sale,t2.jjfs,"
       "t2.minje, p1.name + case when p2.name is null then '' else '|' end +  "
       "isnull(p2.name,'') as iclass ,t2.k",
       "from vt_b_xmbmk_quick AS t1 INNER JOIN vt_b_xmbmk t2 on t1.xm_id = t2.id ",
       "left join vt_b_category p1 on t2.p1 = p1.id", "left join vt_b_category p2 on t2.p2 = p2.id",
       "where t1.orgid=:orgid and t1.ck_id=:ck_id and t2.isdel=0",
       "order by t2.p1, t2.p2, t2.code"});
}

std::string SamplexmzzkSql::saveBatch() {
  return lines({"DECLARE @orgid varchar(50)",
                "DECLARE @category varchar(20)",
                "DECLARE @tag varchar(20)",
                "DECLARE @billno varchar(50)",
                "set @orgid = :orgid",
                "set @category = :category",
                "set @tag = :tag",
                "begin tran",
                "begin try",
                "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,:ck_id,@billno OUTPUT",
                "set @billno = isnull(@billno, '')",
                "if @billno = '' raiserror('单据保存失败', 16, 1)",
                "%0:s",
                "%1:s",
                "update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where "
                "billno = @billno) where billno = @billno",
                "end try",
                "begin catch",
                "if (@@trancount>0) rollback tran",
                "raiserror('单据保存失败', 16, 1)",
                "end catch",
                "if (@@trancount>0) commit tran"});
}

std::string SamplexmzzkSql::quickAdd(std::int64_t ckId, std::int64_t xmId) {
  const std::string ck = std::to_string(ckId);
  const std::string xm = std::to_string(xmId);
  return lines(
      {"delete from vt_b_xmbmk_quick where orgid=:orgid and ck_id=" + ck + " and xm_id=" + xm,
       "insert into vt_b_xmbmk_quick(orgid,ck_id,xm_id) values(:orgid," + ck + "," + xm + ")"});
}

std::string SamplexmzzkSql::emptyLines() { return "select * from vt_v_xmzzk_mx where 1=2"; }

std::string SamplexmzzkSql::emptyHeader() { return "select * from vt_x_xmzzk where 1=2"; }

std::string SamplexmzzkSql::issuedBillno(std::string_view billuid) {
  return "select billno from vt_x_xmzzk where orgid=:orgid and uid='" + std::string(billuid) + "'";
}

std::string SamplexmzzkSql::printHeader() {
  return "select * from vt_v_xmzzk where orgid=:orgid and billno=:billno";
}

std::string SamplexmzzkSql::printLines() {
  return "select * from vt_v_xmzzk_mx where orgid=:orgid and billno=:billno";
}

}  // namespace plugs::coreapp::xmzzk
