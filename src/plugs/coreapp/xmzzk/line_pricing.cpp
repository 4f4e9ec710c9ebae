// LinePricing: amount from price, price from amount, consumables, staff shares and
// product amounts of a project order. Division by zero is this system's one open
// question here; its rule is to leave the figure being derived as it stands.
#include "plugs/coreapp/xmzzk/line_pricing.h"

#include <algorithm>

namespace plugs::coreapp::xmzzk {

namespace {
// Divisions below compare against an exact zero: the factors are typed by the user or
// copied from master data, so only a typed 0 can make them vanish.
bool isZero(long double v) { return v == 0.0L; }
}  // namespace

void LinePricing::amountFromPrice(LineFigures& f) {
  const long double size = static_cast<long double>(f.x) * f.y;
  const long double factor = static_cast<long double>(f.sl) * f.n * f.x * f.y * f.zk;
  core::Currency je = f.dj * factor;
  if (f.jjfs == "否") {
    // Size does not count: divide the rounded amount by the size again. With a zero
    // size the product above is already 0; the division is skipped (amount unchanged).
    if (!isZero(size)) je = je / size;
  } else {
    if (!f.k) f.k = 1.0;
    if (*f.k != 0.0) je = je / static_cast<long double>(*f.k);
  }
  if (f.minje) je = std::max(je, f.dj);
  f.je = je;
}

void LinePricing::priceFromAmount(LineFigures& f) {
  const long double amount = f.je.toLongDouble();
  long double divisor;
  long double numerator = amount;
  if (f.jjfs == "是") {
    if (!f.k) f.k = 1.0;
    numerator = amount * static_cast<long double>(*f.k);
    divisor = static_cast<long double>(f.sl) * f.n * f.x * f.y * f.zk;
  } else {
    divisor = static_cast<long double>(f.sl) * f.n * f.zk;
  }
  // A zero divisor leaves the price as it was: there is no price that gives this
  // amount, and the user sees the unchanged price next to the typed amount.
  if (isZero(divisor)) return;
  f.dj = core::Currency::fromLongDouble(numerator / divisor);
}

double LinePricing::consumableQuantity(double nsl, double lineSl, double lineN) {
  return nsl * (lineSl * lineN);
}

core::Currency LinePricing::staffAmount(core::Currency je, double perc) {
  return core::Currency::fromLongDouble(je.toLongDouble() * perc / 100.0L);
}

bool LinePricing::sharesExceedLimit(double percSum) { return percSum > kShareLimit; }

core::Currency LinePricing::productAmount(double sl, core::Currency dj) {
  return dj * static_cast<long double>(sl);
}

std::optional<core::Currency> LinePricing::productPrice(double sl, core::Currency je) {
  // Zero quantity: keep the price (this system's rule for a zero divisor).
  if (sl == 0.0) return std::nullopt;
  return je / static_cast<long double>(sl);
}

}  // namespace plugs::coreapp::xmzzk
