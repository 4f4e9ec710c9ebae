// A settlement session for the tests: the project order session plus payment methods,
// accounts, member cards and completed orders written straight into the database, and
// helpers that open the settlement window and type into it as a user would.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "xmzzk_session.h"

namespace jiesuan_test {

// Cards: customer 2 (C002) holds card 1 with a balance of 100 (150 in, 50 out); customer
// 3 (C003) holds card 2 without any ledger row; customer 1 has no card. Both passwords
// are "123456" (its well-known MD5 below). Orders, all completed (status 2):
//   JS001 C002 total 200; JS002 C001 total 80; JS003 C003 total 50.
inline const char* kSettlementData = R"sql(
insert into vt_b_jsfs(orgid, code, name, isort) values ('0001', '01', '现结', 3)
insert into vt_b_jsfs(orgid, code, name, isort) values ('0001', '02', '减免', 2)
insert into vt_b_jsfs(orgid, code, name, isort) values ('0001', '03', '会员卡', 1)
insert into vt_b_zhbmk(orgid, code, name, isort) values ('0001', '01', '现金', 2)
insert into vt_b_zhbmk(orgid, code, name, isort) values ('0001', '02', '工商银行', 1)
insert into vt_b_khbmk_vip(orgid, code, name, kh_id, pwd) values ('0001', 'VIP01', '金卡', 2, 'e10adc3949ba59abbe56e057f20f883e')
insert into vt_b_khbmk_vip(orgid, code, name, kh_id, pwd) values ('0001', 'VIP02', '银卡', 3, 'e10adc3949ba59abbe56e057f20f883e')
update vt_b_khbmk set card_id = 1 where id = 2
update vt_b_khbmk set card_id = 2 where id = 3
insert into vt_b_khbmk_vip_pay(orgid, ck_id, kh_id, card_id, czy_id, biztype, bizid, incje, decje) values ('0001', 1, 2, 1, 1, '充值', 0, 150, 0)
insert into vt_b_khbmk_vip_pay(orgid, ck_id, kh_id, card_id, czy_id, biztype, bizid, incje, decje) values ('0001', 1, 2, 1, 1, '消费', 99, 0, 50)
insert into vt_x_xmzzk(orgid, uid, billno, kh_id, lxr, tel, addr, hjje, status) values ('0001', 'o1', 'JS001', 2, '刘经理', '13800000002', '湖滨路2号', 200, 2)
insert into vt_x_xmzzk(orgid, uid, billno, kh_id, hjje, status) values ('0001', 'o2', 'JS002', 1, 80, 2)
insert into vt_x_xmzzk(orgid, uid, billno, kh_id, hjje, status) values ('0001', 'o3', 'JS003', 3, 50, 2)
)sql";

class SettlementSession : public xmzzk_test::OrderSession {
 protected:
  using Form = plugs::coreapp::xmzzk::Tjiesuanform;

  SettlementSession() {
    const db::BatchResult r = conn.execBatch(kSettlementData);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    registerOnce("1100_07", plugs::coreapp::xmzzk::registerJiesuanForm);
  }

  //! The settlement window of an order, created and opened.
  std::unique_ptr<Form> openDialog(const std::string& billno) {
    auto form = std::make_unique<Form>(nullptr, billno);
    form->initialize();
    return form;
  }

  //! The settlement window's lines as "jsfs_code|zh_id|je|remark", one text per line.
  static std::vector<std::string> lines(Form& form) {
    std::vector<std::string> out;
    for (form.cdsjiesuan.first(); !form.cdsjiesuan.eof(); form.cdsjiesuan.next())
      out.push_back(texts(form.cdsjiesuan, "jsfs_code zh_id je remark"));
    return out;
  }

  //! Types a text into a control of the window.
  static void type(Form& form, const std::string& name, const std::string& text) {
    form.setControlText(form.control(name), text);
  }

  //! Adds a line from a page: the page is chosen and its amount typed first.
  static host::Outcome add(Form& form, const std::string& page, const std::string& amountBox,
                           const std::string& amount) {
    type(form, "cxPageControl1", page);
    type(form, amountBox, amount);
    return form.clickAction("actadd");
  }

  //! A card consumption with password and remark.
  static host::Outcome payByCard(Form& form, const std::string& amount,
                                 const std::string& password = "123456",
                                 const std::string& remark = "") {
    type(form, "edthyk_pwd", password);
    type(form, "edthyk_remark", remark);
    return add(form, "会员卡", "edthyk_je", amount);
  }

  //! A cash payment into the named account.
  static host::Outcome payCash(Form& form, const std::string& amount,
                               const std::string& account = "现金") {
    type(form, "cbbxj_zh", account);
    return add(form, "现结", "edtxj_je", amount);
  }
};

}  // namespace jiesuan_test
