// The printed designs of the project order family: the order (1100), the production
// sheet of order processing (1101), the ad-hoc counter sale (1103) and the settlement
// slip (1100_01). Registered with the host's print service by the units that print.
#pragma once

namespace plugs::coreapp::xmzzk {

//! Registers the four templates (again: the same ones).
void registerOrderPrintTemplates();

}  // namespace plugs::coreapp::xmzzk
