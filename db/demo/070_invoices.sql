-- Demo invoicing: the customer C004 (美味轩餐饮) paid 1,000 in advance by bank transfer
-- (an audited receipt that settles no bill yet), and a draft invoice of the first
-- company invoices 600 of it, so 400 is still offered to the next invoice. Runs after
-- the earlier demo files on the same fresh database.
begin tran

declare @org varchar(20)
set @org = '0001'
declare @kh1 int
declare @ck1 int
declare @bank int
declare @xj int
declare @comp int
declare @compname varchar(200)
select @kh1 = id from vt_b_khbmk where orgid = @org and code = 'C004'
select @ck1 = id from vt_b_ckbmk where orgid = @org and code = '01'
select @bank = id from vt_b_zhbmk where orgid = @org and code = '02'
select @xj = id from vt_b_jsfs where orgid = @org and code = '01'
select top 1 @comp = id, @compname = name from vt_b_comp where orgid = @org and isnull(isdel, 0) = 0 order by isort, id

insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, kdr_id, zy, jmje, hjje, hxje, status, auditdate)
  values (@org, 'A1112202610200001', '2026-10-20 16:00:00', @kh1, @ck1, 1, '预收门头制作款', 0, 1000, 0, 1, '2026-10-20 16:05:00')
insert into vt_f_khsk_mx(uid, orgid, billno, jsfs_id, zh_id, je, sn, beizhu)
  values ('demo-kp-sk-1', @org, 'A1112202610200001', isnull(@xj, 0), isnull(@bank, 0), 1000, 'HD20261020', '')

insert into vt_f_khkpk(orgid, billno, billdate, kh_id, pjdm, pjhm, comp_id, comp_name, fullname, shuihao,
                       ck_id, kdr_id, zy, hjje, status)
  values (@org, 'A1118202610260001', '2026-10-26 10:00:00', @kh1, '033002600111', '00896521', @comp, @compname,
          '杭州美味轩餐饮管理有限公司', '91330102MA2CW4T17K', @ck1, 1, '十月门头制作费', 600, 0)
insert into vt_f_khkpk_mx(uid, orgid, billno, biztype, bizid, kpmc, tax, je, beizhu)
  select 'demo-kp-1', @org, 'A1118202610260001', '收款单', id, '门头制作费', 0.03, 600, ''
  from vt_f_khsk where orgid = @org and billno = 'A1112202610200001'

commit tran
