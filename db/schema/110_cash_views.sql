-- Account balances. A cashier asks how much is in each settlement account: money in and
-- out of every account of the store through audited bills, and what is left. Read from
-- the bills themselves, so un-auditing a bill takes its movement back at once.

-- Every money movement, one row per account touched: `srje` in, `zcje` out; `rq` when
-- (the bill's date, a settlement line's time), `ck_id` the store of the bill (of the
-- order for a settlement line), `lx` and `billno` the bill, `djlx` its plug code, so
-- the cash journal and the day sheet open the bill behind a movement. A settlement
-- line's store is its order's, joined (the server runs a subquery here once a row).
--   receipts' account lines (in) and payments' account lines (out), once audited;
--   settlement lines of orders (in; a reduction or a card line names no account);
--   fund transfers: out of `ozh_id`, into `izh_id`, once audited;
--   income (in) and expense (out) bills through their header's account, once audited;
--   member-card top-ups (in) and refunds (out) through their ledger row's account, under
--   the card's number (no bill to open).
create view vt_v_zhls as
select h.orgid, l.zh_id, cast(l.je as money) as srje, cast(0 as money) as zcje,
  h.billdate as rq, h.ck_id, '收款单' as lx, h.billno, '1112' as djlx
  from vt_f_khsk_mx l inner join vt_f_khsk h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select h.orgid, l.zh_id, cast(0 as money), cast(l.je as money),
  h.billdate, h.ck_id, '付款单', h.billno, '1113'
  from vt_f_gysfk_mx l inner join vt_f_gysfk h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select js.orgid, js.zh_id, cast(js.je as money), cast(0 as money),
  js.jssj, isnull(o.ck_id, 0), '订单结算', js.billno, '1100'
  from vt_x_xmzzk_js js left join vt_x_xmzzk o on o.orgid = js.orgid and o.billno = js.billno
union all
select h.orgid, l.ozh_id, cast(0 as money), cast(l.je as money),
  h.billdate, h.ck_id, '资金转账单', h.billno, '1114'
  from vt_f_zjzz_mx l inner join vt_f_zjzz h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select h.orgid, l.izh_id, cast(l.je as money), cast(0 as money),
  h.billdate, h.ck_id, '资金转账单', h.billno, '1114'
  from vt_f_zjzz_mx l inner join vt_f_zjzz h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select h.orgid, h.zh_id, cast(l.je as money), cast(0 as money),
  h.billdate, h.ck_id, '收入单据', h.billno, '1111'
  from vt_f_srdj_mx l inner join vt_f_srdj h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select h.orgid, h.zh_id, cast(0 as money), cast(l.je as money),
  h.billdate, h.ck_id, '费用单据', h.billno, '1110'
  from vt_f_fydj_mx l inner join vt_f_fydj h on h.orgid = l.orgid and h.billno = l.billno
  where h.status = 1
union all
select p.orgid, p.zh_id, cast(p.incje as money), cast(p.decje as money),
  p.createtime, p.ck_id, '会员卡' + p.biztype, isnull(c.code, ''), ''
  from vt_b_khbmk_vip_pay p left join vt_b_khbmk_vip c on c.id = p.card_id
  where p.zh_id <> 0
GO

-- One row per account of the store, moved or not: in, out and balance `ye`.
create view vt_v_zhye as
select zh.orgid, zh.id as zh_id, zh.name as zh_name,
  cast(isnull(m.srje, 0) as money) as srje,
  cast(isnull(m.zcje, 0) as money) as zcje,
  cast(isnull(m.srje, 0) - isnull(m.zcje, 0) as money) as ye
from vt_b_zhbmk zh
left join (select orgid, zh_id, sum(srje) as srje, sum(zcje) as zcje
             from vt_v_zhls group by orgid, zh_id) m
  on m.orgid = zh.orgid and m.zh_id = zh.id
