// FormModel: the headless model every form is built on. It holds the form's named
// controls, its actions and its datasets (registered by name), and dispatches the user's
// clicks to their handlers. The silent abort (core::Abort) thrown by a handler ends the
// running action quietly: the dispatcher swallows it and reports Aborted.
// Ownership: the form owns its controls and actions; datasets are owned by the subclass
// that declares them and only registered here. Not thread safe (one UI thread).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/forms/action.h"
#include "host/forms/control.h"
#include "host/forms/form_description.h"

namespace dataset {
class ClientDataSet;
}

namespace host {

//! How a dispatched click ended.
enum class Outcome {
  Done,      //!< the handler ran to its end
  Disabled,  //!< the action's Update left it disabled (or hidden); nothing ran
  Aborted,   //!< the handler stopped with the silent abort
};

class FormModel {
 public:
  FormModel(std::string className, std::string caption);
  virtual ~FormModel();
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  //! The form's class name ("TxmzzkForm"); modal queues and transcripts use it.
  const std::string& className() const { return className_; }
  std::string caption;  //!< window or page caption
  //! The control a clerk types first in a new bill ("" = the first editable text box);
  //! a shell puts the focus there after 新增.
  std::string firstEditControl;

  //! Adds a control; its name must be new to the form (asserted). Returns it.
  Control& addControl(Control control);
  //! The named control, or nullptr.
  Control* findControl(std::string_view name);
  //! The named control; throws std::out_of_range naming it when missing.
  Control& control(std::string_view name);
  //! Every control, in the order added.
  std::vector<Control*> controls() const;
  //! Adds an action; its name must be new to the form (asserted). Returns it.
  Action& addAction(std::string name, std::string caption);
  //! The named action, or nullptr.
  Action* findAction(std::string_view name);
  //! The named action; throws std::out_of_range naming it when missing.
  Action& action(std::string_view name);
  //! Registers a dataset the subclass owns under its name ("cdsDetail").
  void registerDataSet(std::string name, dataset::ClientDataSet& ds);
  //! The registered dataset, or nullptr.
  dataset::ClientDataSet* findDataSet(std::string_view name) const;
  //! Registered dataset names, in registration order.
  std::vector<std::string> dataSetNames() const;
  //! True when a grid over the dataset lets the user add (`insert`) or delete a row
  //! now (Control::offersRows); a dataset no grid shows takes neither.
  bool userMayChangeRows(std::string_view dataSet, bool insert) const;

  //! Clicks an action as a user would (Update, then Execute when enabled).
  Outcome clickAction(std::string_view name);
  //! Fires the control's click handler, or its button-click handler when it has no click.
  Outcome clickControl(std::string_view name);
  //! Fires the control's double-click handler.
  Outcome dblClickControl(std::string_view name);
  //! Fires the control's key handler with a key name ("Down", "Enter"); Disabled when
  //! the control is disabled, hidden or read-only.
  Outcome keyDownControl(std::string_view name, const std::string& key);
  //! Fires a grid's column-header handler with the column's field; Disabled when the
  //! grid is hidden or has no such handler.
  Outcome columnClickControl(std::string_view name, const std::string& field);
  //! Runs any piece of form code under the dispatcher's abort rule.
  template <class F>
  Outcome dispatch(F&& work);

  //! Text a control shows: the bound field of the current record, or its own text.
  virtual std::string controlText(const Control& c) const;
  //! Types a text into a control: a bound control writes its field (the dataset enters
  //! edit state when browsing); then the control's change handler runs.
  void setControlText(Control& c, const std::string& text);
  //! Runs every action's Update handler (what a shell does when it goes idle).
  void updateActions();
  //! Snapshot of controls (texts resolved) and actions (after Update) for a shell.
  FormDescription describe();

 private:
  static Outcome runGuarded(const std::function<void()>& work);

  std::string className_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::string, Control*, std::less<>> controlIndex_;
  std::vector<std::unique_ptr<Action>> actions_;
  std::map<std::string, Action*, std::less<>> actionIndex_;
  std::vector<std::pair<std::string, dataset::ClientDataSet*>> dataSets_;
};

template <class F>
Outcome FormModel::dispatch(F&& work) {
  return runGuarded(std::function<void()>(std::forward<F>(work)));
}

}  // namespace host
