// A chart on paper: ChartData drawn as an inline SVG bar chart for the HTML print
// document — grouped bars from a zero line, the value scale's ends, one label per
// group and a legend of the series, in the print's own grey and two accent colours.
#pragma once

#include <string>

#include "host/forms/chart_spec.h"

namespace host {

//! The chart as an <svg> element; "" for a chart without figures.
std::string chartSvg(const ChartData& chart);

}  // namespace host
