-- What customers owe: every movement of a customer's receivables (one view), the aging
-- of the open amounts by bill date (sp_sys_khyszl) and one customer's statement with a
-- running balance (sp_sys_khwlmx). Open amounts mean what the customer source selector
-- shows: the bill's amount less what was settled on it and less the write-off ledger.

-- One row per movement of a customer's receivables, in money (`jf` owed, `df` paid):
--   completed project orders (status 2 or 3, not voided) owe `hjje`;
--   their settlement rows (vt_x_xmzzk_js, reductions too) pay it, dated `jssj`;
--   audited sales bills (status 1, not voided) owe `hjje` + `qtfy` and the amount
--   received on the bill itself (`bcsk`) pays it on the bill's date;
--   rows of the write-off ledger vt_sys_hx_kh against those bills pay them, dated by
--   the receipt or advance write-off that wrote the row.
-- Bills with amount 0 are left out, as the selector leaves them out. `biztype`,
-- `bizid`, `hxbillno` and `hxbilldate` name the bill a movement belongs to; `lx` and
-- `billno` the document that moved it; `rq` is when. Nothing is paid before its bill
-- exists, so `rq` is never earlier than `hxbilldate`: an aging as of a date and a
-- statement up to that date then always count the same movements.
create view vt_v_khys_ls as
select t.orgid, t.kh_id, '项目订单' as biztype, t.id as bizid, t.billno as hxbillno,
  t.billdate as hxbilldate, t.billdate as rq, '项目订单' as lx, t.billno as billno,
  cast(isnull(t.hjje, 0) as money) as jf, cast(0 as money) as df
  from vt_x_xmzzk t
  where t.zfflag = 0 and t.status in (2, 3) and isnull(t.hjje, 0) <> 0
union all
select t.orgid, t.kh_id, '项目订单', t.id, t.billno, t.billdate,
  case when js.jssj < t.billdate then t.billdate else js.jssj end, '订单结算', t.billno,
  cast(0 as money), cast(isnull(js.je, 0) as money)
  from vt_x_xmzzk_js js inner join vt_x_xmzzk t on t.orgid = js.orgid and t.billno = js.billno
  where t.zfflag = 0 and t.status in (2, 3) and isnull(t.hjje, 0) <> 0
union all
select t.orgid, t.kh_id, '项目订单', t.id, t.billno, t.billdate,
  case when isnull(sk.billdate, isnull(yh.billdate, hx.createtime)) < t.billdate then t.billdate
       else isnull(sk.billdate, isnull(yh.billdate, hx.createtime)) end,
  case when sk.id is not null then '收款单' when yh.id is not null then '预收核销单' else '核销' end,
  hx.billno, cast(0 as money), cast(isnull(hx.bchx, 0) as money)
  from vt_sys_hx_kh hx inner join vt_x_xmzzk t on t.id = hx.hxbillid and t.orgid = hx.orgid
  left join vt_f_khsk sk on sk.orgid = hx.orgid and sk.billno = hx.billno
  left join vt_f_yshx yh on yh.orgid = hx.orgid and yh.billno = hx.billno
  where hx.biztype = '项目订单' and t.zfflag = 0 and t.status in (2, 3) and isnull(t.hjje, 0) <> 0
union all
select t.orgid, t.kh_id, '销货单', t.id, t.billno, t.billdate, t.billdate, '销货单', t.billno,
  cast(isnull(t.hjje, 0) + isnull(t.qtfy, 0) as money), cast(0 as money)
  from vt_c_spch t
  where t.status = 1 and t.zfflag = 0 and isnull(t.hjje, 0) <> 0
union all
select t.orgid, t.kh_id, '销货单', t.id, t.billno, t.billdate, t.billdate, '销货单收款', t.billno,
  cast(0 as money), cast(t.bcsk as money)
  from vt_c_spch t
  where t.status = 1 and t.zfflag = 0 and isnull(t.hjje, 0) <> 0 and isnull(t.bcsk, 0) <> 0
