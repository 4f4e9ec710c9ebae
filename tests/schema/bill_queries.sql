-- Queries and statements the bills send, run in order on the demo database by
-- bill_queries_test.cpp: each GO-separated batch must run without an error.
-- setup: one order with a line, consumable, staff, product
insert into vt_x_xmzzk(uid, orgid, billno, kh_id, ck_id, kdr_id, status, hjje) values ('U1','0001','X1',3,1,1,2,100)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, dj, zk, je) values ('M1','0001','X1',1,2,1,300,80,10000,15,1,72)
insert into vt_x_xmzzk_mx_hc(uid, orgid, billno, mx_uid, sp_id, nsl, sl, shsl) values ('H1','0001','X1','M1',1,1,2,0)
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Z1','0001','X1','M1',2,50)
insert into vt_x_xmzzk_mx_zzry(uid, orgid, billno, mx_uid, yg_id, perc) values ('Z2','0001','X1','M1',3,50)
insert into vt_x_xmzzk_cp(uid, orgid, billno, cpcode, cpname, sl, dj, je) values ('C1','0001','X1','SP001','布',1,5,5)
GO
declare @kh_id int
declare @xm_id int
declare @sl float
set @xm_id =3
set @kh_id=3
set @sl = 5
declare @xyjlx varchar(20)
declare @vip_id int
declare @jtdj money
select @jtdj = dj from vt_b_xmbmk_jtdj where xm_id =@xm_id and from_sl <= @sl and to_sl >= @sl
if not @jtdj is null
begin
select @xm_id as id, @jtdj as dj
return
end
select @xyjlx = xyjlx,@vip_id=vip_id from vt_b_khbmk where id=@kh_id
set @xyjlx = isnull(@xyjlx, '协议价')
if @xyjlx = '' set @xyjlx = '协议价'
set @vip_id = isnull(@vip_id, 0)
if @xyjlx = '协议价'
begin
	select id, isnull(t2.dj, t1.price_sale) dj from vt_b_xmbmk t1 left join (
	select xm_id, dj from vt_b_khxyj where kh_id=@kh_id and xm_id=@xm_id) t2
	on t1.id=t2.xm_id where t1.id=@xm_id
end else
if @xyjlx = '会员等级'
begin
	select id, isnull(t2.dj, t1.price_sale) dj from vt_b_xmbmk t1 left join (
	select xm_id, dj from vt_b_vipxyj where vip_id=@vip_id and xm_id=@xm_id) t2
	on t1.id=t2.xm_id where t1.id=@xm_id
end
GO
select t2.*, t1.sl from vt_b_xmbmk_hc t1 left join vt_b_spbmk t2 on t1.sp_id = t2.id where xm_id = 3 and t1.orgid = '0001'
select hc.*, sp.code sp_code, sp.name sp_name, sp.itemno, sp.baseunit
from dbo.vt_x_xmzzk_mx_hc hc
left join vt_b_spbmk sp on hc.sp_id = sp.id
where billno = 'X1' and hc.orgid='0001' order by hc.id
SELECT t1.*, t2.code AS yg_code, t2.name AS yg_name FROM vt_x_xmzzk_mx_zzry AS t1
LEFT JOIN vt_b_ygbmk AS t2 ON t1.yg_id = t2.id
 where billno='X1' and t1.orgid='0001' ORDER BY t1.id
