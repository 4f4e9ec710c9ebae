// The advance receipt write-off's SQL texts as the shop's database expects them. Lines
// end in CR LF. A receipt's free amount is its total less what its own lines wrote off
// less what audited advance write-offs took from it; only the audited ones count.
#include "plugs/coreapp/khsk/yshx_sql.h"

#include "core/strings.h"
#include "plugs/coreapp/khsk/khsk_sql.h"
#include "plugs/coreapp/khsk/khsk_source_list_head.h"

namespace plugs::coreapp::khsk {

//! Money-side lines of advance write-off :billno with each receipt's total, used and free parts.
const char* const kYshxMoneyLineQuery =
    "declare @orgid varchar(10)\r\n"
    "declare @billno varchar(50)\r\n"
    "\r\n"
    "set @orgid=:orgid\r\n"
    "set @billno=:billno\r\n"
    "\r\n"
    "declare @res table(\r\n"
    "  id int,\r\n"
    "  orgid varchar(10),\r\n"
    "  uid varchar(50),\r\n"
    "  billno varchar(50),\r\n"
    "  biztype varchar(50),\r\n"
    "  bizid int,\r\n"
    "  hxbillno varchar(50),\r\n"
    "  hxbilldate smalldatetime,\r\n"
    "  ck_id int,\r\n"
    "  hjje money default 0,\r\n"
    "  hxje_ok money default 0,\r\n"
    "  hxje_no money default 0,\r\n"
    "  hxje money  default 0\r\n"
    ")\r\n"
    "\r\n"
    "\r\n"
    "insert into @res(id,orgid,uid,billno,biztype,bizid,hxbillno,hxbilldate,hjje,hxje_ok,ck_id,hxje)\r\n"
    "\r\n"
    "select t2.id, t2.orgid, t2.uid, t2.billno, '收款单',t2.bizid,t1.billno,t1.billdate, t1.hjje, isnull(t1.hxje,0),t1.ck_id,t2.hxje  \r\n"
    "from vt_f_khsk t1, vt_f_yshx_mx t2 \r\n"
    "where t1.id = t2.bizid and t2.orgid=@orgid and t1.status=1 and t2.billno=@billno\r\n"
    "\r\n"
    "update @res\r\n"
    "set hxje_ok = hxje_ok + t2.hxje\r\n"
    "from @res t1, (\r\n"
    "select t2.bizid, sum(t2.hxje) hxje from vt_f_yshx t1 , vt_f_yshx_mx t2 \r\n"
    "where t1.billno=t2.billno and t1.status=1 \r\n"
    "\tand t1.billno<>@billno and t2.bizid in(select bizid from @res) group by t2.bizid) t2 where t1.bizid = t2.bizid\r\n"
    "\r\n"
    "update @res set hxje_no = hjje - hxje_ok\r\n"
    "select t1.*, t2.code as ck_code, t2.name as ck_name from @res t1 left join vt_b_ckbmk t2 on t1.ck_id = t2.id";

//! Audited receipts of customer :kh_id with a free amount, oldest first.
const char* const kKhyskListQuery =
    KHSK_SOURCE_LIST_HEAD
    "  ck_id int\r\n"
    ")\r\n"
    "\r\n"
    "declare @temp table(\r\n"
    "  bizid int,\r\n"
    "  hxje money\r\n"
    ")\r\n"
    "insert into @temp(bizid, hxje)\r\n"
    "select id, sum(hxje) from\r\n"
    "(\r\n"
    "select id,sum(hxje) hxje from vt_f_khsk where status=1 and kh_id=@kh_id and hjje - hxje <> 0 group by id\r\n"
    "union all\r\n"
    "select t2.bizid, sum(hxje) from vt_f_yshx t1, vt_f_yshx_mx t2 where t1.billno=t2.billno and t1.kh_id=@kh_id and t1.status = 1 group by t2.bizid\r\n"
    ") m group by id\r\n"
    "\r\n"
    "insert into @res(biztype,hxbillid,hxbillno,hxversion,hxbilldate,hjje,hxje_ok,ck_id)\r\n"
    "select '收款单',t2.id, t2.billno, t2.version, t2.billdate, t2.hjje, t1.hxje, t2.ck_id from @temp t1 left join vt_f_khsk t2 on t1.bizid = t2.id\r\n"
    "\r\n"
    "update @res set hxje_no = hjje - hxje_ok, bchx=hjje-hxje_ok\r\n"
    "\r\n"
    "select cast(0 as bit) as selected, t1.*, t2.name as ck_name from @res t1 left join vt_b_ckbmk t2 on t1.ck_id = t2.id where hxje_no <> 0 order by hxbilldate";

//! Ledger rows and operator of advance write-off %0:s (one recomputation per paid order follows).
const char* const kYshxAuditSql =
    "insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)\r\n"
    "select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0) - isnull(t2.jmje,0), t1.hxje,'预收冲减应收'  \r\n"
    " from vt_f_yshx_hx t1 left join vt_x_xmzzk t2 on t1.bizid=t2.id\r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and t1.biztype='项目订单'\r\n"
    "insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)\r\n"
    "select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0) - isnull(t2.jmje,0) + isnull(t2.qtfy, 0), t1.hxje,'预收冲减应收'\r\n"
    "from vt_f_yshx_hx t1 left join vt_c_spch t2 on t1.bizid=t2.id\r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and t1.biztype='销货单'\r\n"
    "update vt_sys_hx_kh set czy_id = t2.kdr_id\r\n"
    "from vt_sys_hx_kh t1 left join vt_f_yshx t2 on t1.orgid=t2.orgid and t1.billno = t2.billno\r\n"
    "where t1.orgid=:orgid and t1.billno = '%0:s'";

const char* yshxBillLineQuery() {
  static const std::string text = core::replaceAll(kKhskLineQuery, "vt_f_khsk_hx", "vt_f_yshx_hx");
  return text.c_str();
}

std::string toSupplierSide(const std::string& text) {
  std::string s = core::replaceAll(text, "vt_f_khsk", "vt_f_gysfk");
  s = core::replaceAll(s, "vt_f_yshx", "vt_f_yfhx");
  s = core::replaceAll(s, "'收款单'", "'付款单'");
  return core::replaceAll(s, "kh_id", "gys_id");
}

}  // namespace plugs::coreapp::khsk
