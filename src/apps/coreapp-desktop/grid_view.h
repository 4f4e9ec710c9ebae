// GridView: a grid control of a form — a table over the control's dataset, the footer
// sums under it, combo cells for columns with fixed texts, tick cells, and the button
// of button columns (a double click on the cell fires the button of the form's editor
// bound to that field). Clicking a row moves the dataset's cursor, as in the toolkit;
// Insert adds a row and Ctrl+Delete deletes one (also on the context menu), as the
// toolkit's grid navigator does, with the dataset's events — only where the grid
// offers it (Control::insertRows / deleteRows).
#pragma once

#include <QWidget>
#include <map>
#include <vector>
#include <string>

#include "apps/coreapp-desktop/data_set_table_model.h"

class QAction;
class QLabel;
class QTableView;

namespace host {
class Control;
class FormModel;
}  // namespace host

namespace desktop {

class GridView : public QWidget {
 public:
  //! Shows `grid` (a Grid control of `form`); edits and clicks go through `run`.
  GridView(host::FormModel& form, host::Control& grid, Runner run, QWidget* parent = nullptr);

  //! Takes the control's read-only and visible state and refreshes the footer.
  void refresh();
  //! The model over the dataset (null when the form has no such dataset).
  DataSetTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  //! Commits an open cell editor (a tool button was clicked while it was open).
  void commitTyped();
  //! The grid's "添加行" / "删除行" commands (null when the form has no such dataset).
  QAction* addRowAction() const { return addRow_; }
  QAction* deleteRowAction() const { return deleteRow_; }
  //! The form's commands for this grid: a tool row above it and its right-click menu;
  //! `rowCommands`: 添加行 and 删除行 head that row (lines are typed into this grid).
  void addGridActions(const std::vector<QAction*>& actions, bool rowCommands = false);
  //! The footer line ("数量：5  金额：125.0000"), empty when no column sums.
  QString footer() const;

 private:
  void findColumnButtons();
  void addRowActions();
  void onDoubleClick(int row, int column);
  void followCursor();

  host::FormModel& form_;
  host::Control& grid_;
  Runner run_;
  DataSetTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* footer_ = nullptr;
  std::map<int, std::string> buttons_;  // column -> button editor control
  bool following_ = false;
  QAction* addRow_ = nullptr;
  QAction* deleteRow_ = nullptr;
};

}  // namespace desktop
