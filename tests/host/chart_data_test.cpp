// Charts of a grid's rows: rows of one category are summed exactly as money, groups keep
// the order they first appear in, a label field names a group when it has a text; the
// printed chart draws one bar per group and series, a loss below the zero line.
#include <gtest/gtest.h>

#include <regex>

#include "dataset/client_data_set.h"
#include "host/forms/chart_spec.h"
#include "host/print/print_chart.h"

namespace {

using dataset::FieldType;

void fillMonthRows(dataset::ClientDataSet& ds) {
  ds.addField({"yf", FieldType::Text});
  ds.addField({"mc", FieldType::Text});
  ds.addField({"je", FieldType::Currency});
  ds.addField({"ml", FieldType::Currency});
  ds.open();
  const struct {
    const char *yf, *mc;
    std::int64_t je, ml;  // ten-thousandths
  } rows[] = {{"2026-11", "", 1000001, 300000},
              {"2026-10", "十月", 2000000, -500000},
              {"2026-11", "", 1, 1},
              {"2026-10", "十月", 5000, 0}};
  for (const auto& r : rows) {
    ds.append();
    ds.fieldByName("yf").setValue(core::Value(r.yf));
    ds.fieldByName("mc").setValue(core::Value(r.mc));
    ds.fieldByName("je").setValue(core::Value(core::Currency::fromRaw(r.je)));
    ds.fieldByName("ml").setValue(core::Value(core::Currency::fromRaw(r.ml)));
    ds.post();
  }
}

TEST(ChartData, SumsEachCategoryInTheOrderItFirstAppears) {
  dataset::ClientDataSet ds("cdsReport");
  fillMonthRows(ds);
  const host::ChartSpec spec{
      "按月毛利", "yf", "mc", {{"je", "金额"}, {"ml", "毛利"}, {"nosuch", "无"}}};
  const host::ChartData data = host::chartData(spec, ds);
  EXPECT_EQ(data.categories, (std::vector<std::string>{"2026-11", "十月"}));
  ASSERT_EQ(data.series.size(), 3u);
  EXPECT_EQ(data.series[0].first, "金额");
  EXPECT_EQ(data.series[0].second, (std::vector<double>{100.0002, 200.5}));
  EXPECT_EQ(data.series[1].second, (std::vector<double>{30.0001, -50}));
  EXPECT_EQ(data.series[2].second, (std::vector<double>{0, 0}));
  // Without the category field, or on a closed dataset, there is nothing to draw.
  EXPECT_TRUE(host::chartData({"x", "nosuch", "", {{"je", "金额"}}}, ds).empty());
  ds.close();
  EXPECT_TRUE(host::chartData(spec, ds).empty());
  EXPECT_EQ(host::chartSvg(host::chartData(spec, ds)), "");
}

TEST(ChartData, PrintedChartHasABarPerGroupAndSeriesAndALossHangsBelowZero) {
  dataset::ClientDataSet ds("cdsReport");
  fillMonthRows(ds);
  const host::ChartData data =
      host::chartData({"按月<毛利>", "yf", "mc", {{"je", "金额"}, {"ml", "毛利"}}}, ds);
  const std::string svg = host::chartSvg(data);
  ASSERT_TRUE(svg.starts_with("<svg"));
  EXPECT_NE(svg.find("按月&lt;毛利&gt;"), std::string::npos);
  // bars carry a tooltip title; the two legend swatches do not
  const std::regex bar(
      R"re(<rect x="[0-9.]+" y="([0-9.]+)" width="[0-9.]+" height="([0-9.]+)" fill="[^"]+"><title>([^<]*)</title>)re");
  const std::regex zero(R"re(<line x1="\d+" x2="\d+" y1="([0-9.]+)")re");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, zero));
  const double zeroY = std::stod(m[1]);
  int bars = 0;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), bar); it != std::sregex_iterator();
       ++it) {
    ++bars;
    const double top = std::stod((*it)[1]), height = std::stod((*it)[2]);
    if ((*it)[3].str().find("-50.00") != std::string::npos)
      EXPECT_NEAR(top, zeroY, 0.1) << "a loss starts at the zero line and goes down";
    else
      EXPECT_NEAR(top + height, zeroY, 0.1) << (*it)[3].str();
  }
  EXPECT_EQ(bars, 4);
}

}  // namespace
