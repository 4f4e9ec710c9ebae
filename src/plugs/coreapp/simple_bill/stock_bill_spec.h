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
  const char* missing = "请选择往来单位.";  //!< the save's refusal when none is chosen
};

//! How a line's amount follows its figures.
enum class LineRule {
  PriceQuantityDiscount,  //!< je = dj × sl × zk; a typed je gives dj
  PriceQuantity,          //!< je = dj × sl; a typed je gives dj
  PriceAreaDiscount,      //!< je = dj × sl × n × x × y × zk; a typed je gives dj
  None,                   //!< nothing is derived
};

//! What a line is picked from (goods or service items): the line's id field, the
//! lookup plug, the refusal of a line without one, and the chosen row's columns copied
//! into display fields. The target of "code" is the field a clerk types a code into.
struct LinePick {
  const char* idField;  //!< "sp_id" / "xm_id"; "" = lines are not picked by a lookup
  const char* lookup;   //!< lookup plug caption ("商品信息查询")
  const char* noun;     //!< what is picked, in messages ("商品")
  const char* missing;  //!< refusal of a line without it ("请选择商品信息")
  std::vector<std::pair<const char*, const char*>> copies;  //!< {lookup column, line field}
};

struct StockBillSpec {
  SimpleBillSpec bill;
  Counterparty counterparty;
  std::vector<std::pair<const char*, core::Value>> lineDefaults;  //!< set on a new line
  const char* priceSource;                 //!< goods price a pick copies ("pricein"; "" = none)
  std::vector<const char*> priceTargets;   //!< line fields it goes to, in order
  LineRule rule;
  LinePick pick = {"sp_id", "商品信息查询", "商品", "请选择商品信息",
                   {{"code", "sp_code"}, {"name", "sp_name"}, {"itemno", "itemno"}, {"baseunit", "baseunit"}}};
};

//! Counterparties of the goods bills.
inline const Counterparty kSupplier{"gys_id", "gys_code", "gys_name", "供应商信息查询"};
inline const Counterparty kCustomer{"kh_id", "kh_code", "kh_name", "客户会员查询"};
inline const Counterparty kNoCounterparty{"", "", "", ""};

//! Service items as lines (outsourced processing): picked from "服务项目查询".
inline const LinePick kServiceItemPick{
    "xm_id", "服务项目查询", "服务项目", "请选择服务项目",
    {{"code", "xm_code"}, {"name", "xm_name"}, {"itemno", "xm_itemno"}, {"baseunit", "xm_baseunit"}}};
//! Lines that no lookup fills (the bill brings its own way of adding them).
inline const LinePick kNoLinePick{"", "", "", "", {}};

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
inline const DisplayJoin kDeliveryJoin{"shfs.name shfs_name", "left join vt_b_shfs shfs on t1.shfs_id = shfs.id"};
inline const DisplayJoin kSalespersonJoin{"ywy.name ywy_name", "left join vt_b_ygbmk ywy on t1.ywy_id = ywy.id"};
inline const DisplayJoin kServiceItemJoin{
    "xm.code xm_code, xm.name xm_name, xm.itemno xm_itemno, xm.baseunit xm_baseunit",
    "left join vt_b_xmbmk xm on t1.xm_id = xm.id"};

//! A goods bill moves stock in its store when audited, so it is not saved without one
//! (store 0 is no store).
inline const RequiredField kStoreRequired{"ck_id", "请选择下单门店."};

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
inline const HeaderField kDeliveryBox{"cbshfs", host::ControlKind::LookupCombo, "送货方式：", "shfs_name", "shfs_id", "shfs"};

}  // namespace plugs::coreapp
