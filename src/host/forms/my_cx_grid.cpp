// TMyCxGrid: a layout is a JSON array of {"field", "width", "visible"} in column order.
#include "host/forms/my_cx_grid.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/json.h"
#include "host/host.h"

namespace host {

void TMyCxGrid::storeGridColumnStyle(const Control& grid, std::string_view plugCode) {
  std::vector<core::JsonRow> rows;
  for (const GridColumn& c : grid.columns)
    rows.emplace_back(
        std::vector<std::pair<std::string, std::string>>{{"field", c.field},
                                                         {"width", std::to_string(c.width)},
                                                         {"visible", c.visible ? "1" : "0"}});
  currentHost().gridLayouts[std::string(plugCode)] = core::buildJsonArray(rows);
}

void TMyCxGrid::restoreGridColumnStyle(Control& grid, std::string_view plugCode) {
  const auto& layouts = currentHost().gridLayouts;
  auto it = layouts.find(std::string(plugCode));
  if (it == layouts.end()) return;
  std::vector<GridColumn> rest = grid.columns;
  std::vector<GridColumn> ordered;
  for (const core::JsonRow& saved : core::parseSelection(it->second)) {
    auto found = std::find_if(rest.begin(), rest.end(),
                              [&](const GridColumn& c) { return c.field == saved.get("field"); });
    if (found == rest.end()) continue;
    GridColumn c = *found;
    rest.erase(found);
    c.width = static_cast<int>(saved.value("width").asInteger());
    c.visible = saved.get("visible") != "0";
    ordered.push_back(std::move(c));
  }
  ordered.insert(ordered.end(), rest.begin(), rest.end());
  grid.columns = std::move(ordered);
}

}  // namespace host
