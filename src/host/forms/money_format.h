// The display pattern of every kind of money field a window shows. Windows never spell
// a money pattern themselves: they name the kind, so the same kind of amount reads
// alike in every header box, grid column and footer of the desktop.
#pragma once

#include <string>
#include <string_view>

namespace host {

enum class MoneyKind {
  Amount,        //!< amounts and prices: four decimals like the money type ("0.0000")
  WholeAmount,   //!< a bill's header totals the clerk reads at a glance ("0")
  SignedAmount,  //!< performance amounts with an explicit minus ("0.0000;-0.0000")
  LedgerAmount,  //!< receivable and write-off ledgers ("¥,0.0000;¥-,0.0000")
  Points,        //!< production points ("0.00;-0.00")
  Percent,       //!< a share in percent ("0.00%")
};

//! The display pattern of a kind of money field.
const char* moneyFormat(MoneyKind kind);

//! The pattern a money field shows with: its own pattern, else the amount's.
std::string shownMoneyFormat(std::string_view own);

//! True when `pattern` is the pattern of one of the kinds.
bool isMoneyFormat(std::string_view pattern);

}  // namespace host
