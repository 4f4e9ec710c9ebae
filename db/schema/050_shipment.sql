-- Finished-goods shipment bills (vt_x_cpfhk*). Each line ships part of one project
-- order line (`mx_id` = vt_x_xmzzk_mx.id); auditing adds `fhsl` to that line's
-- `fhsl_ok`, un-auditing takes it off again.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

create table vt_x_cpfhk (
  id int identity(1,1) primary key,
  uid varchar(50),
  orgid varchar(20) not null,
  billno varchar(50) not null,
  billdate datetime default getdate(),
  kh_id int default 0,
  ck_id int default 0,
  kdr_id int default 0,
  ywy_id int default 0,
  shfs_id int default 0,
  lxr varchar(50),
  tel varchar(50),
  addr varchar(200),
  cydw varchar(200),
  wldh varchar(100),
  zy varchar(200),
  remark varchar(500),
  status int default 0,
  zfflag bit default 0,
  version int default 0,
  shy_id int default 0,
  auditdate datetime,
  createtime datetime default getdate()
)
create unique index ux_vt_x_cpfhk_billno on vt_x_cpfhk(orgid, billno)
create index ix_vt_x_cpfhk_kh_id on vt_x_cpfhk(kh_id)

create table vt_x_cpfhk_mx (
  id int identity(1,1) primary key,
  uid varchar(50) not null,
  orgid varchar(20) not null,
  billno varchar(50) not null,
  mx_id int default 0,
  xm_id int default 0,
  gcxmmc varchar(200),
  fhsl float default 0,
  beizhu varchar(500)
)
create unique index ux_vt_x_cpfhk_mx_uid on vt_x_cpfhk_mx(uid)
create index ix_vt_x_cpfhk_mx_billno on vt_x_cpfhk_mx(orgid, billno)
create index ix_vt_x_cpfhk_mx_mx_id on vt_x_cpfhk_mx(mx_id)

commit tran
