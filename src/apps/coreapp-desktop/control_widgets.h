// ControlWidget: one header control of a form as a widget — a label, an editor of the
// control's kind (text, memo, date, time, currency, whole number, check box, combo over
// fixed texts or a host list, button edit) or a push button. What the user types is
// committed through the form (FormModel::setControlText, so bound fields are written
// and change handlers run); clicks go through the form's dispatcher. refresh() shows
// the control as the model has it now.
#pragma once

#include <memory>

#include "apps/coreapp-desktop/data_set_table_model.h"

class QWidget;

namespace host {
class Control;
class FormModel;
}  // namespace host

namespace desktop {

class ControlWidget {
 public:
  virtual ~ControlWidget() = default;
  //! The widget shown (owned by its Qt parent).
  virtual QWidget* widget() = 0;
  //! Shows the control's current text, read-only, enabled and visible state.
  virtual void refresh() = 0;
  //! Commits what the user typed but has not left yet (a tool button was clicked
  //! while the editor kept the focus).
  virtual void commitTyped() {}
};

//! The widget for a control of any kind but Grid (grids are GridView's).
std::unique_ptr<ControlWidget> makeControlWidget(host::FormModel& form, host::Control& control,
                                                 Runner run, QWidget* parent);

}  // namespace desktop
