-- Receivables and payables (vt_f_*): receipts and payments with their account lines
-- and write-off lines, advance write-offs, customer statements and invoices, and the
-- two write-off ledgers vt_sys_hx_kh (customers) and vt_sys_hx_gys (suppliers).
-- Write-off lines name the paid bill by `biztype` ("项目订单", "销货单", "外协加工单",
-- "购货单", "收款单", "付款单") and its header id `bizid`.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Receipt ("收款单"): `hjje` = account lines + discount `jmje`; `hxje` = written off at
-- audit (0 until then).
create table vt_f_khsk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  jmje money default 0,
  hjje money,
  hxje money default 0,
  iskaipiao bit default 0,
  piaono varchar(100),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_khsk_billno on vt_f_khsk(orgid, billno)
create index ix_vt_f_khsk_kh_id on vt_f_khsk(kh_id)

create table vt_f_khsk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  jsfs_id int default 0,
  zh_id int default 0,
  je money default 0,
  sn varchar(100),
  beizhu varchar(500)
)
create unique index ux_vt_f_khsk_mx_uid on vt_f_khsk_mx(uid)
create index ix_vt_f_khsk_mx_billno on vt_f_khsk_mx(orgid, billno)

create table vt_f_khsk_hx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  bchx money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_khsk_hx_uid on vt_f_khsk_hx(uid)
create index ix_vt_f_khsk_hx_billno on vt_f_khsk_hx(orgid, billno)
create index ix_vt_f_khsk_hx_bizid on vt_f_khsk_hx(bizid, biztype)

-- Payment ("付款单"), the supplier-side twin of the receipt.
create table vt_f_gysfk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  gys_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  jmje money default 0,
  hjje money,
  hxje money default 0,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_gysfk_billno on vt_f_gysfk(orgid, billno)
create index ix_vt_f_gysfk_gys_id on vt_f_gysfk(gys_id)

create table vt_f_gysfk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  jsfs_id int default 0,
  zh_id int default 0,
  je money default 0,
  sn varchar(100),
  beizhu varchar(500)
)
create unique index ux_vt_f_gysfk_mx_uid on vt_f_gysfk_mx(uid)
create index ix_vt_f_gysfk_mx_billno on vt_f_gysfk_mx(orgid, billno)

create table vt_f_gysfk_hx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  bchx money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_gysfk_hx_uid on vt_f_gysfk_hx(uid)
create index ix_vt_f_gysfk_hx_billno on vt_f_gysfk_hx(orgid, billno)
create index ix_vt_f_gysfk_hx_bizid on vt_f_gysfk_hx(bizid, biztype)

