// The unit of an order line's sizes (长 `x`, 宽 `y`): centimetres, the unit an area-priced
// item's divisor `k` is made for (10000 prices by the square metre). The captions stay
// "长" and "宽"; a grid says the unit in the column's hint (tooltip and status bar).
#pragma once

namespace plugs::coreapp::xmzzk {

inline constexpr const char* kLengthHint =
    "长，单位厘米。按面积计价的项目：面积 = 长 × 宽 ÷ 换算系数（换算系数 10000 即按平方米）";
inline constexpr const char* kWidthHint =
    "宽，单位厘米。按面积计价的项目：面积 = 长 × 宽 ÷ 换算系数（换算系数 10000 即按平方米）";

//! Gives the size columns (`x`, `y`) among `columns` (grid columns) their hints.
template <class Columns>
void hintSizeColumns(Columns& columns) {
  for (auto& c : columns) {
    if (c.field == "x") c.hint = kLengthHint;
    if (c.field == "y") c.hint = kWidthHint;
  }
}

}  // namespace plugs::coreapp::xmzzk
