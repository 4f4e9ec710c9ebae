-- Demo bills to receive and pay against: the customer C001 (华宇地产) owes two project
-- orders (one completed and partly settled at the counter) and an audited sales bill;
-- the supplier G001 (彩虹写真输出) is owed an audited processing order and G002 (宏达纸业)
-- an audited purchase bill. Numbers are of an earlier month, so the bills numbered
-- today do not collide with them. Runs after 010_demo.sql on the same fresh database.
begin tran

declare @org varchar(20)
set @org = '0001'
declare @kh1 int
declare @gys1 int
declare @gys2 int
declare @ck1 int
declare @ck2 int
declare @xj int
declare @cash int
select @kh1 = id from vt_b_khbmk where orgid = @org and code = 'C001'
select @gys1 = id from vt_b_gysbmk where orgid = @org and code = 'G001'
select @gys2 = id from vt_b_gysbmk where orgid = @org and code = 'G002'
select @ck1 = id from vt_b_ckbmk where orgid = @org and code = '01'
select @ck2 = id from vt_b_ckbmk where orgid = @org and code = '02'
select @xj = id from vt_b_jsfs where orgid = @org and code = '01'
select @cash = id from vt_b_zhbmk where orgid = @org and code = '01'

insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, hjsk, status, ispay)
  values ('demo-xm-1', @org, 'A1100202610010001', '2026-10-01 10:00:00', @kh1, '签单', @ck1, 1, '售楼处户外广告', 1200, 200, 2, 1)
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, status)
  values ('demo-xm-2', @org, 'A1100202610080001', '2026-10-08 15:30:00', @kh1, '签单', @ck2, 1, '样板间导视牌', 860, 0)
insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, jssj, zh_id, je, czy_id)
  values (@org, 'demo-js-1', 'A1100202610010001', @xj, '2026-10-01 10:05:00', @cash, 200, 1)

insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, kdr_id, hjje, qtfy, bcsk, status)
  values (@org, 'A1121202610120001', '2026-10-12 11:00:00', @kh1, @ck1, 1, 480, 20, 100, 1)

insert into vt_x_xmwtk(uid, orgid, billno, billdate, gys_id, ck_id, kdr_id, hjje, bcfk, status)
  values ('demo-wx-1', @org, 'A1102202610050001', '2026-10-05 09:00:00', @gys1, @ck1, 1, 650, 0, 1)
insert into vt_c_spjh(orgid, billno, billdate, gys_id, ck_id, kdr_id, hjje, jmje, qtfy, bcfk, status)
  values (@org, 'A1120202610060001', '2026-10-06 14:00:00', @gys2, @ck1, 1, 1500, 50, 30, 200, 1)

-- A draft customer statement of the first customer's two completed orders, to review.
insert into vt_f_khdzk(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, status)
  values (@org, 'A1117202610250001', '2026-10-25 17:00:00', @kh1, @ck1, 1, '十月对账', 0)
insert into vt_f_khdzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu)
  select 'demo-dz-' + billno, @org, 'A1117202610250001', '项目订单', id, 0, ''
  from vt_x_xmzzk where orgid = @org and kh_id = @kh1 and status = 2

-- Bills of different ages for the receivable aging (as of 2026-12-31: 10, 30, 45 and
-- 100 days old), paid in part by audited receipts and in full by an advance write-off:
--   C005 (城东物业, a customer of its own here): an order of 2026-12-21 (600, open); a sales bill of 2026-11-16
--     (800) of which a receipt took 300; an order of 2026-09-22 (1500) of which a
--     receipt took 1000;
--   C004 (美味轩餐饮): a receipt of 1000 taken by nothing at first, then an advance
--     write-off that pays an order of 2026-11-20 (900) from it in full; a sales bill of
--     2026-12-01 (250, open);
--   C003 (张先生): a voided completed order and an unaudited sales bill, owing nothing.
-- The ledger rows are what auditing the receipts and the advance write-off writes.
declare @kh5 int
declare @kh3 int
declare @kh4 int
insert into vt_b_khbmk(orgid, code, name, fullname, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C005', '城东物业', '杭州城东物业管理有限公司', '协议价', 0, '签单', 0,
          '陈美玲', '13605710006', '杭州市上城区秋涛北路77号')
