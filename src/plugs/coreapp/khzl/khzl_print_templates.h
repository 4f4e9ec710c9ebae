// Print template of a customer's statement (with its running balance and the customer's
// signature line); the aging prints under its own plug code.
#pragma once

namespace plugs::coreapp::khzl {

//! Print code (template name) of the statement.
inline constexpr const char* kStatementPrintCode = "1119_01";

//! Registers the template with the host (a template file of the same code wins).
void registerKhzlPrintTemplates();

}  // namespace plugs::coreapp::khzl
