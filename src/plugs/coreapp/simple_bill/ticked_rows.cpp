// The tick column of the order-line pickers. Ticking all is done with notifications
// held back, so a grid redraws once, not once per row.
#include "plugs/coreapp/simple_bill/ticked_rows.h"

#include "core/abort.h"
#include "host/services/t_json_db.h"

namespace plugs::coreapp {

void toggleAllTicks(dataset::ClientDataSet& ds, std::int64_t& tag) {
  if (!ds.active() || ds.isEmpty()) return;
  const bool tick = tag == 0;
  const dataset::Bookmark kept = ds.bookmark();
  ds.disableControls();
  for (ds.first(); !ds.eof(); ds.next()) {
    ds.edit();
    ds.fieldByName("selected").setValue(core::Value(tick));
    ds.post();
  }
  if (ds.bookmarkValid(kept)) ds.gotoBookmark(kept);
  ds.enableControls();
  tag = tick ? 1 : 0;
}

std::string tickedRowsJson(dataset::ClientDataSet& ds) {
  if (!ds.active()) return {};
  ds.setFiltered(false);
  ds.setFilter("selected=true");
  ds.setFiltered(true);
  if (ds.isEmpty()) return {};
  return host::TJsonDB::ClientDataSetToJSON(ds, false);
}

void keepRowsFixed(dataset::ClientDataSet& ds, host::Control& grid) {
  grid.insertRows = false;
  grid.deleteRows = false;
  ds.beforeInsert = [](dataset::ClientDataSet&) { throw core::Abort(); };
  ds.beforeDelete = [](dataset::ClientDataSet&) { throw core::Abort(); };
}

host::GridColumn tickColumn() {
  host::GridColumn c;
  c.field = "selected";
  c.editor = "check";
  c.width = 4;
  return c;
}

host::GridColumn pickerColumn(const char* field, const char* caption, bool editable) {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.readOnly = !editable;
  return c;
}

}  // namespace plugs::coreapp
