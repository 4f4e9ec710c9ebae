// The line grid columns the goods bills share: the goods code (typed to look goods
// up), its name, article number and unit (display only), and the figures.
#pragma once

#include "plugs/coreapp/simple_bill/simple_bill_spec.h"

namespace plugs::coreapp {

inline const LineColumn kGoodsCodeColumn{"sp_code", "商品编号", 100};
inline const LineColumn kGoodsNameColumn{"sp_name", "商品名称", 160, "", false};
inline const LineColumn kItemNoColumn{"itemno", "规格型号", 90, "", false};
inline const LineColumn kUnitColumn{"baseunit", "单位", 50, "", false};
inline const LineColumn kQuantityColumn{"sl", "数量", 70, "", true, true};
inline const LineColumn kDiscountColumn{"zk", "折扣", 60};
inline const LineColumn kPriceColumn{"dj", "单价", 80, "money"};
inline const LineColumn kAmountColumn{"je", "金额", 90, "money", true, true};
inline const LineColumn kLineRemarkColumn{"beizhu", "备注", 120};

//! Currency boxes of the goods bills' headers.
inline const HeaderField kOtherFeesBox{"edtqtfy", host::ControlKind::CurrencyEdit, "其它费用：", "qtfy"};
inline const HeaderField kTotalBox{"edthjje", host::ControlKind::CurrencyEdit, "合计金额：", "hjje"};

}  // namespace plugs::coreapp
