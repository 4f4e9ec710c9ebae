// The main window's ribbon: the registered plug items by subsystem, each group a tab.
// Only items the user holds the root right of (the item's code) are listed; the host's
// own lookup and entry plugs never are. No Qt here, so the choice is testable.
#pragma once

#include <string>
#include <vector>

#include "host/host.h"
#include "host/plug/plug_item.h"

namespace desktop {

struct RibbonGroup {
  std::string caption;                  //!< tab caption ("项目订单")
  std::vector<host::TPlugItem*> items;  //!< in registration order
};

//! The groups that have at least one item the user may open, in subsystem order.
std::vector<RibbonGroup> ribbonGroups(const std::vector<host::TPlugItem*>& items,
                                      const host::Rights& rights);

}  // namespace desktop
