// A cash bill session for the tests: the whole schema on an in-memory embedded database,
// accounts, payment methods and income and expense categories, a host with a scripted
// Ui and the three cash bills registered, and helpers that drive an editor as a cashier
// does (new bill, a line typed into the grid, save, audit) and read account balances.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bill_session.h"
#include "plugs/coreapp/fydj/fydj_form.h"
#include "plugs/coreapp/srdj/srdj_form.h"
#include "plugs/coreapp/zjzz/zjzz_form.h"

namespace cash_test {

// Ids are the identity values of a fresh database, in insert order.
//   accounts 1 现金, 2 银行, 3 微信; payment method 1 现结;
//   income category 1 废品回收; expense categories 1 房租, 2 材料费
inline const char* kMasterData = R"sql(
insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')
insert into vt_b_ygbmk(orgid, code, name) values ('0001', '001', '王敏')
insert into vt_b_zhbmk(orgid, code, name, isort) values ('0001', '01', '现金', 1)
insert into vt_b_zhbmk(orgid, code, name, isort) values ('0001', '02', '银行', 2)
insert into vt_b_zhbmk(orgid, code, name, isort) values ('0001', '03', '微信', 3)
insert into vt_b_jsfs(orgid, code, name) values ('0001', '01', '现结')
insert into vt_b_srlb(orgid, code, name) values ('0001', '01', '废品回收')
insert into vt_b_fylb(orgid, code, name) values ('0001', '01', '房租')
insert into vt_b_fylb(orgid, code, name) values ('0001', '02', '材料费')
)sql";

class CashSession : public bill_test::BillSession {
 protected:
  CashSession() : BillSession(kMasterData) {
    registerOnce("1110", &plugs::coreapp::fydj::registerFydjForm);
    registerOnce("1111", &plugs::coreapp::srdj::registerSrdjForm);
    registerOnce("1114", &plugs::coreapp::zjzz::registerZjzzForm);
  }

  //! Starts a new bill; true when the editor is in edit mode.
  bool startBill(plugs::coreapp::TSimpleBillForm& form) {
    return form.clickAction("actAdd") == host::Outcome::Done && form.editMode;
  }

  //! Appends a line in the grid and types the fields into it, as a cashier does; the
  //! line is left unposted.
  static void typeLine(plugs::coreapp::TSimpleBillForm& form,
                       const std::vector<std::pair<const char*, core::Value>>& cells) {
    form.cdsDetail.append();
    for (const auto& [field, value] : cells) form.cdsDetail.fieldByName(field).setValue(value);
  }

  //! Posts the current line as leaving its grid row does; the outcome of the post.
  host::Outcome postLine(plugs::coreapp::TSimpleBillForm& form) {
    return form.dispatch([&] { form.cdsDetail.post(); });
  }

  //! Saves; returns the action's outcome.
  host::Outcome save(plugs::coreapp::TSimpleBillForm& form) { return form.clickAction("actSave"); }

  //! Balance of account `zh` from the balances view as "in|out|left".
  std::string balance(int zh) {
    const auto r = rowTexts("select srje, zcje, ye from vt_v_zhye where orgid = '0001' and zh_id = " + std::to_string(zh));
    return r.empty() ? "" : r.front();
  }

  //! A saved transfer from account 1 to 2 of one line per amount, picked by name.
  std::unique_ptr<plugs::coreapp::zjzz::Tzjzzform> savedTransfer(const std::vector<core::Currency>& amounts) {
    auto form = openEditor<plugs::coreapp::zjzz::Tzjzzform>("1114");
    EXPECT_TRUE(startBill(*form));
    for (core::Currency je : amounts) {
      typeLine(*form, {{"ozh_name", core::Value("现金")}, {"izh_name", core::Value("银行")}, {"je", core::Value(je)}});
      EXPECT_EQ(postLine(*form), host::Outcome::Done) << lastEvent();
    }
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! A saved income or expense bill through account 1 with one line of `je` in category 1.
  template <class Form>
  std::unique_ptr<Form> savedLedgerBill(const char* code, const char* categoryField, core::Currency je) {
    auto form = openEditor<Form>(code);
    EXPECT_TRUE(startBill(*form));
    form->cdsMaster.fieldByName("zh_id").setValue(core::Value(1));
    typeLine(*form, {{categoryField, core::Value(1)}, {"je", core::Value(je)}});
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form;
  }
};

}  // namespace cash_test
