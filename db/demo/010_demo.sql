-- Demo master data for `coreapp db init --demo`: one branch ('0001') of a print and
-- sign shop with two stores, staff, customers of each price type (one with a member
-- card, password 123456), suppliers, service items (area-priced banners with k and a
-- minimum charge, business cards with quantity tiers, per-piece services), goods with
-- prices and opening stock, accounts and the lists the editors offer.
-- Runs on a fresh database, so identities start at 1: the first employee (王敏, code
-- '001') gets id 1, the first store id 1, which is what the demo login uses.

-- One transaction for the whole file: one commit instead of one per statement.
begin tran

declare @org varchar(20)
set @org = '0001'

insert into vt_sys_org(orgid, name, addr, tel)
  values (@org, '鑫彩图文广告有限公司', '杭州市上城区人民路128号', '0571-86886688')

-- Stores: the main store gets its default customer (零售散客) once customers exist.
insert into vt_b_ckbmk(orgid, code, name, addr, tel, isort) values (@org, '01', '人民路总店', '杭州市上城区人民路128号', '0571-86886688', 2)
insert into vt_b_ckbmk(orgid, code, name, addr, tel, isort) values (@org, '02', '滨江分店', '杭州市滨江区江南大道566号', '0571-86886699', 1)

declare @ck1 int
declare @ck2 int
select @ck1 = id from vt_b_ckbmk where orgid = @org and code = '01'
select @ck2 = id from vt_b_ckbmk where orgid = @org and code = '02'

-- Receiving departments, delivery methods, accounts, payment methods, stock types,
-- income and expense categories, invoicing company, production requirements.
insert into vt_b_flow(orgid, code, name, isort) values (@org, '01', '前台接待', 3)
insert into vt_b_flow(orgid, code, name, isort) values (@org, '02', '设计部', 2)
insert into vt_b_flow(orgid, code, name, isort) values (@org, '03', '大客户部', 1)

insert into vt_b_shfs(orgid, code, name, isort) values (@org, '01', '门店自提', 3)
insert into vt_b_shfs(orgid, code, name, isort) values (@org, '02', '送货上门', 2)
insert into vt_b_shfs(orgid, code, name, isort) values (@org, '03', '快递发货', 1)

insert into vt_b_zhbmk(orgid, code, name, isort) values (@org, '01', '现金', 4)
insert into vt_b_zhbmk(orgid, code, name, isort) values (@org, '02', '工商银行基本户', 3)
insert into vt_b_zhbmk(orgid, code, name, isort) values (@org, '03', '微信收款', 2)
insert into vt_b_zhbmk(orgid, code, name, isort) values (@org, '04', '支付宝收款', 1)

insert into vt_b_jsfs(orgid, code, name, isort) values (@org, '01', '现结', 3)
insert into vt_b_jsfs(orgid, code, name, isort) values (@org, '02', '减免', 2)
insert into vt_b_jsfs(orgid, code, name, isort) values (@org, '03', '会员卡', 1)

insert into vt_b_rklx(orgid, code, name) values (@org, '01', '采购入库')
insert into vt_b_rklx(orgid, code, name) values (@org, '02', '退货入库')
insert into vt_b_rklx(orgid, code, name) values (@org, '03', '其它入库')
insert into vt_b_cklx(orgid, code, name) values (@org, '01', '销售出库')
insert into vt_b_cklx(orgid, code, name) values (@org, '02', '生产领用')
insert into vt_b_cklx(orgid, code, name) values (@org, '03', '其它出库')

insert into vt_b_srlb(orgid, code, name) values (@org, '01', '场地租金收入')
insert into vt_b_srlb(orgid, code, name) values (@org, '02', '废品回收收入')
insert into vt_b_srlb(orgid, code, name) values (@org, '03', '其它收入')
insert into vt_b_fylb(orgid, code, name) values (@org, '01', '房租')
insert into vt_b_fylb(orgid, code, name) values (@org, '02', '水电费')
insert into vt_b_fylb(orgid, code, name) values (@org, '03', '办公用品')
insert into vt_b_fylb(orgid, code, name) values (@org, '04', '运输费')
insert into vt_b_fylb(orgid, code, name) values (@org, '05', '材料费（现金采购）')

insert into vt_b_comp(orgid, code, name, shuihao, addr, tel, bank)
  values (@org, '01', '鑫彩图文广告有限公司', '91330102MA27XC8K5Q', '杭州市上城区人民路128号',
          '0571-86886688', '工商银行杭州人民路支行 1202020109900012345')

