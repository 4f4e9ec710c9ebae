// chartSvg: the scale always holds zero, so a loss (a negative margin) hangs below the
// line instead of shortening every other bar; labels are cut to what fits under a group.
#include "host/print/print_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "host/export/xlsx_writer.h"

namespace host {

namespace {

constexpr int kWidth = 680, kHeight = 280;
constexpr int kLeft = 70, kRight = 10, kTop = 30, kBottom = 50;
constexpr const char* kColors[] = {"#3a6ea5", "#c0504d", "#9bbb59", "#8064a2"};

std::string escapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string moneyText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

// The label cut to `width` characters (a Chinese character counts two).
std::string fitted(const std::string& text, int width) {
  if (XlsxWriter::displayWidth(text) <= width) return text;
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = 1;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0xF0)
      len = 4;
    else if (c >= 0xE0)
      len = 3;
    else if (c >= 0xC0)
      len = 2;
    if (XlsxWriter::displayWidth(out + text.substr(i, len)) > width - 1) break;
    out += text.substr(i, len);
    i += len;
  }
  return out + "…";
}

// Where values fall: the scale from `low` to `high` (zero always inside) on the plot.
struct Scale {
  double low = 0, high = 0;
  double y(double v) const { return kTop + (high - v) / (high - low) * (kHeight - kTop - kBottom); }
};

std::string bars(const ChartData& chart, const Scale& scale, double groupW) {
  const double barW = groupW * 0.8 / static_cast<double>(chart.series.size());
  std::string svg;
  for (std::size_t s = 0; s < chart.series.size(); ++s) {
    const char* color = kColors[s % std::size(kColors)];
    for (std::size_t c = 0; c < chart.categories.size(); ++c) {
      const double v = chart.series[s].second[c];
      const double x =
          kLeft + groupW * (static_cast<double>(c) + 0.1) + barW * static_cast<double>(s);
      svg += "<rect x=\"" + num(x) + "\" y=\"" + num(std::min(scale.y(v), scale.y(0))) +
             "\" width=\"" + num(barW) + "\" height=\"" + num(std::abs(scale.y(v) - scale.y(0))) +
             "\" fill=\"" + color + "\"><title>" + escapeXml(chart.categories[c]) + " " +
             escapeXml(chart.series[s].first) + "：" + moneyText(v) + "</title></rect>\n";
    }
    const double lx = kLeft + 120.0 * static_cast<double>(s);
    svg += "<rect x=\"" + num(lx) + "\" y=\"" + std::to_string(kHeight - 14) +
           "\" width=\"10\" height=\"10\" fill=\"" + color + "\"/><text x=\"" + num(lx + 14) +
           "\" y=\"" + std::to_string(kHeight - 5) + "\">" + escapeXml(chart.series[s].first) +
           "</text>\n";
  }
  return svg;
}

std::string axes(const ChartData& chart, const Scale& scale, double groupW) {
  std::vector<double> marks = {scale.high, scale.low};
  if (scale.low < 0 && scale.high > 0) marks.push_back(0);
  std::string svg;
  for (double v : marks)
    svg += "<text x=\"" + std::to_string(kLeft - 4) + "\" y=\"" + num(scale.y(v) + 4) +
           "\" text-anchor=\"end\">" + moneyText(v) + "</text>\n";
  svg += "<line x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kWidth - kRight) +
         "\" y1=\"" + num(scale.y(0)) + "\" y2=\"" + num(scale.y(0)) + "\" stroke=\"#444\"/>\n";
  const int labelWidth = std::max(2, static_cast<int>(groupW / 6));  // about 6 px a column
  for (std::size_t c = 0; c < chart.categories.size(); ++c)
    svg += "<text x=\"" + num(kLeft + groupW * (static_cast<double>(c) + 0.5)) + "\" y=\"" +
           std::to_string(kHeight - kBottom + 14) + "\" text-anchor=\"middle\">" +
           escapeXml(fitted(chart.categories[c], labelWidth)) + "</text>\n";
  return svg;
}

}  // namespace

std::string chartSvg(const ChartData& chart) {
  if (chart.empty()) return {};
  Scale scale;
  for (const auto& [name, values] : chart.series)
    for (double v : values)
      scale.low = std::min(scale.low, v), scale.high = std::max(scale.high, v);
  if (scale.high == scale.low) scale.high = scale.low + 1;
  const double groupW = (kWidth - kLeft - kRight) / static_cast<double>(chart.categories.size());
  return "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) +
         "\" font-size=\"11\">\n<text x=\"" + std::to_string(kLeft) +
         "\" y=\"16\" font-weight=\"bold\">" + escapeXml(chart.title) + "</text>\n" +
         bars(chart, scale, groupW) + axes(chart, scale, groupW) + "</svg>\n";
}

}  // namespace host
