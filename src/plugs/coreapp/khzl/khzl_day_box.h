// What the receivable pages share besides the report columns: reading a date box.
#pragma once

#include "core/date_time.h"
#include "host/forms/control.h"

namespace plugs::coreapp::khzl {

//! The day a date box holds; an empty or unreadable text says "请输入正确的日期." under
//! the box's caption and aborts.
core::DateTime dayOf(const host::Control& box);

}  // namespace plugs::coreapp::khzl
