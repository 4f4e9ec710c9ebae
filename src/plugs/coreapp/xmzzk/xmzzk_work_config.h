// The configuration document that ships with the order-processing window (plug 1101):
// the open queries of the order header and lines, the header's display-only fields and
// the line grid's columns. The user's own document, kept by the host, replaces it.
#pragma once

#include <string>

namespace plugs::coreapp::xmzzk {

//! The shipped configuration document of plug 1101 (JSON text).
const std::string& workFormDefaultConfig();

}  // namespace plugs::coreapp::xmzzk
