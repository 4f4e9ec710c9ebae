// The configuration document both project order windows ship with. The order editor
// (plug 1100) and the order-processing window (plug 1101) open an order with the same
// header and line queries and leave the same display-only header fields out of a save;
// only their line grids differ. The user's own document, kept by the host, replaces it.
#pragma once

#include <string>
#include <string_view>

namespace plugs::coreapp::xmzzk {

//! A configuration document (JSON text) with the order's open queries, the header's
//! display-only fields and the line grid columns `columns`: the text that stands between
//! the brackets of data.detail.columns, from the newline after "[" to the last object.
std::string orderConfigDocument(std::string_view columns);

}  // namespace plugs::coreapp::xmzzk