union all
select t.orgid, t.kh_id, '销货单', t.id, t.billno, t.billdate,
  case when isnull(sk.billdate, isnull(yh.billdate, hx.createtime)) < t.billdate then t.billdate
       else isnull(sk.billdate, isnull(yh.billdate, hx.createtime)) end,
  case when sk.id is not null then '收款单' when yh.id is not null then '预收核销单' else '核销' end,
  hx.billno, cast(0 as money), cast(isnull(hx.bchx, 0) as money)
  from vt_sys_hx_kh hx inner join vt_c_spch t on t.id = hx.hxbillid and t.orgid = hx.orgid
  left join vt_f_khsk sk on sk.orgid = hx.orgid and sk.billno = hx.billno
  left join vt_f_yshx yh on yh.orgid = hx.orgid and yh.billno = hx.billno
  where hx.biztype = '销货单' and t.status = 1 and t.zfflag = 0 and isnull(t.hjje, 0) <> 0
GO

-- sp_sys_khyszl: receivable aging of the branch @orgid as of the day @rq (today when
-- NULL): each bill's open amount counts what was paid up to the end of that day, and
-- its age is the number of days from the bill date to @rq. Bills with nothing open
-- are left out, so a customer who owes nothing is absent.
--
--   @kh_id 0 = every customer, else that one;
--   @detail 0: one row per customer (code order): open amounts of bills 0-30 days old
--              `je30`, 31-60 `je60`, 61-90 `je90`, older `je91`, and the total `qkje`;
--   @detail 1: one row per open bill (customer code, bill date): `biztype`, `hxbillid`,
--              `hxbillno`, `hxbilldate`, age `ts` and open amount `qkje`.
-- It counts exactly the movements vt_v_khys_ls dates up to the day, but sums them per
-- bill id without dating every ledger row: a ledger row counts unless the receipt or
-- advance write-off that wrote it is dated later (or, written by neither, the row is).
-- As of today, a bill's `qkje` is the open amount the customer source selector shows.
create procedure sp_sys_khyszl
  @orgid varchar(50),
  @rq datetime = null,
  @kh_id int = 0,
  @detail bit = 0
