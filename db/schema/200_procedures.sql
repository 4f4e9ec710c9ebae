-- Stored procedures the bills call by name. Each CREATE PROCEDURE is a batch of its
-- own, separated by lines holding only GO. They run inside the caller's transaction, so
-- whatever they write is undone when the caller rolls back; sp_sys_genbillno also opens
-- one of its own (nested in the caller's, if any) so that it is safe when called alone.

-- sp_sys_genbillno: issues the next bill number into @billno.
--
-- Format: tag + category + yyyymmdd + sequence, the sequence 4 digits with leading
-- zeros (more digits after 9999 bills of a day), e.g. tag 'A', category '1100' on
-- 2026-12-05, third bill of the day: 'A1100202612050003'.
--
-- One sequence per branch, number series (the plug code), tag and day. The outlet
-- @ck_id is recorded but does not start a series of its own: outlets that share a
-- tag share its sequence, so a number can never repeat within a branch. @billno is ''
-- when no number can be issued (no branch or no series given, or no write lock).
--
-- The day's counter row is made when missing, raised by one and read back inside a
-- transaction of the procedure's own, so the three steps are one: a second caller
-- waits for the first to commit (the write lock on the embedded database, the hinted
-- range and row locks on SQL Server) and can neither read the first one's number nor
-- insert the day's row a second time. Called inside a save's transaction, that
-- transaction holds the lock until the save commits, and a rolled-back save gives its
-- number back; called on its own, the procedure's transaction commits the number.
create procedure sp_sys_genbillno
  @orgid varchar(50),
  @category varchar(20),
  @tag varchar(20),
  @ck_id int,
  @billno varchar(50) output
as
begin
  declare @day varchar(8)
  declare @no int
  declare @outer int
  set @billno = ''
  set @tag = isnull(@tag, '')
  if isnull(@orgid, '') = '' or isnull(@category, '') = ''
    return
  set @day = convert(varchar(8), getdate(), 112)
  set @outer = @@trancount
  begin tran
  -- A transaction that could not start (the lock not had in time) issues nothing.
  if @@trancount = @outer
    return
  if not exists(select id from vt_sys_billno with (updlock, holdlock)
                where orgid = @orgid and category = @category and tag = @tag and billday = @day)
    insert into vt_sys_billno(orgid, category, tag, billday, ck_id, lastno)
      values (@orgid, @category, @tag, @day, isnull(@ck_id, 0), 0)
  update vt_sys_billno set lastno = lastno + 1, ck_id = isnull(@ck_id, 0), updatetime = getdate()
    where orgid = @orgid and category = @category and tag = @tag and billday = @day
  select @no = lastno from vt_sys_billno
    where orgid = @orgid and category = @category and tag = @tag and billday = @day
  commit tran
  if @no is null
    return
  if @no < 10000
    set @billno = @tag + @category + @day + substring(cast(10000 + @no as varchar(10)), 2, 4)
  else
    set @billno = @tag + @category + @day + cast(@no as varchar(10))
end
GO

-- sp_sys_calcxmzzkhj: recomputes the money state of one project order.
--
--   jmje  = sum of the order's settlement rows (vt_x_xmzzk_js) paid with the method
--           coded "02" (reduction);
--   hjsk  = sum of its other settlement rows
--           + sum of bchx of the customer write-off ledger rows (vt_sys_hx_kh) that
--             pay the order (biztype '项目订单', hxbillid = the order's id);
--   ispay = 0 (未结算) when hjsk and jmje are both 0,
--           2 (已结清) when hjsk + jmje >= hjje,
--           1 (结算中) otherwise;
--   status: a completed order (2 已完工) that is fully settled becomes 3 已结算; a
--           settled order (3) that is no longer fully settled goes back to 2; any
--           other status is left as it is.
-- `version` is raised by one when any of the four values changes, so that editors
-- holding the order see it as changed. An unknown order changes nothing.
create procedure sp_sys_calcxmzzkhj
  @orgid varchar(50),
  @billno varchar(50)
as
begin
  declare @id int
  declare @hjje money
  declare @status int
  declare @ispay int
  declare @oldhjsk money
  declare @oldjmje money
  declare @hjsk money
  declare @jmje money
  declare @hx money
  declare @newispay int
  declare @newstatus int

  select @id = id, @hjje = isnull(hjje, 0), @status = isnull(status, 0), @ispay = isnull(ispay, 0),
         @oldhjsk = isnull(hjsk, 0), @oldjmje = isnull(jmje, 0)
    from vt_x_xmzzk where orgid = @orgid and billno = @billno
  if @id is null
    return

  select @jmje = isnull(sum(js.je), 0)
    from vt_x_xmzzk_js js inner join vt_b_jsfs fs on js.jsfs_id = fs.id
    where js.orgid = @orgid and js.billno = @billno and fs.code = '02'
  select @hjsk = isnull(sum(js.je), 0)
    from vt_x_xmzzk_js js left join vt_b_jsfs fs on js.jsfs_id = fs.id
    where js.orgid = @orgid and js.billno = @billno and isnull(fs.code, '') <> '02'
  select @hx = isnull(sum(bchx), 0)
    from vt_sys_hx_kh where orgid = @orgid and hxbillid = @id and biztype = '项目订单'
  set @hjsk = @hjsk + @hx

  if @hjsk = 0 and @jmje = 0
    set @newispay = 0
  else if @hjsk + @jmje >= @hjje
    set @newispay = 2
  else
    set @newispay = 1

  set @newstatus = @status
  if @status = 2 and @newispay = 2
    set @newstatus = 3
  if @status = 3 and @newispay <> 2
    set @newstatus = 2

  if @hjsk <> @oldhjsk or @jmje <> @oldjmje or @newispay <> @ispay or @newstatus <> @status
    update vt_x_xmzzk
      set hjsk = @hjsk, jmje = @jmje, ispay = @newispay, status = @newstatus,
          version = isnull(version, 0) + 1
      where id = @id
end
GO

-- sp_sys_calcxmzzkhccb: sets the consumables cost `hccb` of one project order: for
-- every consumable row, (quantity + loss) x the goods' current average cost in the
-- branch (stock value / book quantity over all stores of vt_c_spkc). Goods without a
-- positive book quantity have no known cost and count 0. The order's version is not
-- raised: this runs inside the completion of the order, which raises it itself.
create procedure sp_sys_calcxmzzkhccb
  @orgid varchar(50),
  @billno varchar(50)
as
begin
  declare @hccb money
  declare @cost table(
    sp_id int,
    cbj float
  )
  insert into @cost(sp_id, cbj)
    select sp_id, case when sum(kcsl) > 0 then sum(kcje) / sum(kcsl) else 0 end
      from vt_c_spkc where orgid = @orgid group by sp_id

  select @hccb = isnull(sum((isnull(hc.sl, 0) + isnull(hc.shsl, 0)) * isnull(c.cbj, 0)), 0)
    from vt_x_xmzzk_mx_hc hc left join @cost c on hc.sp_id = c.sp_id
    where hc.orgid = @orgid and hc.billno = @billno

  update vt_x_xmzzk set hccb = isnull(@hccb, 0) where orgid = @orgid and billno = @billno
end
GO

-- sp_sys_getspkcbyid: one row with `kcsl`, the book quantity of a goods item in one
-- store (0 when the stock ledger does not know it).
create procedure sp_sys_getspkcbyid
  @orgid varchar(50),
  @ck_id int,
  @sp_id int
as
begin
  select isnull(sum(kcsl), 0) as kcsl
    from vt_c_spkc where orgid = @orgid and ck_id = @ck_id and sp_id = @sp_id
end
GO

-- sp_sys_billaudit: the stock effect of auditing (@audit = 1) or un-auditing
-- (@audit = 0) a goods bill, run by the common audit inside its transaction.
-- @category is the bill's plug code:
--   1120 purchase, 1122 other receipt    store `ck_id` + quantity, + line amount
--   1121 sales, 1123 other issue         store `ck_id` - quantity at average cost
--   1124 transfer                        `ock_id` - quantity at its average cost,
--                                        `ick_id` + the same quantity and value
--   1125 cost adjustment                 + line amount, quantity unchanged
--   1126 loss and gain                   + quantity (negative = shortage), valued at
--                                        the line amount for a priced surplus, else
--                                        at average cost
--   anything else (stocktake, cash bills, ...) moves nothing.
-- Average cost = kcje / kcsl of the store's ledger row, 0 without a positive quantity,
-- so a shortage in a store with nothing on hand moves no value whichever bill causes it
-- (a loss line's own amount does not count).
-- Each movement is kept in vt_c_spls; un-auditing subtracts exactly those rows and
-- deletes them, so audit and un-audit cancel out whatever happened in between.
create procedure sp_sys_billaudit
  @orgid varchar(50),
  @category varchar(20),
  @billno varchar(50),
  @audit int
as
begin
  declare @mv table(
    ck_id int,
    sp_id int,
    sl float,
    je money,
    atcost int
  )
  declare @sum table(
    ck_id int,
    sp_id int,
    sl float,
    je money
  )

  if @audit = 0
  begin
    insert into @sum(ck_id, sp_id, sl, je)
      select ck_id, sp_id, sum(sl), sum(je) from vt_c_spls
        where orgid = @orgid and category = @category and billno = @billno
        group by ck_id, sp_id
    update k set kcsl = isnull(k.kcsl, 0) - m.sl, kcje = isnull(k.kcje, 0) - m.je, updatetime = getdate()
      from vt_c_spkc k inner join @sum m on k.ck_id = m.ck_id and k.sp_id = m.sp_id
      where k.orgid = @orgid
    delete from vt_c_spls where orgid = @orgid and category = @category and billno = @billno
    return
  end

  if @category = '1120'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, isnull(l.sl, 0), isnull(l.je, 0), 0
        from vt_c_spjh h inner join vt_c_spjh_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1122'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, isnull(l.sl, 0), isnull(l.je, 0), 0
        from vt_c_qtrk h inner join vt_c_qtrk_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1121'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, 0 - isnull(l.sl, 0), 0, 1
        from vt_c_spch h inner join vt_c_spch_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1123'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, 0 - isnull(l.sl, 0), 0, 1
        from vt_c_qtck h inner join vt_c_qtck_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1124'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ock_id, l.sp_id, 0 - isnull(l.sl, 0), 0, 1
        from vt_c_spyk h inner join vt_c_spyk_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1125'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, 0, isnull(l.je, 0), 0
        from vt_c_sptj h inner join vt_c_sptj_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno
  if @category = '1126'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ck_id, l.sp_id, isnull(l.sl, 0),
             case when isnull(l.sl, 0) > 0 and isnull(l.je, 0) <> 0 then l.je else 0 end,
             case when isnull(l.sl, 0) > 0 and isnull(l.je, 0) <> 0 then 0 else 1 end
        from vt_c_spsy h inner join vt_c_spsy_mx l on l.orgid = h.orgid and l.billno = h.billno
        where h.orgid = @orgid and h.billno = @billno

  -- value movements at the store's average cost before this bill
  update m set je = m.sl * (k.kcje / k.kcsl)
    from @mv m inner join vt_c_spkc k on k.ck_id = m.ck_id and k.sp_id = m.sp_id
    where m.atcost = 1 and k.orgid = @orgid and k.kcsl > 0

  -- a transfer puts what left the sending store into the receiving one
  if @category = '1124'
    insert into @mv(ck_id, sp_id, sl, je, atcost)
      select h.ick_id, m.sp_id, 0 - m.sl, 0 - m.je, 0
        from @mv m, vt_c_spyk h
        where h.orgid = @orgid and h.billno = @billno

  insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje)
    select distinct @orgid, m.ck_id, m.sp_id, 0, 0 from @mv m
      where not exists(select id from vt_c_spkc k
                       where k.orgid = @orgid and k.ck_id = m.ck_id and k.sp_id = m.sp_id)

  insert into @sum(ck_id, sp_id, sl, je)
    select ck_id, sp_id, sum(sl), sum(je) from @mv group by ck_id, sp_id
  update k set kcsl = isnull(k.kcsl, 0) + m.sl, kcje = isnull(k.kcje, 0) + m.je, updatetime = getdate()
    from vt_c_spkc k inner join @sum m on k.ck_id = m.ck_id and k.sp_id = m.sp_id
    where k.orgid = @orgid

  insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)
    select @orgid, @category, @billno, ck_id, sp_id, sl, je from @mv
end
