// Print templates of the receivable pages: the aging list and a customer's statement
// (with its running balance and the customer's signature line).
#pragma once

namespace plugs::coreapp::khzl {

//! Print codes (template names) of the two pages.
inline constexpr const char* kAgingPrintCode = "1119";
inline constexpr const char* kStatementPrintCode = "1119_01";

//! Registers both templates with the host (a template file of the same code wins).
void registerKhzlPrintTemplates();

}  // namespace plugs::coreapp::khzl
