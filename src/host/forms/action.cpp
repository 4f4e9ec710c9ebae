// Action update and click: the Update handler runs right before a click so that a
// click never reaches an action the form's state has disabled.
#include "host/forms/action.h"

namespace host {

void Action::update() {
  if (onUpdate) onUpdate(*this);
}

void Action::execute() {
  if (onExecute) onExecute(*this);
}

bool Action::click() {
  update();
  if (!enabled || !visible) return false;
  execute();
  return true;
}

}  // namespace host