select * from dbo.vt_x_xmzzk_cp where billno='X1' and orgid='0001' order by id
select * from vt_b_khbmk_lxr where orgid = '0001' and kh_id = 2 and isdef = 1
GO
DECLARE @billno varchar(50),@orgid varchar(50)
begin tran
begin try
set @billno = 'X1'
set @orgid = '0001'
update vt_x_xmzzk_mx_zzry
set jxjf = sl*n*scjf*perc/100,
jxje = je*perc/100*jxbl/100
from vt_x_xmzzk_mx_zzry t1
left join
(select b1.uid, sl, n, x, y, old_dj, dj, zk,je, b2.jxbl, b2.scjf from vt_x_xmzzk_mx b1 left join vt_b_xmbmk b2 on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid
where t1.orgid=@orgid and t1.billno = @billno
declare @zzry varchar(max) 
set @zzry = ''  
select @zzry = @zzry + max(t2.name) + ',' from vt_x_xmzzk_mx_zzry t1 left join vt_b_ygbmk t2 on t1.yg_id = t2.id where t1.orgid=@orgid and billno = @billno group by t1.yg_id 
update vt_x_xmzzk set zzryinfo = @zzry where orgid=@orgid and billno=@billno
update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where billno = @billno) where orgid=@orgid and billno = @billno
exec sp_sys_calcxmzzkhj @orgid=@orgid, @billno=@billno
end try
begin catch
if (@@trancount>0) rollback tran
raiserror('单据保存失败', 16, 1)
end catch
if (@@trancount>0) commit tran
select zzryinfo, hjje from vt_x_xmzzk where billno='X1'
select jxjf, jxje from vt_x_xmzzk_mx_zzry
GO
declare
  @billno varchar(50),
  @orgid varchar(20)

set @billno ='X1'
set @orgid = '0001'

select t1.*, t2.code xm_code, t2.name xm_name, t2.itemno xm_itemno, t2.baseunit xm_baseunit,case when t2.jjfs='是' then je/(sl*x*y)*t2.k else je/sl end dj from (
select xm_id,sum(sl*n) as sl, x,y,sum(je) je, max(gcxmmc) gcxmmc, max(beizhu) beizhu from vt_x_xmzzk_mx where billno=@billno and orgid=@orgid group by xm_id,x,y
) t1 left join vt_b_xmbmk t2 on t1.xm_id = t2.id
GO
declare
  @kh_id int,
  @orgid varchar(10),
  @dt datetime

set @orgid ='0001'
set @kh_id = 3
set @dt = getdate()

select t1.*, isnull(t3.je,0) curje, isnull(t2.je,0) qmje from (
select * from vt_b_khbmk_vip where id in(select card_id from vt_b_khbmk where id = @kh_id and orgid=@orgid)
) t1 left join (
select card_id, sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id and orgid=@orgid group by card_id
) t2 on t1.id = t2.card_id
left join (
select card_id, sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id and orgid=@orgid and createtime < @dt group by card_id
) t3 on t1.id = t3.card_id
GO
declare @id int,@ver int
set @id=1
set @ver=0
if not exists(select id from vt_x_xmzzk where id=@id and version=@ver)
begin
raiserror('error', 16, 1)
return
end
begin tran
begin try
update dbo.vt_sys_doworks set isdone = 1, et = getdate() where isdone = 0 and id in(select dowork_id from vt_x_xmzzk where id= @id)
update vt_x_xmzzk set version=version+1, status=2, dowork_id=0 where id=@id
 exec sp_sys_calcxmzzkhccb @orgid='0001',@billno='X1'
end try
begin catch
if @@trancount>0 rollback tran
end catch
if @@trancount>0 commit tran
select hccb, version from vt_x_xmzzk where id = 1
GO
select id from dbo.vt_sys_hx_kh where orgid='0001' and hxbillno='X1' and biztype='项目订单'
insert into vt_sys_billaudit_logs(orgid, modulecode,billtype,billno,ck_id,czy_id,auditmsg,auditstate)
 values('0001', '1100','项目订单','X1',1,1,'客户要求','作废')
