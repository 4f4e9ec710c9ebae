// Grid columns and the date box the receivable pages share: read-only text and money
// columns (money shown to the cent with a footer sum) and reading a date box.
#pragma once

#include <string>

#include "core/date_time.h"
#include "host/forms/control.h"

namespace plugs::coreapp::khzl {

//! A read-only text column.
host::GridColumn textColumn(const char* field, const char* caption, int width);
//! A read-only money column; `sum` adds a footer sum.
host::GridColumn moneyColumn(const char* field, const char* caption, bool sum);
//! The day a date box holds; an empty or unreadable text says "请输入正确的日期." under
//! the box's caption and aborts.
core::DateTime dayOf(const host::Control& box);

}  // namespace plugs::coreapp::khzl
