-- Views of project orders. Each CREATE VIEW is a batch of its own (SQL Server wants
-- it so); lines holding only GO separate the batches of a file.

-- Order header with the display columns the editors and lists show: customer code and
-- name, outlet, bill maker, salesman, receiving department, delivery method, and
-- `statusinfo` (已作废 for a voided order, else the name of its status).
create view vt_v_xmzzk as
select t1.*,
  kh.code as kh_code, kh.name as kh_name,
  ck.name as ck_name,
  kdr.name as kdr_name,
  ywy.code as ywy_code, ywy.name as ywy_name,
  flow.name as flow_name,
  shfs.name as shfs_name,
  case when t1.zfflag = 1 then '已作废'
       when t1.status = 0 then '未处理'
       when t1.status = 1 then '处理中'
       when t1.status = 2 then '已完工'
       when t1.status = 3 then '已结算'
       else '' end as statusinfo,
  case when t1.ispay = 2 then '已结清'
       when t1.ispay = 1 then '结算中'
       else '未结算' end as payinfo
from vt_x_xmzzk t1
left join vt_b_khbmk kh on t1.kh_id = kh.id
left join vt_b_ckbmk ck on t1.ck_id = ck.id
left join vt_b_ygbmk kdr on t1.kdr_id = kdr.id
left join vt_b_ygbmk ywy on t1.ywy_id = ywy.id
left join vt_b_flow flow on t1.flow_id = flow.id
left join vt_b_shfs shfs on t1.shfs_id = shfs.id
GO

-- Order line with the service item's columns (code, name, specification, unit, area
-- pricing flag, minimum-charge flag, list and purchase price).
create view vt_v_xmzzk_mx as
select t1.*,
  xm.code as xm_code, xm.name as xm_name, xm.itemno as xm_itemno, xm.baseunit as xm_baseunit,
  xm.jjfs as jjfs, xm.minje as minje, xm.price_sale as price_sale, xm.price_in as price_in
from vt_x_xmzzk_mx t1
left join vt_b_xmbmk xm on t1.xm_id = xm.id
GO

-- Stock on hand per store and goods item: book quantity, stock value and the average
-- cost `cbj` (0 when nothing is in stock, so a reader never divides by zero).
create view vt_v_spkc as
select k.orgid, k.ck_id, k.sp_id, k.kcsl, k.kcje,
  case when isnull(k.kcsl, 0) = 0 then 0 else cast(k.kcje / k.kcsl as money) end as cbj
from vt_c_spkc k