insert into vt_sys_billpirnt_logs(orgid,modulecode, billtype,billno,ck_id,czy_id) values('0001', '1100', '项目订单', 'X1',1, 1)
select * from vt_v_xmzzk where billno='X1' and orgid='0001'
select id, code, name from vt_b_jsfs where orgid='0001' and isDel=0 order by isort desc, code
select id, code, name from vt_b_zhbmk where orgid='0001' and isDel = 0 order by isort desc, code
GO
insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, zh_id, je, sn, remark, czy_id) values ('0001', 'J1', 'X1', 1, 1, 30, '', '', 1)
insert into vt_x_xmzzk_js(orgid, uid, billno, jsfs_id, je, remark, czy_id) values ('0001', 'J2', 'X1', 2, 10, '', 1)
exec sp_sys_calcxmzzkhj @orgid='0001', @billno='X1'
insert into vt_b_khbmk_vip_pay(orgid,ck_id,kh_id,card_id,createtime,czy_id,biztype,bizid,decje,remark)
values('0001',1,3,1,getdate(),1,'消费',1,20.00000000,'test')
GO
declare @billno varchar(50),@orgid varchar(10)
set @billno='X1'
set @orgid='0001'
select m.*, b1.code czy_code, b1.name czy_name from(
select js.id,js.orgid,js.uid,js.billno,js.jsfs_id,js.jssj,js.zh_id,js.je,js.sn,js.remark,czy_id, jsfs.code as jsfs_code, jsfs.name as jsfs_name, zh.code as zh_code, zh.name as zh_name 
from dbo.vt_x_xmzzk_js js left join vt_b_jsfs jsfs on js.jsfs_id=jsfs.id
left join vt_b_zhbmk zh on js.zh_id = zh.id
where js.orgid=@orgid and js.billno=@billno
union
select id,orgid,uid,hxbillno,0,hxbilldate,0,bchx,'','',czy_id,'',zy,'','' from vt_sys_hx_kh where orgid=@orgid and hxbillno=@billno
) m left join vt_b_ygbmk b1 on m.czy_id = b1.id order by jssj, m.id
select hjsk, jmje, ispay, status from vt_x_xmzzk where billno='X1'
GO
update vt_x_xmzzk set version=version+1, status=0, ispay=0, jmje=0,hjsk=0, dowork_id=0,hccb=0 where id=1
delete from vt_sys_doworks where xmzzk_id = 1
delete from vt_x_xmzzk_js where orgid='0001' and billno='X1'
delete from vt_b_khbmk_vip_pay where orgid='0001' and bizid=1
GO
select t1.id as iid,t2.id,t2.code,t2.name,itemno,baseunit,price_sale,t2.jjfs,t2.minje, p1.name + case when p2.name is null then '' else '|' end +  isnull(p2.name,'') as iclass ,t2.k
from vt_b_xmbmk_quick AS t1 INNER JOIN vt_b_xmbmk t2 on t1.xm_id = t2.id 
left join vt_b_category p1 on t2.p1 = p1.id
left join vt_b_category p2 on t2.p2 = p2.id
where t1.orgid='0001' and t1.ck_id=1 and t2.isdel=0
order by t2.p1, t2.p2, t2.code
select * from vt_v_xmzzk_mx where 1=2
delete from vt_b_xmbmk_quick where orgid='0001' and ck_id=1 and xm_id=3
insert into vt_b_xmbmk_quick(orgid,ck_id,xm_id) values('0001',1,3)
select * from vt_v_xmzzk where zfflag = 0 and orgid='0001' and billdate >= '2020-01-01' and billno like '%X%' and status < 2
select * from vt_b_ckbmk where orgid='0001' and id=1
GO
insert into vt_x_xmwtk(orgid, billno, gys_id, orderbillno, status, hjje, bcfk, ck_id) values ('0001','W1',1,'X1',1,50,10,1)
insert into vt_x_xmwtk_mx(uid, orgid, billno, xm_id, dj, sl, n, x, y, zk, je) values ('WM1','0001','W1',1,10,1,1,1,1,1,10)
update vt_x_xmzzk set wxcb = isnull(t2.hjje,0) from  
vt_x_xmzzk t1 left join( 
select orderbillno, sum(hjje) hjje  from vt_x_xmwtk where orgid='0001' and orderbillno = 'X1' and status = 1 group by orderbillno 
) t2 on t1.billno = t2.orderbillno 
where t1.orgid='0001' and t1.billno = 'X1'
select wxcb from vt_x_xmzzk where billno = 'X1'
select cast(0 as bit) as selected, t1.*, t2.code, t2.name, t2.itemno, t2.baseunit, t2.price_in 
from vt_x_xmzzk_mx t1 left join vt_b_xmbmk t2 on t1.xm_id = t2.id and t1.orgid = t2.orgid
 where t1.orgid='0001' and t1.billno = 'X1' order by t1.id
