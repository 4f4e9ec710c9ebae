// The configuration document a simple bill ships with (open queries of header and
// lines, the display-only header fields, the line grid), made from its description so
// that every bill's queries have one shape.
#pragma once

#include <string>

#include "plugs/coreapp/simple_bill/simple_bill_spec.h"

namespace plugs::coreapp {

//! The shipped configuration document (JSON text) of a simple bill.
std::string simpleBillConfig(const SimpleBillSpec& spec);

}  // namespace plugs::coreapp
