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

commit tran
