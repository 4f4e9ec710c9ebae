// How a value reads on a printed bill: money grouped with two decimals, prices with two
// to four, quantities without trailing zeros, dates without seconds or milliseconds.
#pragma once

#include <string>

#include "core/value.h"
#include "host/print/print_template.h"

namespace host {

//! The printed text of `v` in `format`; null prints as "".
std::string formatPrintValue(const core::Value& v, PrintFormat format);

}  // namespace host
