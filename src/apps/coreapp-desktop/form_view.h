// FormView: any form model as a widget — its actions as a tool bar, its unlabelled
// labels as a status line, its other controls as captioned editors, and its grids
// (the first one large with its charts beside it, the others on tabs below). Nothing in it knows a
// bill type. Every user event runs through run(): the form's dispatcher (the silent abort ends
// quietly), any other failure shown as an error box, then the whole view refreshed.
// The form must outlive the view.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/coreapp-desktop/data_set_table_model.h"

class QHBoxLayout;

namespace host {
class Control;
class FormModel;
}  // namespace host

namespace desktop {

class ActionBar;
class ChartView;
class ControlWidget;
class GridView;

class FormView : public QWidget {
 public:
  explicit FormView(host::FormModel& form, QWidget* parent = nullptr);
  ~FormView() override;

  host::FormModel& form() const { return form_; }
  //! Runs form code for a user event (see above).
  void run(const std::function<void()>& work);
  //! Shows the model again: actions after Update, control texts, grid states.
  void refresh();
  //! Puts the focus on the field a clerk types first (after 新增).
  void focusFirstField();
  //! True once the form closed or (shown modally) got a modal result.
  bool finished() const;
  //! Runs after an event that finished the form.
  std::function<void()> onFinished;

  ActionBar* actionBar() const { return actions_; }
  //! The grid showing the named Grid control, or null.
  GridView* grid(const std::string& name) const;
  //! The widget of the named non-grid control, or null.
  QWidget* controlWidget(const std::string& name) const;

 private:
  void build();
  QWidget* buildHeader(const std::vector<host::Control*>& controls);
  void joinCell(QHBoxLayout& cell, const host::Control& c, std::unique_ptr<ControlWidget> w, bool withCaption);
  bool belongsToGrid(const host::Control& c) const;
  QWidget* withCharts(GridView* view, const host::Control& grid);
  void showError(const std::string& text);
  void commitTyped();

  host::FormModel& form_;
  Runner runner_;
  ActionBar* actions_ = nullptr;
  std::vector<std::pair<std::string, std::unique_ptr<ControlWidget>>> controls_;
  std::vector<std::pair<std::string, QWidget*>> captions_;  // control name -> its caption label
  std::vector<GridView*> grids_;
  std::vector<ChartView*> charts_;
  int depth_ = 0;
  bool committing_ = false;
  bool destroying_ = false;  // set while the view takes itself apart
};

}  // namespace desktop
