// Actions a bill type has beyond new, open, save, audit, un-audit and delete, each
// timed through its own form and beside the same work written by hand, on the same
// grown bill the common actions use.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bill_action_session.h"

namespace bill_bench {

//! One bill type's own action: through the form (`engine`) and by hand (`byHand`).
struct SpecialAction {
  std::string code, name;
  void (*engine)(benchmark::State&, const BillCase&);
  void (*byHand)(benchmark::State&, const BillCase&);
};

//! Every bill type's own actions that the benchmark times.
const std::vector<SpecialAction>& specialActions();

}  // namespace bill_bench
