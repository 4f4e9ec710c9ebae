// A receipts-and-payments session for the tests: the whole schema in memory, one
// customer with open project orders and sales bills, one supplier with a processing
// order and purchase bills, two accounts, and helpers that drive the receipt or the
// payment as a clerk does: pick the counterparty, add an account line, tick bills in
// the source selector (played by the modal runner), save, audit.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bill_session.h"
#include "plugs/coreapp/gysfk/gysfk_form.h"
#include "plugs/coreapp/khsk/khsk_form.h"
#include "plugs/coreapp/simple_bill/write_off_select_form.h"

namespace write_off_test {

// Ids in insert order. Stores 1 总店, 2 分店, 3 旧店 (deleted); customer 1 C001, 2 C002;
// supplier 1 S001; accounts 1 现金, 2 银行; settlement methods 1 "01" 现金, 2 "02" 减免.
// Customer 1: orders 1 XM001 (1000, completed), 2 XM002 (600, store 2), 3 XM003 (400,
// voided), 4 XM004 (250, deleted store 3); sales bills 1 XH001 (800 + qtfy 20, bcsk
// 100, audited), 2 XH002 (300, draft). Supplier 1: processing order 1 WX001 (700,
// audited), purchase 1 GH001 (1000 - jmje 50 + qtfy 10, bcfk 100, audited).
inline const char* kMasterData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C02', '分店')
insert into vt_b_ckbmk(orgid, code, name, isdel) values ('0001', 'C03', '旧店', 1)
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C001', '星光广告')
insert into vt_b_khbmk(orgid, code, name) values ('0001', 'C002', '蓝天印务')
insert into vt_b_gysbmk(orgid, code, name) values ('0001', 'S001', '华彩纸业')
insert into vt_b_zhbmk(orgid, code, name) values ('0001', '01', '现金')
insert into vt_b_zhbmk(orgid, code, name) values ('0001', '02', '银行')
insert into vt_b_jsfs(orgid, code, name) values ('0001', '01', '现金')
insert into vt_b_jsfs(orgid, code, name) values ('0001', '02', '减免')
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XM001', '2026-11-01', 1, 1, 1000, 2)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XM002', '2026-11-02', 1, 2, 600, 0)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status, zfflag) values ('0001', 'XM003', '2026-11-03', 1, 1, 400, 0, 1)
insert into vt_x_xmzzk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XM004', '2026-11-04', 1, 3, 250, 0)
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, qtfy, bcsk, status) values ('0001', 'XH001', '2026-11-05', 1, 1, 800, 20, 100, 1)
insert into vt_c_spch(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'XH002', '2026-11-06', 1, 1, 300, 0)
insert into vt_x_xmwtk(orgid, billno, billdate, gys_id, ck_id, hjje, status) values ('0001', 'WX001', '2026-11-07', 1, 1, 700, 1)
insert into vt_c_spjh(orgid, billno, billdate, gys_id, ck_id, hjje, jmje, qtfy, bcfk, status) values ('0001', 'GH001', '2026-11-08', 1, 1, 1000, 50, 10, 100, 1)
)sql";

class WriteOffSession : public bill_test::BillSession {
 protected:
  WriteOffSession() : BillSession(kMasterData) {
    registerOnce("1112", &plugs::coreapp::khsk::registerKhskForm);
    registerOnce("1113", &plugs::coreapp::gysfk::registerGysfkForm);
    ui.setModalRunner([this](host::FormModel& form) { return playSelector(form); });
  }

