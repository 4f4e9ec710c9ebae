// A project order session for the tests: the whole schema on an in-memory embedded
// database, a small set of master data whose prices the tests reason about, a host
// with a scripted Ui, the host's lookup plugs and plug 1100, and an open order editor.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bill_session.h"
#include "core/date_time.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"

namespace xmzzk_test {

using Texts = std::vector<std::string>;

// Ids are the identity values of a fresh database, in insert order.
//   customers: 1 C001 agreement prices, 2 C002 member level 1, 3 C003 member level 2
//   items:     1 XM001 area (是, k 1) list 20, agreement 18 for C001, level-1 price 16
//              2 XM002 size ignored (否) list 30, tiers 1-4 28, 5-9 25, 10+ 20,
//                agreement 27 for C001 (the tier wins)
//              3 XM003 minimum charge, list 50
//              4 XM004 area with k 1000, list 500, consumable SP001 0.5 per unit
//   employees: 1 王敏 (the operator), 2 李强, 3 张丽
inline const char* kMasterData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_shfs(orgid, code, name, isort) values ('0001', '01', '门店自提', 1)
insert into vt_b_flow(orgid, code, name, isort) values ('0001', '01', '前台接待', 1)
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '002', '李强')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '003', '张丽')
insert into vt_b_khbmk(orgid, code, name, xyjlx, vip_id, khlx, ywy_id) values ('0001', 'C001', '星光广告', '协议价', 0, '签单', 2)
insert into vt_b_khbmk(orgid, code, name, xyjlx, vip_id, khlx) values ('0001', 'C002', '蓝天会员', '会员等级', 1, '现结')
insert into vt_b_khbmk(orgid, code, name, xyjlx, vip_id, khlx) values ('0001', 'C003', '白云会员', '会员等级', 2, '现结')
insert into vt_b_khbmk_lxr(orgid, kh_id, contact, phone, qq, addr, isdef) values ('0001', 1, '周经理', '13800000001', '10001', '文三路1号', 1)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_sale, price_in, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM001', '写真', '户内', '平方', 20, 8, '0', '是', 1, 10, 2)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_sale, price_in, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM002', '名片', '300g', '盒', 30, 10, '0', '否', 1, 20, 1)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_sale, price_in, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM003', '设计', '', '项', 50, 0, '1', '否', 1, 50, 5)
insert into vt_b_xmbmk(orgid, code, name, itemno, baseunit, price_sale, price_in, minje, jjfs, k, jxbl, scjf) values ('0001', 'XM004', '喷绘', '外光', '平方', 500, 100, '0', '是', 1000, 10, 1)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 2, 1, 4, 28)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 2, 5, 9, 25)
insert into vt_b_xmbmk_jtdj(orgid, xm_id, from_sl, to_sl, dj) values ('0001', 2, 10, 999999, 20)
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values ('0001', 1, 1, 18)
insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values ('0001', 1, 2, 27)
insert into vt_b_vipxyj(orgid, vip_id, xm_id, dj) values ('0001', 1, 1, 16)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, pricein, pricesale) values ('0001', 'SP001', '喷绘布', '3.2m', '平方', 3, 6)
insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id, sl) values ('0001', 4, 1, 0.5)
)sql";

class OrderSession : public bill_test::BillSession {
 protected:
  OrderSession() : BillSession(kMasterData) {
    host.settings = {{"zidongchuku", "1"}, {"jiaohuoriqi", "3"}, {"lxrzxuanze", "0"}};
    registerOnce("1100", plugs::coreapp::xmzzk::registerXmzzkForm);
  }

  //! Opens a new editor page on bill `billno` ("" = none).
  std::unique_ptr<plugs::coreapp::xmzzk::TxmzzkForm> openEditor(const std::string& billno = "") {
    return BillSession::openEditor<plugs::coreapp::xmzzk::TxmzzkForm>("1100", billno);
  }

  //! Rows of a query (last result set); fails the test when the query fails.
  std::vector<std::vector<core::Value>> rows(const std::string& sql) { return query(sql); }

  //! Every cell a query returns, row by row, as text (money in its shortest exact form).
  std::vector<std::string> cells(const std::string& sql) {
    std::vector<std::string> out;
    for (const auto& row : query(sql))
      for (const core::Value& v : row) out.push_back(v.asText());
    return out;
  }

  //! One field of every row of `ds` in order, as text; the current row stays current.
  static std::vector<std::string> column(dataset::ClientDataSet& ds, const char* name) {
    std::vector<std::string> out;
    const int current = ds.recNo();
    for (ds.first(); !ds.eof(); ds.next()) out.push_back(ds.fieldByName(name).asString());
    if (current > 0) ds.setRecNo(current);
    return out;
  }

  //! Fields of the current row of `ds`, as text.
  static std::vector<std::string> fields(const dataset::ClientDataSet& ds,
                                         std::initializer_list<const char*> names) {
    std::vector<std::string> out;
    for (const char* name : names) out.push_back(ds.fieldByName(name).asString());
    return out;
  }

  //! The last transcript event of a kind ("print", "lookup", ...); "" when there is none.
  std::string lastOf(const std::string& kind) const {
    const std::string tag = "\"event\":\"" + kind + "\"";
    const auto& t = ui.transcript();
    const auto it = std::find_if(t.rbegin(), t.rend(), [&](const std::string& e) {
      return e.find(tag) != std::string::npos;
    });
    return it == t.rend() ? "" : *it;
  }

  //! A field of the current row, as money, number or text.
  static core::Currency money(const dataset::ClientDataSet& ds, const char* field) {
    return ds.fieldByName(field).asCurrency();
  }
  static double number(const dataset::ClientDataSet& ds, const char* field) {
    return ds.fieldByName(field).asFloat();
  }
  static std::string text(const dataset::ClientDataSet& ds, const char* field) {
    return ds.fieldByName(field).asString();
  }

  //! Sets a field of the current row, putting the dataset in edit first when it browses.
  static void setField(dataset::ClientDataSet& ds, const char* field, const core::Value& v) {
    if (ds.state() == dataset::DataSetState::Browse) ds.edit();
    ds.fieldByName(field).setValue(v);
  }
};

}  // namespace xmzzk_test
