-- The owner's reports: one procedure each, read by the report pages and `coreapp
-- report`. Every one takes the branch @orgid and the store @ck_id (0 = every store);
-- dated ones the whole days @rq1 to @rq2 (from the first day on record, up to today,
-- when NULL). A row that stands for one bill names it in `billno` with its plug code
-- in `djlx`, so a page opens the bill from the row. Where a derived UNION holds a text
-- literal, the day variables are cast to datetime: the server reads them as text there.

-- sp_rpt_days: the period of a dated report as whole days: @from the start of the day
-- @rq1 (the first day on record, 2000-01-01, when NULL), @end the start of the day after
-- @rq2 (today when NULL); a report reads dates >= @from and < @end.
create procedure sp_rpt_days
  @rq1 datetime,
  @rq2 datetime,
  @from datetime output,
  @end datetime output
as
begin
  declare @d1 date
  declare @d2 date
  set @d1 = isnull(@rq1, '2000-01-01')
  set @d2 = isnull(@rq2, getdate())
  set @from = @d1
  set @end = dateadd(day, 1, @d2)
end
GO

-- sp_rpt_day: the day sheet. One result set of lines `lb` (section), `mc` (name),
-- `bs` (count), `je` (amount), and for accounts `qcje` opening, `srje` in, `zcje` out,
-- `qmje` closing:
--   订单   orders taken (not voided), count and amount;
--   结算   order settlement lines by account (by method where no account: 减免, 会员卡);
--   收款 付款 收入 支出 转账   audited receipts, payments, income, expense and fund
--          transfer bills, count and total;
--   账户   every account of the branch, from the movements of vt_v_zhls (the account
--          balances page's own source), so a closing equals the balance up to that day;
--   未结   the period's orders not settled in full, each with what is still open.
create procedure sp_rpt_day
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null
as
begin
  declare @from datetime
  declare @end datetime
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)

  declare @r table(
    xh int identity(1, 1),
    lb varchar(20),
    mc varchar(100),
    bs int,
    je money,
    qcje money,
    srje money,
    zcje money,
    qmje money,
    billno varchar(50),
    djlx varchar(20)
  )
  insert into @r(lb, mc, bs, je)
    select '订单', '接单', count(*), isnull(sum(hjje), 0)
    from vt_x_xmzzk
    where orgid = @orgid and zfflag = 0 and billdate >= @from and billdate < @end
      and (@ck_id = 0 or ck_id = @ck_id)
  insert into @r(lb, mc, bs, je)
    select '结算', s.mc, count(*), sum(s.je)
    from (select isnull(zh.name, isnull(fs.name, '')) as mc, js.je
          from vt_x_xmzzk_js js
          left join vt_x_xmzzk o on o.orgid = js.orgid and o.billno = js.billno
          left join vt_b_zhbmk zh on zh.id = js.zh_id
          left join vt_b_jsfs fs on fs.id = js.jsfs_id
          where js.orgid = @orgid and js.jssj >= @from and js.jssj < @end
            and (@ck_id = 0 or isnull(o.ck_id, 0) = @ck_id)) s
    group by s.mc
    order by s.mc
  insert into @r(lb, mc, bs, je)
    select b.lb, b.mc, count(*), isnull(sum(b.hjje), 0)
    from (select orgid, ck_id, billdate, hjje, status, '收款' as lb, '收款单' as mc from vt_f_khsk
          union all select orgid, ck_id, billdate, hjje, status, '付款', '付款单' from vt_f_gysfk
          union all select orgid, ck_id, billdate, hjje, status, '收入', '收入单据' from vt_f_srdj
          union all select orgid, ck_id, billdate, hjje, status, '支出', '费用单据' from vt_f_fydj
          union all select orgid, ck_id, billdate, hjje, status, '转账', '资金转账单' from vt_f_zjzz) b
    where b.orgid = @orgid and b.status = 1
      and b.billdate >= cast(@from as datetime) and b.billdate < cast(@end as datetime)
      and (@ck_id = 0 or b.ck_id = @ck_id)
    group by b.lb, b.mc
    order by case b.lb when '收款' then 1 when '付款' then 2 when '收入' then 3 when '支出' then 4 else 5 end
  -- One pass over the movements, then the accounts (moved or not).
  declare @zh table(zh_id int, qc money, sr money, zc money)
  insert into @zh(zh_id, qc, sr, zc)
    select zh_id, sum(case when rq < @from then srje - zcje else 0 end),
      sum(case when rq >= @from then srje else 0 end), sum(case when rq >= @from then zcje else 0 end)
    from vt_v_zhls
    where orgid = @orgid and rq < @end and (@ck_id = 0 or ck_id = @ck_id)
    group by zh_id
  insert into @r(lb, mc, qcje, srje, zcje, qmje)
    select '账户', zh.name, isnull(m.qc, 0), isnull(m.sr, 0), isnull(m.zc, 0),
      isnull(m.qc, 0) + isnull(m.sr, 0) - isnull(m.zc, 0)
    from vt_b_zhbmk zh left join @zh m on m.zh_id = zh.id
    where zh.orgid = @orgid
    order by zh.isort desc, zh.id
  insert into @r(lb, mc, je, srje, billno, djlx)
    select '未结', isnull(kh.name, ''), isnull(o.hjje, 0) - isnull(o.hjsk, 0) - isnull(o.jmje, 0),
      isnull(o.hjsk, 0) + isnull(o.jmje, 0), o.billno, '1100'
    from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
    where o.orgid = @orgid and o.zfflag = 0 and o.billdate >= @from and o.billdate < @end
      and (@ck_id = 0 or o.ck_id = @ck_id)
      and isnull(o.hjsk, 0) + isnull(o.jmje, 0) < isnull(o.hjje, 0)
    order by o.billdate, o.billno

  select xh, lb, mc, bs, je, qcje, srje, zcje, qmje, billno, djlx from @r order by xh
end
GO

-- sp_rpt_stock: the stock ledger of each goods item per store (@sp_id 0 = every one):
-- opening `qcsl`/`qcje`, in `rksl`/`rkje`, out `cksl`/`ckje` (positive) and closing
-- `qmsl`/`qmje` over the days, from the stock journal vt_c_spls dated by its bill.
-- The closing is worked back from the stock ledger vt_c_spkc (what the stock view
-- shows) less the movements of bills dated after the last day, so up to today it is
-- the stock view to the cent; stock the journal never moved (opening stock) stays in.
-- A movement counts in when it adds quantity, or value without quantity.
create procedure sp_rpt_stock
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null,
  @sp_id int = 0
as
begin
  declare @from datetime
  declare @end datetime
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)
  set @sp_id = isnull(@sp_id, 0)

  declare @mv table(ck_id int, sp_id int, sl float, je money, later int)
  insert into @mv(ck_id, sp_id, sl, je, later)
    select l.ck_id, l.sp_id, l.sl, l.je, case when b.billdate >= cast(@end as datetime) then 1 else 0 end
    from vt_c_spls l
    inner join (select orgid, billno, billdate, '1120' as category from vt_c_spjh
                union all select orgid, billno, billdate, '1121' from vt_c_spch
                union all select orgid, billno, billdate, '1122' from vt_c_qtrk
                union all select orgid, billno, billdate, '1123' from vt_c_qtck
                union all select orgid, billno, billdate, '1124' from vt_c_spyk
                union all select orgid, billno, billdate, '1125' from vt_c_sptj
                union all select orgid, billno, billdate, '1126' from vt_c_spsy) b
      on b.orgid = l.orgid and b.category = l.category and b.billno = l.billno
    where l.orgid = @orgid and b.billdate >= cast(@from as datetime)
      and (@ck_id = 0 or l.ck_id = @ck_id) and (@sp_id = 0 or l.sp_id = @sp_id)

  declare @sum table(ck_id int, sp_id int, rksl float, rkje money, cksl float, ckje money,
                     hsl float, hje money)
  insert into @sum(ck_id, sp_id, rksl, rkje, cksl, ckje, hsl, hje)
    select ck_id, sp_id,
      sum(case when later = 0 and (sl > 0 or (sl = 0 and je > 0)) then sl else 0 end),
      sum(case when later = 0 and (sl > 0 or (sl = 0 and je > 0)) then je else 0 end),
      sum(case when later = 0 and not (sl > 0 or (sl = 0 and je > 0)) then 0 - sl else 0 end),
      sum(case when later = 0 and not (sl > 0 or (sl = 0 and je > 0)) then 0 - je else 0 end),
      sum(case when later = 1 then sl else 0 end), sum(case when later = 1 then je else 0 end)
    from @mv group by ck_id, sp_id

  select k.ck_id, ck.name as ck_name, k.sp_id, sp.code as sp_code, sp.name as sp_name,
    isnull(k.kcsl, 0) - isnull(s.hsl, 0) - isnull(s.rksl, 0) + isnull(s.cksl, 0) as qcsl,
    cast(isnull(k.kcje, 0) - isnull(s.hje, 0) - isnull(s.rkje, 0) + isnull(s.ckje, 0) as money) as qcje,
    isnull(s.rksl, 0) as rksl, cast(isnull(s.rkje, 0) as money) as rkje,
    isnull(s.cksl, 0) as cksl, cast(isnull(s.ckje, 0) as money) as ckje,
    isnull(k.kcsl, 0) - isnull(s.hsl, 0) as qmsl,
    cast(isnull(k.kcje, 0) - isnull(s.hje, 0) as money) as qmje
  from vt_c_spkc k
  left join @sum s on s.ck_id = k.ck_id and s.sp_id = k.sp_id
  left join vt_b_ckbmk ck on ck.id = k.ck_id
  left join vt_b_spbmk sp on sp.id = k.sp_id
  where k.orgid = @orgid and (@ck_id = 0 or k.ck_id = @ck_id) and (@sp_id = 0 or k.sp_id = @sp_id)
  order by ck.code, k.ck_id, sp.code, k.sp_id
end
GO

-- sp_rpt_spkc: stock on hand by store and goods (@sp_id 0 = every one): quantity
-- `kcsl`, value `kcje` and average cost `cbj` as the stock view vt_v_spkc shows them.
create procedure sp_rpt_spkc
  @orgid varchar(50),
  @ck_id int = 0,
  @sp_id int = 0
as
begin
  set @ck_id = isnull(@ck_id, 0)
  set @sp_id = isnull(@sp_id, 0)
  select k.ck_id, ck.name as ck_name, k.sp_id, sp.code as sp_code, sp.name as sp_name,
    sp.baseunit, k.kcsl, k.kcje, k.cbj
  from vt_v_spkc k
  left join vt_b_ckbmk ck on ck.id = k.ck_id
  left join vt_b_spbmk sp on sp.id = k.sp_id
  where k.orgid = @orgid and (@ck_id = 0 or k.ck_id = @ck_id) and (@sp_id = 0 or k.sp_id = @sp_id)
  order by ck.code, k.ck_id, sp.code, k.sp_id
end
GO

-- sp_rpt_cash: the cash journal of the branch's accounts (@zh_id 0 = every one): per
-- account an opening line "期初余额", then its movements of vt_v_zhls in date order,
-- each with the balance `ye` after it: the opening plus the account's lines up to this
-- one in their numbered order (a running sum, so each line costs the same however long
-- the period).
create procedure sp_rpt_cash
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null,
  @zh_id int = 0
as
begin
  declare @from datetime
  declare @end datetime
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)
  set @zh_id = isnull(@zh_id, 0)

  declare @m table(zh_id int, je money)
  insert into @m(zh_id, je)
    select zh_id, sum(srje - zcje) from vt_v_zhls
    where orgid = @orgid and rq < @from and (@zh_id = 0 or zh_id = @zh_id) and (@ck_id = 0 or ck_id = @ck_id)
    group by zh_id
  declare @qc table(zh_id int, qc money)
  insert into @qc(zh_id, qc)
    select zh.id, isnull(m.je, 0)
    from vt_b_zhbmk zh left join @m m on m.zh_id = zh.id
    where zh.orgid = @orgid and (@zh_id = 0 or zh.id = @zh_id)

  declare @l table(xh int identity(1, 1) primary key, zh_id int, rq datetime,
                   lx varchar(50), billno varchar(50), djlx varchar(20), srje money, zcje money)
  insert into @l(zh_id, rq, lx, billno, djlx, srje, zcje)
    select s.zh_id, s.rq, s.lx, s.billno, s.djlx, s.srje, s.zcje
    from (select zh_id, 0 as k, cast(@from as datetime) as rq, '期初余额' as lx, '' as billno,
            '' as djlx, cast(0 as money) as srje, cast(0 as money) as zcje
          from @qc
          union all
          select m.zh_id, 1, m.rq, m.lx, m.billno, m.djlx, m.srje, m.zcje
          from vt_v_zhls m
          where m.orgid = @orgid and m.rq >= cast(@from as datetime) and m.rq < cast(@end as datetime)
            and (@zh_id = 0 or m.zh_id = @zh_id) and (@ck_id = 0 or m.ck_id = @ck_id)) s
    order by s.zh_id, s.k, s.rq, s.billno

  select l.xh, l.zh_id, zh.name as zh_name, l.rq, l.lx, l.billno, l.djlx, l.srje, l.zcje,
    q.qc + sum(l.srje - l.zcje) over (partition by l.zh_id order by l.xh rows unbounded preceding) as ye
  from @l l
  inner join @qc q on q.zh_id = l.zh_id
  left join vt_b_zhbmk zh on zh.id = l.zh_id
  order by l.xh
end
GO

-- sp_rpt_payables: what the branch owes its suppliers as of the day @rq (today when
-- NULL), one row per open bill: audited outsourced processing orders owe `hjje` less
-- what was paid on the bill (`bcfk`), audited purchase bills `hjje` - `jmje` + `qtfy`
-- less `bcfk` (what the payment bill's source selector shows), both less the supplier
-- write-off ledger rows written by payments and advance write-offs dated up to the day.
-- The open amount stands in one of the age columns 0-30 `je30`, 31-60 `je60`, 61-90
-- `je90`, over 90 days `je91` (days from the bill date to @rq), and in `qkje`.
create procedure sp_rpt_payables
  @orgid varchar(50),
  @ck_id int = 0,
  @rq datetime = null,
  @gys_id int = 0
as
begin
  declare @day date
  declare @end datetime
  set @day = isnull(@rq, getdate())
  set @end = dateadd(day, 1, @day)
  set @ck_id = isnull(@ck_id, 0)
  set @gys_id = isnull(@gys_id, 0)

  declare @late table(billno varchar(50))
  insert into @late(billno) select billno from vt_f_gysfk where orgid = @orgid and billdate >= @end
  insert into @late(billno) select billno from vt_f_yfhx where orgid = @orgid and billdate >= @end

  declare @paid table(biztype varchar(50), hxbillid int, je money)
  insert into @paid(biztype, hxbillid, je)
    select h.biztype, h.hxbillid, sum(h.bchx)
    from vt_sys_hx_gys h
    where h.orgid = @orgid and h.billno not in (select billno from @late)
    group by h.biztype, h.hxbillid

  declare @bills table(gys_id int, biztype varchar(50), billno varchar(50), billdate datetime,
                       djlx varchar(20), ts int, qkje money)
  insert into @bills(gys_id, biztype, billno, billdate, djlx, ts, qkje)
    select t.gys_id, '外协加工单', t.billno, t.billdate, '1102', datediff(day, t.billdate, @day),
      isnull(t.hjje, 0) - isnull(t.bcfk, 0) - isnull(p.je, 0)
    from vt_x_xmwtk t
    left join @paid p on p.biztype = '外协加工单' and p.hxbillid = t.id
    where t.orgid = @orgid and t.status = 1 and t.zfflag = 0 and t.billdate < @end
      and (@ck_id = 0 or t.ck_id = @ck_id) and (@gys_id = 0 or t.gys_id = @gys_id)
  insert into @bills(gys_id, biztype, billno, billdate, djlx, ts, qkje)
    select t.gys_id, '购货单', t.billno, t.billdate, '1120', datediff(day, t.billdate, @day),
      isnull(t.hjje, 0) - isnull(t.jmje, 0) + isnull(t.qtfy, 0) - isnull(t.bcfk, 0) - isnull(p.je, 0)
    from vt_c_spjh t
    left join @paid p on p.biztype = '购货单' and p.hxbillid = t.id
    where t.orgid = @orgid and t.status = 1 and t.zfflag = 0 and t.billdate < @end
      and (@ck_id = 0 or t.ck_id = @ck_id) and (@gys_id = 0 or t.gys_id = @gys_id)
  delete from @bills where qkje = 0

  select b.gys_id, g.code as gys_code, g.name as gys_name, b.biztype, b.billno, b.billdate,
    b.djlx, b.ts,
    case when b.ts <= 30 then b.qkje else 0 end as je30,
    case when b.ts > 30 and b.ts <= 60 then b.qkje else 0 end as je60,
    case when b.ts > 60 and b.ts <= 90 then b.qkje else 0 end as je90,
    case when b.ts > 90 then b.qkje else 0 end as je91,
    b.qkje
  from @bills b left join vt_b_gysbmk g on g.id = b.gys_id
  order by g.code, b.gys_id, b.billdate, b.billno
end
GO

-- sp_rpt_wip: the owner's morning view as of the day @rq (today when NULL), one row
-- per bill needing attention, with `ts` its age in days and `je` what it is about:
--   逾期未完工  orders not completed (status 0, 1) whose due time `jhrq` has passed:
--              days past due, the order's amount;
--   完工未结算  completed orders (status 2) not settled in full: days since the bill,
--              what is still open;
--   外协未回    outsourced processing orders not yet audited: days since the bill;
--   完工未发货  completed orders with a line shipped short: days since the bill, the
--              amount of what is not shipped (line amount x open share of the quantity);
--   逾期应收    completed orders and audited sales bills older than 30 days with an open
--              amount (as the receivable aging counts it today).
-- Voided bills are never listed.
create procedure sp_rpt_wip
  @orgid varchar(50),
  @ck_id int = 0,
  @rq datetime = null
as
begin
  declare @day date
  declare @end datetime
  set @day = isnull(@rq, getdate())
  set @end = dateadd(day, 1, @day)
  set @ck_id = isnull(@ck_id, 0)

  declare @r table(xh int identity(1, 1), lb varchar(20), billno varchar(50), billdate datetime,
                   kh_name varchar(200), jhrq datetime, ts int, je money, djlx varchar(20))
  insert into @r(lb, billno, billdate, kh_name, jhrq, ts, je, djlx)
    select '逾期未完工', o.billno, o.billdate, kh.name, o.jhrq, datediff(day, o.jhrq, @day),
      isnull(o.hjje, 0), '1100'
    from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
    where o.orgid = @orgid and o.zfflag = 0 and o.status in (0, 1) and o.jhrq < @end
      and o.billdate < @end and (@ck_id = 0 or o.ck_id = @ck_id)
    order by o.jhrq, o.billno
  insert into @r(lb, billno, billdate, kh_name, jhrq, ts, je, djlx)
    select '完工未结算', o.billno, o.billdate, kh.name, o.jhrq, datediff(day, o.billdate, @day),
      isnull(o.hjje, 0) - isnull(o.hjsk, 0) - isnull(o.jmje, 0), '1100'
    from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
    where o.orgid = @orgid and o.zfflag = 0 and o.status = 2 and o.billdate < @end
      and isnull(o.hjsk, 0) + isnull(o.jmje, 0) < isnull(o.hjje, 0) and (@ck_id = 0 or o.ck_id = @ck_id)
    order by o.billdate, o.billno
  insert into @r(lb, billno, billdate, kh_name, jhrq, ts, je, djlx)
    select '外协未回', w.billno, w.billdate, g.name, null, datediff(day, w.billdate, @day),
      isnull(w.hjje, 0), '1102'
    from vt_x_xmwtk w left join vt_b_gysbmk g on g.id = w.gys_id
    where w.orgid = @orgid and w.zfflag = 0 and w.status = 0 and w.billdate < @end
      and (@ck_id = 0 or w.ck_id = @ck_id)
    order by w.billdate, w.billno
  insert into @r(lb, billno, billdate, kh_name, jhrq, ts, je, djlx)
    select '完工未发货', o.billno, o.billdate, kh.name, o.jhrq, datediff(day, o.billdate, @day),
      s.je, '1100'
    from vt_x_xmzzk o
    inner join (select orgid, billno,
                  sum(case when isnull(sl, 0) = 0 then 0
                           else je * (sl - isnull(fhsl_ok, 0)) / sl end) as je
                from vt_x_xmzzk_mx
                where orgid = @orgid and isnull(fhsl_ok, 0) < isnull(sl, 0)
                group by orgid, billno) s on s.orgid = o.orgid and s.billno = o.billno
    left join vt_b_khbmk kh on kh.id = o.kh_id
    where o.orgid = @orgid and o.zfflag = 0 and o.status in (2, 3) and o.billdate < @end
      and (@ck_id = 0 or o.ck_id = @ck_id)
    order by o.billdate, o.billno
  insert into @r(lb, billno, billdate, kh_name, jhrq, ts, je, djlx)
    select '逾期应收', b.billno, b.billdate, kh.name, null, datediff(day, b.billdate, @day), b.je, b.djlx
    from (select o.billno, o.billdate, o.kh_id, o.ck_id, '1100' as djlx,
            isnull(o.hjje, 0) - isnull(o.hjsk, 0) - isnull(o.jmje, 0) as je
          from vt_x_xmzzk o
          where o.orgid = @orgid and o.zfflag = 0 and o.status in (2, 3)
          union all
          select c.billno, c.billdate, c.kh_id, c.ck_id, '1121',
            isnull(c.hjje, 0) + isnull(c.qtfy, 0) - isnull(c.bcsk, 0)
              - isnull((select sum(h.bchx) from vt_sys_hx_kh h
                        where h.orgid = c.orgid and h.biztype = '销货单' and h.hxbillid = c.id), 0)
          from vt_c_spch c
          where c.orgid = @orgid and c.zfflag = 0 and c.status = 1) b
    left join vt_b_khbmk kh on kh.id = b.kh_id
    where b.je > 0 and datediff(day, b.billdate, @day) > 30 and (@ck_id = 0 or b.ck_id = @ck_id)
    order by b.billdate, b.billno

  select xh, lb, billno, billdate, kh_name, jhrq, ts, je, djlx from @r order by xh
end
GO

-- sp_rpt_staff: staff performance over the days (@yg_id 0 = every employee): per
-- employee and order (not voided, dated in the period), the production points `jxjf`
-- and performance amount `jxje` of his shares of the order's lines.
create procedure sp_rpt_staff
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null,
  @yg_id int = 0
as
begin
  declare @from datetime
  declare @end datetime
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)
  set @yg_id = isnull(@yg_id, 0)

  -- Summed per employee and order id (two numbers to group by), named afterwards.
  select s.yg_id, yg.code as yg_code, yg.name as yg_name, o.billno, o.billdate, kh.name as kh_name,
    s.jxjf, s.jxje, '1100' as djlx
  from (select z.yg_id, o.id, sum(isnull(z.jxjf, 0)) as jxjf, sum(isnull(z.jxje, 0)) as jxje
        from vt_x_xmzzk_mx_zzry z
        inner join vt_x_xmzzk o on o.orgid = z.orgid and o.billno = z.billno
        where z.orgid = @orgid and o.zfflag = 0 and o.billdate >= @from and o.billdate < @end
          and (@ck_id = 0 or o.ck_id = @ck_id) and (@yg_id = 0 or z.yg_id = @yg_id)
        group by z.yg_id, o.id) s
  inner join vt_x_xmzzk o on o.id = s.id
  left join vt_b_ygbmk yg on yg.id = s.yg_id
  left join vt_b_khbmk kh on kh.id = o.kh_id
  order by yg.code, s.yg_id, o.billdate, o.billno
end
GO

-- sp_rpt_profit: order profit over the days: per completed order (status 2, 3, not
-- voided) its amount `hjje`, consumables `hccb` (at the moving-average cost the order's
-- completion priced them at), outsourcing cost `wxcb`, margin `mlje` = hjje - hccb -
-- wxcb and margin percent `mll` (NULL for an order of amount 0), with its customer and
-- month `yf` to sum by.
create procedure sp_rpt_profit
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null,
  @kh_id int = 0
as
begin
  declare @from datetime
  declare @end datetime
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)
  set @kh_id = isnull(@kh_id, 0)

  select o.billno, o.billdate, convert(varchar(7), o.billdate, 120) as yf, o.kh_id,
    kh.name as kh_name, isnull(o.hjje, 0) as hjje, isnull(o.hccb, 0) as hccb,
    isnull(o.wxcb, 0) as wxcb,
    isnull(o.hjje, 0) - isnull(o.hccb, 0) - isnull(o.wxcb, 0) as mlje,
    case when isnull(o.hjje, 0) = 0 then null
         else cast((isnull(o.hjje, 0) - isnull(o.hccb, 0) - isnull(o.wxcb, 0)) * 100 / o.hjje as money) end as mll,
    '1100' as djlx
  from vt_x_xmzzk o left join vt_b_khbmk kh on kh.id = o.kh_id
  where o.orgid = @orgid and o.zfflag = 0 and o.status in (2, 3)
    and o.billdate >= @from and o.billdate < @end
    and (@ck_id = 0 or o.ck_id = @ck_id) and (@kh_id = 0 or o.kh_id = @kh_id)
  order by o.billdate, o.billno
end
GO

-- sp_rpt_sales: sales of orders (not voided) over the days grouped by @lx: 1 day
-- (0 too), 2 month, 3 customer, 4 service item (the lines' amounts), 5 store; each
-- group's count `bs` and amount `je` beside `sqje`, the same group in the period of
-- equal length just before (for days the day as many days earlier, for months the
-- month as many months earlier), and the growth `zzl` in percent (NULL without one).
create procedure sp_rpt_sales
  @orgid varchar(50),
  @ck_id int = 0,
  @rq1 datetime = null,
  @rq2 datetime = null,
  @lx int = 1
as
begin
  declare @from datetime
  declare @end datetime
  declare @pfrom datetime
  declare @n int
  declare @m int
  set @rq2 = isnull(@rq2, getdate())
  set @rq1 = isnull(@rq1, @rq2)
  exec sp_rpt_days @rq1, @rq2, @from output, @end output
  set @ck_id = isnull(@ck_id, 0)
  set @lx = isnull(@lx, 1)
  set @n = datediff(day, @from, @end)
  set @m = datediff(month, @from, @rq2) + 1
  set @pfrom = case when @lx = 2 then dateadd(month, 0 - @m, @from) else dateadd(day, 0 - @n, @from) end

  -- rows to sum per key: a line, an order, or (by day or month) a key's orders already summed
  declare @b table(cur int, k varchar(50), mc varchar(200), n int, je money)
  if @lx = 4
    insert into @b(cur, k, mc, n, je)
      select case when o.billdate >= @from then 1 else 0 end, isnull(x.code, ''), x.name, 1,
        isnull(l.je, 0)
      from vt_x_xmzzk_mx l
      inner join vt_x_xmzzk o on o.orgid = l.orgid and o.billno = l.billno
      left join vt_b_xmbmk x on x.id = l.xm_id
      where o.orgid = @orgid and o.zfflag = 0 and o.billdate >= @pfrom and o.billdate < @end
        and (@ck_id = 0 or o.ck_id = @ck_id)
  else if @lx = 3 or @lx = 5
    insert into @b(cur, k, mc, n, je)
      select case when o.billdate >= @from then 1 else 0 end,
        case when @lx = 3 then isnull(kh.code, '') else isnull(ck.code, '') end,
        case when @lx = 3 then kh.name else ck.name end, 1, isnull(o.hjje, 0)
      from vt_x_xmzzk o
      left join vt_b_khbmk kh on kh.id = o.kh_id
      left join vt_b_ckbmk ck on ck.id = o.ck_id
      where o.orgid = @orgid and o.zfflag = 0 and o.billdate >= @pfrom and o.billdate < @end
        and (@ck_id = 0 or o.ck_id = @ck_id)
  else
    -- by day or month: no names to look up, and each key's orders summed on the way in
    insert into @b(cur, k, mc, n, je)
      select s.cur, s.k, '', count(*), sum(s.je)
      from (select case when o.billdate >= @from then 1 else 0 end as cur,
              case when @lx = 2 then convert(varchar(7), case when o.billdate >= @from then o.billdate
                                                              else dateadd(month, @m, o.billdate) end, 120)
                   else convert(varchar(10), case when o.billdate >= @from then o.billdate
                                                  else dateadd(day, @n, o.billdate) end, 120) end as k,
              isnull(o.hjje, 0) as je
            from vt_x_xmzzk o
            where o.orgid = @orgid and o.zfflag = 0 and o.billdate >= @pfrom and o.billdate < @end
              and (@ck_id = 0 or o.ck_id = @ck_id)) s
      group by s.cur, s.k

  select k, max(mc) as mc, sum(case when cur = 1 then n else 0 end) as bs,
    sum(case when cur = 1 then je else 0 end) as je,
    sum(case when cur = 0 then je else 0 end) as sqje,
    case when sum(case when cur = 0 then je else 0 end) = 0 then null
         else cast((sum(case when cur = 1 then je else 0 end) - sum(case when cur = 0 then je else 0 end))
                   * 100 / sum(case when cur = 0 then je else 0 end) as money) end as zzl
  from @b
  group by k
  order by k
end
GO