GO
update vt_x_xmzzk set status = 2 where billno = 'X1'
insert into vt_x_cpfhk(orgid, billno, kh_id, status) values ('0001','F1',3,0)
insert into vt_x_cpfhk_mx(uid, orgid, billno, mx_id, xm_id, fhsl) values ('FM1','0001','F1',1,1,1)
update vt_x_xmzzk_mx
set fhsl_ok = isnull(fhsl_ok,0) + t2.fhsl
from vt_x_xmzzk_mx  t1 right join(
select * from vt_x_cpfhk_mx where orgid = '0001' and billno='F1'
) t2 on t1.id = t2.mx_id
update vt_x_cpfhk set status = 1 where billno = 'F1'
GO
declare
  @orgid varchar(10),
  @billno varchar(50)

set @orgid='0001'
set @billno='F1'

SELECT    main.*, mx.billno AS orderno, xm.code AS xm_code, 
                      xm.name AS xm_name, xm.itemno AS xm_itemno, xm.baseunit AS xm_baseunit, mx.sl * mx.n AS hjsl, mx.fhsl_ok - isnull(temp.fhsl,0) fhsl_ok, mx.sl * mx.n - ISNULL(mx.fhsl_ok, 0) +isnull(temp.fhsl,0)
                      AS fhsl_no
FROM         dbo.vt_x_cpfhk_mx AS main LEFT OUTER JOIN
                      dbo.vt_x_xmzzk_mx AS mx ON main.mx_id = mx.id LEFT OUTER JOIN
                      dbo.vt_b_xmbmk AS xm ON main.xm_id = xm.id left join 
(select t1.id, t1.fhsl from vt_x_cpfhk_mx t1 left join vt_x_cpfhk t2 on t1.orgid = t2.orgid and t1.billno = t2.billno
where t1.orgid=@orgid and t1.billno = @billno and t2.status = 1) temp on main.id = temp.id
where main.orgid=@orgid and main.billno =@billno
order by main.id
GO
declare 
  @orgid varchar(10),
  @kh_id int,
  @bt smalldatetime,
  @et smalldatetime,
  @ck_id int

set @orgid = '0001'
set @kh_id = 3
set @bt = dateadd(month, -6, getdate())
set @et = getdate()
set @ck_id = 1

update vt_x_xmzzk_mx set fhsl_ok = 0 where orgid=@orgid and fhsl_ok is null

select cast(0 as bit) as selected, ck.code ck_code, ck.name ck_name, main.*, xm.code xm_code, xm.name xm_name, xm.itemno xm_itemno, xm.baseunit xm_baseunit, main.hjsl - isnull(main.fhsl_ok,0) fhsl_no from (
select t1.billdate,t1.ck_id,t2.*,t2.sl * t2.n hjsl from vt_x_xmzzk t1 left join vt_x_xmzzk_mx t2 on t1.orgid = t2.orgid and t1.billno =t2.billno 
where t1.orgid = @orgid and kh_id = @kh_id and status = 2 and zfflag = 0  and datediff(day, billdate, @bt) <= 0 and datediff(day, billdate, @et) >= 0
and t2.sl * n > isnull(fhsl_ok,0)
) main left join vt_b_xmbmk xm on main.xm_id = xm.id
left join vt_b_ckbmk ck on main.ck_id = ck.id
GO
insert into vt_c_sppd(orgid, billno, ck_id, kdr_id, status) values ('0001','P1',1,1,1)
insert into vt_c_sppd_mx(uid, orgid, billno, sp_id, kcsl, pdsl, yksl, beizhu) values ('PM1','0001','P1',1,5,8,3,'盘盈')
insert into vt_c_sppd_mx(uid, orgid, billno, sp_id, kcsl, pdsl, yksl, beizhu) values ('PM2','0001','P1',2,4,4,0,'')
exec [sp_sys_getspkcbyid] @orgid='0001',@ck_id=1,@sp_id=1
GO
DECLARE 
@orgid varchar(50),
@category varchar(20),
@tag varchar(20),
@ck_id int,
@billno varchar(50),
@pdbillno varchar(50)

