// The print log row an order leaves each time it is printed, from the order editor or
// from order processing. The log is written after the document is out, so its failure
// undoes nothing; it is one statement of its own, which cannot leave half a bill.
#pragma once

#include <string>

namespace plugs::coreapp::xmzzk {

//! Writes the row for `billno` printed from plug `plugCode` (caption `caption`) by the
//! signed-in user: the text is logged with tag "打印" and run. When it fails an error
//! box says the bill was printed but its log row was not kept, and why; nothing is thrown.
void writeOrderPrintLog(const std::string& plugCode, const std::string& caption, const std::string& billno);

}  // namespace plugs::coreapp::xmzzk
