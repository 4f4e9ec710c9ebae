// ChartView: the charts of a grid control (Control::charts) as bar charts beside it,
// one tab per chart, drawn again from the grid's rows whenever the view refreshes —
// the same figures (host::chartData) the print draws under the lines.
#pragma once

#include <QTabWidget>
#include <vector>

namespace host {
class Control;
class FormModel;
}  // namespace host

class QChartView;

namespace desktop {

class ChartView : public QTabWidget {
 public:
  ChartView(host::FormModel& form, const host::Control& grid, QWidget* parent = nullptr);

  //! Draws every chart again from the grid's dataset.
  void refresh();
  //! The chart widgets, one per chart of the grid (tests).
  const std::vector<QChartView*>& charts() const { return views_; }

 private:
  host::FormModel& form_;
  const host::Control& grid_;
  std::vector<QChartView*> views_;
};

}  // namespace desktop
