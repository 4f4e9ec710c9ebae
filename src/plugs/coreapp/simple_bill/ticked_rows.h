// The tick column of the pickers that draw lines from project order lines (the import
// into an outsourced order, the pending-shipment list): a header click ticks or clears
// every row, and OK hands back the ticked rows as a JSON array text.
#pragma once

#include <cstdint>
#include <string>

#include "dataset/client_data_set.h"
#include "host/forms/control.h"

namespace plugs::coreapp {

//! Sets `selected` on every row to true when `tag` is 0 and to false when it is 1
//! (posted row by row), then flips `tag`; the cursor returns to its row. An empty or
//! closed dataset is left alone, `tag` too.
void toggleAllTicks(dataset::ClientDataSet& ds, std::int64_t& tag);

//! Filters `ds` to its ticked rows ("selected=true"; the filter stays on) and returns
//! them as a JSON array text, or "" when none is ticked.
std::string tickedRowsJson(dataset::ClientDataSet& ds);

//! The rows are the ones listed: `grid` over `ds` may tick and edit them but offers
//! neither adding nor removing one, and `ds` refuses both (a silent abort).
void keepRowsFixed(dataset::ClientDataSet& ds, host::Control& grid);

//! The tick column of such a grid: editable check boxes over `selected`, no caption.
host::GridColumn tickColumn();

//! A read-only (or, with `editable`, editable) grid column.
host::GridColumn pickerColumn(const char* field, const char* caption, bool editable = false);

}  // namespace plugs::coreapp
