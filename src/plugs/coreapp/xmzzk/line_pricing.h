// LinePricing: the arithmetic of a project order line, free of datasets and forms.
// The order editor, the order-processing window and the ad-hoc bill feed a line's
// figures in and copy the results back, so the money rules live in one place.
// Prices and amounts are Currency (four decimals, half even); factors are multiplied
// in long double first and rounded once when the result is stored.
#pragma once

#include <optional>
#include <string>

#include "core/currency.h"

namespace plugs::coreapp::xmzzk {

//! The figures of one order line that its amount and price depend on.
struct LineFigures {
  double sl = 1;            //!< quantity
  double n = 1;             //!< number of sets
  double x = 1;             //!< width
  double y = 1;             //!< height
  double zk = 1;            //!< discount factor (1 = none)
  std::optional<double> k;  //!< area conversion divisor; null allowed
  std::string jjfs;         //!< "是" priced by area, "否" size ignored
  bool minje = false;       //!< the amount is at least one unit price
  core::Currency dj;        //!< unit price
  core::Currency je;        //!< amount
};

class LinePricing {
 public:
  //! Amount from price: je = dj × (sl × n × x × y × zk); divided by x × y when jjfs is
  //! "否", else by k (a null k becomes 1; k = 0 divides by nothing); raised to dj for a
  //! minimum-charge line. Writes je and, when it was null on an area line, k.
  static void amountFromPrice(LineFigures& f);
  //! Price from a typed amount: dj = je × k / (sl × n × x × y × zk) when jjfs is "是"
  //! (null k becomes 1), else je / (sl × n × zk). A zero divisor leaves dj unchanged.
  static void priceFromAmount(LineFigures& f);

  //! Total quantity of a consumable: per-unit quantity × (line quantity × sets).
  static double consumableQuantity(double nsl, double lineSl, double lineN);
  //! Performance amount of a staff share: je × perc / 100.
  static core::Currency staffAmount(core::Currency je, double perc);
  //! True when a line's staff shares add up to more than the editor allows (100.001,
  //! a little slack so that three shares of 33.3333 pass).
  static bool sharesExceedLimit(double percSum);

  //! Product amount: sl × dj.
  static core::Currency productAmount(double sl, core::Currency dj);
  //! Product price from a typed amount: je / sl; nullopt (keep the price) when sl is 0.
  static std::optional<core::Currency> productPrice(double sl, core::Currency je);

  static constexpr double kShareLimit = 100.001;  //!< largest sum of staff shares
};

}  // namespace plugs::coreapp::xmzzk
