// ActionBar: a form's actions as tool buttons. Actions that share a name stem
// (actDetail_Add, actDetail_Del; actzzry_add, actzzry_del) sit together between
// separators; actions of one sub-menu (Action::group) sit in a drop-down button under
// its caption. refresh() runs every Update handler, then each button takes its action's
// caption, enabled and visible state; a click is the form's clickAction. The actions of a
// further grid (acthc_add, acthc_del for the grid over cdshc) are not on the bar: the
// grid shows them in its own tool row and right-click menu (gridActions). So do the line
// actions (actDetail_*) of a bill whose lines are typed into its grid (its add-line
// action hidden): that grid's row then starts with its own 添加行 and 删除行.
#pragma once

#include <QMenu>
#include <QToolBar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "apps/coreapp-desktop/data_set_table_model.h"

namespace host {
class FormModel;
}

namespace desktop {

class ActionBar : public QToolBar {
 public:
  ActionBar(host::FormModel& form, Runner run, QWidget* parent = nullptr);

  //! Runs the Update handlers and shows their result on the buttons.
  void refresh();
  //! The button's action for a form action name, or null.
  QAction* button(const std::string& name) const;
  //! The actions that belong to the further grid over `dataSet` ("cdshc"), in form order.
  std::vector<QAction*> gridActions(const std::string& dataSet) const;
  //! True for the line grid over `dataSet` when its lines are typed into it.
  bool linesTyped(const std::string& dataSet) const {
    return !typedLines_.empty() && dataSet == typedLines_;
  }
  //! Runs after a button's action ran, with the action's name.
  std::function<void(const std::string& name)> afterClick;

 private:
  //! The drop-down of sub-menu `caption`, made on its first use.
  QMenu* subMenu(std::map<std::string, QMenu*>& menus, const std::string& caption);
  //! The QAction of form action `name`: a bar button, or unplaced when `placed` is false.
  QAction* makeAction(const std::string& name, const std::string& caption, QAction* placed);

  host::FormModel& form_;
  Runner run_;
  std::map<std::string, QAction*> buttons_;
  std::map<std::string, std::vector<QAction*>> gridActions_;  // by the grid's dataset
  std::string typedLines_;  // dataset of the line grid whose lines are typed, or empty
};

//! The stem actions are grouped by: the name up to its first '_' ("actDetail").
std::string actionStem(const std::string& name);

}  // namespace desktop
