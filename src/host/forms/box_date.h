// The date a picker's or list's date box holds, for filters bound as parameters.
#pragma once

#include <optional>

#include "core/date_time.h"
#include "host/forms/control.h"

namespace host {

//! The date in `box`, midnight; none when it is empty. A text that is no date is refused
//! with a message naming the box and a silent abort, so a mistyped bound never widens
//! a list without a word.
std::optional<core::DateTime> boxDate(const Control& box);

}  // namespace host
