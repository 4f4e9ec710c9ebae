// Selection texts from and into datasets, through the core JSON helpers.
#include "dataset/data_set_json.h"

#include <algorithm>

#include "core/json.h"
#include "dataset/client_data_set.h"

namespace dataset {

namespace {

core::JsonRow rowAt(const ClientDataSet& ds, int row) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(static_cast<size_t>(ds.fieldCount()));
  for (int f = 0; f < ds.fieldCount(); ++f)
    pairs.emplace_back(ds.field(f).name(),
                       row < 0 ? ds.field(f).asString() : ds.valueAt(row, f).asText());
  return core::JsonRow(std::move(pairs));
}

}  // namespace

std::string ClientDataSetToJSON(const ClientDataSet& ds, bool currentOnly) {
  std::vector<core::JsonRow> rows;
  if (currentOnly) {
    if (ds.active() && ds.recNo() > 0) rows.push_back(rowAt(ds, -1));
  } else if (ds.active()) {
    for (int r = 0; r < ds.recordCount(); ++r) rows.push_back(rowAt(ds, r));
  }
  return core::buildJsonArray(rows);
}

void loadFromJson(ClientDataSet& ds, std::string_view text) {
  std::vector<core::JsonRow> rows = core::parseSelection(text);
  tsql::ResultSet rs;
  for (const core::JsonRow& row : rows)
    for (const auto& field : row.fields()) {
      const std::string& key = field.first;  // a named local: clang 14 cannot capture a binding
      if (std::none_of(rs.columns.begin(), rs.columns.end(),
                       [&](const tsql::Column& c) { return c.name == key; }))
        rs.columns.push_back(tsql::Column{key, core::ValueType::Text, 0});
    }
  for (const core::JsonRow& row : rows) {
    std::vector<core::Value> values;
    values.reserve(rs.columns.size());
    for (const tsql::Column& c : rs.columns) {
      const std::string* v = row.find(c.name);
      values.emplace_back(v ? core::Value(*v) : core::Value());
    }
    rs.rows.push_back(std::move(values));
  }
  ds.loadFrom(std::move(rs));
}

}  // namespace dataset
