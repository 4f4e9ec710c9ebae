// FormDescription: a plain snapshot of a form model that a shell renders without any
// bill-specific code: its controls with their current texts, its actions with their
// enabled state after Update, and the names of its datasets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/forms/control.h"

namespace host {

//! One control as a shell shows it (text already read from a bound field).
struct ControlView {
  std::string name;
  ControlKind kind = ControlKind::Edit;
  std::string caption;
  std::string text;
  std::int64_t tag = 0;
  bool readOnly = false;
  bool visible = true;
  bool enabled = true;
  std::string color;
  std::string format;
  std::string dataSet;
  std::string dataField;
  std::string listName;
  std::vector<std::string> items;
  std::vector<GridColumn> columns;
  bool clickable = false;        //!< has a click or button-click handler
  bool doubleClickable = false;  //!< has a double-click handler
};

//! One action as a shell shows it.
struct ActionView {
  std::string name;
  std::string caption;
  bool enabled = true;
  bool visible = true;
  std::string group;  //!< sub-menu caption, empty = a button of its own
};

struct FormDescription {
  std::string className;  //!< "TxmzzkForm"
  std::string caption;    //!< window or page caption
  std::vector<ControlView> controls;  //!< in the order the form declared them
  std::vector<ActionView> actions;    //!< in the order the form declared them
  std::vector<std::string> dataSets;  //!< registered dataset names, in order
};

}  // namespace host
