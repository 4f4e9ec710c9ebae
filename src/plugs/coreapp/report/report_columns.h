// Grid columns of the shop's report pages (account balances, receivable aging, a
// customer's statement, every ReportSpec's grid): read-only text and money columns.
// Money shows four decimals with a footer sum, as the bills' own money columns do.
#pragma once

#include "host/forms/control.h"

namespace plugs::coreapp {

//! A read-only text column.
host::GridColumn reportTextColumn(const char* field, const char* caption, int width);
//! A read-only money column; `sum` adds a footer sum.
host::GridColumn reportMoneyColumn(const char* field, const char* caption, bool sum = true);

}  // namespace plugs::coreapp