insert into vt_b_zzyq(orgid, code, name) values (@org, '01', '四边留出血3mm，四角打扣眼')
insert into vt_b_zzyq(orgid, code, name) values (@org, '02', '表面覆亮膜')
insert into vt_b_zzyq(orgid, code, name) values (@org, '03', '双面印刷，覆哑膜，裁切后装盒')
insert into vt_b_zzyq(orgid, code, name) values (@org, '04', '按客户提供文件打印，不改稿')

declare @flow1 int
declare @flow2 int
declare @flow3 int
select @flow1 = id from vt_b_flow where orgid = @org and code = '01'
select @flow2 = id from vt_b_flow where orgid = @org and code = '02'
select @flow3 = id from vt_b_flow where orgid = @org and code = '03'

-- Employees; 王敏 (id 1) is the demo operator.
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '001', '王敏', @ck1, @flow1, '13957100001')
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '002', '李强', @ck1, @flow2, '13957100002')
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '003', '张丽', @ck1, @flow2, '13957100003')
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '004', '陈刚', @ck1, @flow3, '13957100004')
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '005', '刘洋', @ck2, @flow1, '13957100005')
insert into vt_b_ygbmk(orgid, code, name, ck_id, flow_id, tel) values (@org, '006', '赵静', @ck2, @flow2, '13957100006')

-- Rights: the counter and the office may do everything; production staff (李强, 张丽)
-- open the order list, process orders and print them.
insert into vt_sys_user_rights(orgid, czy_id, rightcode)
  select @org, id, '*' from vt_b_ygbmk where orgid = @org and code in ('001', '004', '005', '006')
insert into vt_sys_user_rights(orgid, czy_id, rightcode)
  select @org, e.id, r.code from vt_b_ygbmk e
  cross join (select '1100' as code union all select '1100_06' union all select '1101'
              union all select '1101_02' union all select '1101_06') r
  where e.orgid = @org and e.code in ('002', '003')

-- Sign-in: every demo operator's password is 123456, kept as its salted slow hash (one
-- salt each, made once for this file).
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$9d141690cc38032a95474f5b0663e773$b4cce61b6f3e32b51441a364c759cd4320e41044ce60c7d26f6a4a62324c1735' from vt_b_ygbmk where orgid = @org and code = '001'
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$eb5526a8ec49eef66ec3d5637d83f7cc$26998983a7cb436d70f6476966c08de1060b1d9e7311caf1df0408ad9ea1bec4' from vt_b_ygbmk where orgid = @org and code = '002'
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$5db8b88ad0e32192e8e018013cd0a1ea$130d7a50fa179589fb6d44b98146d0abcaa010c4f5543d3f6378d7da9f15e7af' from vt_b_ygbmk where orgid = @org and code = '003'
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$2480ec3c12e95e4485d621f3add04ef1$3070f92318048d24928954b7b5374fe6199e86f373789d6e0c75a03f3ac44b04' from vt_b_ygbmk where orgid = @org and code = '004'
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$38fabd2a8ed94d7be5088624205f5c02$e167544b1ae73ff13c57464e65b310b00e1b156f2501c1c0392ff0c6cf0cc877' from vt_b_ygbmk where orgid = @org and code = '005'
insert into vt_sys_user_login(orgid, czy_id, pwdhash)
  select @org, id, 'pbkdf2-sha256$600000$e5fead8ee8269deb51356d904336f085$6f19315440a951d3324bc4a6ff528293d5537c43a55cb9c03638fef131ad2496' from vt_b_ygbmk where orgid = @org and code = '006'

declare @ywy int
select @ywy = id from vt_b_ygbmk where orgid = @org and code = '004'

-- Categories: first level for items and goods, second level under 喷绘写真.
insert into vt_b_category(orgid, code, name, kind, isort) values (@org, '01', '喷绘写真', 'xm', 4)
insert into vt_b_category(orgid, code, name, kind, isort) values (@org, '02', '印刷品', 'xm', 3)
insert into vt_b_category(orgid, code, name, kind, isort) values (@org, '03', '后期加工', 'xm', 2)
insert into vt_b_category(orgid, code, name, kind, isort) values (@org, '04', '设计服务', 'xm', 1)
insert into vt_b_category(orgid, code, name, kind, isort) values (@org, '11', '生产耗材', 'sp', 0)

declare @c01 int
declare @c02 int
declare @c03 int
declare @c04 int
declare @c11 int
select @c01 = id from vt_b_category where orgid = @org and code = '01'
select @c02 = id from vt_b_category where orgid = @org and code = '02'
select @c03 = id from vt_b_category where orgid = @org and code = '03'
select @c04 = id from vt_b_category where orgid = @org and code = '04'
select @c11 = id from vt_b_category where orgid = @org and code = '11'

