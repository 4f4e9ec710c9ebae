// OrderSql: project order SQL texts, character for character as the database side
// expects them. Formatted arguments (%s, %d in the host's terms) are spliced in here;
// bound parameters keep their ":name" markers.
#include "plugs/coreapp/xmzzk/order_sql.h"

#include <initializer_list>

#include "core/format.h"

namespace plugs::coreapp::xmzzk {

namespace {

std::string joinLines(std::initializer_list<std::string_view> lines) {
  std::string out;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) out += "\r\n";
    out += line;
    first = false;
  }
  return out;
}

// The three lines of an agreement or member-level price select; `middle` names the
// price table.
std::string priceSelect(std::string_view middle) {
  return joinLines({"\tselect id, isnull(t2.dj, t1.price_sale) dj from vt_b_xmbmk t1 left join (",
                    std::string("\t") + std::string(middle),
                    "\ton t1.id=t2.xm_id where t1.id=@xm_id"});
}

// The version guard and transaction frame of a state change; `body` runs inside try.
std::string guardedStateChange(long long id, long long version, std::string_view body) {
  const std::string setId = "set @id=" + std::to_string(id);
  const std::string setVer = "set @ver=" + std::to_string(version);
  return joinLines({"declare @id int,@ver int", setId, setVer,
                    "if not exists(select id from vt_x_xmzzk where id=@id and version=@ver)",
                    "begin", "raiserror('error', 16, 1)", "return", "end", "begin tran",
                    "begin try", body, "end try", "begin catch", "if @@trancount>0 rollback tran",
                    "end catch", "if @@trancount>0 commit tran"});
}

// A quote inside a value is doubled, so no bill number or store id can end the literal.
std::string quoted(std::string_view s) { return core::QuotedStr(s); }

}  // namespace

// The line after the isnull makes an empty price type the agreement price too, as a
// missing customer or type is.
std::string OrderSql::customerPrice() {
  return joinLines(
      {"declare @kh_id int",
       "declare @xm_id int",
       "declare @sl float",
       "set @xm_id =:xm_id",
       "set @kh_id=:kh_id",
       "set @sl = :sl",
       "declare @xyjlx varchar(20)",
       "declare @vip_id int",
       "declare @jtdj money",
       "select @jtdj = dj from vt_b_xmbmk_jtdj where xm_id =@xm_id and from_sl <= @sl and "
       "to_sl >= @sl",
       "if not @jtdj is null",
       "begin",
       "select @xm_id as id, @jtdj as dj",
       "return",
       "end",
       "select @xyjlx = xyjlx,@vip_id=vip_id from vt_b_khbmk where id=@kh_id",
       "set @xyjlx = isnull(@xyjlx, '协议价')",
       "if @xyjlx = '' set @xyjlx = '协议价'",
       "set @vip_id = isnull(@vip_id, 0)",
       "if @xyjlx = '协议价'",
       "begin",
       priceSelect("select xm_id, dj from vt_b_khxyj where kh_id=@kh_id and xm_id=@xm_id) t2"),
       "end else",
       "if @xyjlx = '会员等级'",
       "begin",
       priceSelect("select xm_id, dj from vt_b_vipxyj where vip_id=@vip_id and xm_id=@xm_id) t2"),
       "end"});
}

std::string OrderSql::consumablesOfBill(std::string_view billno, std::string_view orgid) {
  const std::string where =
      "where billno = " + quoted(billno) + " and hc.orgid=" + quoted(orgid) + " order by hc.id";
  return joinLines({"select hc.*, sp.code sp_code, sp.name sp_name, sp.itemno, sp.baseunit",
                    "from dbo.vt_x_xmzzk_mx_hc hc", "left join vt_b_spbmk sp on hc.sp_id = sp.id",
                    where});
}

std::string OrderSql::staffOfBill(std::string_view billno, std::string_view orgid) {
  const std::string where =
      " where billno=" + quoted(billno) + " and t1.orgid=" + quoted(orgid) + " ORDER BY t1.id";
  return joinLines(
      {"SELECT t1.*, t2.code AS yg_code, t2.name AS yg_name FROM vt_x_xmzzk_mx_zzry AS t1",
       "LEFT JOIN vt_b_ygbmk AS t2 ON t1.yg_id = t2.id", where});
}

std::string OrderSql::productsOfBill() {
  return "select * from dbo.vt_x_xmzzk_cp where billno=:billno and orgid=:orgid order by id";
}

std::string OrderSql::consumablesOfItem(long long itemId) {
  return "select t2.*, t1.sl from vt_b_xmbmk_hc t1 left join vt_b_spbmk t2 on t1.sp_id = "
         "t2.id where xm_id = " +
         std::to_string(itemId) + " and t1.orgid = :orgid";
}

