// A goods bill session for the tests: the whole schema on an in-memory embedded
// database, a little master data whose prices the tests reason about, a host with a
// scripted Ui and the goods bills registered, and helpers that drive an editor the
// way a clerk does (new bill, pick supplier and goods, type into a line, save, audit).
#pragma once

#include <gtest/gtest.h>

#include "bill_session.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "host/forms/bill_config.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/qtck/qtck_form.h"
#include "plugs/coreapp/qtck/qtrk_form.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "plugs/coreapp/spjh/spjh_form.h"
#include "plugs/coreapp/sppd/sppd_form.h"
#include "plugs/coreapp/spsy/spsy_form.h"
#include "plugs/coreapp/sptj/sptj_form.h"
#include "plugs/coreapp/spyk/spyk_form.h"
#include "schema/schema_script.h"

namespace stock_test {

// Ids are the identity values of a fresh database, in insert order.
//   store 1 总店, store 2 分店; employee 1 王敏; supplier 1 S001; customer 1 C001
//   goods 1 SP001 in 12.5 / sale 8, 2 SP002 in 2.5 / sale 4, 3 SP003 in 3.3333 / sale 5
inline const char* kMasterData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C02', '分店')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_gysbmk(orgid, code, name) values ('0001', 'S001', '华彩纸业')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C001', '星光广告')
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, pricein, pricesale) values ('0001', 'SP001', '铜版纸', 'A4', '包', 12.5, 8)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, pricein, pricesale) values ('0001', 'SP002', '墨盒', 'K1', '个', 2.5, 4)
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, pricein, pricesale) values ('0001', 'SP003', '胶水', '', '瓶', 3.3333, 5)
)sql";

class StockSession : public bill_test::BillSession {
 protected:
  StockSession() : BillSession(kMasterData) {
    registerOnce("1120", &plugs::coreapp::spjh::registerSpjhForm);
    registerOnce("1121", &plugs::coreapp::spch::registerSpchForm);
    registerOnce("1122", &plugs::coreapp::qtck::registerQtrkForm);
    registerOnce("1123", &plugs::coreapp::qtck::registerQtckForm);
    registerOnce("1124", &plugs::coreapp::spyk::registerSpykForm);
    registerOnce("1125", &plugs::coreapp::sptj::registerSptjForm);
    registerOnce("1126", &plugs::coreapp::spsy::registerSpsyForm);
    registerOnce("1127", &plugs::coreapp::sppd::registerSppdForm);
  }

  //! A new bill made out to counterparty 1, with one line per goods id picked.
  void startBill(plugs::coreapp::TStockBillForm& form, const std::vector<int>& goods) {
    ASSERT_EQ(form.clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    if (form.findControl("edtwldw") != nullptr) {
      ui.queueLookup(form.stock.counterparty.lookup, R"([{"id":"1","code":"X001","name":"往来"}])");
      ASSERT_EQ(form.clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    }
    pick(form, goods);
  }

  //! Lines for the goods ids, through the add-line action and the goods lookup.
  void pick(plugs::coreapp::TStockBillForm& form, const std::vector<int>& goods) {
    std::string rows = "[";
    for (int id : goods) {
      const auto found = query("select id, code, name, itemno, baseunit, pricein, pricesale from vt_b_spbmk where id = " +
                               std::to_string(id));
      rows += std::string(rows.size() > 1 ? "," : "") + "{\"id\":\"" + std::to_string(id) + "\",\"code\":\"" +
              found[0][1].asText() + "\",\"name\":\"" + found[0][2].asText() + "\",\"pricein\":\"" +
              found[0][5].asText() + "\",\"pricesale\":\"" + found[0][6].asText() + "\"}";
    }
    ui.queueLookup("商品信息查询", rows + "]");
    ASSERT_EQ(form.clickAction("actDetail_Add"), host::Outcome::Done) << lastEvent();
  }

  //! Types `v` into field `f` of the current line, as a grid cell does.
  static void type(plugs::coreapp::TStockBillForm& form, const char* f, const core::Value& v) {
    if (form.cdsDetail.state() == dataset::DataSetState::Browse) form.cdsDetail.edit();
    form.cdsDetail.fieldByName(f).setValue(v);
  }

  //! Saves; returns the action's outcome.
  host::Outcome save(plugs::coreapp::TStockBillForm& form) { return form.clickAction("actSave"); }
};

}  // namespace stock_test
