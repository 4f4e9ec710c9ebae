-- Outsourced processing orders (vt_x_xmwtk*): work handed to an outside processor
-- (a supplier) for one project order (`orderbillno`). status 0 draft, 1 audited; only
-- audited orders count in the project order's outsourcing cost `wxcb`.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

create table vt_x_xmwtk (
  id int identity(1,1) primary key,
  uid varchar(50),
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  gys_id int default 0,
  orderbillno varchar(50),
  shfs_id int default 0,
  addr varchar(200),
  ck_id int default 0,
  kdr_id int default 0,
  ywy_id int default 0,
  zh_id int default 0,
  qtfy money default 0,
  hjje money,
  bcfk money default 0,
  zzyq varchar(4000),
  zy varchar(200),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_x_xmwtk_billno on vt_x_xmwtk(orgid, billno)
create index ix_vt_x_xmwtk_gys_id on vt_x_xmwtk(gys_id)
create index ix_vt_x_xmwtk_orderbillno on vt_x_xmwtk(orgid, orderbillno)

create table vt_x_xmwtk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  xm_id int default 0,
  dj money default 0,
  sl float default 1,
  n float default 1,
  x float default 1,
  y float default 1,
  zk float default 1,
  je money default 0,
  gcxmmc varchar(200),
  beizhu varchar(500)
)
create unique index ux_vt_x_xmwtk_mx_uid on vt_x_xmwtk_mx(uid)
create index ix_vt_x_xmwtk_mx_billno on vt_x_xmwtk_mx(orgid, billno)

commit tran