select @kh5 = id from vt_b_khbmk where orgid = @org and code = 'C005'
select @kh3 = id from vt_b_khbmk where orgid = @org and code = 'C003'
select @kh4 = id from vt_b_khbmk where orgid = @org and code = 'C004'

insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, status)
  values ('demo-xm-3', @org, 'A1100202612210001', '2026-12-21 09:00:00', @kh5, '签单', @ck1, 1, '寒假招生海报', 600, 2)
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, status)
  values ('demo-xm-4', @org, 'A1100202609220001', '2026-09-22 14:00:00', @kh5, '签单', @ck1, 1, '秋季开学展板', 1500, 2)
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, status)
  values ('demo-xm-5', @org, 'A1100202611200001', '2026-11-20 16:00:00', @kh4, '现结', @ck1, 1, '新店门头招牌', 900, 2)
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, ck_id, kdr_id, gcxmmc, hjje, status, zfflag)
  values ('demo-xm-6', @org, 'A1100202611050001', '2026-11-05 10:00:00', @kh3, '现结', @ck1, 1, '作废的名片', 300, 2, 1)

insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, kdr_id, hjje, qtfy, bcsk, status)
  values (@org, 'A1121202611160001', '2026-11-16 10:30:00', @kh5, @ck1, 1, 800, 0, 0, 1)
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, kdr_id, hjje, qtfy, bcsk, status)
  values (@org, 'A1121202612010001', '2026-12-01 15:00:00', @kh4, @ck1, 1, 250, 0, 0, 1)
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, kdr_id, hjje, qtfy, bcsk, status)
  values (@org, 'A1121202611080001', '2026-11-08 11:00:00', @kh3, @ck1, 1, 200, 0, 0, 0)

-- Audited receipts: C005's pays two bills, C004's is all advance.
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, jmje, hjje, hxje, status, shy_id, auditdate)
  values (@org, 'A1112202610150001', '2026-10-15 10:00:00', @kh5, @ck1, 1, '展板款', 0, 1000, 1000, 1, 1, '2026-10-15 10:10:00')
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, jmje, hjje, hxje, status, shy_id, auditdate)
  values (@org, 'A1112202611200001', '2026-11-20 11:00:00', @kh5, @ck1, 1, '货款', 0, 300, 300, 1, 1, '2026-11-20 11:10:00')
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, jmje, hjje, hxje, status, shy_id, auditdate)
  values (@org, 'A1112202611100001', '2026-11-10 09:00:00', @kh4, @ck1, 1, '招牌预付款', 0, 1000, 0, 1, 1, '2026-11-10 09:10:00')
insert into vt_f_khsk_mx(uid, orgid, billno, jsfs_id, zh_id, je)
  values ('demo-sk-1', @org, 'A1112202610150001', @xj, @cash, 1000)
insert into vt_f_khsk_mx(uid, orgid, billno, jsfs_id, zh_id, je)
  values ('demo-sk-2', @org, 'A1112202611200001', @xj, @cash, 300)
insert into vt_f_khsk_mx(uid, orgid, billno, jsfs_id, zh_id, je)
  values ('demo-sk-3', @org, 'A1112202611100001', @xj, @cash, 1000)
insert into vt_f_khsk_hx(uid, orgid, billno, biztype, bizid, hxje)
  select 'demo-skhx-1', @org, 'A1112202610150001', '项目订单', id, 1000 from vt_x_xmzzk where orgid = @org and billno = 'A1100202609220001'
insert into vt_f_khsk_hx(uid, orgid, billno, biztype, bizid, hxje)
  select 'demo-skhx-2', @org, 'A1112202611200001', '销货单', id, 300 from vt_c_spch where orgid = @org and billno = 'A1121202611160001'

-- An audited advance write-off: 900 of C004's receipt pays the order of 2026-11-20.
insert into vt_f_yshx(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, status, shy_id, auditdate)
  values (@org, 'A1115202611250001', '2026-11-25 10:00:00', @kh4, @ck1, 1, '预收冲招牌款', 1, 1, '2026-11-25 10:10:00')
