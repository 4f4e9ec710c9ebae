-- Stored procedures the bills call by name. Each CREATE PROCEDURE is a batch of its
-- own, separated by lines holding only GO. None of them opens a transaction: they run
-- inside the caller's, so whatever they write is undone when the caller rolls back.

-- sp_sys_genbillno: issues the next bill number into @billno.
--
-- Format: tag + category + yyyymmdd + sequence, the sequence 4 digits with leading
-- zeros (more digits after 9999 bills of a day), e.g. tag 'A', category '1100' on
-- 2026-12-05, third bill of the day: 'A1100202612050003'.
--
-- One sequence per branch, number series (the plug code), tag and day. The outlet
-- @ck_id is recorded but does not start a series of its own: outlets that share a
-- tag share its sequence, so a number can never repeat within a branch. The counter
-- row is written inside the caller's transaction: a second saver waits for the first
-- to commit (row lock on SQL Server, the write lock on the embedded database) and a
-- rolled-back save gives its number back. @billno is '' when no number can be issued
-- (no branch or no series given).
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
  set @billno = ''
  set @tag = isnull(@tag, '')
  if isnull(@orgid, '') = '' or isnull(@category, '') = ''
    return
  set @day = convert(varchar(8), getdate(), 112)
  if exists(select id from vt_sys_billno
            where orgid = @orgid and category = @category and tag = @tag and billday = @day)
    update vt_sys_billno set lastno = lastno + 1, ck_id = isnull(@ck_id, 0), updatetime = getdate()
      where orgid = @orgid and category = @category and tag = @tag and billday = @day
  else
    insert into vt_sys_billno(orgid, category, tag, billday, ck_id, lastno)
      values (@orgid, @category, @tag, @day, isnull(@ck_id, 0), 1)
  select @no = lastno from vt_sys_billno
    where orgid = @orgid and category = @category and tag = @tag and billday = @day
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
