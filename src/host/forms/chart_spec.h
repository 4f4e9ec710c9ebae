// ChartSpec: a chart drawn from a grid's rows — one bar group per category (rows of
// the same category are summed, in the order the categories first appear) and one bar
// per series field. The desktop draws it beside the grid and the print under the lines,
// both from chartData(), so the screen and the paper show the same figures.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace dataset {
class ClientDataSet;
}

namespace host {

struct ChartSpec {
  std::string title;       //!< "按月毛利"
  std::string category;    //!< the field naming a row's bar group ("yf" month)
  std::string label = {};  //!< a field shown instead of the category when it has a text
  //! Each series: its field and its caption ("je", "本期金额").
  std::vector<std::pair<std::string, std::string>> series;
};

struct ChartData {
  std::string title;
  std::vector<std::string> categories;
  //! Each series' caption and one value per category.
  std::vector<std::pair<std::string, std::vector<double>>> series;
  bool empty() const { return categories.empty() || series.empty(); }
};

//! The figures of a chart over every row of `ds` (its current row kept); empty when the
//! dataset is closed or lacks the category field. A missing series field counts 0.
ChartData chartData(const ChartSpec& spec, const dataset::ClientDataSet& ds);

}  // namespace host