insert into vt_f_yshx_mx(uid, orgid, billno, biztype, bizid, hxje)
  select 'demo-yshx-1', @org, 'A1115202611250001', '收款单', id, 900 from vt_f_khsk where orgid = @org and billno = 'A1112202611100001'
insert into vt_f_yshx_hx(uid, orgid, billno, biztype, bizid, hxje)
  select 'demo-yshxhx-1', @org, 'A1115202611250001', '项目订单', id, 900 from vt_x_xmzzk where orgid = @org and billno = 'A1100202611200001'

insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, hxbilldate, ck_id, hjje, bchx, zy, czy_id)
  select t1.orgid, t1.billno, t1.biztype, t1.bizid, t2.billno, t2.billdate, t2.ck_id, isnull(t2.hjje, 0) - isnull(t2.jmje, 0), t1.hxje, '收款单核销', 1
  from vt_f_khsk_hx t1 inner join vt_x_xmzzk t2 on t1.bizid = t2.id
  where t1.orgid = @org and t1.uid like 'demo-%' and t1.biztype = '项目订单'
insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, hxbilldate, ck_id, hjje, bchx, zy, czy_id)
  select t1.orgid, t1.billno, t1.biztype, t1.bizid, t2.billno, t2.billdate, t2.ck_id, isnull(t2.hjje, 0) - isnull(t2.jmje, 0) + isnull(t2.qtfy, 0), t1.hxje, '收款单核销', 1
  from vt_f_khsk_hx t1 inner join vt_c_spch t2 on t1.bizid = t2.id
  where t1.orgid = @org and t1.uid like 'demo-%' and t1.biztype = '销货单'
insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillid, hxbillno, hxbilldate, ck_id, hjje, bchx, zy, czy_id)
  select t1.orgid, t1.billno, t1.biztype, t1.bizid, t2.billno, t2.billdate, t2.ck_id, isnull(t2.hjje, 0) - isnull(t2.jmje, 0), t1.hxje, '预收冲减应收', 1
  from vt_f_yshx_hx t1 inner join vt_x_xmzzk t2 on t1.bizid = t2.id
  where t1.orgid = @org and t1.billno = 'A1115202611250001'
-- Every bill has its lines, one each here, whose amount is the bill's total (a saved
-- bill always has lines and its total is their sum). The orders' work was handed
-- over already, so the lines wait neither for shipment nor for outsourcing; the goods
-- bills are older than the opening stock, which already holds their effect.
declare @xm5 int
declare @sp4 int
select @xm5 = id from vt_b_xmbmk where orgid = @org and code = 'XM005'
select @sp4 = id from vt_b_spbmk where orgid = @org and code = 'SP004'
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, fhsl_ok, gcxmmc, beizhu)
  select uid + '-mx', orgid, billno, @xm5, 1, 1, 1, 1, 1, hjje, hjje, 1, hjje, 1, gcxmmc, ''
  from vt_x_xmzzk where orgid = @org and uid like 'demo-xm-%'
insert into vt_x_xmwtk_mx(uid, orgid, billno, xm_id, dj, sl, n, x, y, zk, je, beizhu)
  select uid + '-mx', orgid, billno, @xm5, hjje, 1, 1, 1, 1, 1, hjje, ''
  from vt_x_xmwtk where orgid = @org and uid like 'demo-wx-%'
insert into vt_c_spch_mx(uid, orgid, billno, sp_id, sl, zk, old_dj, dj, je, beizhu)
  select 'demo-chmx-' + billno, orgid, billno, @sp4, 1, 1, hjje, hjje, hjje, '' from vt_c_spch where orgid = @org
insert into vt_c_spjh_mx(uid, orgid, billno, sp_id, sl, zk, dj, je)
  select 'demo-jhmx-' + billno, orgid, billno, @sp4, 1, 1, hjje, hjje from vt_c_spjh where orgid = @org

exec sp_sys_calcxmzzkhj @orgid = @org, @billno = 'A1100202609220001'
exec sp_sys_calcxmzzkhj @orgid = @org, @billno = 'A1100202611200001'

commit tran
