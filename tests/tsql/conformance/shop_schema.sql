-- A small slice of the shop's tables, enough columns for the conformance batches.
create table vt_b_xmbmk(id int identity(1,1) primary key, code varchar(20), name varchar(50),
  itemno varchar(50), baseunit varchar(20), jxbl float, scjf float, jjfs varchar(10), k float)
create table vt_b_ygbmk(id int identity(1,1) primary key, code varchar(20), name varchar(50))
create table vt_b_ckbmk(id int identity(1,1) primary key, orgid varchar(10), code varchar(20),
  name varchar(50), isdel bit default 0)
create table vt_x_xmzzk(id int identity(1,1) primary key, uid varchar(50), orgid varchar(10),
  billno varchar(50), billdate datetime, kh_id int, ck_id int, status int default 0,
  zfflag bit default 0, dzflag bit default 0, hjje money, jmje money, version int default 0,
  zzryinfo varchar(500))
create table vt_x_xmzzk_mx(id int identity(1,1) primary key, uid varchar(50), orgid varchar(10),
  billno varchar(50), xm_id int, sl float, n float, x float, y float, k float, old_dj money,
  dj money, zk float, je money, gcxmmc varchar(200), beizhu varchar(200), fhsl_ok float)
create table vt_x_xmzzk_mx_zzry(id int identity(1,1) primary key, uid varchar(50),
  orgid varchar(10), billno varchar(50), mx_uid varchar(50), yg_id int, perc float,
  jxjf float, jxje money)
create table vt_x_xmzzk_mx_hc(id int identity(1,1) primary key, uid varchar(50),
  orgid varchar(10), billno varchar(50), mx_uid varchar(50), sp_id int, nsl float, sl float,
  shsl float)
create table vt_x_xmzzk_js(id int identity(1,1) primary key, orgid varchar(10), uid varchar(50),
  billno varchar(50), je money)
create table vt_x_cpfhk(id int identity(1,1) primary key, orgid varchar(10), billno varchar(50),
  status int default 0)
create table vt_x_cpfhk_mx(id int identity(1,1) primary key, uid varchar(50), orgid varchar(10),
  billno varchar(50), mx_id int, xm_id int, gcxmmc varchar(200), fhsl float)
create table vt_c_spch(id int identity(1,1) primary key, orgid varchar(10), billno varchar(50),
  version int default 0, billdate datetime, kh_id int, ck_id int, status int default 0,
  hjje money, qtfy money, bcsk money, jmje money, dzflag bit default 0)
create table vt_sys_hx_kh(id int identity(1,1) primary key, uid varchar(50), orgid varchar(10),
  billno varchar(50), biztype varchar(50), hxbillid int, hxbillno varchar(50),
  hxbilldate datetime, ck_id int, hjje money, bchx money, zy varchar(100), czy_id int)