set @orgid = '0001'
set @category ='1126'
set @tag = 'A'
set @pdbillno='P1'
set @ck_id=1

begin tran
begin try
exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,@ck_id,@billno OUTPUT
set @billno = isnull(@billno, '')
if @billno = '' raiserror('单据保存失败', 16, 1)

INSERT INTO vt_c_spsy(orgid,billno,billdate,kdr_id,status,remark,ck_id,zy,pdbillno)
select orgid,@billno,getdate(),kdr_id,0,remark,ck_id,zy,billno from vt_c_sppd where billno=@pdbillno

INSERT INTO vt_c_spsy_mx(orgid,uid,billno,sp_id,sl,dj,je,beizhu)
select orgid,newid(),@billno,sp_id,yksl,0,0,beizhu from vt_c_sppd_mx where billno=@pdbillno

update vt_c_sppd set version=version+1, isDone = 1 where billno=@pdbillno

end try
begin catch
if (@@trancount>0) rollback tran
raiserror('单据保存失败', 16, 1)
end catch
if (@@trancount>0) commit tran
select billno, hjje, pdbillno, status from vt_c_spsy
select sl, dj, je, beizhu from vt_c_spsy_mx
select isDone, version from vt_c_sppd
GO
declare @billno varchar(50)
declare @orgid varchar(20)
select @billno = billno from vt_c_spsy
set @orgid = '0001'
update vt_c_sppd set version=version+1, isDone = 0 where billno in(select pdbillno from vt_c_spsy where billno = @billno and isnull(pdbillno, '') <> '')
delete from vt_c_spsy where billno = @billno and orgid=@orgid
delete from vt_c_spsy_mx where billno = @billno and orgid=@orgid
select isDone, version from vt_c_sppd
update vt_c_sppd set isDone = 0 where id=1
GO
insert into vt_c_spch(orgid, billno, kh_id, ck_id, status, hjje, qtfy, bcsk, jmje) values ('0001','CH1',3,1,1,800,20,100,0)
insert into vt_c_spch_mx(uid, orgid, billno, sp_id, sl, dj, je, beizhu) values ('CM1','0001','CH1',1,1,800,800,'')
insert into vt_f_khsk(orgid, billno, kh_id, ck_id, kdr_id, jmje, hjje, status) values ('0001','SK1',3,1,1,0,1000,0)
insert into vt_f_khsk_mx(uid, orgid, billno, zh_id, je) values ('KM1','0001','SK1',1,1000)
insert into vt_f_khsk_hx(uid, orgid, billno, biztype, bizid, hxje) values ('KH1','0001','SK1','项目订单',1,30)
insert into vt_f_khsk_hx(uid, orgid, billno, biztype, bizid, hxje) values ('KH2','0001','SK1','销货单',1,200)
GO
declare 
  @orgid varchar(10),
  @billno varchar(50)

set @orgid='0001'
set @billno = 'SK1'

declare @res table(
  id int,
  orgid varchar(10),
  uid varchar(50),
  billno varchar(50),
  biztype varchar(50),
  bizid int,
  hxbillno varchar(50),
  hxbilldate smalldatetime,
  ck_id int,
  hjje money default 0,
  hxje_ok money default 0,
  hxje_no money default 0,
  bchx money  default 0
)

insert into @res(id,orgid,uid,billno,biztype,bizid,hxbillno,hxbilldate,hjje,ck_id)
select hx.id,hx.orgid,hx.uid,hx.billno,'项目订单', hx.bizid,xmzzk.billno,billdate,isnull(hjje,0),ck_id 
from vt_x_xmzzk xmzzk, vt_f_khsk_hx hx
where xmzzk.id=hx.bizid and hx.billno=@billno and biztype='项目订单'

insert into @res(id,orgid,uid,billno,biztype,bizid,hxbillno,hxbilldate,hjje,hxje_ok,ck_id)
select hx.id,hx.orgid,hx.uid,hx.billno,'销货单', hx.bizid,spch.billno,billdate,isnull(hjje,0)-isnull(jmje,0)+isnull(qtfy,0),0,ck_id 
from vt_c_spch spch, vt_f_khsk_hx hx
where spch.id=hx.bizid and hx.billno=@billno and biztype='销货单'

