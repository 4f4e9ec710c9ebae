// The order line arithmetic (LinePricing) applied to a line dataset: read a line's
// figures from the current record, write the derived amount or price back, follow a
// new quantity in the line's consumables. The order editor and the order-processing
// window both recalculate their lines through these, each under its own guards.
#pragma once

#include "dataset/client_data_set.h"
#include "plugs/coreapp/xmzzk/line_pricing.h"

namespace plugs::coreapp::xmzzk {

//! Sets a guard flag for one derivation and puts back what it was, however the
//! derivation ends (a derivation nested in another keeps the outer one's guard set).
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = before_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool before_;
};

//! True while the dataset is in edit or insert state.
bool isEditing(const dataset::ClientDataSet& ds);
//! The figures of the current line (sl, n, x, y, zk, k, jjfs, minje, dj, je).
LineFigures readLineFigures(const dataset::ClientDataSet& line);
//! je of the current line from its price; a null k of an area line is stored as 1.
void storeAmountFromPrice(dataset::ClientDataSet& line);
//! dj of the current line from its typed amount (unchanged when no price gives it).
void storePriceFromAmount(dataset::ClientDataSet& line);
//! Every visible consumable row gets sl = nsl × (line sl × line n) and is posted, with
//! display updates held back; the cursor stays where it was.
void followLineQuantity(dataset::ClientDataSet& hc, double lineSl, double lineN);

}  // namespace plugs::coreapp::xmzzk
