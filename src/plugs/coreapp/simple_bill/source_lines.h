// A line drawn from a source bill (a write-off line, a statement or invoice line): each
// source once per bill, known by its `bizid` and `biztype`, and never left half filled;
// and the rule of grids whose lines come only from a selector.
#pragma once

#include <utility>
#include <vector>

#include "core/value.h"
#include "dataset/client_data_set.h"
#include "host/forms/control.h"

namespace plugs::coreapp {

//! Field values of one new line, in the order they are set.
using LineValues = std::vector<std::pair<const char*, core::Value>>;

//! Appends a line with `values` (which name `bizid` and `biztype`) to `ds` unless a line
//! of that source is there already, and posts it; a line its post refuses is taken back
//! and the refusal passed on. True when a line was added.
bool appendSourceLineOnce(dataset::ClientDataSet& ds, const LineValues& values);

//! The lines shown by `grid` come only from the form's selector: the grid offers no
//! new row (and no deletion unless `deletable`), and an append to `lines` while
//! `filling` is false (a row typed in, a scenario's append) is a silent abort.
void linesOnlyFromSelector(host::Control& grid, dataset::ClientDataSet& lines, const bool& filling,
                           bool deletable);

}  // namespace plugs::coreapp