update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select billno as hxbillid, sum(je) hjhxje from vt_x_xmzzk_js where orgid=@orgid  group by billno
) xmzzk on main.hxbillno=xmzzk.hxbillid where main.biztype='项目订单'

update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select hxbillid,sum(bchx) hjhxje from dbo.vt_sys_hx_kh where orgid=@orgid and biztype='项目订单' and isnull(billno,'') <> @billno group by hxbillid
) xmzzk on main.bizid=xmzzk.hxbillid where main.biztype='项目订单'

update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select hxbillid,sum(bchx) hjhxje from dbo.vt_sys_hx_kh where orgid=@orgid and biztype='销货单' and isnull(billno,'') <> @billno group by hxbillid
) xmzzk on main.bizid=xmzzk.hxbillid where main.biztype='销货单'


update @res set hxje_no = hjje - hxje_ok

select hx.id,hx.uid,temp.*,ck.code ck_code,ck.name ck_name, hx.hxje 
from vt_f_khsk_hx hx, @res temp,vt_b_ckbmk ck 
where hx.bizid=temp.bizid and hx.billno=@billno and temp.ck_id=ck.id
order by hx.id
GO
update vt_f_khsk set status = 1 where billno = 'SK1'
insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)
select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0) - isnull(t2.jmje,0), t1.hxje,'收款单核销'  
 from vt_f_khsk_hx t1 left join vt_x_xmzzk t2 on t1.bizid=t2.id
where t1.orgid='0001' and t1.billno='SK1' and t1.biztype='项目订单'
insert into vt_sys_hx_kh(orgid,billno,biztype,hxbillid,hxbillno,hxbilldate,ck_id,hjje,bchx,zy)
select t1.orgid,t1.billno,t1.biztype,t1.bizid,t2.billno,t2.billdate,t2.ck_id,isnull(t2.hjje,0) - isnull(t2.jmje,0) + isnull(t2.qtfy, 0), t1.hxje,'收款单核销'
from vt_f_khsk_hx t1 left join vt_c_spch t2 on t1.bizid=t2.id
where t1.orgid='0001' and t1.billno='SK1' and t1.biztype='销货单'
update vt_f_khsk set hxje=isnull((
select sum(hxje) from vt_f_khsk_hx where billno='SK1'),0) where billno='SK1'
update vt_sys_hx_kh set czy_id = t2.kdr_id
from vt_sys_hx_kh t1 left join vt_f_khsk t2 on t1.orgid=t2.orgid and t1.billno = t2.billno
where t1.orgid='0001' and t1.billno = 'SK1'
exec sp_sys_calcxmzzkhj @orgid='0001', @billno='X1'
select hjsk, ispay, status from vt_x_xmzzk where billno = 'X1'
select uid, billno, biztype, hxbillid, hxbillno, hjje, bchx, czy_id from vt_sys_hx_kh
select id from dbo.vt_f_yshx_mx where bizid=1 and orgid='0001' and biztype='收款单'
GO
declare
  @kh_id int,@ck_id int,@orgid varchar(10),@billno varchar(50)

set @kh_id=3
set @ck_id=0
set @orgid='0001'
set @billno='NEW'

declare @cklist table(
  id int
)

if @ck_id = 0 
begin
  insert into @cklist(id)
    select id from vt_b_ckbmk where orgid=@orgid and isdel=0
end else
  insert into @cklist(id) values (@ck_id)


declare @res table(
  biztype varchar(50),
  hxbillid int,
  hxbillno varchar(50),
  hxversion int,
  hxbilldate smalldatetime,
  hjje money default 0,
  hxje_ok money default 0,
  hxje_no money default 0,
  bchx money  default 0,
  ck_name varchar(50)
)
insert into @res(biztype,hxbillid,hxbillno,hxversion,hxbilldate,hjje,hxje_ok,ck_name)
select '项目订单', t1.id, billno,t1.version,billdate,isnull(hjje,0),0 ,t2.name from vt_x_xmzzk t1 ,vt_b_ckbmk t2 
where t1.ck_id = t2.id and t1.orgid=@orgid and zfflag = 0 and t1.kh_id=@kh_id and ck_id in (select id from @cklist) and isnull(hjje,0) <> 0


