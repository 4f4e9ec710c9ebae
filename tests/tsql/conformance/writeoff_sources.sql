declare
  @kh_id int,@ck_id int,@orgid varchar(10),@billno varchar(50)

set @kh_id=:kh_id
set @ck_id=:ck_id
set @orgid=:orgid
set @billno=:billno

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
