// The one table of money display patterns.
#include "host/forms/money_format.h"

#include <array>

namespace host {

namespace {

constexpr std::array kKinds = {MoneyKind::Amount,       MoneyKind::WholeAmount, MoneyKind::SignedAmount,
                               MoneyKind::LedgerAmount, MoneyKind::Points,      MoneyKind::Percent};

}  // namespace

const char* moneyFormat(MoneyKind kind) {
  switch (kind) {
    case MoneyKind::Amount: return "0.0000";
    case MoneyKind::WholeAmount: return "0";
    case MoneyKind::SignedAmount: return "0.0000;-0.0000";
    case MoneyKind::LedgerAmount: return "¥,0.0000;¥-,0.0000";
    case MoneyKind::Points: return "0.00;-0.00";
    case MoneyKind::Percent: return "0.00%";
  }
  return "0.0000";
}

std::string shownMoneyFormat(std::string_view own) {
  return own.empty() ? std::string(moneyFormat(MoneyKind::Amount)) : std::string(own);
}

bool isMoneyFormat(std::string_view pattern) {
  for (MoneyKind kind : kKinds)
    if (pattern == moneyFormat(kind)) return true;
  return false;
}

}  // namespace host