insert into @res(biztype,hxbillid,hxbillno,hxversion,hxbilldate,hjje,hxje_ok,ck_name)
select '销货单',t1.id,  billno,t1.version, billdate, isnull(hjje,0)+isnull(qtfy,0),isnull(bcsk,0) ,t2.name from vt_c_spch t1 ,vt_b_ckbmk t2 
where t1.ck_id = t2.id and t1.orgid=@orgid and t1.kh_id=@kh_id and ck_id in (select id from @cklist) and status=1 and isnull(hjje,0) <> 0

update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select billno as hxbillid, sum(je) hjhxje from vt_x_xmzzk_js where orgid=@orgid  group by billno
) xmzzk on main.hxbillno=xmzzk.hxbillid where main.biztype='项目订单'


update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select hxbillid,sum(bchx) hjhxje from dbo.vt_sys_hx_kh where orgid=@orgid and biztype='项目订单' and billno <> @billno group by hxbillid
) xmzzk on main.hxbillid=xmzzk.hxbillid where main.biztype='项目订单'

update @res set main.hxje_ok=isnull(main.hxje_ok,0) + isnull(xmzzk.hjhxje,0) from @res main left join(
select hxbillid,sum(bchx) hjhxje from dbo.vt_sys_hx_kh where orgid=@orgid and biztype='销货单' and billno <> @billno group by hxbillid
) xmzzk on main.hxbillid=xmzzk.hxbillid where main.biztype='销货单'

update @res set hxje_no = hjje - hxje_ok, bchx=hjje-hxje_ok
select cast(0 as bit) as selected, * from @res where hxje_no <> 0 order by hxbilldate
GO
declare
  @kh_id int,@ck_id int,@orgid varchar(10),@billno varchar(50)

set @kh_id=3
set @ck_id=1
set @orgid='0001'
set @billno='NEW'

declare @cklist table(
  id int
)

if @ck_id = 0 
begin
  insert into @cklist(id)
    select id from vt_b_ckbmk where orgid=@orgid and isdel=0
end else
  insert into @cklist(id) values (@ck_id)


declare @res table(
  biztype varchar(50),
  hxbillid int,
  hxbillno varchar(50),
  hxversion int,
  hxbilldate smalldatetime,
  hjje money default 0,
  hxje_ok money default 0,
  hxje_no money default 0,
  bchx money  default 0,
  ck_id int
)

declare @temp table(
  bizid int,
  hxje money
)
insert into @temp(bizid, hxje)
select id, sum(hxje) from
(
select id,sum(hxje) hxje from vt_f_khsk where status=1 and kh_id=@kh_id and hjje - hxje <> 0 group by id
union all
select t2.bizid, sum(hxje) from vt_f_yshx t1, vt_f_yshx_mx t2 where t1.billno=t2.billno and t1.kh_id=@kh_id and t1.status = 1 group by t2.bizid
) m group by id

insert into @res(biztype,hxbillid,hxbillno,hxversion,hxbilldate,hjje,hxje_ok,ck_id)
select '收款单',t2.id, t2.billno, t2.version, t2.billdate, t2.hjje, t1.hxje, t2.ck_id from @temp t1 left join vt_f_khsk t2 on t1.bizid = t2.id

update @res set hxje_no = hjje - hxje_ok, bchx=hjje-hxje_ok