-- Advance-receipt write-off ("预收核销单"): money side `_mx` (receipts used, biztype
-- "收款单"), bill side `_hx` (bills paid). The master carries no amounts.
create table vt_f_yshx (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_yshx_billno on vt_f_yshx(orgid, billno)
create index ix_vt_f_yshx_kh_id on vt_f_yshx(kh_id)

create table vt_f_yshx_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_yshx_mx_uid on vt_f_yshx_mx(uid)
create index ix_vt_f_yshx_mx_billno on vt_f_yshx_mx(orgid, billno)
create index ix_vt_f_yshx_mx_bizid on vt_f_yshx_mx(bizid, biztype)

create table vt_f_yshx_hx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  bchx money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_yshx_hx_uid on vt_f_yshx_hx(uid)
create index ix_vt_f_yshx_hx_billno on vt_f_yshx_hx(orgid, billno)
create index ix_vt_f_yshx_hx_bizid on vt_f_yshx_hx(bizid, biztype)

-- Prepayment write-off ("预付核销单"), the supplier-side twin (biztype "付款单").
create table vt_f_yfhx (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  gys_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_yfhx_billno on vt_f_yfhx(orgid, billno)
create index ix_vt_f_yfhx_gys_id on vt_f_yfhx(gys_id)

create table vt_f_yfhx_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_yfhx_mx_uid on vt_f_yfhx_mx(uid)
create index ix_vt_f_yfhx_mx_billno on vt_f_yfhx_mx(orgid, billno)
create index ix_vt_f_yfhx_mx_bizid on vt_f_yfhx_mx(bizid, biztype)

create table vt_f_yfhx_hx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  hxje money default 0,
  bchx money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_yfhx_hx_uid on vt_f_yfhx_hx(uid)
create index ix_vt_f_yfhx_hx_billno on vt_f_yfhx_hx(orgid, billno)
create index ix_vt_f_yfhx_hx_bizid on vt_f_yfhx_hx(bizid, biztype)

-- Customer statement ("客户对账单"): status 1 audited, 2 reviewed ("已复核"); a line's
-- `dzflag` is the customer's confirmation, copied to the bill by the review.
create table vt_f_khdzk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_f_khdzk_billno on vt_f_khdzk(orgid, billno)
create index ix_vt_f_khdzk_kh_id on vt_f_khdzk(kh_id)

create table vt_f_khdzk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  dzflag bit default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_khdzk_mx_uid on vt_f_khdzk_mx(uid)
create index ix_vt_f_khdzk_mx_billno on vt_f_khdzk_mx(orgid, billno)
create index ix_vt_f_khdzk_mx_bizid on vt_f_khdzk_mx(bizid, biztype)

-- Customer invoice ("客户开票单"): lines invoice parts of audited receipts
-- (biztype "收款单"); `tax` is a fraction (0.03 = 3 %).
create table vt_f_khkpk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  pjdm varchar(50),
  pjhm varchar(50),
  comp_id int default 0,
  comp_name varchar(200),
  fullname varchar(200),
  shuihao varchar(50),
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
create unique index ux_vt_f_khkpk_billno on vt_f_khkpk(orgid, billno)
create index ix_vt_f_khkpk_kh_id on vt_f_khkpk(kh_id)

create table vt_f_khkpk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  biztype varchar(50),
  bizid int default 0,
  kpmc varchar(200),
  tax float default 0.03,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_f_khkpk_mx_uid on vt_f_khkpk_mx(uid)
create index ix_vt_f_khkpk_mx_billno on vt_f_khkpk_mx(orgid, billno)
create index ix_vt_f_khkpk_mx_bizid on vt_f_khkpk_mx(orgid, bizid)

-- Write-off ledgers: one row per amount `bchx` written off against one business bill
-- (`biztype`, `hxbillid`, `hxbillno`) by one audited write-off bill (`billno`); rows
-- exist only while that bill is audited. `hjje` is the paid bill's amount at the time.
create table vt_sys_hx_kh (
  id int identity(1,1) primary key,
  uid varchar(50) default newid(),
  orgid varchar(20) not null,
  billno varchar(50),
  biztype varchar(50),
  hxbillid int default 0,
  hxbillno varchar(50),
  hxbilldate datetime,
  ck_id int default 0,
  hjje money default 0,
  bchx money default 0,
  zy varchar(200),
  czy_id int,
  createtime datetime default getdate()
)
create index ix_vt_sys_hx_kh_billno on vt_sys_hx_kh(orgid, billno)
create index ix_vt_sys_hx_kh_hxbillid on vt_sys_hx_kh(hxbillid, biztype)
create index ix_vt_sys_hx_kh_hxbillno on vt_sys_hx_kh(hxbillno)

create table vt_sys_hx_gys (
  id int identity(1,1) primary key,
  uid varchar(50) default newid(),
  orgid varchar(20) not null,
  billno varchar(50),
  biztype varchar(50),
  hxbillid int default 0,
  hxbillno varchar(50),
  hxbilldate datetime,
  ck_id int default 0,
  hjje money default 0,
  bchx money default 0,
  zy varchar(200),
  czy_id int,
  createtime datetime default getdate()
)
create index ix_vt_sys_hx_gys_billno on vt_sys_hx_gys(orgid, billno)
create index ix_vt_sys_hx_gys_hxbillid on vt_sys_hx_gys(hxbillid, biztype)
create index ix_vt_sys_hx_gys_hxbillno on vt_sys_hx_gys(hxbillno)

commit tran
