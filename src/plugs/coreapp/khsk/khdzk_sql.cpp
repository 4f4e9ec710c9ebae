// The customer statement's SQL texts. A project order shows what it has received
// (`hjsk`); a sales bill shows nothing received, whatever was paid on it.
#include "plugs/coreapp/khsk/khdzk_sql.h"

namespace plugs::coreapp::khsk {

const char* const kKhdzkLineQuery =
    "declare @orgid varchar(10)\r\n"
    "declare @billno varchar(50)\r\n"
    "\r\n"
    "set @orgid=:orgid\r\n"
    "set @billno=:billno\r\n"
    "declare @res table(\r\n"
    "  id int,\r\n"
    "  orgid varchar(10),\r\n"
    "  uid varchar(50),\r\n"
    "  billno varchar(50),\r\n"
    "  bizid int,\r\n"
    "  bizbillno varchar(50),\r\n"
    "  bizbilldate smalldatetime,\r\n"
    "  biztype varchar(50),\r\n"
    "  ck_id int,\r\n"
    "  gcxmmc varchar(200),\r\n"
    "  hjje money default 0,\r\n"
    "  jsje money default 0,\r\n"
    "  qkje money default 0,\r\n"
    "  dzflag bit default 0,\r\n"
    "  beizhu varchar(500)\r\n"
    ")\r\n"
    "insert into @res(id,orgid,uid,billno,biztype,bizid,beizhu,dzflag)\r\n"
    "select id,orgid,uid,billno,biztype,bizid,beizhu,dzflag\r\n"
    "from vt_f_khdzk_mx t1 \r\n"
    "where t1.orgid=@orgid and t1.billno=@billno\r\n"
    "--更新项目订单信息\r\n"
    "update @res\r\n"
    "set gcxmmc=t2.gcxmmc,hjje=t2.hjje,jsje = t2.hjsk,ck_id=t2.ck_id,bizbilldate=t2.billdate, bizbillno=t2.billno\r\n"
    "from @res t1 left join vt_x_xmzzk t2 on t1.orgid = t2.orgid and t1.bizid=t2.id\r\n"
    "where t1.biztype='项目订单'\r\n"
    "--更新销货单信息\r\n"
    "update @res\r\n"
    "set ck_id=t2.ck_id,hjje=t2.hjje,bizbilldate=t2.billdate, bizbillno=t2.billno\r\n"
    "from @res t1 left join vt_c_spch t2 on t1.orgid = t2.orgid and t1.bizid=t2.id\r\n"
    "where t1.biztype='销货单'\r\n"
    "\r\n"
    "update @res set qkje=hjje-jsje\r\n"
    "\r\n"
    "select t1.*, t2.code ck_code ,t2.name ck_name from @res t1 left join vt_b_ckbmk t2 on t1.ck_id = t2.id order by "
    "bizbilldate";

const char* const kKhdzkUnauditSql =
    "update vt_f_khdzk_mx set dzflag=0 where orgid=:orgid and billno='%0:s'\r\n"
    "update vt_x_xmzzk set dzflag = 0   \r\n"
    "from vt_f_khdzk_mx t1 left join vt_x_xmzzk t2 on t1.bizid = t2.id \r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and biztype='项目订单' \r\n"
    "update vt_c_spch set dzflag = 0   \r\n"
    "from vt_f_khdzk_mx t1 left join vt_c_spch t2 on t1.bizid = t2.id \r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and biztype='销货单' ";

}  // namespace plugs::coreapp::khsk

namespace plugs::coreapp::khsk {

// Every touched bill's version is raised, so an editor holding it sees it as changed.
const char* const kKhdzkReviewSql =
    "update vt_f_khdzk set status = 2, version = version + 1 where orgid=:orgid and billno='%0:s'\r\n"
    "update vt_x_xmzzk set dzflag = t1.dzflag, version = version + 1   \r\n"
    "from vt_f_khdzk_mx t1 left join vt_x_xmzzk t2 on t1.bizid = t2.id \r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and biztype='项目订单' \r\n"
    "update vt_c_spch set dzflag = t1.dzflag, version = version + 1   \r\n"
    "from vt_f_khdzk_mx t1 left join vt_c_spch t2 on t1.bizid = t2.id \r\n"
    "where t1.orgid=:orgid and t1.billno='%0:s' and biztype='销货单' ";

const char* const kKhdzkReviewLogSql =
    "insert into vt_sys_billaudit_logs(orgid, modulecode,billtype,billno,ck_id,czy_id,auditmsg,auditstate)\r\n"
    " values(:orgid, :modulecode,:billtype,:billno,:ck_id,:czy_id,:auditmsg,:auditstate)";

}  // namespace plugs::coreapp::khsk
