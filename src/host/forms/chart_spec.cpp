// chartData: sums are kept as money (exact to four decimals) and only turned into
// doubles for drawing, so a month's bar is the month's rows added up, not nearly so.
#include "host/forms/chart_spec.h"

#include <map>

#include "core/currency.h"
#include "dataset/client_data_set.h"

namespace host {

ChartData chartData(const ChartSpec& spec, const dataset::ClientDataSet& ds) {
  ChartData out;
  out.title = spec.title;
  const dataset::Field* category = ds.findField(spec.category);
  if (!ds.active() || category == nullptr) return out;
  const dataset::Field* label = spec.label.empty() ? nullptr : ds.findField(spec.label);
  std::vector<const dataset::Field*> fields;
  for (const auto& [field, caption] : spec.series) fields.push_back(ds.findField(field));
  std::map<std::string, std::size_t> index;  // category text -> its place
  std::vector<std::vector<core::Currency>> sums(fields.size());
  for (int row = 0; row < ds.recordCount(); ++row) {
    std::string name = ds.valueAt(row, category->index()).asText();
    if (label != nullptr) {
      const std::string shown = ds.valueAt(row, label->index()).asText();
      if (!shown.empty()) name = shown;
    }
    const auto [at, added] = index.emplace(name, out.categories.size());
    if (added) {
      out.categories.push_back(name);
      for (auto& s : sums) s.emplace_back();
    }
    for (std::size_t f = 0; f < fields.size(); ++f)
      if (fields[f] != nullptr)
        sums[f][at->second] =
            sums[f][at->second] + ds.valueAt(row, fields[f]->index()).asCurrency();
  }
  for (std::size_t f = 0; f < fields.size(); ++f) {
    std::vector<double> values;
    for (const core::Currency& c : sums[f]) values.push_back(c.toDouble());
    out.series.emplace_back(spec.series[f].second, std::move(values));
  }
  return out;
}

}  // namespace host
