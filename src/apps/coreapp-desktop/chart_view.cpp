// ChartView: the series are rebuilt on every refresh (a report's rows change wholesale
// on 刷新), the axes from the categories and the largest and smallest sums.
#include "apps/coreapp-desktop/chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <algorithm>

#include "host/forms/chart_spec.h"
#include "host/forms/control.h"
#include "host/forms/form_model.h"

namespace desktop {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

void draw(QChart& chart, const host::ChartData& data) {
  chart.removeAllSeries();
  for (QAbstractAxis* axis : chart.axes()) {
    chart.removeAxis(axis);
    delete axis;
  }
  auto* series = new QBarSeries;
  double low = 0, high = 0;
  for (const auto& [name, values] : data.series) {
    auto* set = new QBarSet(qs(name));
    for (double v : values) {
      *set << v;
      low = std::min(low, v);
      high = std::max(high, v);
    }
    series->append(set);
  }
  chart.addSeries(series);
  auto* categories = new QBarCategoryAxis;
  for (const std::string& c : data.categories) categories->append(qs(c));
  chart.addAxis(categories, Qt::AlignBottom);
  series->attachAxis(categories);
  auto* values = new QValueAxis;
  values->setRange(low, high > low ? high : low + 1);
  values->setLabelFormat("%.2f");
  chart.addAxis(values, Qt::AlignLeft);
  series->attachAxis(values);
}

}  // namespace

ChartView::ChartView(host::FormModel& form, const host::Control& grid, QWidget* parent)
    : QTabWidget(parent), form_(form), grid_(grid) {
  setObjectName(qs(grid.name) + "_charts");
  for (const host::ChartSpec& spec : grid.charts) {
    auto* chart = new QChart;
    chart->setTitle(qs(spec.title));
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    views_.push_back(view);
    addTab(view, qs(spec.title));
  }
  refresh();
}

void ChartView::refresh() {
  const dataset::ClientDataSet* ds = form_.findDataSet(grid_.dataSet);
  for (std::size_t i = 0; i < views_.size() && i < grid_.charts.size(); ++i) {
    const host::ChartData data =
        ds == nullptr ? host::ChartData{} : host::chartData(grid_.charts[i], *ds);
    draw(*views_[i]->chart(), data);
  }
}

}  // namespace desktop
