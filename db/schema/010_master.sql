-- Master data (vt_b_*): the lists every bill reads. One branch (`orgid`) holds its own
-- stores, employees, customers, suppliers, service items, goods, accounts and methods.
-- Ids are identities; codes are what users type and are unique per branch by
-- convention only (the lookups search them, so they are indexed); the master-data pages
-- refuse a code taken. `version` rises with every change a page saves (its edit guard).
-- Loaded first; the files of this directory run in file-name order.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

-- Branches (one row per `orgid`); the shop name printed on bills.
create table vt_sys_org (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  name varchar(200),
  addr varchar(200),
  tel varchar(50),
  remark varchar(500),
  createtime datetime default getdate()
)
create unique index ux_vt_sys_org_orgid on vt_sys_org(orgid)

-- Stores / outlets (list "ck"). `kh_id` is the store's default customer, used by the
-- ad-hoc counter sale; 0 = none chosen yet.
create table vt_b_ckbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  kh_id int default 0,
  addr varchar(200),
  tel varchar(50),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_ckbmk_orgid_code on vt_b_ckbmk(orgid, code)

-- Employees (list "yg"); the login's operator id `czy_id` is an employee id.
create table vt_b_ygbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  ck_id int default 0,
  flow_id int default 0,
  tel varchar(50),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_ygbmk_orgid_code on vt_b_ygbmk(orgid, code)

-- Categories of service items and goods (first and second level, `p1` / `p2`).
create table vt_b_category (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  parent_id int default 0,
  kind varchar(20),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)
create index ix_vt_b_category_orgid_code on vt_b_category(orgid, code)

-- Member levels; customers of price type "会员等级" point to one with `vip_id`.
create table vt_b_vipdj (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)
create index ix_vt_b_vipdj_orgid_code on vt_b_vipdj(orgid, code)

