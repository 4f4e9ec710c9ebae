// A goods bill session for the tests: the whole schema on an in-memory embedded
// database, a little master data whose prices the tests reason about, a host with a
// scripted Ui and the goods bills registered, and helpers that drive an editor the
// way a clerk does (new bill, pick supplier and goods, type into a line, save, audit).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bill_session.h"
#include "plugs/coreapp/qtck/qtck_form.h"
#include "plugs/coreapp/qtck/qtrk_form.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "plugs/coreapp/spjh/spjh_form.h"
#include "plugs/coreapp/sppd/sppd_form.h"
#include "plugs/coreapp/spsy/spsy_form.h"
#include "plugs/coreapp/sptj/sptj_form.h"
#include "plugs/coreapp/spyk/spyk_form.h"

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

  using Cells = std::vector<std::pair<const char*, core::Value>>;

  //! A saved bill of type `Form` with a line per goods id, `lines[i]` typed into line i
  //! and `master` into the header.
  template <class Form>
  std::unique_ptr<Form> savedBill(const char* code, const std::vector<int>& goods, const std::vector<Cells>& lines,
                                  const Cells& master = {}) {
    auto form = openEditor<Form>(code);
    startBill(*form, goods);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      form->cdsDetail.setRecNo(static_cast<int>(i) + 1);
      for (const auto& [field, value] : lines[i]) type(*form, field, value);
      form->cdsDetail.post();
    }
    if (!master.empty() && form->cdsMaster.state() == dataset::DataSetState::Browse) form->cdsMaster.edit();
    for (const auto& [field, value] : master) form->cdsMaster.fieldByName(field).setValue(value);
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  void audit(host::TBaseBillEditRibbonForm& form, const char* action = "actAudit") {
    ASSERT_EQ(form.clickAction(action), host::Outcome::Done) << lastEvent();
  }
  void unaudit(host::TBaseBillEditRibbonForm& form) { audit(form, "actAudit_0"); }

  //! Stock of goods 1 in store `ck` from vt_v_spkc as "quantity|value|average cost"
  //! (all 0 without a row).
  std::string stock(int ck = 1) {
    const auto r = query("select kcsl, kcje, cbj from vt_v_spkc where orgid = '0001' and sp_id = 1 and ck_id = " +
                         std::to_string(ck));
    if (r.empty()) return "0|0|0";
    return core::Value(r[0][0].asFloat()).asText() + "|" + r[0][1].asCurrency().toString() + "|" +
           core::Value(r[0][2].asFloat()).asText();
  }

  //! Book stock rows "(orgid, ck_id, sp_id, kcsl, kcje), ..." written straight in.
  void holdStock(const std::string& values) {
    EXPECT_TRUE(conn.execBatch("insert into vt_c_spkc(orgid, ck_id, sp_id, kcsl, kcje) values " + values).ok());
  }

  //! Makes the numbering procedure hand out no number, so every numbered batch fails.
  void breakNumbering() {
    ASSERT_TRUE(conn.execBatch("drop procedure sp_sys_genbillno").ok());
    ASSERT_TRUE(conn.execBatch("create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), "
                               "@tag varchar(20), @ck_id int, @billno varchar(50) output as begin set @billno = null end")
                    .ok());
  }
};

}  // namespace stock_test
