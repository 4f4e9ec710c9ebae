// The package's start-up: runs the initialization of every form unit, in the order
// the package lists its units, so the plug items reach the host's pool in that order.
#pragma once

namespace plugs::coreapp {

//! Initializes every form unit (each registers its plug item the first time).
void initializePackage();
//! Finalizes every form unit (counts down only; items stay registered).
void finalizePackage();

}  // namespace plugs::coreapp