as
begin
  declare @day date
  declare @end datetime
  set @day = isnull(@rq, getdate())
  set @end = dateadd(day, 1, @day)
  set @kh_id = isnull(@kh_id, 0)

  -- Write-off bills dated after the day: their ledger rows are not paid yet.
  declare @late table(billno varchar(50))
  insert into @late(billno) select billno from vt_f_khsk where orgid = @orgid and billdate >= @end
  insert into @late(billno) select billno from vt_f_yshx where orgid = @orgid and billdate >= @end

  -- What the ledger paid per bill id by the end of the day, orders (`xm`) and sales
  -- bills (`xh`) apart: one pass over the ledger, grouped by an integer key.
  declare @paid table(hxbillid int primary key, xm money, xh money)
  insert into @paid(hxbillid, xm, xh)
    select h.hxbillid, sum(case when h.biztype = '项目订单' then h.bchx else 0 end),
      sum(case when h.biztype = '销货单' then h.bchx else 0 end)
    from vt_sys_hx_kh h
    where h.orgid = @orgid and h.billno not in (select billno from @late)
      and (h.createtime < @end
           or exists(select 1 from vt_f_khsk k where k.orgid = h.orgid and k.billno = h.billno)
           or exists(select 1 from vt_f_yshx y where y.orgid = h.orgid and y.billno = h.billno))
    group by h.hxbillid

  declare @bills table(
    kh_id int,
    biztype varchar(50),
    bizid int,
    hxbillno varchar(50),
    hxbilldate datetime,
    ts int,
    qkje money
  )
  insert into @bills(kh_id, biztype, bizid, hxbillno, hxbilldate, ts, qkje)
    select t.kh_id, '项目订单', t.id, t.billno, t.billdate, datediff(day, t.billdate, @day),
      isnull(t.hjje, 0) - isnull(js.je, 0) - isnull(p.xm, 0)
    from vt_x_xmzzk t
    left join (select billno, sum(je) as je from vt_x_xmzzk_js
               where orgid = @orgid and jssj < @end group by billno) js on js.billno = t.billno
    left join @paid p on p.hxbillid = t.id
    where t.orgid = @orgid and t.zfflag = 0 and t.status in (2, 3) and isnull(t.hjje, 0) <> 0
      and t.billdate < @end and (@kh_id = 0 or t.kh_id = @kh_id)
  insert into @bills(kh_id, biztype, bizid, hxbillno, hxbilldate, ts, qkje)
    select t.kh_id, '销货单', t.id, t.billno, t.billdate, datediff(day, t.billdate, @day),
      isnull(t.hjje, 0) + isnull(t.qtfy, 0) - isnull(t.bcsk, 0) - isnull(p.xh, 0)
    from vt_c_spch t
    left join @paid p on p.hxbillid = t.id
    where t.orgid = @orgid and t.zfflag = 0 and t.status = 1 and isnull(t.hjje, 0) <> 0
      and t.billdate < @end and (@kh_id = 0 or t.kh_id = @kh_id)
  delete from @bills where qkje = 0

  if @detail = 1
    select b.kh_id, kh.code as kh_code, kh.name as kh_name, b.biztype, b.bizid as hxbillid,
      b.hxbillno, b.hxbilldate, b.ts, b.qkje
    from @bills b left join vt_b_khbmk kh on kh.id = b.kh_id
    order by kh.code, b.kh_id, b.hxbilldate, b.hxbillno
  else
    select b.kh_id, kh.code as kh_code, kh.name as kh_name,
      sum(case when b.ts <= 30 then b.qkje else 0 end) as je30,
      sum(case when b.ts > 30 and b.ts <= 60 then b.qkje else 0 end) as je60,
      sum(case when b.ts > 60 and b.ts <= 90 then b.qkje else 0 end) as je90,
      sum(case when b.ts > 90 then b.qkje else 0 end) as je91,
      sum(b.qkje) as qkje
    from @bills b left join vt_b_khbmk kh on kh.id = b.kh_id
    group by b.kh_id, kh.code, kh.name
    order by kh.code, b.kh_id
end
GO

-- sp_sys_khwlmx: the statement of customer @kh_id from the day @rq1 to the day @rq2
-- (both whole days): an opening line "期初余额" with what was owed before @rq1, then
-- one line per bill (`jf`, owed) and per paying document and day (`df`, paid) in date
-- order, bills before payments on one day, each with the balance `ye` after it. The
-- last balance is what the aging as of @rq2 shows for the customer.
create procedure sp_sys_khwlmx
  @orgid varchar(50),
  @kh_id int,
  @rq1 datetime,
  @rq2 datetime
as
begin
  declare @from date
  declare @to date
  declare @end datetime
  declare @qc money
  set @from = @rq1
  set @to = @rq2
  set @end = dateadd(day, 1, @to)

  select @qc = isnull(sum(jf) - sum(df), 0)
    from vt_v_khys_ls where orgid = @orgid and kh_id = @kh_id and rq < @from

  declare @lines table(
    xh int identity(1, 1),
    rq datetime,
    lx varchar(50),
    billno varchar(50),
    jf money,
    df money
  )
  insert into @lines(rq, lx, billno, jf, df) values (@from, '期初余额', '', 0, 0)
  insert into @lines(rq, lx, billno, jf, df)
    select rq, lx, billno, sum(jf), sum(df)
    from vt_v_khys_ls
    where orgid = @orgid and kh_id = @kh_id and rq >= @from and rq < @end
    group by rq, lx, billno
    order by rq, case when sum(jf) <> 0 then 0 else 1 end, billno

  select l.xh, l.rq, l.lx, l.billno, l.jf, l.df,
    @qc + (select sum(p.jf) - sum(p.df) from @lines p where p.xh <= l.xh) as ye
  from @lines l
  order by l.xh
end
GO
