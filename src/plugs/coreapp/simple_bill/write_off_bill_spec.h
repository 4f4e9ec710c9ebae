// WriteOffBillSpec: what a receipt or a payment is besides a simple bill: the
// counterparty it is made out to, its write-off lines (table masterTable + "_hx") and
// the query that reads them, and the texts of its line and total refusals. The audit
// SQL and the source selector stay with each bill class.
#pragma once

#include <string>
#include <vector>

#include "host/forms/money_format.h"
#include "plugs/coreapp/simple_bill/simple_bill_spec.h"
#include "plugs/coreapp/simple_bill/stock_bill_spec.h"

namespace plugs::coreapp {

struct WriteOffBillSpec {
  SimpleBillSpec bill;        //!< master, account lines (masterTable + "_mx"), totals
  Counterparty counterparty;  //!< kCustomer / kSupplier
  const char* accountPanel;   //!< caption of the account lines ("收款账户明细")
  const char* amountMessage;  //!< an account line without an amount ("请输入收款金额")
  const char* totalMessage;   //!< write-offs above amount + discount ("收款金额不能小于核销总金额.")
  const char* lineQuery;      //!< reads the write-off lines of bill :billno
  bool logLineQuery = false;  //!< the line query is written to the debug log first
};

//! Write-off line fields that are shown but never written.
inline const std::vector<std::string> kWriteOffLineDisplayFields = {
    "id", "hxbillno", "hxbilldate", "ck_id", "hjje", "hxje_ok", "hxje_no", "ck_code", "ck_name"};

//! Account line fields that are shown but never written.
inline const std::vector<std::string> kAccountLineDisplayFields = {"id", "zh_code", "zh_name", "jsfs_code",
                                                                   "jsfs_name"};

//! The account and settlement-method names an account line shows.
inline const DisplayJoin kLineAccountJoin{"zh.code zh_code, zh.name zh_name",
                                          "left join vt_b_zhbmk zh on t1.zh_id = zh.id"};
inline const DisplayJoin kLineMethodJoin{"fs.code jsfs_code, fs.name jsfs_name",
                                         "left join vt_b_jsfs fs on t1.jsfs_id = fs.id"};

//! The account grid of a receipt or payment.
inline const std::vector<LineColumn> kAccountColumns = {{"zh_name", "结算账户", 140},
                                                        {"jsfs_name", "结算方式", 90, "", false},
                                                        {"je", "金额", 110, "money", true, true},
                                                        {"sn", "结算号", 110},
                                                        {"beizhu", "备注", 160}};

//! Header boxes both bills share (besides store, maker, summary and remarks).
inline const HeaderField kDiscountBox{"edtjmje", host::ControlKind::CurrencyEdit, "优惠金额：", "jmje"};
inline const HeaderField kWriteOffTotalBox{"edthjje", host::ControlKind::CurrencyEdit, "合计金额：", "hjje"};
inline const HeaderField kWrittenOffBox{"edthxje", host::ControlKind::CurrencyEdit, "已核销金额：", "hxje", "", "",
                                        host::moneyFormat(host::MoneyKind::WholeAmount)};

}  // namespace plugs::coreapp