-- Member cards. `pwd` is the MD5 hex digest (lower case) of the card password in the
-- 8-bit system code page (GBK). `version` is raised by every change and every ledger
-- movement, so two top-ups or refunds of one card run one after the other.
create table vt_b_khbmk_vip (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  kh_id int default 0,
  vip_id int default 0,
  pwd varchar(50),
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_khbmk_vip_code on vt_b_khbmk_vip(orgid, code)

-- Customers. `xyjlx` price type: "协议价" (agreement prices) or "会员等级" (member-level
-- prices, level `vip_id`); `khlx` payment type "现结", "签单", "预存"; `card_id` the
-- current member card; `ywy_id` the salesman.
create table vt_b_khbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  fullname varchar(200),
  shuihao varchar(50),
  xyjlx varchar(20) default '协议价',
  vip_id int default 0,
  card_id int default 0,
  khlx varchar(20) default '现结',
  ywy_id int default 0,
  lxr varchar(50),
  tel varchar(50),
  addr varchar(200),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_khbmk_orgid_code on vt_b_khbmk(orgid, code)

-- Customer contacts; `isdef` = 1 marks the default contact.
create table vt_b_khbmk_lxr (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  kh_id int not null,
  contact varchar(50),
  phone varchar(50),
  qq varchar(50),
  addr varchar(200),
  isdef bit default 0,
  remark varchar(500)
)
create index ix_vt_b_khbmk_lxr_kh_id on vt_b_khbmk_lxr(kh_id)

-- Member-card ledger: one row per movement. Balance = sum(incje) - sum(decje) over the
-- card's rows for that customer and branch. Consumption writes biztype "消费" and the
-- order id in `bizid`; top-ups ("充值") add `incje`, refunds ("退款") `decje`, both with the
-- account `zh_id` the money went into or came out of (0 for consumption: no money moves).
create table vt_b_khbmk_vip_pay (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  ck_id int default 0,
  kh_id int default 0,
  card_id int default 0,
  createtime datetime default getdate(),
  czy_id int default 0,
  biztype varchar(50),
  bizid int default 0,
  incje money default 0,
  decje money default 0,
  zh_id int default 0,
  remark varchar(500)
)
create index ix_vt_b_khbmk_vip_pay_card_id on vt_b_khbmk_vip_pay(card_id)
create index ix_vt_b_khbmk_vip_pay_kh_id on vt_b_khbmk_vip_pay(kh_id)
create index ix_vt_b_khbmk_vip_pay_bizid on vt_b_khbmk_vip_pay(orgid, bizid)

-- Suppliers and outside processors.
create table vt_b_gysbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  fullname varchar(200),
  lxr varchar(50),
  tel varchar(50),
  addr varchar(200),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_gysbmk_orgid_code on vt_b_gysbmk(orgid, code)

-- Service items. `jjfs` "是" = priced by area (amount divided by `k`), "否" = by piece;
-- `minje` "1" = the line amount is at least one unit price ("0" otherwise);
-- `jxbl` performance share in percent, `scjf` production points per unit.
create table vt_b_xmbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  itemno varchar(100),
  baseunit varchar(20),
  p1 int default 0,
  p2 int default 0,
  price_sale money default 0,
  price_in money default 0,
  minje varchar(10) default '0',
  jjfs varchar(10) default '否',
  k float default 1,
  jxbl float default 0,
  scjf float default 0,
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_xmbmk_orgid_code on vt_b_xmbmk(orgid, code)

-- Quantity tiers of a service item: `dj` applies for from_sl <= quantity <= to_sl.
create table vt_b_xmbmk_jtdj (
  id int identity(1,1) primary key,
  orgid varchar(20),
  xm_id int not null,
  from_sl float default 0,
  to_sl float default 0,
  dj money default 0
)
create index ix_vt_b_xmbmk_jtdj_xm_id on vt_b_xmbmk_jtdj(xm_id)

-- Consumables drawn per unit of a service item.
create table vt_b_xmbmk_hc (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  xm_id int not null,
  sp_id int not null,
  sl float default 1
)
create index ix_vt_b_xmbmk_hc_xm_id on vt_b_xmbmk_hc(xm_id)

-- Frequently used items of an outlet (the ad-hoc counter sale's list).
create table vt_b_xmbmk_quick (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  ck_id int not null,
  xm_id int not null
)
create index ix_vt_b_xmbmk_quick_ck on vt_b_xmbmk_quick(orgid, ck_id)

-- Customer agreement prices and member-level prices of service items.
create table vt_b_khxyj (
  id int identity(1,1) primary key,
  orgid varchar(20),
  kh_id int not null,
  xm_id int not null,
  dj money default 0
)
create index ix_vt_b_khxyj_kh_xm on vt_b_khxyj(kh_id, xm_id)

create table vt_b_vipxyj (
  id int identity(1,1) primary key,
  orgid varchar(20),
  vip_id int not null,
  xm_id int not null,
  dj money default 0
)
create index ix_vt_b_vipxyj_vip_xm on vt_b_vipxyj(vip_id, xm_id)

-- Goods. `pricein` purchase price, `pricesale` sale price.
create table vt_b_spbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  itemno varchar(100),
  baseunit varchar(20),
  p1 int default 0,
  p2 int default 0,
  pricein money default 0,
  pricesale money default 0,
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500),
  createtime datetime default getdate()
)
create index ix_vt_b_spbmk_orgid_code on vt_b_spbmk(orgid, code)

-- Settlement accounts (list "zh") and payment methods. The program relies on the
-- payment method codes "01" cash settlement, "02" reduction, "03" member card.
create table vt_b_zhbmk (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500)
)

create table vt_b_jsfs (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0,
  remark varchar(500)
)

-- Small lists behind the editors' lookup boxes: delivery methods ("shfs"), receiving
-- departments ("flow"), inbound and outbound types ("rklx", "cklx"), income and
-- expense categories, invoicing companies ("comp") and standard production
-- requirements (the "制作要求查询" lookup).
create table vt_b_shfs (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)

create table vt_b_flow (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  isdel bit default 0
)

create table vt_b_rklx (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  isdel bit default 0
)

create table vt_b_cklx (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  isdel bit default 0
)

create table vt_b_srlb (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)

create table vt_b_fylb (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(100),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)

create table vt_b_comp (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(200),
  shuihao varchar(50),
  addr varchar(200),
  tel varchar(50),
  bank varchar(200),
  isort int default 0,
  version int default 0,
  isdel bit default 0
)
create index ix_vt_b_comp_orgid_code on vt_b_comp(orgid, code)

create table vt_b_zzyq (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  code varchar(50),
  name varchar(500),
  isort int default 0,
  isdel bit default 0
)

commit tran