insert into vt_b_category(orgid, code, name, kind, parent_id) values (@org, '0101', '户外喷绘', 'xm', @c01)
insert into vt_b_category(orgid, code, name, kind, parent_id) values (@org, '0102', '室内写真', 'xm', @c01)
declare @c0101 int
declare @c0102 int
select @c0101 = id from vt_b_category where orgid = @org and code = '0101'
select @c0102 = id from vt_b_category where orgid = @org and code = '0102'

-- Service items. Sizes are typed in centimetres, so area-priced items divide by
-- k = 10000 to price per square metre; minje '1' = never less than one unit price.
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM001', '户外喷绘横幅', '外光布440g', '平方米', @c01, @c0101, 15, 8, '1', '是', 10000, 5, 1)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM002', '室内写真海报', 'PP背胶', '平方米', @c01, @c0102, 35, 18, '1', '是', 10000, 5, 1)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM003', '名片印刷', '300g铜版纸 90×54mm 100张/盒', '盒', @c02, 0, 30, 12, '0', '否', 1, 10, 2)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM004', '过塑', 'A4 7丝', '张', @c03, 0, 2, 0.8, '0', '否', 1, 5, 0.2)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM005', '平面设计', '单页/单面', '款', @c04, 0, 80, 0, '0', '否', 1, 20, 5)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM006', 'KT板展板', '5mm KT板 覆膜', '平方米', @c03, 0, 60, 30, '1', '是', 10000, 8, 2)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, p1, p2, price_sale, price_in, minje, jjfs, k, jxbl, scjf)
  values (@org, 'XM007', '宣传单页印刷', '157g铜版纸 A4双面 1000张', '千张', @c02, 0, 260, 150, '0', '否', 1, 8, 3)

declare @xm1 int
declare @xm2 int
declare @xm3 int
declare @xm4 int
declare @xm5 int
declare @xm6 int
declare @xm7 int
select @xm1 = id from vt_b_xmbmk where orgid = @org and code = 'XM001'
select @xm2 = id from vt_b_xmbmk where orgid = @org and code = 'XM002'
select @xm3 = id from vt_b_xmbmk where orgid = @org and code = 'XM003'
select @xm4 = id from vt_b_xmbmk where orgid = @org and code = 'XM004'
select @xm5 = id from vt_b_xmbmk where orgid = @org and code = 'XM005'
select @xm6 = id from vt_b_xmbmk where orgid = @org and code = 'XM006'
select @xm7 = id from vt_b_xmbmk where orgid = @org and code = 'XM007'

-- Quantity tiers: business cards by the box, leaflets by the thousand.
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values (@org, @xm3, 1, 4, 30)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values (@org, @xm3, 5, 9, 25)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values (@org, @xm3, 10, 999999, 20)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values (@org, @xm7, 1, 4, 260)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values (@org, @xm7, 5, 999999, 220)

-- Goods.
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP001', '外光喷绘布', '3.2m×50m 440g', '卷', @c11, 450, 650)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP002', 'PP背胶写真纸', '1.27m×50m', '卷', @c11, 220, 320)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP003', '300g铜版纸', '787×1092mm', '张', @c11, 1.2, 2)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP004', 'A4过塑膜', '7丝 100张/包', '包', @c11, 18, 28)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP005', 'KT板', '5mm 1.2m×2.4m', '张', @c11, 25, 40)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, p1, pricein, pricesale)
  values (@org, 'SP006', 'UV墨水', '1L 青色', '瓶', @c11, 160, 220)

declare @sp1 int
declare @sp2 int
declare @sp3 int
declare @sp4 int
declare @sp5 int
declare @sp6 int
select @sp1 = id from vt_b_spbmk where orgid = @org and code = 'SP001'
select @sp2 = id from vt_b_spbmk where orgid = @org and code = 'SP002'
select @sp3 = id from vt_b_spbmk where orgid = @org and code = 'SP003'
select @sp4 = id from vt_b_spbmk where orgid = @org and code = 'SP004'
select @sp5 = id from vt_b_spbmk where orgid = @org and code = 'SP005'
select @sp6 = id from vt_b_spbmk where orgid = @org and code = 'SP006'

