-- Project orders (vt_x_xmzzk*): header, priced lines, finished products, per line the
-- consumables and production staff, and the settlement rows of the order.
-- Every bill table has (orgid, billno) indexed; line tables are keyed by `uid`.
-- Totals that the save batch recomputes (`hjje`) have no default: they stay NULL until
-- the first save computes them.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Header. status: 0 未处理, 1 处理中, 2 已完工, 3 已结算; ispay: 0 未结算, 1 结算中,
-- 2 已结清 (both kept by sp_sys_calcxmzzkhj once money comes in).
create table vt_x_xmzzk (
  id int identity(1,1) primary key,
  uid varchar(50),
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  khlx varchar(20),
  lxr varchar(50),
  tel varchar(50),
  qq varchar(50),
  addr varchar(200),
  jhrq datetime,
  ddtx bit default 0,
  txsj int default 12,
  jjcd varchar(20) default '普通',
  shfs_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  ywy_id int default 0,
  flow_id int default 0,
  gcxmmc varchar(200),
  filedir varchar(500),
  zzyq varchar(4000),
  zy varchar(200),
  remark varchar(500),
  zdzk float default 1,
  hjje money,
  yfk money default 0,
  jmje money default 0,
  hjsk money default 0,
  status int default 0,
  ispay int default 0,
  dzflag bit default 0,
  zfflag bit default 0,
  version int default 0,
  zzryinfo varchar(4000),
  dowork_id int default 0,
  hccb money default 0,
  wxcb money default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_x_xmzzk_billno on vt_x_xmzzk(orgid, billno)
create index ix_vt_x_xmzzk_kh_id on vt_x_xmzzk(kh_id)
-- the order lists and the selector read a date range of one store
create index ix_vt_x_xmzzk_billdate on vt_x_xmzzk(orgid, billdate)
create index ix_vt_x_xmzzk_uid on vt_x_xmzzk(uid)

-- Lines. `k` may be NULL (treated as 1 by the editors); `fhsl_ok` is the quantity shipped
-- by audited shipment bills; `sb_id` the production device.
create table vt_x_xmzzk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  xm_id int default 0,
  sb_id int default 0,
  sl float default 1,
  n float default 1,
  x float default 1,
  y float default 1,
  k float,
  old_dj money default 0,
  dj money default 0,
  zk float default 1,
  je money default 0,
  fhsl_ok float default 0,
  gcxmmc varchar(200),
  beizhu varchar(500)
)
create unique index ux_vt_x_xmzzk_mx_uid on vt_x_xmzzk_mx(uid)
create index ix_vt_x_xmzzk_mx_billno on vt_x_xmzzk_mx(orgid, billno)

-- Finished products of an order.
create table vt_x_xmzzk_cp (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  cpcode varchar(50),
  cpname varchar(200),
  itemno varchar(100),
  dw varchar(20),
  sl float default 1,
  dj money default 0,
  je money default 0,
  gcxmmc varchar(200),
  beizhu varchar(500)
)
create unique index ux_vt_x_xmzzk_cp_uid on vt_x_xmzzk_cp(uid)
create index ix_vt_x_xmzzk_cp_billno on vt_x_xmzzk_cp(orgid, billno)

-- Consumables of a line (`mx_uid`): `nsl` per unit of the line, `sl` total, `shsl` loss.
create table vt_x_xmzzk_mx_hc (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  mx_uid varchar(50),
  sp_id int default 0,
  nsl float default 1,
  sl float default 1,
  shsl float default 0
)
create unique index ux_vt_x_xmzzk_mx_hc_uid on vt_x_xmzzk_mx_hc(uid)
create index ix_vt_x_xmzzk_mx_hc_billno on vt_x_xmzzk_mx_hc(orgid, billno)
create index ix_vt_x_xmzzk_mx_hc_mx_uid on vt_x_xmzzk_mx_hc(mx_uid)

-- Production staff of a line: share `perc` in percent, points `jxjf`, amount `jxje`.
create table vt_x_xmzzk_mx_zzry (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  mx_uid varchar(50),
  yg_id int default 0,
  perc float default 0,
  jxjf money default 0,
  jxje money default 0
)
create unique index ux_vt_x_xmzzk_mx_zzry_uid on vt_x_xmzzk_mx_zzry(uid)
create index ix_vt_x_xmzzk_mx_zzry_billno on vt_x_xmzzk_mx_zzry(orgid, billno)
create index ix_vt_x_xmzzk_mx_zzry_mx_uid on vt_x_xmzzk_mx_zzry(mx_uid)

-- Settlement rows of an order, one per payment event. `jsfs_id` payment method
-- (code "02" = reduction), `zh_id` account, `jssj` the time of writing.
create table vt_x_xmzzk_js (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  uid varchar(50) not null,
  billno varchar(50) not null,
  jsfs_id int default 0,
  jssj datetime default getdate(),
  zh_id int default 0,
  je money default 0,
  sn varchar(100),
  remark varchar(500),
  czy_id int default 0
)
create unique index ux_vt_x_xmzzk_js_uid on vt_x_xmzzk_js(uid)
create index ix_vt_x_xmzzk_js_billno on vt_x_xmzzk_js(orgid, billno)

commit tran