select cast(0 as bit) as selected, t1.*, t2.name as ck_name from @res t1 left join vt_b_ckbmk t2 on t1.ck_id = t2.id where hxje_no <> 0 order by hxbilldate
GO
insert into vt_f_khdzk(orgid, billno, kh_id, status) values ('0001','DZ1',3,1)
insert into vt_f_khdzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu) values ('D1','0001','DZ1','项目订单',1,1,'')
insert into vt_f_khdzk_mx(uid, orgid, billno, biztype, bizid, dzflag, beizhu) values ('D2','0001','DZ1','销货单',1,0,'')
update vt_f_khdzk set status = 2, version = version + 1 where orgid='0001' and billno='DZ1'
update vt_x_xmzzk set dzflag = t1.dzflag, version = version + 1   
from vt_f_khdzk_mx t1 left join vt_x_xmzzk t2 on t1.bizid = t2.id 
where t1.orgid='0001' and t1.billno='DZ1' and biztype='项目订单' 
update vt_c_spch set dzflag = t1.dzflag, version = version + 1   
from vt_f_khdzk_mx t1 left join vt_c_spch t2 on t1.bizid = t2.id 
where t1.orgid='0001' and t1.billno='DZ1' and biztype='销货单' 
select dzflag, version from vt_x_xmzzk where id = 1
GO
declare @orgid varchar(10)
declare @billno varchar(50)

set @orgid='0001'
set @billno='DZ1'
declare @res table(
  id int,
  orgid varchar(10),
  uid varchar(50),
  billno varchar(50),
  bizid int,
  bizbillno varchar(50),
  bizbilldate smalldatetime,
  biztype varchar(50),
  ck_id int,
  gcxmmc varchar(200),
  hjje money default 0,
  jsje money default 0,
  qkje money default 0,
  dzflag bit default 0,
  beizhu varchar(500)
)
insert into @res(id,orgid,uid,billno,biztype,bizid,beizhu,dzflag)
select id,orgid,uid,billno,biztype,bizid,beizhu,dzflag
from vt_f_khdzk_mx t1 
where t1.orgid=@orgid and t1.billno=@billno
--更新项目订单信息
update @res
set gcxmmc=t2.gcxmmc,hjje=t2.hjje,jsje = t2.hjsk,ck_id=t2.ck_id,bizbilldate=t2.billdate, bizbillno=t2.billno
from @res t1 left join vt_x_xmzzk t2 on t1.orgid = t2.orgid and t1.bizid=t2.id
where t1.biztype='项目订单'
--更新销货单信息
update @res
set ck_id=t2.ck_id,hjje=t2.hjje,bizbilldate=t2.billdate, bizbillno=t2.billno
from @res t1 left join vt_c_spch t2 on t1.orgid = t2.orgid and t1.bizid=t2.id
where t1.biztype='销货单'

update @res set qkje=hjje-jsje

select t1.*, t2.code ck_code ,t2.name ck_name from @res t1 left join vt_b_ckbmk t2 on t1.ck_id = t2.id order by bizbilldate
GO
insert into vt_f_khkpk(orgid, billno, kh_id) values ('0001','KP1',3)
insert into vt_f_khkpk_mx(uid, orgid, billno, biztype, bizid, kpmc, je) values ('KP1M','0001','KP1','收款单',1,'广告费',600)
update dbo.vt_f_khkpk set hjje = isnull((select sum(je) from dbo.vt_f_khkpk_mx where orgid='0001' and billno = 'KP1'),0) where orgid='0001' and billno = 'KP1'
GO
declare 
  @orgid varchar(10),
  @kh_id int,
  @billno varchar(50)

set @orgid = '0001'
set @kh_id = 3
set @billno = 'NEW'

select cast(0 as bit) as selected, '收款单' biztype,m.id bizid, billno bizbillno,billdate bizbilldate,ck.name ck_name, hjje , kpjeok, hjje - kpjeok as kpjeno from (
select t1.*, isnull(t2.je,0) kpjeok from vt_f_khsk t1 
left join (select orgid,bizid,sum(je) je from vt_f_khkpk_mx where billno <> @billno group by orgid,bizid) t2 on t1.orgid = t2.orgid and t1.id = t2.bizid
where t1.orgid=@orgid and t1.status = 1 and t1.kh_id = @kh_id 
) m  left join vt_b_ckbmk ck on m.ck_id = ck.id
where hjje - kpjeok > 0
select tax from vt_f_khkpk_mx
