// The printed page of a bill: one self-contained HTML document made from the named
// datasets and a PrintTemplate. Only the template's (or the fallback's known) columns
// are printed, with their Chinese captions and formats; keys and secrets never are.
#pragma once

#include <string>

#include "host/print/print_service.h"
#include "host/print/print_template.h"

namespace host {

//! The HTML page: shop name, title, header block, line tables with totals, the charts
//! of the first table (inline SVG), the totals
//! under the lines, the signature line and the print time with the operator.
std::string renderPrintDocument(const TDataSetCollection& sets, const PrintTemplate& t,
                                const PrintValues& values, const std::string& shop);

}  // namespace host
