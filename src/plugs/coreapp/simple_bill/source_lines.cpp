// appendSourceLineOnce: the one way a chosen source becomes a line.
#include "plugs/coreapp/simple_bill/source_lines.h"

#include <stdexcept>

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

}  // namespace plugs::coreapp