  //! A new bill made out to counterparty 1 with one account line of `je` in account 1.
  void startBill(plugs::coreapp::TWriteOffBillForm& form, const char* je) {
    ASSERT_EQ(form.clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(form.writeOff.counterparty.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
    ASSERT_EQ(form.clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    ASSERT_EQ(accountLine(form, 1, je), host::Outcome::Done) << lastEvent();
  }

  //! A new customer bill (statement, invoice) of plug `code` made out to customer 1.
  template <class Form>
  std::unique_ptr<Form> newCustomerBill(const char* code) {
    auto form = openEditor<Form>(code);
    EXPECT_EQ(form->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    ui.queueLookup(plugs::coreapp::kCustomer.lookup, R"([{"id":"1","code":"C001","name":"往来"}])");
    EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! An audited receipt (or payment) of `je` writing off `writtenOff` of bill `paid`; its number.
  template <class Form>
  std::string auditedMoney(const char* code, const char* je, const char* paid = "", const char* writtenOff = "") {
    auto form = openEditor<Form>(code);
    startBill(*form, je);
    if (*paid != '\0') {
      EXPECT_EQ(pick(*form, {paid}), host::Outcome::Done) << lastEvent();
      EXPECT_EQ(typeWriteOff(*form, paid, writtenOff), host::Outcome::Done) << lastEvent();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
    return form->billno;
  }

  //! Ticks the listed sources (by number) in the next selector and runs `action`.
  host::Outcome pickSources(host::TBaseBillEditRibbonForm& form, std::vector<std::string> numbers,
                            const char* action = "actDetail_Add") {
    picks = std::move(numbers);
    return form.clickAction(action);
  }

  //! Appends an account line and posts it as the grid would.
  host::Outcome accountLine(plugs::coreapp::TWriteOffBillForm& form, int zh_id, const char* je) {
    return form.dispatch([&] {
      form.cdsDetail.append();
      form.cdsDetail.fieldByName("zh_id").setValue(core::Value(zh_id));
      form.cdsDetail.fieldByName("je").setValue(core::Value(std::string(je)));
      form.cdsDetail.post();
    });
  }

  //! Ticks the listed bills (by number) in the next source selector and presses OK.
  host::Outcome pick(plugs::coreapp::TWriteOffBillForm& form, std::vector<std::string> numbers) {
    return pickSources(form, std::move(numbers), "acthxmx_Add");
  }

  //! Types `text` into `hxje` of the write-off line of bill `hxbillno` and posts it.
  host::Outcome typeWriteOff(plugs::coreapp::TWriteOffBillForm& form, const char* hxbillno, const std::string& text) {
    return form.dispatch([&] {
      EXPECT_TRUE(form.cdshxmx.locate("hxbillno", core::Value(std::string(hxbillno))));
      form.cdshxmx.edit();
      form.cdshxmx.fieldByName("hxje").setValue(core::Value(text));
      form.cdshxmx.post();
    });
  }

  host::Outcome save(host::TBaseBillEditRibbonForm& form) { return form.clickAction("actSave"); }

  std::vector<std::string> picks;  //!< bills the next selector ticks
  //! Runs inside a shown selector instead of ticking `picks` (when set).
  std::function<int(plugs::coreapp::TWriteOffSelectForm&)> onSelector;
  //! Plays any other modal dialog (cancelled when unset).
  std::function<int(host::FormModel&)> onOtherDialog;
  std::vector<std::string> listed;  //!< bills the last selector listed, by number

 private:
  // Lists every store's bills, ticks `picks` and presses OK.
  int playSelector(host::FormModel& form) {
    auto* selector = dynamic_cast<plugs::coreapp::TWriteOffSelectForm*>(&form);
    if (selector == nullptr) return onOtherDialog ? onOtherDialog(form) : host::mrCancel;
    if (onSelector) return onSelector(*selector);
    selector->control("cbck").text.clear();
    selector->clickAction("cxButton3");
    // Bills are listed by hxbillno; receipts to invoice by bizbillno.
    const char* number = selector->cdsResult.findField("hxbillno") != nullptr ? "hxbillno" : "bizbillno";
    listed.clear();
    for (selector->cdsResult.first(); !selector->cdsResult.eof(); selector->cdsResult.next())
      listed.push_back(selector->cdsResult.fieldByName(number).asString());
    for (const std::string& no : picks) {
      if (!selector->cdsResult.locate(number, core::Value(no))) continue;
      selector->cdsResult.edit();
      selector->cdsResult.fieldByName("selected").setValue(core::Value(true));
      selector->cdsResult.post();
    }
    selector->clickAction("actok");
    return selector->ModalResult;
  }
};

}  // namespace write_off_test
