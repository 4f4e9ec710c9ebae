// Action: a named command of a form (toolbar button, menu entry) with a caption, an
// Execute handler that does the work and an Update handler that decides, just before a
// click, whether the action is enabled. A click on a disabled action runs nothing.
#pragma once

#include <functional>
#include <string>

namespace host {

class Action {
 public:
  using Handler = std::function<void(Action&)>;

  Action() = default;
  Action(std::string name, std::string caption) : name(std::move(name)), caption(std::move(caption)) {}

  std::string name;     //!< unique within the form ("actSave")
  std::string caption;  //!< button text
  bool enabled = true;
  bool visible = true;
  int tag = 0;          //!< the integer a form keeps with the action (one handler, two uses)
  std::string group;    //!< caption of the sub-menu the action sits under, empty = none
  Handler onExecute;    //!< the work; may throw core::Abort to stop silently
  Handler onUpdate;     //!< sets `enabled` (and `visible`) from the form's state

  //! Runs the Update handler, if any, so `enabled` reflects the form's state.
  void update();
  //! Runs the Execute handler whatever `enabled` says (as code calling OnExecute does).
  void execute();
  //! A user's click: update, then execute only when enabled and visible. Returns
  //! false when the action was disabled and nothing ran.
  bool click();
};

}  // namespace host
