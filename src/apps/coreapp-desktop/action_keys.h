// The standard commands of every bill window: the toolkit's standard icon and the
// keyboard shortcut of each (Ctrl+S saves, Ctrl+N starts a new bill ...), by the
// action names the host's base forms give them. Other actions have neither.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <string>

class QStyle;

namespace desktop {

//! Icon and shortcut of a standard command; `known` false for any other action.
struct ActionLook {
  bool known = false;
  QIcon icon;
  QKeySequence shortcut;
  bool iconOnly = false;  //!< the icon says it all (the arrows of previous / next bill)
};

//! The look of the action named `name` ("actSave", "actsave", "actok" ...).
ActionLook actionLook(const std::string& name, const QStyle& style);

}  // namespace desktop
