-- System tables (vt_sys_*): bill-number counters, host settings, the bill audit and
-- print logs and the production steps of project orders. The write-off ledgers are
-- kept with the receivables (070_receivables.sql).

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Bill-number counters used by sp_sys_genbillno: the last sequence number issued per
-- branch, number series (plug code), tag and day. `ck_id` records the outlet that
-- issued the last number. Rows change only inside a transaction (the saving one when
-- there is one), so a save that rolls back also gives its number back.
create table vt_sys_billno (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  category varchar(20) not null,
  tag varchar(20) not null,
  billday varchar(8) not null,
  ck_id int default 0,
  lastno int default 0,
  updatetime datetime default getdate()
)
create unique index ux_vt_sys_billno_key on vt_sys_billno(orgid, category, tag, billday)

-- Host settings per branch ("zidongchuku", "jiaohuoriqi", "lxrzxuanze", ...).
create table vt_sys_config (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50) not null,
  value varchar(500),
  remark varchar(200)
)
create index ix_vt_sys_config_code on vt_sys_config(orgid, code)

-- Operators' rights, one row per rights code ("1100", "1100_01" ...); the code "*"
-- grants every right. An operator without rows may open nothing.
create table vt_sys_user_rights (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  czy_id int not null,
  rightcode varchar(50) not null
)
create index ix_vt_sys_user_rights on vt_sys_user_rights(orgid, czy_id)

-- Bill audit log: voids, reviews and other state changes with the user's reason.
create table vt_sys_billaudit_logs (
  id int identity(1,1) primary key,
  orgid varchar(20),
  modulecode varchar(20),
  billtype varchar(50),
  billno varchar(50),
  ck_id int default 0,
  czy_id int default 0,
  auditmsg varchar(500),
  auditstate varchar(50),
  createtime datetime default getdate()
)
create index ix_vt_sys_billaudit_logs_billno on vt_sys_billaudit_logs(orgid, billno)

-- Print log: one row per printed bill.
create table vt_sys_billpirnt_logs (
  id int identity(1,1) primary key,
  orgid varchar(20),
  modulecode varchar(20),
  billtype varchar(50),
  billno varchar(50),
  ck_id int default 0,
  czy_id int default 0,
  createtime datetime default getdate()
)
create index ix_vt_sys_billpirnt_logs_billno on vt_sys_billpirnt_logs(orgid, billno)

-- Production steps of project orders. The order's `dowork_id` names its current step;
-- completing the order closes the open step (isdone = 1, et = now), re-opening it
-- deletes all its steps.
create table vt_sys_doworks (
  id int identity(1,1) primary key,
  orgid varchar(20),
  xmzzk_id int not null,
  billno varchar(50),
  workname varchar(100),
  yg_id int default 0,
  st datetime default getdate(),
  et datetime,
  isdone bit default 0,
  remark varchar(500)
)
create index ix_vt_sys_doworks_xmzzk_id on vt_sys_doworks(xmzzk_id)

commit tran
