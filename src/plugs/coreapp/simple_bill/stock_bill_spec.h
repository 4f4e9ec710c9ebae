// StockBillSpec: what a goods bill adds to a simple bill's description: the
// counterparty it is made out to, the defaults of a new line, which price of the goods
// a pick copies into which line fields, and how a line's amount follows its figures.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/value.h"
#include "plugs/coreapp/simple_bill/simple_bill_spec.h"

namespace plugs::coreapp {

//! The bill's counterparty: a supplier or a customer picked into the "往来单位：" box.
struct Counterparty {
  const char* idField;    //!< "gys_id" / "kh_id"; "" = the bill has none
  const char* codeField;  //!< display-only code field ("gys_code")
  const char* nameField;  //!< display-only name field ("gys_name")
  const char* lookup;     //!< lookup plug caption ("供应商信息查询")
};

//! How a line's amount follows its figures.
enum class LineRule {
  PriceQuantityDiscount,  //!< je = dj × sl × zk; a typed je gives dj
  PriceQuantity,          //!< je = dj × sl; a typed je gives dj
  None,                   //!< nothing is derived
};

struct StockBillSpec {
  SimpleBillSpec bill;
  Counterparty counterparty;
  std::vector<std::pair<const char*, core::Value>> lineDefaults;  //!< set on a new line
  const char* priceSource;                 //!< goods price a pick copies ("pricein"; "" = none)
  std::vector<const char*> priceTargets;   //!< line fields it goes to, in order
  LineRule rule;
};

//! Counterparties of the goods bills.
inline const Counterparty kSupplier{"gys_id", "gys_code", "gys_name", "供应商信息查询"};
inline const Counterparty kCustomer{"kh_id", "kh_code", "kh_name", "客户会员查询"};
inline const Counterparty kNoCounterparty{"", "", "", ""};

//! Display joins of the counterparties, the goods of a line, and the host lists.
inline const DisplayJoin kSupplierJoin{"gys.code gys_code, gys.name gys_name",
                                       "left join vt_b_gysbmk gys on t1.gys_id = gys.id"};
inline const DisplayJoin kCustomerJoin{"kh.code kh_code, kh.name kh_name",
                                       "left join vt_b_khbmk kh on t1.kh_id = kh.id"};
inline const DisplayJoin kGoodsJoin{"sp.code sp_code, sp.name sp_name, sp.itemno, sp.baseunit",
                                    "left join vt_b_spbmk sp on t1.sp_id = sp.id"};
inline const DisplayJoin kStoreJoin{"ck.name ck_name", "left join vt_b_ckbmk ck on t1.ck_id = ck.id"};
inline const DisplayJoin kMakerJoin{"kdr.name kdr_name", "left join vt_b_ygbmk kdr on t1.kdr_id = kdr.id"};
inline const DisplayJoin kInboundJoin{"rklx.name rklx_name", "left join vt_b_rklx rklx on t1.rklx_id = rklx.id"};
inline const DisplayJoin kOutboundJoin{"cklx.name cklx_name", "left join vt_b_cklx cklx on t1.cklx_id = cklx.id"};
inline const DisplayJoin kAccountJoin{"zh.name zh_name", "left join vt_b_zhbmk zh on t1.zh_id = zh.id"};

//! Line fields of a goods line that are shown but never written.
inline const std::vector<std::string> kGoodsLineDisplayFields = {"id", "sp_code", "sp_name", "itemno", "baseunit"};

//! Header controls every bill shows: store, bill maker, summary and remarks.
inline const HeaderField kStoreBox{"cbck", host::ControlKind::LookupCombo, "下单门店：", "ck_name", "ck_id", "ck"};
inline const HeaderField kMakerBox{"cbkdr", host::ControlKind::LookupCombo, "开单人：", "kdr_name", "kdr_id", "yg"};
inline const HeaderField kSummaryBox{"edtzy", host::ControlKind::ButtonEdit, "摘要：", "zy"};
inline const HeaderField kRemarkBox{"memremark", host::ControlKind::Memo, "备注说明：", "remark"};
inline const HeaderField kInboundBox{"cbrklx", host::ControlKind::LookupCombo, "入库类型：", "rklx_name", "rklx_id", "rklx"};
inline const HeaderField kOutboundBox{"cbcklx", host::ControlKind::LookupCombo, "出库类型：", "cklx_name", "cklx_id", "cklx"};
inline const HeaderField kAccountBox{"cbzh", host::ControlKind::LookupCombo, "结算账户：", "zh_name", "zh_id", "zh"};

}  // namespace plugs::coreapp