std::string OrderSql::defaultContact(long long khId) {
  return "select * from vt_b_khbmk_lxr where orgid = :orgid and kh_id = " + std::to_string(khId) +
         " and isdef = 1";
}

std::string OrderSql::deleteOrder(std::string_view billno, std::string_view orgid) {
  const std::string setBillno = "set @billno = " + quoted(billno);
  const std::string setOrgid = "set @orgid = " + quoted(orgid);
  return joinLines({"declare @billno varchar(50)", "declare @orgid varchar(20)", setBillno,
                    setOrgid, "delete from vt_x_xmzzk where billno = @billno and orgid=@orgid",
                    "delete from vt_x_xmzzk_mx where billno = @billno and orgid=@orgid",
                    "delete from vt_x_xmzzk_cp where billno = @billno and orgid=@orgid",
                    "delete from vt_x_xmzzk_mx_hc where billno = @billno and orgid=@orgid",
                    "delete from vt_x_xmzzk_mx_zzry where billno = @billno and orgid=@orgid"});
}

std::string OrderSql::complete(long long id, long long version) {
  return guardedStateChange(
      id, version,
      joinLines({"update dbo.vt_sys_doworks set isdone = 1, et = getdate() where isdone = 0 "
                 "and id in(select dowork_id from vt_x_xmzzk where id= @id)",
                 "update vt_x_xmzzk set version=version+1, status=2, dowork_id=0 where id=@id"}));
}

std::string OrderSql::reopen(long long id, long long version, std::string_view billno) {
  const std::string deleteJs = "delete from vt_x_xmzzk_js where orgid=:orgid and billno=" + quoted(billno);
  return guardedStateChange(
      id, version,
      joinLines({"update vt_x_xmzzk set version=version+1, status=0, ispay=0, jmje=0,hjsk=0, "
                 "dowork_id=0,hccb=0 where id=@id",
                 "delete from vt_sys_doworks where xmzzk_id = @id", deleteJs,
                 "delete from vt_b_khbmk_vip_pay where orgid=:orgid and bizid=@id"}));
}

std::string OrderSql::writeOffs(std::string_view billno) {
  return "select id from dbo.vt_sys_hx_kh where orgid=:orgid and hxbillno=" + quoted(billno) +
         " and biztype='项目订单'";
}

std::string OrderSql::voidOrder(long long id) {
  return joinLines(
      {"update vt_x_xmzzk set version = version + 1, hjje = 0,zfflag = 1 where id=" +
           std::to_string(id),
       "insert into vt_sys_billaudit_logs(orgid, modulecode,billtype,billno,ck_id,czy_id,"
       "auditmsg,auditstate)",
       " values(:orgid, :modulecode,:billtype,:billno,:ck_id,:czy_id,:auditmsg,:auditstate)"});
}

std::string OrderSql::auditingExtra(std::string_view billno) {
  return " exec sp_sys_calcxmzzkhccb @orgid=:orgid,@billno=" + quoted(billno) + "\r\n";
}

std::string OrderSql::printMergedLines() {
  return joinLines(
      {"declare", "  @billno varchar(50),", "  @orgid varchar(20)", "", "set @billno =:billno",
       "set @orgid = :orgid", "",
       "select t1.*, t2.code xm_code, t2.name xm_name, t2.itemno xm_itemno, t2.baseunit "
       "xm_baseunit,case when t2.jjfs='是' then je/(sl*x*y)*t2.k else je/sl end dj from (",
       "select xm_id,sum(sl*n) as sl, x,y,sum(je) je, max(gcxmmc) gcxmmc, max(beizhu) beizhu "
       "from vt_x_xmzzk_mx where billno=@billno and orgid=@orgid group by xm_id,x,y",
       ") t1 left join vt_b_xmbmk t2 on t1.xm_id = t2.id"});
}

std::string OrderSql::printMemberCards() {
  return joinLines(
      {"declare", "  @kh_id int,", "  @orgid varchar(10),", "  @dt datetime", "",
       "set @orgid =:orgid", "set @kh_id = :kh_id", "set @dt = :dt", "",
       "select t1.*, isnull(t3.je,0) curje, isnull(t2.je,0) qmje from (",
       "select * from vt_b_khbmk_vip where id in(select card_id from vt_b_khbmk where id = "
       "@kh_id and orgid=@orgid)",
       ") t1 left join (",
       "select card_id, sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id "
       "and orgid=@orgid group by card_id",
       ") t2 on t1.id = t2.card_id", "left join (",
       "select card_id, sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id "
       "and orgid=@orgid and createtime < @dt group by card_id",
       ") t3 on t1.id = t3.card_id"});
}

}  // namespace plugs::coreapp::xmzzk