-- Consumables per unit of an item (a box of cards takes 4 sheets of card stock, one
-- laminated sheet 1/100 of a pack of film, one display board one KT board).
insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id, sl) values (@org, @xm3, @sp3, 4)
insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id, sl) values (@org, @xm4, @sp4, 0.01)
insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id, sl) values (@org, @xm6, @sp5, 1)

-- Frequently used items of each store (the ad-hoc counter sale).
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck1, @xm3)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck1, @xm4)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck1, @xm2)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck1, @xm5)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck2, @xm3)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values (@org, @ck2, @xm4)

-- Member levels and their prices.
insert into vt_b_vipdj(orgid, code, name, isort) values (@org, '01', '普通会员', 1)
insert into vt_b_vipdj(orgid, code, name, isort) values (@org, '02', '金卡会员', 2)
declare @vip1 int
declare @vip2 int
select @vip1 = id from vt_b_vipdj where orgid = @org and code = '01'
select @vip2 = id from vt_b_vipdj where orgid = @org and code = '02'

insert into vt_b_vipxyj(orgid, vip_id, xm_id, dj) values (@org, @vip1, @xm1, 14)
insert into vt_b_vipxyj(orgid, vip_id, xm_id, dj) values (@org, @vip2, @xm1, 13)
insert into vt_b_vipxyj(orgid, vip_id, xm_id, dj) values (@org, @vip2, @xm2, 30)
insert into vt_b_vipxyj(orgid, vip_id, xm_id, dj) values (@org, @vip2, @xm5, 60)

-- Customers: walk-in (store default), two on agreement prices, two on member levels.
insert into vt_b_khbmk(orgid, code, name, fullname, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C000', '零售散客', '零售散客', '协议价', 0, '现结', 0, '', '', '')
insert into vt_b_khbmk(orgid, code, name, fullname, shuihao, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C001', '华宇地产', '杭州华宇房地产开发有限公司', '91330108MA28A1B2C3', '协议价', 0, '签单', @ywy,
          '刘建国', '13805710001', '杭州市滨江区江南大道88号华宇大厦')
insert into vt_b_khbmk(orgid, code, name, fullname, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C002', '蓝天教育', '杭州蓝天教育培训学校', '会员等级', @vip2, '预存', @ywy,
          '孙丽华', '13905710003', '杭州市上城区解放路36号')
insert into vt_b_khbmk(orgid, code, name, fullname, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C003', '张先生', '张伟', '会员等级', @vip1, '现结', 0,
          '张伟', '13605710004', '杭州市西湖区文三路100号')
insert into vt_b_khbmk(orgid, code, name, fullname, xyjlx, vip_id, khlx, ywy_id, lxr, tel, addr)
  values (@org, 'C004', '美味轩餐饮', '杭州美味轩餐饮管理有限公司', '协议价', 0, '现结', 1,
          '吴晓东', '13705710005', '杭州市上城区河坊街218号')

declare @kh0 int
declare @kh1 int
declare @kh2 int
declare @kh3 int
declare @kh4 int
select @kh0 = id from vt_b_khbmk where orgid = @org and code = 'C000'
select @kh1 = id from vt_b_khbmk where orgid = @org and code = 'C001'
select @kh2 = id from vt_b_khbmk where orgid = @org and code = 'C002'
select @kh3 = id from vt_b_khbmk where orgid = @org and code = 'C003'
select @kh4 = id from vt_b_khbmk where orgid = @org and code = 'C004'

update vt_b_ckbmk set kh_id = @kh0 where id = @ck1

-- Agreement prices.
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values (@org, @kh1, @xm1, 12)
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values (@org, @kh1, @xm6, 50)
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values (@org, @kh4, @xm2, 30)
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values (@org, @kh4, @xm7, 230)

-- Contacts (one default per customer; 华宇地产 has a second one).
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef)
  values (@org, @kh1, '刘建国', '13805710001', '280011001', '杭州市滨江区江南大道88号华宇大厦', 1)
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef)
  values (@org, @kh1, '周婷', '13805710002', '280011002', '杭州市滨江区江南大道88号华宇大厦12楼', 0)
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef)
  values (@org, @kh2, '孙丽华', '13905710003', '350022003', '杭州市上城区解放路36号', 1)
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef)
  values (@org, @kh3, '张伟', '13605710004', '', '杭州市西湖区文三路100号', 1)
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef)
  values (@org, @kh4, '吴晓东', '13705710005', '470033005', '杭州市上城区河坊街218号', 1)

-- Member card of 蓝天教育: password 123456 (MD5 of its GBK bytes), topped up with 1000.
insert into vt_b_khbmk_vip(orgid, code, name, kh_id, vip_id, pwd)
  values (@org, 'VIP0001', '蓝天教育金卡', @kh2, @vip2, 'e10adc3949ba59abbe56e057f20f883e')
