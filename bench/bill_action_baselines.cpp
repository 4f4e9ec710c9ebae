// The hand-written baselines' statements: each the rows its action changes and the
// rows the form reads back afterwards, with the same joins the bill's queries make.
#include "bill_action_baselines.h"

namespace bill_bench {

namespace {

// The shipment's reload: its lines with their order lines, less what the bill itself
// has shipped once audited (the header's status says whether it has).
constexpr const char* kShipmentLines =
    "select main.*, mx.billno as orderno, xm.code as xm_code, xm.name as xm_name, xm.itemno as "
    "xm_itemno,"
    " xm.baseunit as xm_baseunit, mx.sl * mx.n as hjsl,"
    " mx.fhsl_ok - case when h.status = 1 then main.fhsl else 0 end as fhsl_ok,"
    " mx.sl * mx.n - ifnull(mx.fhsl_ok, 0) + case when h.status = 1 then main.fhsl else 0 end as "
    "fhsl_no"
    " from vt_x_cpfhk_mx main join vt_x_cpfhk h on h.orgid = main.orgid and h.billno = main.billno"
    " left join vt_x_xmzzk_mx mx on main.mx_id = mx.id left join vt_b_xmbmk xm on main.xm_id = "
    "xm.id"
    " where main.orgid = :orgid and main.billno = :billno order by main.id";
constexpr const char* kShipmentHeader =
    "select * from vt_x_cpfhk where orgid = :orgid and billno = :billno";
constexpr const char* kTransferHeader =
    "select t1.*, ock.name, ick.name, kdr.name from vt_c_spyk t1 left join vt_b_ckbmk ock on "
    "t1.ock_id = ock.id"
    " left join vt_b_ckbmk ick on t1.ick_id = ick.id left join vt_b_ygbmk kdr on t1.kdr_id = kdr.id"
    " where t1.orgid = :orgid and t1.billno = :billno";
constexpr const char* kTransferLines =
    "select t1.*, sp.code, sp.name, sp.itemno, sp.baseunit from vt_c_spyk_mx t1 left join "
    "vt_b_spbmk sp"
    " on t1.sp_id = sp.id where t1.orgid = :orgid and t1.billno = :billno order by t1.id";
// A transfer's stock: out of the sending store at its average cost, into the receiving
// one at the same value, each movement kept so that un-auditing takes it back.
constexpr const char* kTransferLedgerRows =
    "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) select distinct :orgid, s.ck, l.sp_id, "
    "0, 0"
    " from vt_c_spyk_mx l, (select ock_id as ck from vt_c_spyk where orgid = :orgid and billno = "
    ":billno"
    " union select ick_id from vt_c_spyk where orgid = :orgid and billno = :billno) s"
    " where l.orgid = :orgid and l.billno = :billno and not exists(select 1 from vt_c_spkc k"
    " where k.orgid = :orgid and k.ck_id = s.ck and k.sp_id = l.sp_id)";
constexpr const char* kTransferOut =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select :orgid, '1124', :billno, h.ock_id, l.sp_id, -l.sl,"
    " -round(l.sl * case when k.kcsl > 0 then k.kcje / k.kcsl else 0 end, 4)"
    " from vt_c_spyk h join vt_c_spyk_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " left join vt_c_spkc k on k.orgid = h.orgid and k.ck_id = h.ock_id and k.sp_id = l.sp_id"
    " where h.orgid = :orgid and h.billno = :billno";
constexpr const char* kTransferIn =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select orgid, category, billno, (select ick_id from vt_c_spyk where orgid = :orgid and "
    "billno = :billno),"
    " sp_id, -sl, -je from vt_c_spls where orgid = :orgid and category = '1124' and billno = "
    ":billno";
constexpr const char* kTransferBook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) + m.sl, kcje = ifnull(kcje, 0) + m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1124' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kTransferUnbook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) - m.sl, kcje = ifnull(kcje, 0) - m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1124' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";

// A sale's stock: out of its store at the average cost, each movement kept.
constexpr const char* kSaleLedgerRows =
    "insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) select distinct :orgid, h.ck_id, "
    "l.sp_id, 0, 0"
    " from vt_c_spch h join vt_c_spch_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " where h.orgid = :orgid and h.billno = :billno and not exists(select 1 from vt_c_spkc k"
    " where k.orgid = :orgid and k.ck_id = h.ck_id and k.sp_id = l.sp_id)";
constexpr const char* kSaleOut =
    "insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)"
    " select :orgid, '1121', :billno, h.ck_id, l.sp_id, -ifnull(l.sl, 0),"
    " -round(ifnull(l.sl, 0) * case when k.kcsl > 0 then k.kcje / k.kcsl else 0 end, 4)"
    " from vt_c_spch h join vt_c_spch_mx l on l.orgid = h.orgid and l.billno = h.billno"
    " left join vt_c_spkc k on k.orgid = h.orgid and k.ck_id = h.ck_id and k.sp_id = l.sp_id"
    " where h.orgid = :orgid and h.billno = :billno";
constexpr const char* kSaleBook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) + m.sl, kcje = ifnull(kcje, 0) + m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1121' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kSaleUnbook =
    "update vt_c_spkc set kcsl = ifnull(kcsl, 0) - m.sl, kcje = ifnull(kcje, 0) - m.je, updatetime "
    "= getdate()"
    " from (select ck_id, sp_id, sum(sl) as sl, sum(je) as je from vt_c_spls where orgid = :orgid"
    " and category = '1121' and billno = :billno group by ck_id, sp_id) m"
    " where vt_c_spkc.orgid = :orgid and vt_c_spkc.ck_id = m.ck_id and vt_c_spkc.sp_id = m.sp_id";
constexpr const char* kSaleHeader =
    "select t1.*, ck.name, kh.name from vt_c_spch t1 left join vt_b_ckbmk ck on t1.ck_id = ck.id"
    " left join vt_b_khbmk kh on t1.kh_id = kh.id where t1.orgid = :orgid and t1.billno = :billno";
constexpr const char* kSaleLines =
    "select t1.*, sp.code, sp.name, sp.itemno, sp.baseunit from vt_c_spch_mx t1 left join "
    "vt_b_spbmk sp"
    " on t1.sp_id = sp.id where t1.orgid = :orgid and t1.billno = :billno order by t1.id";

// A customer statement's lines with what each project order or sale on it is worth and
// has received, in one query.
constexpr const char* kStatementHeader =
    "select * from vt_f_khdzk where orgid = :orgid and billno = :billno";
constexpr const char* kStatementLines =
    "select l.id, l.orgid, l.uid, l.billno, l.bizid, coalesce(x.billno, s.billno) as bizbillno,"
    " coalesce(x.billdate, s.billdate) as bizbilldate, l.biztype, coalesce(x.ck_id, s.ck_id) as "
    "ck_id, x.gcxmmc,"
    " ifnull(coalesce(x.hjje, s.hjje), 0) as hjje, ifnull(x.hjsk, 0) as jsje,"
    " ifnull(coalesce(x.hjje, s.hjje), 0) - ifnull(x.hjsk, 0) as qkje, l.dzflag, l.beizhu, "
    "ck.code, ck.name"
    " from vt_f_khdzk_mx l left join vt_x_xmzzk x on l.biztype = '项目订单' and x.orgid = l.orgid "
    "and x.id = l.bizid"
    " left join vt_c_spch s on l.biztype = '销货单' and s.orgid = l.orgid and s.id = l.bizid"
    " left join vt_b_ckbmk ck on ck.id = coalesce(x.ck_id, s.ck_id)"
    " where l.orgid = :orgid and l.billno = :billno order by bizbilldate";


// The outsourced order: its header with every display join, its service-item lines,
// and the linked order's outsourcing cost summed over its audited outsourced orders.
constexpr const char* kOutsourcedHeader =
    "select t1.*, gys.code, gys.name, kh.name, shfs.name, ck.name, kdr.name, ywy.name, zh.name"
    " from vt_x_xmwtk t1 left join vt_b_gysbmk gys on t1.gys_id = gys.id"
    " left join vt_x_xmzzk xmzzk on t1.orgid = xmzzk.orgid and t1.orderbillno = xmzzk.billno"
    " left join vt_b_khbmk kh on xmzzk.kh_id = kh.id left join vt_b_shfs shfs on t1.shfs_id = shfs.id"
    " left join vt_b_ckbmk ck on t1.ck_id = ck.id left join vt_b_ygbmk kdr on t1.kdr_id = kdr.id"
    " left join vt_b_ygbmk ywy on t1.ywy_id = ywy.id left join vt_b_zhbmk zh on t1.zh_id = zh.id"
    " where t1.orgid = :orgid and t1.billno = :billno";
constexpr const char* kOutsourcedLines =
    "select t1.*, xm.code, xm.name, xm.itemno, xm.baseunit from vt_x_xmwtk_mx t1"
    " left join vt_b_xmbmk xm on t1.xm_id = xm.id where t1.orgid = :orgid and t1.billno = :billno"
    " order by t1.id";
constexpr const char* kOutsourcingCost =
    "update vt_x_xmzzk set wxcb = ifnull((select sum(w.hjje) from vt_x_xmwtk w where w.orgid = :orgid"
    " and w.orderbillno = vt_x_xmzzk.billno and w.status = 1), 0)"
    " where orgid = :orgid and billno = (select orderbillno from vt_x_xmwtk where orgid = :orgid"
    " and billno = :billno)";

}  // namespace

const std::map<std::string, HandWritten>& handWritten() {
  static const std::map<std::string, HandWritten> actions{
      {"1102/audit",
       {{"begin immediate",
         "update vt_x_xmwtk set status = 1, shy_id = 1, auditdate = getdate(), version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kOutsourcingCost, "commit", kOutsourcedHeader, kOutsourcedLines},
        {"begin immediate",
         "update vt_x_xmwtk set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kOutsourcingCost, "commit"}}},
      {"1105/open", {{kShipmentHeader, kShipmentLines}, {}}},
      {"1105/audit",
       {{"begin immediate",
         "update vt_x_cpfhk set status = 1, shy_id = 1, auditdate = getdate(), version = version + "
         "1"
         " where orgid = :orgid and billno = :billno",
         "update vt_x_xmzzk_mx set fhsl_ok = ifnull(fhsl_ok, 0) + t.fhsl from (select mx_id, fhsl "
         "from"
         " vt_x_cpfhk_mx where orgid = :orgid and billno = :billno) t where vt_x_xmzzk_mx.id = "
         "t.mx_id",
         "commit", kShipmentHeader, kShipmentLines},
        {"begin immediate",
         "update vt_x_cpfhk set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         "update vt_x_xmzzk_mx set fhsl_ok = ifnull(fhsl_ok, 0) - t.fhsl from (select mx_id, fhsl "
         "from"
         " vt_x_cpfhk_mx where orgid = :orgid and billno = :billno) t where vt_x_xmzzk_mx.id = "
         "t.mx_id",
         "commit"}}},
      {"1124/open", {{kTransferHeader, kTransferLines}, {}}},
      {"1121/audit",
       {{"begin immediate",
         "update vt_c_spch set status = 1, shy_id = 1, auditdate = getdate(), version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kSaleLedgerRows, kSaleOut, kSaleBook, "commit", kSaleHeader, kSaleLines},
        {"begin immediate",
         "update vt_c_spch set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kSaleUnbook,
         "delete from vt_c_spls where orgid = :orgid and category = '1121' and billno = :billno",
         "commit"}}},
      {"1117/open", {{kStatementHeader, kStatementLines}, {}}},
      {"1124/audit",
       {{"begin immediate",
         "update vt_c_spyk set status = 1, shy_id = 1, auditdate = getdate(), version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kTransferLedgerRows, kTransferOut, kTransferIn, kTransferBook, "commit", kTransferHeader,
         kTransferLines},
        {"begin immediate",
         "update vt_c_spyk set status = 0, shy_id = 0, auditdate = null, version = version + 1"
         " where orgid = :orgid and billno = :billno",
         kTransferUnbook,
         "delete from vt_c_spls where orgid = :orgid and category = '1124' and billno = :billno",
         "commit"}}},
  };
  return actions;
}

}  // namespace bill_bench
