// appendSourceLineOnce: the one way a chosen source becomes a line; a grid of such
// lines takes no other.
#include "plugs/coreapp/simple_bill/source_lines.h"

#include <stdexcept>

#include "core/abort.h"

namespace plugs::coreapp {

namespace {

const core::Value& valueOf(const LineValues& values, std::string_view field) {
  for (const auto& [name, value] : values)
    if (field == name) return value;
  throw std::logic_error("a source line needs " + std::string(field));
}

}  // namespace

bool appendSourceLineOnce(dataset::ClientDataSet& ds, const LineValues& values) {
  if (ds.locate({{"bizid", valueOf(values, "bizid")}, {"biztype", valueOf(values, "biztype")}})) return false;
  ds.append();
  try {
    for (const auto& [field, value] : values) ds.fieldByName(field).setValue(value);
    ds.post();
  } catch (...) {
    if (ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert) ds.cancel();
    throw;
  }
  return true;
}

void linesOnlyFromSelector(host::Control& grid, dataset::ClientDataSet& lines, const bool& filling,
                           bool deletable) {
  grid.insertRows = false;
  grid.deleteRows = deletable;
  // A blank line would be saved with no source (or dropped at save, leaving a bill
  // without lines), so the dataset refuses it whoever asks.
  lines.beforeInsert = [&filling](dataset::ClientDataSet&) {
    if (!filling) throw core::Abort();
  };
}

}  // namespace plugs::coreapp