declare @card int
select @card = id from vt_b_khbmk_vip where orgid = @org and code = 'VIP0001'
update vt_b_khbmk set card_id = @card where id = @kh2
insert into vt_b_khbmk_vip_pay(orgid, ck_id, kh_id, card_id, czy_id, biztype, bizid, incje, decje, remark)
  values (@org, @ck1, @kh2, @card, 1, '充值', 0, 1000, 0, '开卡充值')

-- Suppliers (the first one takes outsourced printing).
insert into vt_b_gysbmk(orgid, code, name, fullname, lxr, tel, addr)
  values (@org, 'G001', '彩虹写真输出', '杭州彩虹写真输出中心', '钱多多', '13588810001', '杭州市拱墅区湖墅南路50号')
insert into vt_b_gysbmk(orgid, code, name, fullname, lxr, tel, addr)
  values (@org, 'G002', '宏达纸业', '浙江宏达纸业有限公司', '黄海波', '13588810002', '杭州市萧山区经济开发区建设二路9号')
insert into vt_b_gysbmk(orgid, code, name, fullname, lxr, tel, addr)
  values (@org, 'G003', '天彩耗材', '杭州天彩广告耗材有限公司', '林志远', '13588810003', '杭州市余杭区临平大道17号')

-- Opening stock (quantity and value) in both stores.
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp1, 5, 2250)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp2, 4, 880)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp3, 2000, 2400)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp4, 30, 540)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp5, 40, 1000)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck1, @sp6, 6, 960)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck2, @sp3, 500, 600)
insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values (@org, @ck2, @sp4, 10, 180)
-- The opening stock is the journal's first movement, so stock on hand is always the
-- sum of the journal (what `coreapp db check` compares).
insert into vt_c_spls(orgid, category, billno, ck_id, sp_id, sl, je)
  select orgid, '期初', '期初', ck_id, sp_id, kcsl, kcje from vt_c_spkc where orgid = @org

-- A completed order of 华宇地产, nothing shipped yet: its lines can be sent out to
-- 彩虹写真输出 on an outsourced order and shipped on a shipment bill. Its date, number
-- and keys are fixed, so the demo database is the same whatever day it is made (the
-- number is that day's first, which the numbering can no longer issue).
declare @demoday datetime
declare @demono varchar(50)
set @demoday = '2026-10-20 09:30:00'
set @demono = 'A1100' + convert(varchar(8), @demoday, 112) + '0001'
insert into vt_x_xmzzk(uid, orgid, billno, billdate, kh_id, khlx, lxr, tel, addr, jhrq, shfs_id, ck_id, kdr_id,
                       ywy_id, gcxmmc, zy, hjje, status, zfflag)
  values ('D0C0A001-0000-4000-8000-000000000001', @org, @demono, @demoday, @kh1, '签单', '刘建国', '13805710001', '杭州市滨江区江南大道88号华宇大厦',
          @demoday, 0, @ck1, 1, @ywy, '华宇·江南府开盘物料', '开盘活动物料', 530.8, 2, 0)
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, fhsl_ok, gcxmmc, beizhu)
  values ('D0C0A001-0000-4000-8000-000000000101', @org, @demono, @xm1, 2, 1, 300, 90, 10000, 12, 12, 1, 64.8, 0, '开盘横幅.cdr', '两端打扣眼')
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, fhsl_ok, gcxmmc, beizhu)
  values ('D0C0A001-0000-4000-8000-000000000102', @org, @demono, @xm6, 4, 1, 120, 90, 10000, 50, 50, 1, 216, 0, '沙盘展板.ai', '')
insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl, n, x, y, k, old_dj, dj, zk, je, fhsl_ok, gcxmmc, beizhu)
  values ('D0C0A001-0000-4000-8000-000000000103', @org, @demono, @xm3, 5, 2, 1, 1, 1, 25, 25, 1, 250, 0, '置业顾问名片.pdf', '两位顾问各5盒')

-- Host settings of the branch.
insert into vt_sys_config(orgid, code, value, remark) values (@org, 'zidongchuku', '1', '添加项目时自动带出生产耗材')
insert into vt_sys_config(orgid, code, value, remark) values (@org, 'jiaohuoriqi', '3', '默认交货天数')
insert into vt_sys_config(orgid, code, value, remark) values (@org, 'lxrzxuanze', '0', '选择客户后选择联系人')

commit tran
