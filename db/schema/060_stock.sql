-- Goods and stock bills (vt_c_*): purchase, sales, other receipt and issue, transfer,
-- cost adjustment, loss and gain, stocktake; and the stock ledger vt_c_spkc.
-- Every header has the common bill columns (status 0 draft / 1 audited, version,
-- audit marks); totals written by the save batch have no default (NULL until saved).

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Purchase ("购货单", supplier `gys_id`).
create table vt_c_spjh (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  gys_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  rklx_id int default 0,
  zh_id int default 0,
  zy varchar(200),
  qtfy money default 0,
  hjje money,
  bcfk money default 0,
  jmje money default 0,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_c_spjh_billno on vt_c_spjh(orgid, billno)
create index ix_vt_c_spjh_gys_id on vt_c_spjh(gys_id)

create table vt_c_spjh_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  zk float default 1,
  dj money default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_spjh_mx_uid on vt_c_spjh_mx(uid)
create index ix_vt_c_spjh_mx_billno on vt_c_spjh_mx(orgid, billno)

-- Sales ("销货单", customer `kh_id`); `bcsk` received on the bill itself, `dzflag` set
-- by a reviewed customer statement.
create table vt_c_spch (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  cklx_id int default 0,
  zh_id int default 0,
  zy varchar(200),
  qtfy money default 0,
  hjje money,
  bcsk money default 0,
  jmje money default 0,
  dzflag bit default 0,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_c_spch_billno on vt_c_spch(orgid, billno)
create index ix_vt_c_spch_kh_id on vt_c_spch(kh_id)

create table vt_c_spch_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  zk float default 1,
  old_dj money default 0,
  dj money default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_spch_mx_uid on vt_c_spch_mx(uid)
create index ix_vt_c_spch_mx_billno on vt_c_spch_mx(orgid, billno)

-- Other receipt ("其它入库单", supplier) and other issue ("其它出库单", customer).
create table vt_c_qtrk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  gys_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  rklx_id int default 0,
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
create unique index ux_vt_c_qtrk_billno on vt_c_qtrk(orgid, billno)
create index ix_vt_c_qtrk_gys_id on vt_c_qtrk(gys_id)

create table vt_c_qtrk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  dj money default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_qtrk_mx_uid on vt_c_qtrk_mx(uid)
create index ix_vt_c_qtrk_mx_billno on vt_c_qtrk_mx(orgid, billno)

create table vt_c_qtck (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  cklx_id int default 0,
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
create unique index ux_vt_c_qtck_billno on vt_c_qtck(orgid, billno)
create index ix_vt_c_qtck_kh_id on vt_c_qtck(kh_id)

create table vt_c_qtck_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  dj money default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_qtck_mx_uid on vt_c_qtck_mx(uid)
create index ix_vt_c_qtck_mx_billno on vt_c_qtck_mx(orgid, billno)

-- Transfer ("调拨单") from store `ock_id` to store `ick_id`; `hjsl` total quantity.
-- `ck_id` is the outlet the bill was made at (the bill itself names two stores).
create table vt_c_spyk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ock_id int default 0,
  ick_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  hjsl float,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_c_spyk_billno on vt_c_spyk(orgid, billno)

create table vt_c_spyk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  beizhu varchar(500)
)
create unique index ux_vt_c_spyk_mx_uid on vt_c_spyk_mx(uid)
create index ix_vt_c_spyk_mx_billno on vt_c_spyk_mx(orgid, billno)

-- Cost adjustment ("成本调整单"): per goods an amount added to the stock value.
create table vt_c_sptj (
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
create unique index ux_vt_c_sptj_billno on vt_c_sptj(orgid, billno)

create table vt_c_sptj_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_sptj_mx_uid on vt_c_sptj_mx(uid)
create index ix_vt_c_sptj_mx_billno on vt_c_sptj_mx(orgid, billno)

-- Loss and gain ("损益单"): `sl` > 0 surplus, < 0 shortage; `pdbillno` the stocktake it
-- was made from (empty for a bill entered by hand).
create table vt_c_spsy (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  pdbillno varchar(50),
  hjje money,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_c_spsy_billno on vt_c_spsy(orgid, billno)
create index ix_vt_c_spsy_pdbillno on vt_c_spsy(pdbillno)

create table vt_c_spsy_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  sl float default 1,
  dj money default 0,
  je money default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_spsy_mx_uid on vt_c_spsy_mx(uid)
create index ix_vt_c_spsy_mx_billno on vt_c_spsy_mx(orgid, billno)

-- Stocktake ("盘点单"): book quantity `kcsl`, counted `pdsl`, difference `yksl`;
-- `isDone` once processed into a loss and gain bill.
create table vt_c_sppd (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  ck_id int default 0,
  kdr_id int default 0,
  zy varchar(200),
  isDone bit default 0,
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_c_sppd_billno on vt_c_sppd(orgid, billno)

create table vt_c_sppd_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  sp_id int default 0,
  kcsl float default 0,
  pdsl float,
  yksl float default 0,
  beizhu varchar(500)
)
create unique index ux_vt_c_sppd_mx_uid on vt_c_sppd_mx(uid)
create index ix_vt_c_sppd_mx_billno on vt_c_sppd_mx(orgid, billno)

-- Stock ledger: book quantity `kcsl` and stock value `kcje` of each goods item per
-- store. Average cost = kcje / kcsl. sp_sys_getspkcbyid reads it (0 when a goods item
-- has no row); sp_sys_billaudit moves it when stock bills are audited and un-audited.
create table vt_c_spkc (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  ck_id int not null,
  sp_id int not null,
  kcsl float default 0,
  kcje money default 0,
  updatetime datetime default getdate()
)
create unique index ux_vt_c_spkc_key on vt_c_spkc(orgid, ck_id, sp_id)

-- Stock journal: every movement an audited stock bill made in vt_c_spkc (quantity `sl`
-- and value `je` per store and goods item), so that un-auditing takes back exactly
-- what the audit moved.
create table vt_c_spls (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  category varchar(20) not null,
  billno varchar(50) not null,
  ck_id int default 0,
  sp_id int default 0,
  sl float default 0,
  je money default 0,
  createtime datetime default getdate()
)
create index ix_vt_c_spls_billno on vt_c_spls(orgid, category, billno)
create index ix_vt_c_spls_sp_id on vt_c_spls(sp_id, ck_id)

commit tran
