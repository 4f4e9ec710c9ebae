-- Cash and ledger bills (vt_f_zjzz, vt_f_srdj, vt_f_fydj): fund transfers between
-- settlement accounts, income and expense bills through one account.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Fund transfer ("资金转账单"): each line moves `je` from account `ozh_id` to `izh_id`.
create table vt_f_zjzz (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  hjje money,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_zjzz_billno on vt_f_zjzz(orgid, billno)

create table vt_f_zjzz_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  ozh_id int default 0,
  izh_id int default 0,
  jsfs_id int default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_zjzz_mx_uid on vt_f_zjzz_mx(uid)
create index ix_vt_f_zjzz_mx_billno on vt_f_zjzz_mx(orgid, billno)

-- Income bill ("收入单据"): lines by income category `sr_id`, through account `zh_id`.
create table vt_f_srdj (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ck_id int default 0,
  kdr_id int default 0,
  zh_id int default 0,
  zy varchar(200),
  hjje money,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_srdj_billno on vt_f_srdj(orgid, billno)

create table vt_f_srdj_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sr_id int default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_srdj_mx_uid on vt_f_srdj_mx(uid)
create index ix_vt_f_srdj_mx_billno on vt_f_srdj_mx(orgid, billno)

-- Expense bill ("费用单据"): lines by expense category `fy_id`.
create table vt_f_fydj (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ck_id int default 0,
  kdr_id int default 0,
  zh_id int default 0,
  zy varchar(200),
  hjje money,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_fydj_billno on vt_f_fydj(orgid, billno)

create table vt_f_fydj_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  fy_id int default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_fydj_mx_uid on vt_f_fydj_mx(uid)
create index ix_vt_f_fydj_mx_billno on vt_f_fydj_mx(orgid, billno)

commit tran
