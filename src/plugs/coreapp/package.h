// The package's start-up: runs the initialization of every form unit, in the order
// the package lists its units, so the plug items reach the host's pool in that order.
#pragma once

namespace host {
class TPlugItem;
}

namespace plugs::coreapp {

//! Initializes every form unit (each registers its plug item the first time).
void initializePackage();
//! Finalizes every form unit (counts down only; items stay registered).
void finalizePackage();
//! True for an item the package adds beyond the shop's plug table (the receivable aging
//! page, the operators' rights page): it opens like any other, but the package's plug listing
//! leaves it out.
bool isPackageAddition(const host::TPlugItem& item);

}  // namespace plugs::coreapp
