// The line `coreapp plugs` prints for a plug item: code, caption, form class, GUID and
// its rules (code, parent, caption) in the order they were added.
#pragma once

#include <string>

#include "host/plug/plug_item.h"

namespace host {

//! One JSON object text (no newline) describing the item.
std::string plugItemJson(const TPlugItem& item);

}  // namespace host
